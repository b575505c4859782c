#include "CHeldMessages.h"

#include <utility>

void CHeldMessages::Show(const UserMessage& message)
{
    m_held.append(message);
}

void CHeldMessages::ReplayTo(CMessageSink& sink)
{
    for (const UserMessage& message : std::as_const(m_held))
        sink.ShowMessage(message);
    m_held.clear();
}
