#pragma once

#include <QByteArray>

// Ends the command on SIGINT and SIGTERM as the user expects and leaves no
// trace: every open serial port gets its line settings back and loses its
// exclusive mode (or an ordinary user could not open it again), the
// half-written output file is removed, and the exit status is 130 or 143.
// SIGKILL cannot be handled; see the README for what it leaves.
class CInterruptGuard
{
public:
    CInterruptGuard() = delete;

    static void Install();
    // The temporary file an output is written to until it is committed;
    // empty once it is committed or removed.
    static void SetPendingFile(const QByteArray& path);
};
