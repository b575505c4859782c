#include "PortOpenCause.h"

PortOpenCause PortOpenCauseOf(int error)
{
    // The system's codes: access denied is a port another program holds.
    switch (error) {
    case 5:
        return PortOpenCause::InUse;
    case 2:
    case 3:
        return PortOpenCause::Missing;
    default:
        return PortOpenCause::Other;
    }
}
