#pragma once

#include "UserMessage.h"

#include <QList>
#include <QString>

#include <optional>

class CHeldMessages;
class CSerialComm;

// How an exchange with the converter that did not succeed is told, alike in
// the window, its batch and the command line. A cancel the user asked for is
// no fault of the line and says so; a line that went away (an unplug, or its
// other end closed) ends the exchange with its own message instead of
// "通信出错！".
namespace ExchangeEnd {
enum class Cause
{
    Fault,
    Cancelled,
    HungUp,
};

// Why the exchange on port failed. A cancel counts first: the wait it cut
// short may also have seen the line go.
Cause Of(const CSerialComm& port);
// The messages the failed exchange held, as they are told: after a hang-up
// the last of them, the communication error, gives way to the hang-up's own,
// which is returned for the caller to tell once it has let the port go.
std::optional<UserMessage> Settle(Cause cause, QList<UserMessage>& messages,
                                  const QString& devicePath);
// The same for messages held back to be told later: the hang-up's own takes
// the communication error's place, last.
void Settle(Cause cause, CHeldMessages& held, const QString& devicePath);
} // namespace ExchangeEnd
