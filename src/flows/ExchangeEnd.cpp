#include "ExchangeEnd.h"

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

} // namespace ExchangeEnd
