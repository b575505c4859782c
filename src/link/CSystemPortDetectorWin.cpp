#include "CSystemPortDetector.h"

#include "PortOpenError.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <setupapi.h>

#include <QSet>

#include <memory>
#include <string>
#include <type_traits>

namespace {

// The COM port device interface class, as the system's own port drivers and
// every USB serial driver register their ports.
const GUID kComPortInterface = {
    0x86E0D1E0L, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

constexpr DWORD kMaxText = 1024;

struct DeviceListDeleter
{
    void operator()(void* list) const { SetupDiDestroyDeviceInfoList(list); }
};
using DeviceList = std::unique_ptr<void, DeviceListDeleter>;

struct KeyDeleter
{
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyDeleter>;

QString RegistryText(HKEY key, const wchar_t* name)
{
    wchar_t text[kMaxText + 1] = {};
    DWORD type = 0;
    DWORD size = sizeof(wchar_t) * kMaxText;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return QString::fromWCharArray(text);
}

QString DeviceProperty(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property)
{
    wchar_t text[kMaxText + 1] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(list, &device, property, &type,
                                           reinterpret_cast<BYTE*>(text),
                                           sizeof(wchar_t) * kMaxText, nullptr) ||
        (type != REG_SZ && type != REG_MULTI_SZ))
        return {};
    // Of a list (the hardware IDs) the first, most specific entry.
    return QString::fromWCharArray(text);
}

QString PortNameOf(HDEVINFO list, SP_DEVINFO_DATA& device)
{
    const Key key(
        SetupDiOpenDevRegKey(list, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE));
    if (key.get() == INVALID_HANDLE_VALUE || !key)
        return {};
    return RegistryText(key.get(), L"PortName");
}

QString InstanceIdOf(HDEVINFO list, SP_DEVINFO_DATA& device)
{
    wchar_t text[kMaxText + 1] = {};
    if (!SetupDiGetDeviceInstanceIdW(list, &device, text, kMaxText, nullptr))
        return {};
    return QString::fromWCharArray(text);
}

// "USB\VID_0403&PID_6001\A50285BI": the last part is the device's own serial
// number; one the system made up for a device without one holds '&'.
QString SerialNumberOf(const QString& instanceId)
{
    const QStringList parts = instanceId.split(QLatin1Char('\\'));
    if (parts.size() != 3 || !parts.first().startsWith(QLatin1String("USB"), Qt::CaseInsensitive))
        return {};
    return parts.last().contains(QLatin1Char('&')) ? QString() : parts.last();
}

bool IsAdapterId(const QString& hardwareId)
{
    for (const char* bus : {"USB\\", "FTDIBUS\\", "USBSER", "SLABSER"})
        if (hardwareId.startsWith(QLatin1String(bus), Qt::CaseInsensitive))
            return true;
    return hardwareId.contains(QLatin1String("VID_"), Qt::CaseInsensitive);
}

// The system's own spelling, as the user reads it: "COM3".
QString DevicePathOf(const QString& portName)
{
    return portName.trimmed().toUpper();
}

bool IsGone(DWORD error)
{
    const PortOpenCause cause = PortOpenErrors::CauseOfWin32(error);
    return cause == PortOpenCause::Missing || cause == PortOpenCause::NotWorking;
}

// Wine lists every port it maps in the device map, whether its tty is there
// or not, and some drivers leave their entry behind when the adapter goes. An
// open that asks for no access does not take the port, and a refusal because
// another program holds it still means the port is there. Wine opens a port
// without asking its device, so the port's properties are asked for too:
// Windows gives them on such a handle, Wine refuses them for a port that is
// there and fails them as a driver does whose device has gone.
bool Answers(const QString& portName)
{
    const std::wstring path = L"\\\\.\\" + portName.toStdWString();
    const HANDLE port =
        CreateFileW(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return !IsGone(GetLastError());
    COMMPROP properties{};
    const bool answered = GetCommProperties(port, &properties) || !IsGone(GetLastError());
    CloseHandle(port);
    return answered;
}

QList<DetectedPort> InterfacePorts()
{
    QList<DetectedPort> ports;
    const DeviceList list(SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr,
                                               DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (list.get() == INVALID_HANDLE_VALUE || !list)
        return ports;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list.get(), index, &device); ++index) {
        const QString name = PortNameOf(list.get(), device);
        if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
            continue; // a parallel port or a modem's own name
        DetectedPort port;
        port.path = DevicePathOf(name);
        port.description = DeviceProperty(list.get(), device, SPDRP_FRIENDLYNAME);
        if (port.description.isEmpty())
            port.description = DeviceProperty(list.get(), device, SPDRP_DEVICEDESC);
        port.manufacturer = DeviceProperty(list.get(), device, SPDRP_MFG);
        port.serialNumber = SerialNumberOf(InstanceIdOf(list.get(), device));
        port.adapter = IsAdapterId(DeviceProperty(list.get(), device, SPDRP_HARDWAREID));
        ports.append(port);
    }
    return ports;
}

// Ports some drivers (and Wine) list only in the serial device map.
QStringList MappedPortNames()
{
    QStringList names;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &opened) != ERROR_SUCCESS)
        return names;
    const Key key(opened);
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[kMaxText + 1] = {};
        DWORD nameLength = kMaxText;
        wchar_t value[kMaxText + 1] = {};
        DWORD size = sizeof(wchar_t) * kMaxText;
        DWORD type = 0;
        const LONG status = RegEnumValueW(key.get(), index, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(value), &size);
        if (status == ERROR_NO_MORE_ITEMS || index >= kMaxText)
            break;
        if (status == ERROR_SUCCESS && type == REG_SZ)
            names << QString::fromWCharArray(value);
    }
    return names;
}

} // namespace

QList<DetectedPort> CSystemPortDetector::DetectPorts() const
{
    QList<DetectedPort> ports = InterfacePorts();
    QSet<QString> known;
    for (const DetectedPort& port : ports)
        known.insert(port.path.toUpper());
    for (const QString& name : MappedPortNames()) {
        DetectedPort port;
        port.path = DevicePathOf(name);
        if (!port.path.isEmpty() && !known.contains(port.path) && Answers(port.path)) {
            known.insert(port.path);
            ports.append(port);
        }
    }
    return ports;
}
