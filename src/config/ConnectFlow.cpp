#include "ConnectFlow.h"

#include "CFrameProtocol.h"
#include "CSerialComm.h"
#include "FlowMessages.h"
#include "PortDiagnosis.h"

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

std::optional<ConverterModel> AnsweringModel(const QString& devicePath, int deviceType)
{
    CSerialComm probe;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        const int otherType = ConverterModels::DeviceTypeOf(facts.model);
        if (otherType == deviceType)
            continue;
        if (!probe.Open(devicePath, facts.configBaudRate, kDataBits, kNoParity, kOneStopBit))
            return std::nullopt;
        const bool answered = CFrameProtocol(probe).HandshakeOnce(otherType);
        probe.Close();
        if (answered)
            return facts.model;
    }
    return std::nullopt;
}

std::optional<UserMessage> MessageOf(Outcome outcome, const CSerialComm& port, int deviceType,
                                     const QString& devicePath, const QList<DetectedPort>& present,
                                     bool askOtherModels)
{
    switch (outcome) {
    case Outcome::PortUnavailable:
        return UserMessage{FlowMessages::Caption(), FlowMessages::PortUnavailable(),
                           PortDiagnosis::OpenFailure(devicePath, port.LastError(), present)};
    case Outcome::NoConverter:
        return UserMessage{FlowMessages::Caption(), FlowMessages::NoConverter(),
                           PortDiagnosis::NoConverter(devicePath, deviceType,
                                                      askOtherModels
                                                          ? AnsweringModel(devicePath, deviceType)
                                                          : std::nullopt)};
    case Outcome::Connected:
        break;
    }
    return std::nullopt;
}

UserMessage HungUpMessage(const QString& devicePath)
{
    return UserMessage{FlowMessages::Caption(), FlowMessages::Disconnected(),
                       PortDiagnosis::HungUp(devicePath)};
}

} // namespace ConnectFlow
