#include "Console.h"

#include <cstdio>
#include <io.h>

bool Console::ErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

// The console's handler runs on a thread of its own and the process ends
// right after it; nothing is written there.
void Console::WriteOutputFromSignal(const char*, qsizetype) noexcept {}
