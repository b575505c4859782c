#include "PortOpenError.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

static_assert(Win32Error::kInvalidFunction == ERROR_INVALID_FUNCTION);
static_assert(Win32Error::kFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(Win32Error::kPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(Win32Error::kTooManyOpenFiles == ERROR_TOO_MANY_OPEN_FILES);
static_assert(Win32Error::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(Win32Error::kBadUnit == ERROR_BAD_UNIT);
static_assert(Win32Error::kNotReady == ERROR_NOT_READY);
static_assert(Win32Error::kGenFailure == ERROR_GEN_FAILURE);
static_assert(Win32Error::kSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(Win32Error::kDevNotExist == ERROR_DEV_NOT_EXIST);
static_assert(Win32Error::kInvalidName == ERROR_INVALID_NAME);
static_assert(Win32Error::kBusy == ERROR_BUSY);
static_assert(Win32Error::kOperationAborted == ERROR_OPERATION_ABORTED);
static_assert(Win32Error::kDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED);
static_assert(Win32Error::kDeviceRemoved == ERROR_DEVICE_REMOVED);

namespace PortOpenErrors {

PortOpenCause CauseOf(int systemError)
{
    return CauseOfWin32(static_cast<unsigned long>(systemError));
}

} // namespace PortOpenErrors
