#include "PortOpenError.h"

#include <cerrno>

namespace PortOpenErrors {

PortOpenCause CauseOf(int systemError)
{
    switch (systemError) {
    case EACCES:
    case EPERM:
        return PortOpenCause::NoPermission;
    case EBUSY:
    case EWOULDBLOCK:
        return PortOpenCause::InUse;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return PortOpenCause::Missing;
    // A USB adapter on its way out, or a pseudo-terminal whose other side closed.
    case EIO:
        return PortOpenCause::NotWorking;
    case EMFILE:
    case ENFILE:
        return PortOpenCause::NoDescriptor;
    default:
        return PortOpenCause::Other;
    }
}

} // namespace PortOpenErrors
