#include "PortOpenError.h"

namespace PortOpenErrors {

PortOpenCause CauseOfWin32(unsigned long error)
{
    using namespace Win32Error;
    switch (error) {
    case kFileNotFound:
    case kPathNotFound:
    case kInvalidName:
        return PortOpenCause::Missing;
    case kAccessDenied:
        return PortOpenCause::Denied;
    case kTooManyOpenFiles:
        return PortOpenCause::NoDescriptor;
    case kSharingViolation:
    case kBusy:
        return PortOpenCause::InUse;
    // What a port's driver answers once its adapter is pulled or failed; Wine
    // answers the first for a port whose tty has gone.
    case kInvalidFunction:
    case kBadUnit:
    case kNotReady:
    case kGenFailure:
    case kDevNotExist:
    case kNoSuchDevice:
    case kOperationAborted:
    case kDeviceNotConnected:
    case kDeviceRemoved:
        return PortOpenCause::NotWorking;
    default:
        return PortOpenCause::Other;
    }
}

} // namespace PortOpenErrors
