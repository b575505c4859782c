#include "CMessageBoxSink.h"

#include <QMessageBox>

CMessageBoxSink::CMessageBoxSink(QWidget* owner) : m_owner(owner) {}

void CMessageBoxSink::SetOwner(QWidget* owner)
{
    m_owner = owner;
}

void CMessageBoxSink::ShowMessage(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_owner);
    box.exec();
}
