#pragma once

#include <cstdint>
#include <string>

#ifndef _WIN32
#include <termios.h>
#endif

// The serial port on the operating system's own interface. Kept free of Qt so
// that each platform's half compiles on its own.
class CSerialCommImpl
{
public:
    static constexpr int kDefaultTimeoutMs = 1000;

    CSerialCommImpl() = default;
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
    int m_lastError = 0;
    int m_readTimeoutMs = kDefaultTimeoutMs;
    int m_writeTimeoutMs = kDefaultTimeoutMs;
#ifdef _WIN32
    void* m_handle = nullptr;
    void* m_claim = nullptr;
#else
    void ApplyLineSettings(std::uint32_t baudRate, int dataBits, int parityCode, int stopBitsCode);
    bool WaitFor(short events, int timeoutMs) const;
    void WaitUntilSent(int timeoutMs) const;
    int m_fd = -1;
    int m_signalSlot = -1;
    std::uint32_t m_baudRate = 0;
    bool m_savedValid = false;
    termios m_saved{};
#endif
};
