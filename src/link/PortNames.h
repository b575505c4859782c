#pragma once

#include <QString>

class QSettings;

// The selector offers "COM1".."COM8". On Windows the port is opened as
// "\\.\COMn"; elsewhere COMn maps to the device path in the profile's
// [Ports] section (key "COMn") or, without one, to /dev/ttyS{n-1}. The
// profile is read from its top level; an index or name outside COM1..COM8
// gives an empty path, which no port opens.
namespace PortNames {
constexpr int kPortCount = 8;
QString DisplayName(int portIndex);                                       // "COM1" for 0
QString DevicePath(int portIndex, const QSettings* profile);              // what Open gets
QString ResolvePort(const QString& nameOrPath, const QSettings* profile); // "COM3" or "/dev/x"
} // namespace PortNames
