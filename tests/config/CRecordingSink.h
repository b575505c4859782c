#pragma once

#include "CMessageSink.h"
#include "UserMessage.h"

#include <QList>

class CRecordingSink : public CMessageSink
{
public:
    void ShowMessage(const QString& caption, const QString& text) override
    {
        messages.append({caption, text});
    }

    QList<UserMessage> messages;
};
