#include "OpenFileLimit.h"

namespace OpenFileLimit {

// A port is a handle, and Windows sets a process no limit on them that a
// line of converters could reach.
long RaiseToHard() noexcept
{
    return -1;
}

} // namespace OpenFileLimit
