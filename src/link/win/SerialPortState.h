#pragma once

// What the serial port keeps of a Windows port while it is open; the handles
// stay untyped so that the shared header needs no windows.h.
struct SerialPortState
{
    void* handle = nullptr;
    void* claim = nullptr;
    void* cancelEvent = nullptr;
};
