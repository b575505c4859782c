#include "ConnectFlow.h"

#include "CFrameProtocol.h"
#include "CSerialComm.h"
#include "FlowMessages.h"

namespace {

constexpr int kDataBits = 8;
constexpr int kNoParity = 0;
constexpr int kOneStopBit = 0;

} // namespace

namespace ConnectFlow {

Outcome Connect(CSerialComm& port, int deviceType, const QString& devicePath)
{
    if (!port.Open(devicePath, CFrameProtocol::ConfigBaudRate(deviceType), kDataBits, kNoParity,
                   kOneStopBit))
        return Outcome::PortUnavailable;
    if (!CFrameProtocol(port).Handshake(deviceType)) {
        port.Close();
        return Outcome::NoConverter;
    }
    return Outcome::Connected;
}

std::optional<UserMessage> MessageOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::PortUnavailable:
        return UserMessage{FlowMessages::Caption(), FlowMessages::PortUnavailable()};
    case Outcome::NoConverter:
        return UserMessage{FlowMessages::Caption(), FlowMessages::NoConverter()};
    case Outcome::Connected:
        break;
    }
    return std::nullopt;
}

} // namespace ConnectFlow
