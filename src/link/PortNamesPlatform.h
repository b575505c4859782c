#pragma once

#include <QString>

// How the systems name their ports differs; PortNames keeps the slots and
// asks here. PortNamesWin.cpp or PortNamesPosix.cpp, as CMake chooses.
namespace PortNamesPlatform {
// A name that already is a device rather than a slot's name.
bool IsDevicePath(const QString& name);
// One spelling for every name of a device, for comparing them.
QString Canonical(const QString& path);
// A device path as the user reads it and the port opens it.
QString UserForm(const QString& path);
QString FallbackPath(int portIndex);
// A COM name beyond the slots that is the system's own port, else empty.
QString SystemPort(const QString& name);
// Whether resolving a COM name the profile does not map needs the system's ports.
bool ComSlotsNeedDetection();
} // namespace PortNamesPlatform
