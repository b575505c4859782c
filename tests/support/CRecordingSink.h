#pragma once

#include "CMessageSink.h"
#include "UserMessage.h"

#include <QList>

// Keeps every message instead of showing it, in order.
class CRecordingSink : public CMessageSink
{
public:
    void ShowMessage(const QString& caption, const QString& text) override
    {
        m_messages.append({caption, text});
    }

    QList<UserMessage> m_messages;
};
