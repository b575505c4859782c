#include "CMessageBoxSink.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>

CMessageBoxSink::CMessageBoxSink(QWidget* owner) : m_owner(owner) {}

void CMessageBoxSink::SetOwner(QWidget* owner)
{
    m_owner = owner;
}

void CMessageBoxSink::ShowMessage(const QString& caption, const QString& text)
{
    // A command that is still talking to the converter keeps the busy cursor
    // up; the box waits for the user, who needs the ordinary pointer for it.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_owner);
    box.exec();
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
    }
}
