#pragma once

#include "DetectedPort.h"

#include <QList>
#include <QString>

#include <array>

// Where one of the selector's slots "COM1".."COM8" leads.
struct PortSlot
{
    enum class Source
    {
        Profile,  // the profile's [Ports] section names the device
        Detected, // a serial port the system reports
        Fallback, // nothing else left: /dev/ttyS{n-1}, on Windows COMn
    };

    int index = 0;
    QString path; // what Open gets; empty for an index outside the list
    Source source = Source::Fallback;
    DetectedPort device; // what the system tells about path, when it reports it

    QString Name() const; // "COM1"
    // Whether a device is there to open: one the system reports, or a path
    // the user named that exists (a pseudo-terminal is never reported). A
    // fallback the system does not report is a port without hardware.
    bool IsPresent() const;
    // The device as shown beside the slot's name: the path, but nothing for
    // a slot whose device is its own name (Windows' "COM1" on COM1).
    QString ShownDevice() const;
    // "/dev/ttyUSB0  FT232R USB UART": the device and, where known, what it is.
    QString Summary() const;
    // The summary with the serial number and the by-id name, one per line.
    QString Details() const;
};

// The devices the user named for the selector's slots (the window's "…"
// button), by slot index; an empty path names none. The profile keeps them.
struct PortMap
{
    std::array<QString, 8> paths;

    // The path named for a slot, blanks trimmed; empty for none.
    QString PathOf(int portIndex) const;
};

// The selector offers "COM1".."COM8". A slot goes to the device path the
// port map names for it. The system's serial ports, USB and ACM adapters
// first (in the order of their by-id names), then the others in natural
// order, each take the slot of their place in that order; a port whose slot
// the map names for another device, or that the map names nowhere and finds
// no place, takes the first slot left free; slots still left go to
// /dev/ttyS{n-1}, on Windows to "COMn". On Windows
// every name reads as the user knows it ("\\.\com12" in the port map is
// "COM12"; the port adds the device namespace only where it opens), and a
// COM name beyond the slots is the system's own port. An index or name
// outside COM1..COM8 gives an empty path, which no port opens.
namespace PortNames {
constexpr int kPortCount = 8;
QString DisplayName(int portIndex); // "COM1" for 0
QList<PortSlot> ResolveSlots(const PortMap& portMap, const QList<DetectedPort>& detected);
// What a change of the slots did to the system's ports: "/dev/ttyS0 从 COM1
// 移到了 COM6" for each that moved or left the slots; empty when none did.
QString DescribeMoves(const QList<PortSlot>& before, const QList<PortSlot>& after);
QString DevicePath(int portIndex, const PortMap& portMap, const QList<DetectedPort>& detected = {});
// Whether resolving nameOrPath needs the system's ports: only a COM slot
// the port map names nothing for does. Asking the system takes tens of milliseconds.
bool NeedsDetectedPorts(const QString& nameOrPath, const PortMap& portMap);
// The ports a search for converters tries when none is named: the slots the
// port map names ("COM3"), then the system's ports no slot names (paths).
QStringList SearchOrder(const PortMap& portMap, const QList<DetectedPort>& detected);
// "COM3" as its slot resolves, a device path as it is.
QString ResolvePort(const QString& nameOrPath, const PortMap& portMap,
                    const QList<DetectedPort>& detected = {});
// Equal for two names of one device, and only then: on Windows "com3" and
// "\\.\COM3"; elsewhere a link and the device it leads to.
QString DeviceKey(const QString& path);
} // namespace PortNames
