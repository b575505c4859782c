#include "PortOpenCause.h"

#include <cerrno>

PortOpenCause PortOpenCauseOf(int error)
{
    switch (error) {
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
    default:
        return PortOpenCause::Other;
    }
}
