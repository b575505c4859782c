#include "CSerialCommImpl.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>

namespace {

constexpr DWORD kQueueSize = 2048;

using Clock = std::chrono::steady_clock;

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

// Also handed to the driver, which on Windows ends a read at the first bytes
// or at the time-out by itself; the wait in FinishTransfer bounds the call
// wherever the driver reads the time-outs differently.
void SetTimeout(HANDLE port, DWORD COMMTIMEOUTS::*field, int timeoutMs)
{
    COMMTIMEOUTS timeouts{};
    if (GetCommTimeouts(port, &timeouts)) {
        timeouts.*field = static_cast<DWORD>(timeoutMs);
        SetCommTimeouts(port, &timeouts);
    }
}

// Waits for the transfer at most timeoutMs, or until the port's cancel event
// is set, then cancels it. A cancelled transfer still reports what it moved
// before the cancel, and the wait for its completion keeps the buffer and the
// event alive until the system is done with them.
DWORD FinishTransfer(HANDLE port, HANDLE cancel, BOOL started, OVERLAPPED& overlapped,
                     int timeoutMs)
{
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return 0;
    const HANDLE events[2] = {overlapped.hEvent, cancel};
    if (!started && WaitForMultipleObjects(cancel != nullptr ? 2 : 1, events, FALSE,
                                           static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        CancelIoEx(port, &overlapped);
    DWORD transferred = 0;
    GetOverlappedResult(port, &overlapped, &transferred, TRUE);
    return transferred;
}

DWORD ReadFor(HANDLE port, HANDLE event, HANDLE cancel, void* buffer, DWORD count, int timeoutMs)
{
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    const BOOL started = ReadFile(port, buffer, count, nullptr, &overlapped);
    return FinishTransfer(port, cancel, started, overlapped, timeoutMs);
}

DWORD BytesWaiting(HANDLE port)
{
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(port, &errors, &status) ? status.cbInQue : 0;
}

int MsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Windows lets a serial port be opened once, but Wine hands out the tty behind
// it again and again, and two programs talking to one converter garble each
// other's exchanges. A named object held while the port is open refuses the
// second open there as well. Null, with ERROR_ACCESS_DENIED as Windows says
// it, when another holder exists.
HANDLE ClaimPort(const std::string& device)
{
    std::string name = "Local\\KelvaneSerialPort:";
    for (const char c : device)
        name += c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const HANDLE claim = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    if (claim != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return claim;
}

// "COM12" as the user reads it; only the device namespace opens ports beyond
// COM9, and a name already in a namespace is left as it is.
std::string OpenedName(const std::string& device)
{
    return device.rfind("\\\\", 0) == 0 ? device : "\\\\.\\" + device;
}

} // namespace

CSerialCommImpl::CSerialCommImpl()
{
    m_state.cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CSerialCommImpl::~CSerialCommImpl()
{
    Close();
    if (m_state.cancelEvent != nullptr)
        CloseHandle(static_cast<HANDLE>(m_state.cancelEvent));
}

void CSerialCommImpl::Cancel()
{
    m_cancelled.store(true);
    if (m_state.cancelEvent != nullptr)
        SetEvent(static_cast<HANDLE>(m_state.cancelEvent));
}

void CSerialCommImpl::ClearCancel()
{
    if (m_state.cancelEvent != nullptr)
        ResetEvent(static_cast<HANDLE>(m_state.cancelEvent));
    m_cancelled.store(false);
}

bool CSerialCommImpl::Pause(int timeoutMs)
{
    if (IsCancelled())
        return false;
    if (m_state.cancelEvent == nullptr) {
        Sleep(static_cast<DWORD>(timeoutMs));
        return true;
    }
    return WaitForSingleObject(static_cast<HANDLE>(m_state.cancelEvent),
                               static_cast<DWORD>(timeoutMs)) == WAIT_TIMEOUT;
}

bool CSerialCommImpl::Open(const std::string& device, std::uint32_t baudRate, int dataBits,
                           int parityCode, int stopBitsCode)
{
    if (IsOpen())
        return false;
    const std::string opened = OpenedName(device);
    const HANDLE port =
        CreateFileA(opened.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        m_lastError = static_cast<int>(GetLastError());
        return false;
    }
    const HANDLE claim = ClaimPort(opened);
    if (claim == nullptr) {
        m_lastError = static_cast<int>(GetLastError());
        CloseHandle(port);
        return false;
    }
    m_state.handle = port;
    m_state.claim = claim;
    m_readTimeoutMs = kDefaultTimeoutMs;
    m_writeTimeoutMs = kDefaultTimeoutMs;
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
    if (!IsOpen())
        return true;
    const BOOL closed = CloseHandle(static_cast<HANDLE>(m_state.handle));
    const DWORD error = GetLastError();
    m_state.handle = nullptr;
    CloseHandle(static_cast<HANDLE>(m_state.claim));
    m_state.claim = nullptr;
    if (!closed) {
        m_lastError = static_cast<int>(error);
        return false;
    }
    return true;
}

bool CSerialCommImpl::IsOpen() const
{
    return m_state.handle != nullptr;
}

int CSerialCommImpl::Read(void* buffer, int count, int timeoutMs)
{
    if (count <= 0 || !IsOpen() || IsCancelled())
        return 0;
    const HANDLE port = static_cast<HANDLE>(m_state.handle);
    const HANDLE cancel = static_cast<HANDLE>(m_state.cancelEvent);
    const EventHandle event = MakeEvent();
    if (!event)
        return 0;
    if (timeoutMs > 0) {
        m_readTimeoutMs = timeoutMs;
        SetTimeout(port, &COMMTIMEOUTS::ReadTotalTimeoutConstant, timeoutMs);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_readTimeoutMs);
    auto* bytes = static_cast<char*>(buffer);
    DWORD received = 0;
    DWORD waiting = BytesWaiting(port);
    if (waiting == 0) {
        // Only a driver that keeps to the time-outs' special case ends a
        // longer read at the first byte; a read of one byte ends there on
        // any driver.
        received = ReadFor(port, event.get(), cancel, bytes, 1, m_readTimeoutMs);
        waiting = received > 0 ? BytesWaiting(port) : 0;
    }
    const DWORD room = static_cast<DWORD>(count) - received;
    if (waiting > 0 && room > 0 && !IsCancelled()) {
        received += ReadFor(port, event.get(), cancel, bytes + received, std::min(room, waiting),
                            MsUntil(deadline));
    }
    // No read is left outstanding to abort, and an abort purge here would
    // cost bytes: Wine flushes the receive queue for it.
    return static_cast<int>(received);
}

void CSerialCommImpl::Write(const void* buffer, int count, int timeoutMs)
{
    if (!IsOpen() || IsCancelled())
        return;
    const HANDLE port = static_cast<HANDLE>(m_state.handle);
    PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    if (count <= 0)
        return;
    const EventHandle event = MakeEvent();
    if (!event)
        return;
    if (timeoutMs > 0) {
        m_writeTimeoutMs = timeoutMs;
        SetTimeout(port, &COMMTIMEOUTS::WriteTotalTimeoutConstant, timeoutMs);
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL started = WriteFile(port, buffer, static_cast<DWORD>(count), nullptr, &overlapped);
    FinishTransfer(port, static_cast<HANDLE>(m_state.cancelEvent), started, overlapped,
                   m_writeTimeoutMs);
}

bool CSerialCommImpl::HasHungUp() const
{
    if (m_state.handle == nullptr)
        return false;
    // A vanished adapter fails every request on its handle.
    DWORD errors = 0;
    return ClearCommError(m_state.handle, &errors, nullptr) == 0;
}

int CSerialCommImpl::WatchDescriptor() const
{
    return -1;
}
