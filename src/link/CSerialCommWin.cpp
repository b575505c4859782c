#include "CSerialCommImpl.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <memory>

namespace {

constexpr DWORD kQueueSize = 2048;

using EventHandle = std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)>;

EventHandle MakeEvent()
{
    return EventHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr), &CloseHandle);
}

DCB LineSettings(std::uint32_t baudRate, int dataBits, int parityCode, int stopBitsCode)
{
    DCB settings{};
    settings.DCBlength = sizeof(DCB);
    settings.BaudRate = baudRate;
    settings.fBinary = TRUE;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fRtsControl = RTS_CONTROL_DISABLE;
    settings.XonLim = 2048;
    settings.XoffLim = 512;
    settings.ByteSize = static_cast<BYTE>(dataBits);
    settings.Parity = static_cast<BYTE>(parityCode);
    settings.StopBits = static_cast<BYTE>(stopBitsCode);
    settings.XonChar = 0x11;
    settings.XoffChar = 0x13;
    return settings;
}

// The time-outs set here last until the next call changes them: a time-out of
// 0 keeps the previous one.
void SetTimeout(HANDLE port, DWORD COMMTIMEOUTS::*field, int timeoutMs)
{
    COMMTIMEOUTS timeouts{};
    if (timeoutMs > 0 && GetCommTimeouts(port, &timeouts)) {
        timeouts.*field = static_cast<DWORD>(timeoutMs);
        SetCommTimeouts(port, &timeouts);
    }
}

DWORD FinishTransfer(HANDLE port, BOOL started, OVERLAPPED& overlapped)
{
    DWORD transferred = 0;
    if (!started && GetLastError() != ERROR_IO_PENDING) {
        return 0;
    }
    if (!GetOverlappedResult(port, &overlapped, &transferred, TRUE)) {
        return 0;
    }
    return transferred;
}

} // namespace

CSerialCommImpl::~CSerialCommImpl()
{
    Close();
}

bool CSerialCommImpl::Open(const std::string& device, std::uint32_t baudRate, int dataBits,
                           int parityCode, int stopBitsCode)
{
    if (IsOpen()) {
        return false;
    }
    const HANDLE port =
        CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        m_lastError = static_cast<int>(GetLastError());
        return false;
    }
    m_handle = port;
    // Interval and multiplier at MAXDWORD: a read returns what is waiting, or
    // the first bytes to arrive, or nothing after the constant.
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, kDefaultTimeoutMs, 0, 0};
    SetCommTimeouts(port, &timeouts);
    DCB settings = LineSettings(baudRate, dataBits, parityCode, stopBitsCode);
    SetCommState(port, &settings);
    if (!SetupComm(port, kQueueSize, kQueueSize) || !ClearCommBreak(port) ||
        !PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
        const int error = static_cast<int>(GetLastError());
        Close();
        m_lastError = error;
        return false;
    }
    return true;
}

void CSerialCommImpl::ReleaseAllForSignal() noexcept {}

bool CSerialCommImpl::Close()
{
    if (!IsOpen()) {
        return true;
    }
    const BOOL closed = CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
    if (!closed) {
        m_lastError = static_cast<int>(GetLastError());
        return false;
    }
    return true;
}

bool CSerialCommImpl::IsOpen() const
{
    return m_handle != nullptr;
}

int CSerialCommImpl::Read(void* buffer, int count, int timeoutMs)
{
    if (count <= 0 || !IsOpen()) {
        return 0;
    }
    const HANDLE port = static_cast<HANDLE>(m_handle);
    const EventHandle event = MakeEvent();
    if (!event) {
        return 0;
    }
    SetTimeout(port, &COMMTIMEOUTS::ReadTotalTimeoutConstant, timeoutMs);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL started = ReadFile(port, buffer, static_cast<DWORD>(count), nullptr, &overlapped);
    const DWORD received = FinishTransfer(port, started, overlapped);
    PurgeComm(port, PURGE_RXABORT);
    return static_cast<int>(received);
}

void CSerialCommImpl::Write(const void* buffer, int count, int timeoutMs)
{
    if (!IsOpen()) {
        return;
    }
    const HANDLE port = static_cast<HANDLE>(m_handle);
    PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    if (count <= 0) {
        return;
    }
    const EventHandle event = MakeEvent();
    if (!event) {
        return;
    }
    SetTimeout(port, &COMMTIMEOUTS::WriteTotalTimeoutConstant, timeoutMs);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL started = WriteFile(port, buffer, static_cast<DWORD>(count), nullptr, &overlapped);
    FinishTransfer(port, started, overlapped);
}
