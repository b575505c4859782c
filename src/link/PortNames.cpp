#include "PortNames.h"

#include "PortNamesPlatform.h"

#include <QFileInfo>

#include <algorithm>

namespace {

using PortNamesPlatform::Canonical;

// "COM1".."COM8" in any case gives 0..7; anything else -1.
int PortIndexOf(const QString& name)
{
    if (name.size() != 4 || !name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return -1;
    const int index = name.at(3).digitValue() - 1;
    return index >= 0 && index < PortNames::kPortCount ? index : -1;
}

// ttyS2 before ttyS10: the trailing number compares as a number.
bool NaturalLess(const QString& a, const QString& b)
{
    const auto split = [](const QString& path) {
        qsizetype digits = path.size();
        while (digits > 0 && path.at(digits - 1).isDigit())
            --digits;
        return std::make_pair(path.left(digits), path.mid(digits).toLongLong());
    };
    return split(a) < split(b);
}

QString SortName(const DetectedPort& port)
{
    return port.byIdPath.isEmpty() ? port.path : port.byIdPath;
}

QList<DetectedPort> InSlotOrder(QList<DetectedPort> ports)
{
    std::stable_sort(ports.begin(), ports.end(), [](const DetectedPort& a, const DetectedPort& b) {
        if (a.adapter != b.adapter)
            return a.adapter;
        return NaturalLess(SortName(a), SortName(b));
    });
    return ports;
}

QString ProfileEntry(const PortMap& portMap, int portIndex)
{
    const QString entry = portMap.PathOf(portIndex);
    return entry.isEmpty() ? entry : PortNamesPlatform::UserForm(entry);
}

DetectedPort DeviceAt(const QString& path, const QList<DetectedPort>& detected)
{
    const QString canonical = Canonical(path);
    for (const DetectedPort& port : detected)
        if (Canonical(port.path) == canonical || port.byIdPath == path)
            return port;
    return {};
}

} // namespace

QString PortSlot::Name() const
{
    return PortNames::DisplayName(index);
}

bool PortSlot::IsPresent() const
{
    if (!device.path.isEmpty())
        return true;
    return source == Source::Profile && !path.isEmpty() && QFileInfo::exists(path);
}

QString PortSlot::Summary() const
{
    const QString label = device.Label();
    return label.isEmpty() ? path : path + QStringLiteral("  ") + label;
}

QString PortSlot::Details() const
{
    QStringList lines{Summary()};
    if (!device.serialNumber.isEmpty())
        lines << device.serialNumber;
    if (!device.byIdPath.isEmpty())
        lines << device.byIdPath;
    return lines.join(QLatin1Char('\n'));
}

QString PortMap::PathOf(int portIndex) const
{
    if (portIndex < 0 || portIndex >= int(paths.size()))
        return {};
    return paths.at(std::size_t(portIndex)).trimmed();
}

namespace PortNames {

QString DisplayName(int portIndex)
{
    return QStringLiteral("COM%1").arg(portIndex + 1);
}

QList<PortSlot> ResolveSlots(const PortMap& portMap, const QList<DetectedPort>& detected)
{
    QList<PortSlot> portSlots;
    QStringList taken;
    for (int index = 0; index < kPortCount; ++index) {
        PortSlot slot{index, ProfileEntry(portMap, index), PortSlot::Source::Profile, {}};
        if (!slot.path.isEmpty())
            taken << Canonical(slot.path);
        portSlots.append(slot);
    }
    QList<DetectedPort> free;
    for (const DetectedPort& port : InSlotOrder(detected))
        if (!taken.contains(Canonical(port.path)) && !taken.contains(port.byIdPath))
            free.append(port);
    for (PortSlot& slot : portSlots) {
        if (!slot.path.isEmpty()) {
            slot.device = DeviceAt(slot.path, detected);
        } else if (!free.isEmpty()) {
            slot.device = free.takeFirst();
            slot.path = slot.device.path;
            slot.source = PortSlot::Source::Detected;
        } else {
            slot.path = PortNamesPlatform::FallbackPath(slot.index);
            slot.source = PortSlot::Source::Fallback;
            slot.device = DeviceAt(slot.path, detected);
        }
    }
    return portSlots;
}

QString DevicePath(int portIndex, const PortMap& portMap, const QList<DetectedPort>& detected)
{
    if (portIndex < 0 || portIndex >= kPortCount)
        return {};
    return ResolveSlots(portMap, detected).at(portIndex).path;
}

bool NeedsDetectedPorts(const QString& nameOrPath, const PortMap& portMap)
{
    const int index = PortIndexOf(nameOrPath);
    return PortNamesPlatform::ComSlotsNeedDetection() &&
           !PortNamesPlatform::IsDevicePath(nameOrPath) && index >= 0 &&
           ProfileEntry(portMap, index).isEmpty();
}

QString ResolvePort(const QString& nameOrPath, const PortMap& portMap,
                    const QList<DetectedPort>& detected)
{
    if (PortNamesPlatform::IsDevicePath(nameOrPath))
        return PortNamesPlatform::UserForm(nameOrPath);
    const int index = PortIndexOf(nameOrPath);
    if (index < 0)
        return PortNamesPlatform::SystemPort(nameOrPath);
    return DevicePath(index, portMap, detected);
}

QString DeviceKey(const QString& path)
{
    return Canonical(path);
}

} // namespace PortNames
