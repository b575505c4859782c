#pragma once

#include "CMessageSink.h"
#include "UserMessage.h"

#include <QList>

// Keeps every message instead of showing it, in order.
class CRecordingSink : public CMessageSink
{
public:
    QList<UserMessage> m_messages;

protected:
    void Show(const UserMessage& message) override { m_messages.append(message); }
};
