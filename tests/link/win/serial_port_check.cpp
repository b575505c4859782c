// Drives the Windows serial port against the converter simulator, the way the
// frame protocol uses it. scripts/check-windows runs it under Wine with the
// simulator behind COM1; each run is one situation of the simulator's.

#include "CSerialCommImpl.h"
#include "PortOpenError.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// As the user names it; the port adds the device namespace itself.
const char* const kPort = "COM1";
const char* const kMissingPort = "\\\\.\\COM9";

constexpr int kAckSize = 5;
constexpr int kParameterReplySize = 33;
constexpr int kCanReplySize = 2085;
constexpr int kCanBlockSize = 2080;
// The protocol waits this long after the CAN block request, so that at 57600
// bit/s the whole reply is queued before the first read.
constexpr int kCanPauseMs = 500;
constexpr long long kLateMs = 100;
// Far enough into the reply that the kill lands in its middle at 19200 bit/s.
constexpr int kKillAfter = 512;
constexpr int kCancelAfterMs = 200;

int g_failures = 0;
std::string g_label;

void Report(bool passed, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::printf("%s %s: %s\n", passed ? "ok  " : "FAIL", g_label.c_str(), text);
    std::fflush(stdout);
    if (!passed)
        ++g_failures;
}

class Stopwatch
{
public:
    long long Ms() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start)
            .count();
    }

private:
    Clock::time_point m_start = Clock::now();
};

Bytes Frame(std::uint8_t code, const Bytes& payload)
{
    Bytes frame{0xF7, 0xF8, code,
                static_cast<std::uint8_t>(payload.size() >= 0xFF ? 0xFF : payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::uint8_t check = 0;
    for (const std::uint8_t byte : frame)
        check ^= byte;
    frame.push_back(check);
    return frame;
}

Bytes HandshakeRequest(char model)
{
    const std::uint8_t modelCode = model == 'A' ? 0x04 : model == 'B' ? 0x06 : 0x08;
    return Frame(0x02, {0x20, 0x05, modelCode, 0x01});
}

Bytes ReadRequest(std::uint8_t code)
{
    return Frame(code, {0xAA});
}

bool IsAck(const Bytes& reply, std::uint8_t code)
{
    const Bytes expected{0xF7, 0xF8, code, 0x13, static_cast<std::uint8_t>(code ^ 0x1C)};
    return reply.size() >= expected.size() &&
           std::equal(expected.begin(), expected.end(), reply.begin());
}

void Send(CSerialCommImpl& port, const Bytes& frame, int timeoutMs)
{
    port.Write(frame.data(), static_cast<int>(frame.size()), timeoutMs);
}

struct Collected
{
    Bytes bytes;
    int pieces = 0;
    long long lastReadMs = 0;
};

// The protocol's way of taking a reply: read on until `wanted` bytes are in
// or a read brings nothing.
Collected Collect(CSerialCommImpl& port, int capacity, int wanted, int chunk, int timeoutMs)
{
    Collected result;
    result.bytes.resize(static_cast<size_t>(capacity));
    int received = 0;
    int last = 0;
    do {
        const int room = std::min(chunk, capacity - received);
        const Stopwatch read;
        last = port.Read(result.bytes.data() + received, room, timeoutMs);
        result.lastReadMs = read.Ms();
        if (last > 0) {
            received += last;
            ++result.pieces;
        }
    } while (received < wanted && last > 0);
    result.bytes.resize(static_cast<size_t>(received));
    return result;
}

bool OpenPort(CSerialCommImpl& port, std::uint32_t baudRate)
{
    return port.Open(kPort, baudRate, 8, 0, 0);
}

void CheckSilentRead(CSerialCommImpl& port, int timeoutMs, int expectedMs, const char* what)
{
    char buffer[64];
    const Stopwatch watch;
    const int received = port.Read(buffer, sizeof buffer, timeoutMs);
    const long long ms = watch.Ms();
    Report(received == 0 && ms >= expectedMs && ms <= expectedMs + kLateMs,
           "%s returns 0 after %d ms (got %d bytes, %lld ms)", what, expectedMs, received, ms);
}

void CheckOpen(CSerialCommImpl& port, std::uint32_t baudRate)
{
    const Stopwatch watch;
    const bool opened = OpenPort(port, baudRate);
    Report(opened && port.IsOpen(), "open COM1 at %u 8N1 (%lld ms, error %d)",
           static_cast<unsigned>(baudRate), watch.Ms(), opened ? 0 : port.LastError());
}

void CheckSecondOpenRefused(CSerialCommImpl& port, std::uint32_t baudRate)
{
    Report(!OpenPort(port, baudRate) && port.IsOpen(), "reopening an open port is refused");
    CSerialCommImpl other;
    const bool opened = OpenPort(other, baudRate);
    Report(!opened && !other.IsOpen() && other.LastError() == ERROR_ACCESS_DENIED &&
               PortOpenErrors::CauseOfWin32(other.LastError()) == PortOpenCause::Denied,
           "a second open of COM1 is refused, as held or denied (error %d)", other.LastError());
}

void CheckMissingPort(std::uint32_t baudRate)
{
    CSerialCommImpl missing;
    const bool opened = missing.Open(kMissingPort, baudRate, 8, 0, 0);
    Report(!opened && !missing.IsOpen() && missing.LastError() == ERROR_FILE_NOT_FOUND &&
               PortOpenErrors::CauseOfWin32(missing.LastError()) == PortOpenCause::Missing,
           "open of missing COM9 fails as no such port (error %d)", missing.LastError());
}

void CheckHandshake(CSerialCommImpl& port, char model, const char* what)
{
    Send(port, HandshakeRequest(model), 120);
    const Stopwatch watch;
    const Collected ack = Collect(port, 32, kAckSize, 32, 500);
    Report(IsAck(ack.bytes, 0x02) && ack.bytes.size() == kAckSize,
           "%s: five-byte acknowledgement (%zu bytes, %d reads, %lld ms)", what, ack.bytes.size(),
           ack.pieces, watch.Ms());
}

// A read asking for more than has come must not wait for the rest: the
// protocol's replies are taken in whatever pieces arrive.
void CheckEarlyReturn(CSerialCommImpl& port, char model)
{
    Send(port, HandshakeRequest(model), 120);
    char buffer[64];
    const Stopwatch watch;
    const int received = port.Read(buffer, sizeof buffer, 2000);
    const long long ms = watch.Ms();
    Report(received > 0 && received <= kAckSize && ms <= kLateMs,
           "a read of 64 bytes with time-out 2000 ms returns with what arrived (%d bytes, %lld ms)",
           received, ms);
    // The rest of the acknowledgement must not run into the next exchange.
    Collect(port, 32, kAckSize - received, 32, 500);
}

void CheckParameterRead(CSerialCommImpl& port)
{
    Send(port, ReadRequest(0x03), 100);
    const Stopwatch watch;
    const Collected reply = Collect(port, 96, kParameterReplySize, 64, 1000);
    std::uint8_t check = 0;
    for (size_t at = 0; at + 1 < reply.bytes.size(); ++at)
        check ^= reply.bytes[at];
    const bool whole = reply.bytes.size() == kParameterReplySize && reply.bytes[0] == 0xF7 &&
                       reply.bytes[1] == 0xF8 && reply.bytes[2] == 0x03 && reply.bytes[3] == 0x1C &&
                       reply.bytes.back() == check;
    Report(whole, "parameter block read (%zu bytes, %d reads, %lld ms)", reply.bytes.size(),
           reply.pieces, watch.Ms());
}

Bytes CheckCanRead(CSerialCommImpl& port)
{
    Send(port, ReadRequest(0x05), 2000);
    std::this_thread::sleep_for(std::chrono::milliseconds(kCanPauseMs));
    const Stopwatch watch;
    const Collected reply = Collect(port, kCanReplySize, kCanReplySize, kCanReplySize, 2000);
    const bool whole =
        reply.bytes.size() == kCanReplySize && reply.bytes[0] == 0xF7 && reply.bytes[2] == 0x05;
    Report(whole, "2085-byte CAN block read after the pause (%zu bytes, %d reads, %lld ms)",
           reply.bytes.size(), reply.pieces, watch.Ms());
    if (!whole)
        return {};
    return Bytes(reply.bytes.begin() + 4, reply.bytes.begin() + 4 + kCanBlockSize);
}

void CheckCanWrite(CSerialCommImpl& port, const Bytes& block)
{
    if (block.size() != kCanBlockSize) {
        Report(false, "2085-byte write skipped: no CAN block was read");
        return;
    }
    const Bytes frame = Frame(0x04, block);
    const Stopwatch watch;
    Send(port, frame, 2000);
    const long long writeMs = watch.Ms();
    const Collected ack = Collect(port, 32, kAckSize, 32, 500);
    Report(writeMs <= 2000 + kLateMs && IsAck(ack.bytes, 0x04),
           "2085-byte write completes and is acknowledged (write %lld ms, ack %zu bytes)", writeMs,
           ack.bytes.size());
}

void CheckCloseAndReopen(CSerialCommImpl& port, std::uint32_t baudRate, char model)
{
    const bool closed = port.Close();
    Report(closed && !port.IsOpen() && port.Close(), "close, and close again");
    const Stopwatch watch;
    const bool opened = OpenPort(port, baudRate);
    Report(opened, "reopen after close (%lld ms, error %d)", watch.Ms(),
           opened ? 0 : port.LastError());
    if (opened)
        CheckHandshake(port, model, "after reopen");
}

int RunExchange(std::uint32_t baudRate, char model)
{
    CSerialCommImpl port;
    CheckOpen(port, baudRate);
    if (!port.IsOpen())
        return 1;
    CheckSecondOpenRefused(port, baudRate);
    CheckMissingPort(baudRate);
    CheckHandshake(port, model, "handshake");
    CheckEarlyReturn(port, model);
    CheckParameterRead(port);
    const Bytes block = CheckCanRead(port);
    CheckCanWrite(port, block);
    CheckSilentRead(port, 300, 300, "read on an idle line");
    CheckSilentRead(port, 0, 300, "read with time-out 0 keeps the last one and");
    CheckCloseAndReopen(port, baudRate, model);
    return 0;
}

// Another thread cancels a read that waits on the silent line: it ends at
// once, later calls return at once until the cancel is cleared, and the port
// then waits as before.
void CheckCancel(CSerialCommImpl& port)
{
    char buffer[64];
    const Stopwatch watch;
    // The cross-compiler's threads are the system's own here.
    const HANDLE canceller = CreateThread(
        nullptr, 0,
        [](void* target) -> DWORD {
            Sleep(kCancelAfterMs);
            static_cast<CSerialCommImpl*>(target)->Cancel();
            return 0;
        },
        &port, 0, nullptr);
    const int received = port.Read(buffer, sizeof buffer, 2000);
    const long long ms = watch.Ms();
    WaitForSingleObject(canceller, INFINITE);
    CloseHandle(canceller);
    Report(received == 0 && ms >= kCancelAfterMs && ms <= kCancelAfterMs + kLateMs,
           "cancel ends a waiting read (%lld ms)", ms);
    const Stopwatch after;
    const bool paused = port.Pause(1000);
    Send(port, ReadRequest(0x03), 100);
    const int late = port.Read(buffer, sizeof buffer, 1000);
    Report(!paused && late == 0 && after.Ms() <= kLateMs,
           "pause, write and read return at once once cancelled (%lld ms)", after.Ms());
    port.ClearCancel();
    CheckSilentRead(port, 300, 300, "read after the cancel was cleared");
}

int RunSilent()
{
    CSerialCommImpl port;
    CheckOpen(port, 57600);
    if (!port.IsOpen())
        return 1;
    const Bytes request = HandshakeRequest('X');
    const Stopwatch watch;
    Send(port, request, 120);
    const long long writeMs = watch.Ms();
    Report(writeMs <= 120 + kLateMs, "handshake write completes (%lld ms)", writeMs);
    CheckSilentRead(port, 500, 500, "acknowledgement read");
    Send(port, ReadRequest(0x03), 100);
    CheckSilentRead(port, 1000, 1000, "parameter read");
    CheckCancel(port);
    return 0;
}

// The script kills the simulator once the marker file exists; by then part of
// the 2085-byte reply has arrived and the rest never will.
int RunKilled(const char* marker)
{
    CSerialCommImpl port;
    CheckOpen(port, 19200);
    if (!port.IsOpen())
        return 1;
    Send(port, ReadRequest(0x05), 2000);
    const Collected first = Collect(port, kCanReplySize, kKillAfter, kCanReplySize, 2000);
    const int started = static_cast<int>(first.bytes.size());
    Report(started >= kKillAfter, "CAN block reply under way (%d bytes)", started);
    const HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Report(file != INVALID_HANDLE_VALUE, "marker for the script written");
    CloseHandle(file);
    const Stopwatch watch;
    const int left = kCanReplySize - started;
    const Collected rest = Collect(port, left, left, left, 2000);
    const size_t total = static_cast<size_t>(started) + rest.bytes.size();
    Report(total < kCanReplySize && rest.lastReadMs <= 2000 + kLateMs,
           "read ends with what arrived (%zu of 2085 bytes in %d more reads, last read %lld ms, "
           "%lld ms in all)",
           total, rest.pieces, rest.lastReadMs, watch.Ms());
    const bool closed = port.Close();
    Report(closed && !port.IsOpen(), "close after the simulator died");
    return 0;
}

// The script stopped the simulator: COM1 is still mapped, its tty is gone,
// and Wine answers as a driver whose adapter was pulled.
int RunGone()
{
    CSerialCommImpl port;
    const bool opened = OpenPort(port, 57600);
    const PortOpenCause cause = PortOpenErrors::CauseOfWin32(port.LastError());
    Report(!opened && cause == PortOpenCause::NotWorking,
           "open of COM1 without its device fails as gone (error %d)", port.LastError());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    g_label = argc > 2 ? mode + " " + argv[2] : mode;
    int status = 2;
    if (mode == "exchange" && argc == 4) {
        status =
            RunExchange(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)), argv[3][0]);
    } else if (mode == "silent" && argc == 2) {
        status = RunSilent();
    } else if (mode == "gone" && argc == 2) {
        status = RunGone();
    } else if (mode == "killed" && argc == 3) {
        g_label = mode;
        status = RunKilled(argv[2]);
    } else {
        std::fprintf(stderr, "usage: %s exchange BAUD A|B|X | silent | gone | killed MARKER\n",
                     argv[0]);
    }
    return status != 0 || g_failures != 0 ? 1 : 0;
}
