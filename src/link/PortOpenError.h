#pragma once

// Why a port did not open, grouped by what the user can do about it. Free of
// Qt, like the ports themselves, so that the Windows half builds on its own.
enum class PortOpenCause
{
    NoPermission, // the user may not open the device
    InUse,        // another program holds it
    Denied,       // Windows refuses it: nearly always another holder, else a right
    Missing,      // no such port
    NotWorking,   // the port is known but its device failed or was removed
    NoDescriptor, // the process or the system has no descriptor or handle left for it
    Other,
};

// The codes GetLastError gives for a port, named here so that the mapping
// builds and is tested away from Windows; PortOpenErrorWin.cpp checks them
// against the system's headers.
namespace Win32Error {
constexpr unsigned long kInvalidFunction = 1;
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kTooManyOpenFiles = 4;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kBadUnit = 20;
constexpr unsigned long kNotReady = 21;
constexpr unsigned long kGenFailure = 31;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kDevNotExist = 55;
constexpr unsigned long kInvalidName = 123;
constexpr unsigned long kBusy = 170;
constexpr unsigned long kNoSuchDevice = 433; // not in the MinGW headers
constexpr unsigned long kOperationAborted = 995;
constexpr unsigned long kDeviceNotConnected = 1167;
constexpr unsigned long kDeviceRemoved = 1617;
} // namespace Win32Error

namespace PortOpenErrors {
// GetLastError after a port's CreateFile or its first settings.
PortOpenCause CauseOfWin32(unsigned long error);
// The error CSerialCommImpl::LastError reports on this system: errno, or
// GetLastError on Windows.
PortOpenCause CauseOf(int systemError);
} // namespace PortOpenErrors
