#include "CHeldMessages.h"

#include <utility>

void CHeldMessages::ShowMessage(const QString& caption, const QString& text)
{
    m_held.append({caption, text});
}

void CHeldMessages::ReplayTo(CMessageSink& sink)
{
    for (const UserMessage& message : std::as_const(m_held))
        sink.ShowMessage(message.caption, message.text);
    m_held.clear();
}
