#include "Console.h"

#include <cerrno>
#include <unistd.h>

bool Console::ErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

void Console::WriteOutputFromSignal(const char* bytes, qsizetype count) noexcept
{
    while (count > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes, size_t(count));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        count -= written;
    }
}
