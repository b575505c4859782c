#pragma once

#include "CFrameProtocol.h"
#include "ConverterModel.h"
#include "DetectedPort.h"
#include "PortHolders.h"

#include <QList>
#include <QString>

#include <optional>

// Why a port could not be used and what the user can do about it, for the
// detail under the flows' fixed messages.
namespace PortDiagnosis {
// systemError as the open left it (errno, or GetLastError on Windows);
// present: the serial ports the system reports, named when the device is
// missing; stopped ends the search for the programs holding the port.
QString OpenFailure(const QString& devicePath, int systemError, const QList<DetectedPort>& present,
                    const PortHolders::StopCheck& stopped = {});
// answering: the other model that answered its own handshake, if one did.
QString NoConverter(const QString& devicePath, ConverterModel model,
                    std::optional<ConverterModel> answering = std::nullopt,
                    const PortHolders::StopCheck& stopped = {});
// The detail of "通信出错！": what came back, or that the adapter went away;
// led by the programs that also have devicePath open, the likelier cause.
QString ExchangeFailure(const CFrameProtocol::Failure& failure, bool adapterGone,
                        const QString& devicePath = {});
// After every model's handshake was tried.
QString NoConverterOfAny(const QString& devicePath);
QString HungUp(const QString& devicePath);
} // namespace PortDiagnosis
