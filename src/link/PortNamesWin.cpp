#include "PortNamesPlatform.h"

namespace {

const QLatin1String kDeviceNamespace("\\\\.\\");

} // namespace

namespace PortNamesPlatform {

bool IsDevicePath(const QString& name)
{
    return name.startsWith(QLatin1String("\\\\"));
}

// "com12", " COM12" and "\\.\COM12" are one port, which the user knows as
// "COM12"; the port itself adds the device namespace it needs to open.
QString Canonical(const QString& path)
{
    const QString upper = path.trimmed().toUpper();
    return upper.startsWith(kDeviceNamespace) ? upper.mid(kDeviceNamespace.size()) : upper;
}

QString UserForm(const QString& path)
{
    return Canonical(path);
}

QString FallbackPath(int portIndex)
{
    return QStringLiteral("COM%1").arg(portIndex + 1);
}

QString SystemPort(const QString& name)
{
    return name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) ? Canonical(name) : QString();
}

// COM3 is the system's COM3 unless the profile says otherwise: asking the
// system would cost the command line its start for nothing.
bool ComSlotsNeedDetection()
{
    return false;
}

} // namespace PortNamesPlatform
