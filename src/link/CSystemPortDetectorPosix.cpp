#include "CSystemPortDetector.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace {

// Device node to its name under /dev/serial/by-id, which stays the same
// whichever order adapters were plugged in.
QHash<QString, QString> ByIdNames()
{
    QHash<QString, QString> names;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            names.insert(target, link.absoluteFilePath());
    }
    return names;
}

bool IsAdapter(const QSerialPortInfo& info)
{
    const QString name = info.portName();
    return info.hasVendorIdentifier() || name.startsWith(QLatin1String("ttyUSB")) ||
           name.startsWith(QLatin1String("ttyACM"));
}

} // namespace

QList<DetectedPort> CSystemPortDetector::DetectPorts() const
{
    const QHash<QString, QString> byId = ByIdNames();
    QList<DetectedPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        DetectedPort port;
        port.path = info.systemLocation();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        const QString canonical = QFileInfo(port.path).canonicalFilePath();
        port.byIdPath = byId.value(canonical.isEmpty() ? port.path : canonical);
        port.adapter = IsAdapter(info);
        ports.append(port);
    }
    return ports;
}
