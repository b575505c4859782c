#pragma once

#include "DetectedPort.h"

#include <QList>
#include <QString>

// Why a port could not be used and what the user can do about it, for the
// detail under the flows' fixed messages.
namespace PortDiagnosis {
// systemError as the open left it (errno, or GetLastError on Windows);
// present: the serial ports the system reports, named when the device is
// missing.
QString OpenFailure(const QString& devicePath, int systemError, const QList<DetectedPort>& present);
QString NoConverter(const QString& devicePath, int deviceType);
// After every model's handshake was tried.
QString NoConverterOfAny(const QString& devicePath);
QString HungUp(const QString& devicePath);
} // namespace PortDiagnosis
