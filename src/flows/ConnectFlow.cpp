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

Outcome Connect(CSerialComm& port, ConverterModel model, const QString& devicePath)
{
    if (!port.Open(devicePath, CFrameProtocol::ConfigBaudRate(model), kDataBits, kNoParity,
                   kOneStopBit))
        return Outcome::PortUnavailable;
    if (!CFrameProtocol(port).Handshake(model)) {
        port.Close();
        return Outcome::NoConverter;
    }
    return Outcome::Connected;
}

std::optional<ConverterModel> AnsweringModel(const QString& devicePath, ConverterModel model)
{
    CSerialComm probe;
    return AnsweringModel(probe, devicePath, model);
}

std::optional<ConverterModel> AnsweringModel(CSerialComm& probe, const QString& devicePath,
                                             ConverterModel model)
{
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        if (facts.model == model)
            continue;
        if (!probe.Open(devicePath, facts.configBaudRate, kDataBits, kNoParity, kOneStopBit))
            return std::nullopt;
        const bool answered = CFrameProtocol(probe).HandshakeOnce(facts.model);
        probe.Close();
        if (answered)
            return facts.model;
    }
    return std::nullopt;
}

std::optional<UserMessage> MessageOf(Outcome outcome, const CSerialComm& port, ConverterModel model,
                                     const QString& devicePath, const QList<DetectedPort>& present,
                                     std::optional<ConverterModel> answering)
{
    switch (outcome) {
    case Outcome::PortUnavailable:
        return UserMessage{FlowMessages::Caption(), FlowMessages::PortUnavailable(),
                           PortDiagnosis::OpenFailure(devicePath, port.LastError(), present)};
    case Outcome::NoConverter:
        return UserMessage{FlowMessages::Caption(), FlowMessages::NoConverter(),
                           PortDiagnosis::NoConverter(devicePath, model, answering)};
    case Outcome::Connected:
        break;
    }
    return std::nullopt;
}

std::optional<UserMessage> Diagnose(Outcome outcome, const CSerialComm& port, ConverterModel model,
                                    const QString& devicePath, const QList<DetectedPort>& present)
{
    const std::optional<ConverterModel> answering =
        outcome == Outcome::NoConverter ? AnsweringModel(devicePath, model) : std::nullopt;
    return MessageOf(outcome, port, model, devicePath, present, answering);
}

UserMessage HungUpMessage(const QString& devicePath)
{
    return UserMessage{FlowMessages::Caption(), FlowMessages::Disconnected(),
                       PortDiagnosis::HungUp(devicePath)};
}

} // namespace ConnectFlow
