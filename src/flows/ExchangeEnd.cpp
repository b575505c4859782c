#include "ExchangeEnd.h"

#include "CHeldMessages.h"
#include "CSerialComm.h"
#include "ConnectFlow.h"

namespace ExchangeEnd {

Cause Of(const CSerialComm& port)
{
    if (port.IsCancelled())
        return Cause::Cancelled;
    if (port.HasHungUp())
        return Cause::HungUp;
    return Cause::Fault;
}

std::optional<UserMessage> Settle(Cause cause, QList<UserMessage>& messages,
                                  const QString& devicePath)
{
    if (cause != Cause::HungUp)
        return std::nullopt;
    if (!messages.isEmpty())
        messages.removeLast();
    return ConnectFlow::HungUpMessage(devicePath);
}

void Settle(Cause cause, CHeldMessages& held, const QString& devicePath)
{
    QList<UserMessage> told = held.Held();
    const std::optional<UserMessage> hungUp = Settle(cause, told, devicePath);
    if (!hungUp)
        return;
    held = CHeldMessages();
    for (const UserMessage& message : std::as_const(told))
        held.ShowMessage(message);
    held.ShowMessage(*hungUp);
}

} // namespace ExchangeEnd
