#include "PortNames.h"

#include "PortNamesPlatform.h"

#include <QCoreApplication>
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

QString PortSlot::ShownDevice() const
{
    return path.compare(Name(), Qt::CaseInsensitive) == 0 ? QString() : path;
}

QString PortSlot::Summary() const
{
    const QString label = device.Label();
    const QString shown = ShownDevice();
    if (shown.isEmpty() || label.isEmpty())
        return shown + label;
    return shown + QStringLiteral("  ") + label;
}

QString PortSlot::Details() const
{
    QStringList lines;
    if (const QString summary = Summary(); !summary.isEmpty())
        lines << summary;
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
        if (!slot.path.isEmpty()) {
            slot.device = DeviceAt(slot.path, detected);
            taken << Canonical(slot.path);
        }
        portSlots.append(slot);
    }
    // A reported port's slot is its place in the order of the reported ports
    // alone, so that naming a device for one slot moves no other port: only
    // the port whose own slot was named moves, to the first slot left free.
    QList<DetectedPort> displaced;
    const QList<DetectedPort> ordered = InSlotOrder(detected);
    for (int place = 0; place < int(ordered.size()); ++place) {
        const DetectedPort& port = ordered.at(place);
        if (taken.contains(Canonical(port.path)) || taken.contains(port.byIdPath))
            continue;
        if (place < kPortCount && portSlots[place].path.isEmpty())
            portSlots[place] = {place, port.path, PortSlot::Source::Detected, port};
        else
            displaced.append(port);
    }
    for (PortSlot& slot : portSlots) {
        if (!slot.path.isEmpty())
            continue;
        if (!displaced.isEmpty()) {
            slot.device = displaced.takeFirst();
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

QString DescribeMoves(const QList<PortSlot>& before, const QList<PortSlot>& after)
{
    QStringList moves;
    for (const PortSlot& was : before) {
        if (was.source != PortSlot::Source::Detected)
            continue;
        // Named by its by-id path, a port is still the device the system reported.
        const QString device = Canonical(was.path);
        const auto now = std::find_if(after.begin(), after.end(), [&device](const PortSlot& slot) {
            return Canonical(slot.path) == device ||
                   (!slot.device.path.isEmpty() && Canonical(slot.device.path) == device);
        });
        if (now == after.end())
            moves << QCoreApplication::translate("PortNames", "%1 不再在 %2 中")
                         .arg(was.path, DisplayName(was.index));
        else if (now->index != was.index)
            moves << QCoreApplication::translate("PortNames", "%1 从 %2 移到了 %3")
                         .arg(was.path, DisplayName(was.index), now->Name());
    }
    return moves.join(QCoreApplication::translate("PortNames", "；"));
}

QStringList SearchOrder(const PortMap& portMap, const QList<DetectedPort>& detected)
{
    QStringList names;
    QStringList taken;
    for (int index = 0; index < kPortCount; ++index) {
        const QString entry = ProfileEntry(portMap, index);
        if (entry.isEmpty())
            continue;
        names << DisplayName(index);
        taken << Canonical(entry);
    }
    for (const DetectedPort& port : detected)
        if (!taken.contains(Canonical(port.path)) && !taken.contains(port.byIdPath))
            names << port.path;
    return names;
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
