#include "CSerialCommImpl.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The parity codes Open takes.
constexpr int kOddParity = 1;
constexpr int kEvenParity = 2;

struct SpeedEntry
{
    std::uint32_t rate;
    speed_t code;
};

constexpr SpeedEntry kSpeeds[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool SpeedCode(std::uint32_t rate, speed_t& code)
{
    const auto* entry = std::find_if(std::begin(kSpeeds), std::end(kSpeeds),
                                     [rate](const SpeedEntry& e) { return e.rate == rate; });
    if (entry == std::end(kSpeeds))
        return false;
    code = entry->code;
    return true;
}

tcflag_t CharacterSize(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

Clock::time_point DeadlineAfter(int timeoutMs)
{
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Rounded up, so that a wait never ends before its deadline.
int MsUntil(Clock::time_point deadline)
{
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<decltype(ms)>(ms, 0x7fffffff));
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

// Open ports as a signal handler finds them, however many are open. A
// descriptor is published only once its saved settings are in place, and
// withdrawn before it is closed, so the handler never touches a descriptor
// that has been reused. The slots form a list that only grows, by a push
// the handler can walk past at any moment; a slot is reused once withdrawn,
// so there are never more than the most ports open at once.
struct SignalSlot
{
    std::atomic<bool> claimed{false};
    std::atomic<int> fd{-1};
    termios saved{};
    bool savedValid = false;
    SignalSlot* next = nullptr;
};

namespace {

std::atomic<SignalSlot*> g_signalSlots{nullptr};

SignalSlot* ClaimSlot()
{
    for (SignalSlot* slot = g_signalSlots.load(); slot != nullptr; slot = slot->next) {
        bool expected = false;
        if (slot->claimed.compare_exchange_strong(expected, true))
            return slot;
    }
    auto fresh = std::make_unique<SignalSlot>();
    fresh->claimed.store(true);
    fresh->next = g_signalSlots.load();
    while (!g_signalSlots.compare_exchange_weak(fresh->next, fresh.get())) {
    }
    // Kept by the list for the rest of the process, where a handler may
    // still walk it as the process ends.
    return fresh.release();
}

SignalSlot* Publish(int fd, const termios& saved, bool savedValid)
{
    SignalSlot* slot = ClaimSlot();
    slot->saved = saved;
    slot->savedValid = savedValid;
    slot->fd.store(fd);
    return slot;
}

void Withdraw(SignalSlot* slot)
{
    if (slot == nullptr)
        return;
    slot->fd.store(-1);
    slot->claimed.store(false);
}

void ClearExclusive(int fd)
{
#ifdef TIOCNXCL
    // A pseudo-terminal keeps the mark after our close while its master lives.
    ::ioctl(fd, TIOCNXCL);
#else
    (void)fd;
#endif
}

// Set when a signal ends the process. Opens under way are counted, so that
// the handler can give back a port another thread publishes after its walk:
// the exclusive mark of a port the process still held as it ended would
// outlive it while the converter's side of a pseudo-terminal lives.
std::atomic<bool> g_releasing{false};
std::atomic<int> g_opening{0};

class COpening
{
public:
    COpening() { g_opening.fetch_add(1); }
    ~COpening() { g_opening.fetch_sub(1); }
    COpening(const COpening&) = delete;
    COpening& operator=(const COpening&) = delete;
};

// Only async-signal-safe calls: the handler runs it too.
void ReleaseSlot(SignalSlot& slot) noexcept
{
    const int fd = slot.fd.exchange(-1);
    if (fd < 0)
        return;
    if (slot.savedValid)
        ::tcsetattr(fd, TCSANOW, &slot.saved);
    ClearExclusive(fd);
    ::close(fd);
}

void ReleasePublished() noexcept
{
    for (SignalSlot* slot = g_signalSlots.load(); slot != nullptr; slot = slot->next)
        ReleaseSlot(*slot);
}

void ApplyLineSettings(int fd, std::uint32_t baudRate, int dataBits, int parityCode,
                       int stopBitsCode)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return;
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                               ICRNL | IXON | IXOFF | IXANY | INPCK);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &=
        ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CRTSCTS
    settings.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    settings.c_cflag |= CLOCAL | CREAD | CharacterSize(dataBits);
    if (parityCode == kOddParity)
        settings.c_cflag |= PARENB | PARODD;
    else if (parityCode == kEvenParity)
        settings.c_cflag |= PARENB;
    if (stopBitsCode != 0)
        settings.c_cflag |= CSTOPB;
    // With a minimum of 1 an empty non-blocking read says "nothing yet"
    // rather than end of file.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    speed_t speed = B0;
    if (SpeedCode(baudRate, speed)) {
        ::cfsetispeed(&settings, speed);
        ::cfsetospeed(&settings, speed);
    }
    ::tcsetattr(fd, TCSANOW, &settings);
}

// Whether the port became ready for events; false on time-out or cancel.
bool WaitFor(const SerialPortState& port, short events, int timeoutMs)
{
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        const int waitMs = MsUntil(deadline);
        if (waitMs == 0)
            return false;
        pollfd watches[2] = {{port.fd, events, 0}, {port.wakeRead, POLLIN, 0}};
        const int ready = ::poll(watches, 2, waitMs);
        if (ready > 0)
            return watches[1].revents == 0 && (watches[0].revents & events) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// The converter's reply time-outs count from the end of the request on the
// wire, as they do where a write completes only once it has been sent, so the
// request is let out of the driver's queue before the caller starts waiting.
void WaitUntilSent(const SerialPortState& port, int timeoutMs)
{
#ifdef TIOCOUTQ
    const auto deadline = DeadlineAfter(timeoutMs);
    const std::uint32_t bitRate = port.baudRate > 0 ? port.baudRate : 9600;
    for (;;) {
        int queued = 0;
        if (::ioctl(port.fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return;
        const int waitMs = MsUntil(deadline);
        if (waitMs == 0)
            return;
        const auto wireMs = static_cast<long long>(queued) * 10 * 1000 / bitRate + 1;
        pollfd wake{port.wakeRead, POLLIN, 0};
        if (::poll(&wake, 1, static_cast<int>(std::min<long long>(wireMs, waitMs))) > 0)
            return;
    }
#else
    (void)timeoutMs;
    ::tcdrain(port.fd);
#endif
}

} // namespace

CSerialCommImpl::CSerialCommImpl() = default;

CSerialCommImpl::~CSerialCommImpl()
{
    Close();
    for (const int fd : {m_state.wakeRead, m_state.wakeWrite.load()})
        if (fd >= 0)
            ::close(fd);
}

bool CSerialCommImpl::MakeWakePipe()
{
    if (m_state.wakeWrite.load() >= 0)
        return true;
    int ends[2] = {-1, -1};
    if (::pipe(ends) != 0) {
        m_lastError = errno;
        return false;
    }
    for (const int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    m_state.wakeRead = ends[0];
    // Published last: a cancel that finds it finds the read end in place.
    m_state.wakeWrite.store(ends[1]);
    return true;
}

void CSerialCommImpl::Cancel()
{
    m_cancelled.store(true);
    // Without a pipe nothing waits yet, and every wait to come looks at the
    // flag first.
    const int wakeWrite = m_state.wakeWrite.load();
    if (wakeWrite < 0)
        return;
    // A full pipe is awake already.
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite, &wake, 1);
}

void CSerialCommImpl::ClearCancel()
{
    char scrap[64];
    while (m_state.wakeRead >= 0 && ::read(m_state.wakeRead, scrap, sizeof scrap) > 0) {
    }
    m_cancelled.store(false);
}

bool CSerialCommImpl::Pause(int timeoutMs)
{
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        const int waitMs = MsUntil(deadline);
        if (IsCancelled())
            return false;
        if (waitMs == 0)
            return true;
        // Asked for no event, the port still reports its hang-up.
        pollfd watch[2] = {{m_state.fd, 0, 0}, {m_state.wakeRead, POLLIN, 0}};
        const int ready = ::poll(watch, 2, waitMs);
        if (ready > 0)
            return false;
        if (ready < 0 && errno != EINTR) {
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
            return true;
        }
    }
}

bool CSerialCommImpl::Open(const std::string& device, std::uint32_t baudRate, int dataBits,
                           int parityCode, int stopBitsCode)
{
    if (IsOpen())
        return false;
    const COpening opening;
    if (g_releasing.load()) {
        m_lastError = EINTR;
        return false;
    }
    // Non-blocking from the start: a modem line without carrier would
    // otherwise hold up the open itself.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_lastError = errno;
        return false;
    }
    // The lock comes first: marking a port exclusive that another program
    // holds would lock that program's port, not ours.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_lastError = errno;
        ::close(fd);
        return false;
    }
    // The port's own descriptor comes first, so that a process short of
    // descriptors fails a port at its open; the wake pipe then goes with it.
    if (!MakeWakePipe()) {
        ::close(fd);
        return false;
    }
#ifdef TIOCEXCL
    ::ioctl(fd, TIOCEXCL);
#endif
    m_state.fd = fd;
    m_state.baudRate = baudRate;
    m_readTimeoutMs = kDefaultTimeoutMs;
    m_writeTimeoutMs = kDefaultTimeoutMs;
    m_state.savedValid = ::tcgetattr(fd, &m_state.saved) == 0;
    m_state.signalSlot = Publish(fd, m_state.saved, m_state.savedValid);
    if (g_releasing.load()) {
        // The handler may have walked the ports before this one was there.
        ReleaseSlot(*m_state.signalSlot);
        Withdraw(m_state.signalSlot);
        m_state.signalSlot = nullptr;
        m_state.fd = -1;
        m_state.savedValid = false;
        m_lastError = EINTR;
        return false;
    }

    // Pseudo-terminals and some adapters refuse parts of these; the port is
    // usable all the same.
    ApplyLineSettings(fd, baudRate, dataBits, parityCode, stopBitsCode);
#ifdef TIOCMBIC
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &lines);
#endif
#ifdef TIOCCBRK
    ::ioctl(fd, TIOCCBRK);
#endif
    if (::tcflush(fd, TCIOFLUSH) != 0) {
        const int error = errno;
        Close();
        m_lastError = error;
        return false;
    }
    return true;
}

bool CSerialCommImpl::Close()
{
    if (!IsOpen())
        return true;
    if (m_state.savedValid)
        ::tcsetattr(m_state.fd, TCSANOW, &m_state.saved);
    ClearExclusive(m_state.fd);
    Withdraw(m_state.signalSlot);
    m_state.signalSlot = nullptr;
    const int result = ::close(m_state.fd);
    const int error = errno;
    m_state.fd = -1;
    m_state.savedValid = false;
    if (result != 0) {
        m_lastError = error;
        return false;
    }
    return true;
}

void CSerialCommImpl::ReleaseAllForSignal() noexcept
{
    g_releasing.store(true);
    ReleasePublished();
    // An open under way on another thread publishes its port after the walk
    // above or gives it back itself; wait for it, within bounds, since the
    // process ends right after.
    constexpr int kWaitSteps = 200;
    for (int step = 0; step < kWaitSteps && g_opening.load() > 0; ++step) {
        timespec pause{0, 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    ReleasePublished();
}

bool CSerialCommImpl::IsOpen() const
{
    return m_state.fd >= 0;
}

bool CSerialCommImpl::HasHungUp() const
{
    if (!IsOpen())
        return false;
    pollfd watch{m_state.fd, 0, 0};
    return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int CSerialCommImpl::WatchDescriptor() const
{
    return m_state.fd;
}

int CSerialCommImpl::Read(void* buffer, int count, int timeoutMs)
{
    if (count <= 0 || !IsOpen() || IsCancelled())
        return 0;
    if (timeoutMs > 0)
        m_readTimeoutMs = timeoutMs;
    const auto deadline = DeadlineAfter(m_readTimeoutMs);
    for (;;) {
        pollfd watches[2] = {{m_state.fd, POLLIN, 0}, {m_state.wakeRead, POLLIN, 0}};
        const pollfd& watch = watches[0];
        const int ready = ::poll(watches, 2, MsUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || watches[1].revents != 0 || (watch.revents & POLLIN) == 0)
            return 0;
        const ssize_t received = ::read(m_state.fd, buffer, static_cast<size_t>(count));
        if (received > 0)
            return static_cast<int>(received);
        // End of file, an error, or a hang-up with nothing to read: the line
        // is gone, and waiting again would only spin on the same answer.
        const bool lineDown = (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        if (received == 0 || lineDown || (errno != EINTR && !WouldBlock(errno)))
            return 0;
        if (MsUntil(deadline) == 0)
            return 0;
    }
}

void CSerialCommImpl::Write(const void* buffer, int count, int timeoutMs)
{
    if (!IsOpen() || IsCancelled())
        return;
    ::tcflush(m_state.fd, TCIOFLUSH);
    if (count <= 0)
        return;
    if (timeoutMs > 0)
        m_writeTimeoutMs = timeoutMs;
    const auto deadline = DeadlineAfter(m_writeTimeoutMs);
    const auto* next = static_cast<const char*>(buffer);
    size_t left = static_cast<size_t>(count);
    while (left > 0) {
        const ssize_t sent = ::write(m_state.fd, next, left);
        if (sent > 0) {
            next += sent;
            left -= static_cast<size_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && WouldBlock(errno)) {
            if (!WaitFor(m_state, POLLOUT, MsUntil(deadline)))
                return;
        } else {
            return;
        }
    }
    WaitUntilSent(m_state, MsUntil(deadline));
}
