#include "OpenFileLimit.h"

#include <climits>

#include <sys/resource.h>

namespace OpenFileLimit {

long RaiseToHard() noexcept
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        // Some systems report no hard limit but refuse more than their own
        // ceiling; the soft limit then stays as it was.
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > rlim_t(LONG_MAX))
        return LONG_MAX;
    return long(limit.rlim_cur);
}

} // namespace OpenFileLimit
