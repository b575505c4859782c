#include "PortNamesPlatform.h"

#include <QFileInfo>

namespace PortNamesPlatform {

bool IsDevicePath(const QString& name)
{
    return name.startsWith(QLatin1Char('/'));
}

// The same device under another name (a by-id link, say) counts as taken.
QString Canonical(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QString UserForm(const QString& path)
{
    return path;
}

QString FallbackPath(int portIndex)
{
    return QStringLiteral("/dev/ttyS%1").arg(portIndex);
}

QString SystemPort(const QString&)
{
    return {};
}

bool ComSlotsNeedDetection()
{
    return true;
}

} // namespace PortNamesPlatform
