#pragma once

#include "CMessageSink.h"

#include <QList>
#include <QPair>

class CRecordingSink : public CMessageSink
{
public:
    void ShowMessage(const QString& caption, const QString& text) override
    {
        m_messages.append({caption, text});
    }

    QList<QPair<QString, QString>> m_messages;
};
