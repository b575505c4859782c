#pragma once

#include "SerialPortState.h"

#include <atomic>
#include <cstdint>
#include <string>

// The serial port on the operating system's own interface. Kept free of Qt so
// that each platform's half compiles on its own.
class CSerialCommImpl
{
public:
    static constexpr int kDefaultTimeoutMs = 1000;

    CSerialCommImpl();
    ~CSerialCommImpl();
    CSerialCommImpl(const CSerialCommImpl&) = delete;
    CSerialCommImpl& operator=(const CSerialCommImpl&) = delete;

    bool Open(const std::string& device, std::uint32_t baudRate, int dataBits, int parityCode,
              int stopBitsCode);
    // False when the system refused to release the port; it counts as closed
    // all the same, and LastError() tells why.
    bool Close();
    bool IsOpen() const;
    int Read(void* buffer, int count, int timeoutMs);
    void Write(const void* buffer, int count, int timeoutMs);
    int LastError() const { return m_lastError; }
    // From any thread: wakes the Read, Write or Pause under way and makes
    // every later one return at once, until ClearCancel.
    void Cancel();
    void ClearCancel();
    bool IsCancelled() const { return m_cancelled.load(); }
    // Waits timeoutMs; false when a cancel or a hang-up ended the wait early.
    bool Pause(int timeoutMs);
    // True once the line is gone for good: the device vanished or the other
    // end hung up. Looks without waiting.
    bool HasHungUp() const;
    // The descriptor an event loop can watch for a hang-up; -1 where the
    // platform has none, and the next exchange's failure tells instead.
    int WatchDescriptor() const;
    // Async-signal-safe: puts back the line settings of every open port,
    // clears its exclusive mode and closes it, with system calls only.
    static void ReleaseAllForSignal() noexcept;

private:
    // The platform's means for Cancel to wake a wait, once per port object;
    // false, with LastError set, when the system has none to give.
    bool MakeWakePipe();

    std::atomic<bool> m_cancelled{false};
    int m_lastError = 0;
    int m_readTimeoutMs = kDefaultTimeoutMs;
    int m_writeTimeoutMs = kDefaultTimeoutMs;
    // The platform's half, from the header of the platform built for.
    SerialPortState m_state;
};
