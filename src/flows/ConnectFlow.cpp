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
        // Known only while the port is still open.
        const bool hungUp = port.HasHungUp();
        port.Close();
        return hungUp ? Outcome::HungUp : Outcome::NoConverter;
    }
    return Outcome::Connected;
}

// The port itself, not one of its own, so that the port's cancel reaches it.
std::optional<ConverterModel> AnsweringModel(CSerialComm& port, const QString& devicePath,
                                             ConverterModel model)
{
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        if (facts.model == model)
            continue;
        if (!port.Open(devicePath, facts.configBaudRate, kDataBits, kNoParity, kOneStopBit))
            return std::nullopt;
        const bool answered = CFrameProtocol(port).HandshakeOnce(facts.model);
        port.Close();
        if (answered)
            return facts.model;
    }
    return std::nullopt;
}

std::optional<UserMessage> MessageOf(Outcome outcome, const CSerialComm& port, ConverterModel model,
                                     const QString& devicePath, const QList<DetectedPort>& present,
                                     std::optional<ConverterModel> answering)
{
    const auto stopped = [&port] { return port.IsCancelled(); };
    switch (outcome) {
    case Outcome::PortUnavailable:
        return UserMessage{
            FlowMessages::Caption(), FlowMessages::PortUnavailable(),
            PortDiagnosis::OpenFailure(devicePath, port.LastError(), present, stopped)};
    case Outcome::NoConverter:
        return UserMessage{FlowMessages::Caption(), FlowMessages::NoConverter(),
                           PortDiagnosis::NoConverter(devicePath, model, answering, stopped)};
    case Outcome::HungUp:
        return HungUpMessage(devicePath);
    case Outcome::Connected:
        break;
    }
    return std::nullopt;
}

std::optional<UserMessage> Diagnose(Outcome outcome, CSerialComm& port, ConverterModel model,
                                    const QString& devicePath, const QList<DetectedPort>& present,
                                    std::optional<ConverterModel>* answered)
{
    const std::optional<ConverterModel> answering =
        outcome == Outcome::NoConverter ? AnsweringModel(port, devicePath, model) : std::nullopt;
    if (answered != nullptr)
        *answered = answering;
    return MessageOf(outcome, port, model, devicePath, present, answering);
}

UserMessage HungUpMessage(const QString& devicePath)
{
    return UserMessage{FlowMessages::Caption(), FlowMessages::Disconnected(),
                       PortDiagnosis::HungUp(devicePath)};
}

} // namespace ConnectFlow
