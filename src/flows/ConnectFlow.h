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
    HungUp, // the port went away (an unplug, or the line's other end closed) during the handshake
};

Outcome Connect(CSerialComm& port, ConverterModel model, const QString& devicePath);
// What the user is told when a connect fails, with why and what to do
// (present: the serial ports the system reports; answering: the other model
// that answered, if one was asked and did); none once connected.
std::optional<UserMessage> MessageOf(Outcome outcome, const CSerialComm& port, ConverterModel model,
                                     const QString& devicePath, const QList<DetectedPort>& present,
                                     std::optional<ConverterModel> answering = std::nullopt);
// MessageOf after asking, when no converter answered, whether one of another
// model does: one handshake each on the port, about a second in all. A
// cancel of the port ends the asking at once, and the search for the
// programs holding the port with it.
// answered, when given, learns the model that answered instead.
std::optional<UserMessage> Diagnose(Outcome outcome, CSerialComm& port, ConverterModel model,
                                    const QString& devicePath, const QList<DetectedPort>& present,
                                    std::optional<ConverterModel>* answered = nullptr);
// The first model other than `model` that acknowledges one handshake at its
// own bit rate, the closed port opened again for each.
std::optional<ConverterModel> AnsweringModel(CSerialComm& port, const QString& devicePath,
                                             ConverterModel model);
// What the user is told when the port went away while connected.
UserMessage HungUpMessage(const QString& devicePath);
} // namespace ConnectFlow
