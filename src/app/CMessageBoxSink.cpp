#include "CMessageBoxSink.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>

CMessageBoxSink::CMessageBoxSink(QWidget* owner) : m_owner(owner) {}

void CMessageBoxSink::SetOwner(QWidget* owner)
{
    m_owner = owner;
}

void CMessageBoxSink::Show(const UserMessage& message)
{
    // A command that is still talking to the converter keeps the busy cursor
    // up; the box waits for the user, who needs the ordinary pointer for it.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    QMessageBox box(QMessageBox::NoIcon, message.caption, message.text, QMessageBox::Ok, m_owner);
    box.setInformativeText(message.detail);
    box.exec();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
}
