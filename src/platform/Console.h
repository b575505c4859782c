#pragma once

#include <QtGlobal>

// The few things the command line asks of its console that the platforms do
// differently.
namespace Console {
// Whether standard error is a terminal, where a progress line can be redrawn.
bool ErrorIsTerminal();
// The width of the terminal on standard error; 0 where it is not known.
int ErrorColumns();
// Clears the line of a terminal on standard error as a signal handler may;
// nothing where standard error is no terminal.
void ClearErrorLineFromSignal() noexcept;
// Writes to standard output with nothing but the system's own call, so that a
// signal handler may use it; gives up quietly where it cannot.
void WriteOutputFromSignal(const char* bytes, qsizetype count) noexcept;
} // namespace Console
