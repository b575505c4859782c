#pragma once

// What a refused open of a serial port means to the user, from the system's
// error code (errno, or GetLastError on Windows).
enum class PortOpenCause
{
    NoPermission,
    InUse,
    Missing,
    Other,
};

PortOpenCause PortOpenCauseOf(int systemError);
