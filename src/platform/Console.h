#pragma once

#include <QtGlobal>

// The few things the command line asks of its console that the platforms do
// differently.
namespace Console {
// Whether standard error is a terminal, where a progress line can be redrawn.
bool ErrorIsTerminal();
// Writes to standard output with nothing but the system's own call, so that a
// signal handler may use it; gives up quietly where it cannot.
void WriteOutputFromSignal(const char* bytes, qsizetype count) noexcept;
} // namespace Console
