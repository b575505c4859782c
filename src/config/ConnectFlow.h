#pragma once

#include "ConverterModel.h"
#include "DetectedPort.h"
#include "UserMessage.h"

#include <QString>

#include <optional>

class CSerialComm;

// Connecting to a converter, as the window's connect button and the command
// line both do it: the port opened at the model's configuration bit rate,
// 8N1, then the model's handshake; a converter that does not answer leaves
// the port closed.
namespace ConnectFlow {
enum class Outcome
{
    Connected,
    PortUnavailable,
    NoConverter,
};

Outcome Connect(CSerialComm& port, int deviceType, const QString& devicePath);
// What the user is told when a connect fails, with why and what to do
// (present: the serial ports the system reports); none once connected.
// When no converter answered, it asks whether one of another model does
// (one handshake each, about a second in all) unless askOtherModels is off.
std::optional<UserMessage> MessageOf(Outcome outcome, const CSerialComm& port, int deviceType,
                                     const QString& devicePath, const QList<DetectedPort>& present,
                                     bool askOtherModels = true);
// The first model other than deviceType that acknowledges one handshake at
// its own bit rate, on a port opened for the purpose.
std::optional<ConverterModel> AnsweringModel(const QString& devicePath, int deviceType);
// What the user is told when the port went away while connected.
UserMessage HungUpMessage(const QString& devicePath);
} // namespace ConnectFlow
