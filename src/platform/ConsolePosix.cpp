#include "Console.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

bool Console::ErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

int Console::ErrorColumns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

void Console::ClearErrorLineFromSignal() noexcept
{
    if (::isatty(STDERR_FILENO) == 0)
        return;
    static const char kClear[] = "\r\033[K";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kClear, sizeof kClear - 1);
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
