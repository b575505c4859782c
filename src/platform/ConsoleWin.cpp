#include "Console.h"

#include <cstdio>
#include <io.h>
#include <windows.h>

bool Console::ErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

int Console::ErrorColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

void Console::ClearErrorLineFromSignal() noexcept {}

// The console's handler runs on a thread of its own and the process ends
// right after it; nothing is written there.
void Console::WriteOutputFromSignal(const char*, qsizetype) noexcept {}
