#pragma once

#include "CMessageSink.h"
#include "UserMessage.h"

#include <QList>

// Messages kept back to be shown later, in their order: by the command line
// until the command's output is out, so that a verdict such as "读配置成功！"
// follows what it speaks of and is not shown when the output could not be
// written; by the window until an exchange run off its thread has ended.
class CHeldMessages : public CMessageSink
{
public:
    // Shows the held messages in their order and forgets them.
    void ReplayTo(CMessageSink& sink);
    const QList<UserMessage>& Held() const { return m_held; }

private:
    QList<UserMessage> m_held;

protected:
    void Show(const UserMessage& message) override;
};
