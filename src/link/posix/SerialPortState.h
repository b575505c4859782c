#pragma once

#include <atomic>
#include <cstdint>

#include <termios.h>

struct SignalSlot;

// What the serial port keeps of a POSIX port while it is open.
struct SerialPortState
{
    int fd = -1;
    // Polled beside the port, so that Cancel can wake a wait on the port.
    // Made after the port's first open, never before it, and kept until the
    // port object goes: a cancel from another thread may write to it at any
    // time.
    int wakeRead = -1;
    std::atomic<int> wakeWrite{-1};
    SignalSlot* signalSlot = nullptr; // where a signal handler finds the port
    std::uint32_t baudRate = 0;
    // The line settings found at the open, put back at the close.
    bool savedValid = false;
    termios saved{};
};
