#pragma once

#include "CMessageSink.h"

#include <QStringList>

// Prints each message instead of showing a box that nobody could close, and
// keeps them so the run can tell whether the read succeeded and nothing else
// went wrong.
class CLoggingSink : public CMessageSink
{
public:
    const QStringList& Messages() const { return m_messages; }

private:
    QStringList m_messages;

protected:
    void Show(const UserMessage& message) override;
};
