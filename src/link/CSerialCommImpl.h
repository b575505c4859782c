#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#ifndef _WIN32
#include <termios.h>
#endif

struct SignalSlot;

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
    std::atomic<bool> m_cancelled{false};
    int m_lastError = 0;
    int m_readTimeoutMs = kDefaultTimeoutMs;
    int m_writeTimeoutMs = kDefaultTimeoutMs;
#ifdef _WIN32
    void* m_handle = nullptr;
    void* m_claim = nullptr;
    void* m_cancelEvent = nullptr;
#else
    // Polled beside the port, so that Cancel can wake a wait on the port.
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    void ApplyLineSettings(std::uint32_t baudRate, int dataBits, int parityCode, int stopBitsCode);
    // Whether the port became ready for events; false on time-out or cancel.
    bool WaitFor(short events, int timeoutMs) const;
    void WaitUntilSent(int timeoutMs) const;
    int m_fd = -1;
    SignalSlot* m_signalSlot = nullptr; // where a signal handler finds the port
    std::uint32_t m_baudRate = 0;
    bool m_savedValid = false;
    termios m_saved{};
#endif
};
