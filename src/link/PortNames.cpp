#include "PortNames.h"

#include <QSettings>

namespace {

bool IsDevicePath(const QString& name)
{
#ifdef Q_OS_WIN
    return name.startsWith(QLatin1String("\\\\.\\"));
#else
    return name.startsWith(QLatin1Char('/'));
#endif
}

// "COM1".."COM8" in any case gives 0..7; anything else -1.
int PortIndexOf(const QString& name)
{
    if (name.size() != 4 || !name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        return -1;
    }
    const int index = name.at(3).digitValue() - 1;
    return index >= 0 && index < PortNames::kPortCount ? index : -1;
}

} // namespace

namespace PortNames {

QString DisplayName(int portIndex)
{
    return QStringLiteral("COM%1").arg(portIndex + 1);
}

QString DevicePath(int portIndex, const QSettings* profile)
{
    if (portIndex < 0 || portIndex >= kPortCount) {
        return {};
    }
#ifdef Q_OS_WIN
    Q_UNUSED(profile);
    return QStringLiteral("\\\\.\\COM%1").arg(portIndex + 1);
#else
    if (profile != nullptr) {
        const QString key = QStringLiteral("Ports/") + DisplayName(portIndex);
        const QString mapped = profile->value(key).toString().trimmed();
        if (!mapped.isEmpty()) {
            return mapped;
        }
    }
    return QStringLiteral("/dev/ttyS%1").arg(portIndex);
#endif
}

QString ResolvePort(const QString& nameOrPath, const QSettings* profile)
{
    if (IsDevicePath(nameOrPath)) {
        return nameOrPath;
    }
    const int index = PortIndexOf(nameOrPath);
    return index < 0 ? QString() : DevicePath(index, profile);
}

} // namespace PortNames
