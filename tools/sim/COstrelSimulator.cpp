#include "COstrelSimulator.h"

#include "CSimConverter.h"
#include "CSimFrameAssembler.h"
#include "CSimLog.h"
#include "CSimPty.h"
#include "CSimStateFile.h"
#include "CSimStateSaver.h"
#include "CSimTransmitQueue.h"
#include "CSimWakePipe.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

using Clock = CSimTransmitQueue::Clock;

// A partial frame is given up after 20 character times of silence. A pty is
// not a UART, though: a client preempted in the middle of writing one frame
// can leave a gap of a few milliseconds, so the silence is never taken shorter
// than this.
constexpr auto kMinimumSilence = std::chrono::milliseconds(50);

// The executable runs for as long as a person likes; its history must not
// grow without bound.
constexpr qsizetype kMaxRawHistory = 1 << 20;
constexpr qsizetype kMaxFrameHistory = 4096;

constexpr quint8 kReadCanConfig = 0x05;

Clock::duration silenceLimit(ConverterModel model)
{
    const auto twentyCharacters =
        CSimTransmitQueue::TransmitTime(20, CSimConverter::ConfigBitRate(model));
    return std::max<Clock::duration>(twentyCharacters, kMinimumSilence);
}

timespec toTimespec(Clock::duration duration)
{
    const auto clamped = std::max(duration, Clock::duration::zero());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(clamped);
    const auto nanoseconds =
        std::chrono::duration_cast<std::chrono::nanoseconds>(clamped - seconds);
    return timespec{static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
}

} // namespace

class COstrelSimulator::Impl
{
public:
    explicit Impl(const SimOptions& options) : m_shared(options) {}

    // What the caller's thread and the simulator thread both touch.
    struct Shared
    {
        explicit Shared(const SimOptions& initial) : options(initial), converter(initial.model) {}

        SimOptions options;
        CSimConverter converter;
        QList<QByteArray> frames;
        QByteArray raw;
        QString slavePath;
    };

    bool start();
    void stop();

    template <typename F> auto withShared(F&& f)
    {
        const std::lock_guard lock(m_mutex);
        return f(m_shared);
    }
    template <typename F> auto withShared(F&& f) const
    {
        const std::lock_guard lock(m_mutex);
        return f(std::as_const(m_shared));
    }

private:
    void run();
    std::optional<Clock::time_point> nextDeadline() const;
    bool receive();
    void expireStaleFrame(Clock::time_point now);
    void respond(const QList<QByteArray>& frames, Clock::time_point receivedAt);
    void respondTo(const QByteArray& frame, Clock::time_point receivedAt);
    void enqueueReply(const QByteArray& frame, const CSimConverter::Outcome& outcome,
                      const SimOptions& options, Clock::time_point start);
    void transmitDue(Clock::time_point now);
    void recordReceived(const QByteArray& bytes);
    void logDiscarded();
    SimOptions currentOptions() const;

    mutable std::mutex m_mutex;
    Shared m_shared;

    // Owned by the simulator thread while it runs.
    CSimPty m_pty;
    CSimWakePipe m_wake;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    CSimFrameAssembler m_assembler;
    CSimTransmitQueue m_transmit;
    CSimLog m_log;
    CSimStateSaver m_saver;
    Clock::time_point m_lastReceived{};
    // The rest of a reply kept back in the keep-sending mode, until the
    // next request.
    QByteArray m_heldRest;
};

bool COstrelSimulator::Impl::start()
{
    if (m_thread.joinable())
        return true;
    const SimOptions options = currentOptions();
    if (!m_pty.open(CSimConverter::ConfigBitRate(options.model)) || !m_wake.open()) {
        m_pty.close();
        return false;
    }
    const auto savedBlocks =
        options.stateFile.isEmpty() ? std::nullopt : CSimStateFile::Load(options.stateFile);
    withShared([&](Shared& shared) {
        if (savedBlocks)
            shared.converter.setBlocks(*savedBlocks);
        shared.converter.restartFaults();
        shared.slavePath = m_pty.slavePath();
    });
    m_assembler = CSimFrameAssembler();
    m_transmit = CSimTransmitQueue();
    m_heldRest.clear();
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void COstrelSimulator::Impl::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_wake.wake();
    m_thread.join();
    m_saver.finish();
    m_pty.close();
    m_wake.close();
    m_log.setPath({});
    withShared([](Shared& shared) { shared.slavePath.clear(); });
}

void COstrelSimulator::Impl::run()
{
    while (!m_stopping) {
        m_log.setPath(currentOptions().logFile);
        std::array<pollfd, 2> fds{{{m_pty.master(), POLLIN, 0}, {m_wake.readFd(), POLLIN, 0}}};
        const auto deadline = nextDeadline();
        timespec timeout{};
        if (deadline)
            timeout = toTimespec(*deadline - Clock::now());
        if (::ppoll(fds.data(), fds.size(), deadline ? &timeout : nullptr, nullptr) < 0 &&
            errno != EINTR)
            break;
        if (fds[1].revents != 0)
            m_wake.drain();
        if ((fds[0].revents & POLLIN) != 0 && !receive())
            break;
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) == POLLHUP ||
            (fds[0].revents & POLLERR) != 0) {
            // Cannot happen while the spare slave is open; leaving beats spinning on it.
            m_log.write("HANGUP", {});
            break;
        }
        expireStaleFrame(Clock::now());
        transmitDue(Clock::now());
    }
}

std::optional<Clock::time_point> COstrelSimulator::Impl::nextDeadline() const
{
    std::optional<Clock::time_point> deadline = m_transmit.nextDue();
    if (m_assembler.hasPartialFrame()) {
        const auto expiry = m_lastReceived + silenceLimit(currentOptions().model);
        deadline = deadline ? std::min(*deadline, expiry) : expiry;
    }
    return deadline;
}

bool COstrelSimulator::Impl::receive()
{
    std::array<char, 4096> buffer{};
    QList<QByteArray> frames;
    for (;;) {
        const ssize_t count = ::read(m_pty.master(), buffer.data(), buffer.size());
        if (count > 0) {
            const QByteArray bytes(buffer.data(), count);
            recordReceived(bytes);
            frames.append(m_assembler.feed(bytes));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // EAGAIN ends a burst; EIO would mean the slave side is gone for good.
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        break;
    }
    m_lastReceived = Clock::now();
    logDiscarded();
    respond(frames, m_lastReceived);
    return true;
}

void COstrelSimulator::Impl::expireStaleFrame(Clock::time_point now)
{
    if (!m_assembler.hasPartialFrame() ||
        now < m_lastReceived + silenceLimit(currentOptions().model))
        return;
    const QList<QByteArray> frames = m_assembler.expire();
    logDiscarded();
    respond(frames, now);
}

void COstrelSimulator::Impl::respond(const QList<QByteArray>& frames, Clock::time_point receivedAt)
{
    for (const QByteArray& frame : frames)
        respondTo(frame, receivedAt);
}

void COstrelSimulator::Impl::respondTo(const QByteArray& frame, Clock::time_point receivedAt)
{
    m_log.write("RX", frame);
    SimOptions options;
    CSimConverter::Outcome outcome;
    SimBlocks blocks;
    withShared([&](Shared& shared) {
        shared.frames.append(frame);
        if (shared.frames.size() > kMaxFrameHistory)
            shared.frames.removeFirst();
        options = shared.options;
        outcome = shared.converter.handle(frame, options);
        blocks = shared.converter.blocks();
    });
    const quint32 bitRate = options.pacing ? CSimConverter::ConfigBitRate(options.model) : 0;
    const auto start =
        std::max(receivedAt + std::chrono::milliseconds(options.turnaroundMs), Clock::now());
    // A converter still sending when its new peer speaks finishes first.
    if (!m_heldRest.isEmpty())
        m_transmit.enqueue(std::exchange(m_heldRest, {}), Clock::now(), bitRate, 0);
    enqueueReply(frame, outcome, options, start);
    // Saved once the answer is on its way, as a converter answers before
    // its memory is programmed.
    if (outcome.blocksWritten && !options.stateFile.isEmpty())
        m_saver.save(options.stateFile, blocks);
}

void COstrelSimulator::Impl::enqueueReply(const QByteArray& frame,
                                          const CSimConverter::Outcome& outcome,
                                          const SimOptions& options, Clock::time_point start)
{
    if (outcome.reply.isEmpty())
        return;
    m_log.write("TX", outcome.reply);
    const quint32 bitRate = options.pacing ? CSimConverter::ConfigBitRate(options.model) : 0;
    if (options.keepSending && !outcome.exact && quint8(frame.at(2)) == kReadCanConfig) {
        // Only the first half goes now: its peer is taken to have gone.
        const qsizetype half = outcome.reply.size() / 2;
        m_transmit.enqueue(outcome.reply.left(half), start, bitRate, 0);
        m_heldRest = outcome.reply.mid(half);
        return;
    }
    if (options.trickleMs > 0 && !outcome.exact) {
        const auto interval = std::chrono::milliseconds(options.trickleMs);
        for (qsizetype i = 0; i < outcome.reply.size(); ++i)
            m_transmit.enqueue(outcome.reply.mid(i, 1), start + i * interval, 0, 0);
        return;
    }
    m_transmit.enqueue(outcome.reply, start, bitRate, outcome.exact ? 0 : options.splitMs);
}

void COstrelSimulator::Impl::transmitDue(Clock::time_point now)
{
    const QByteArray due = m_transmit.takeDue(now);
    qsizetype written = 0;
    while (written < due.size()) {
        const ssize_t count =
            ::write(m_pty.master(), due.constData() + written, size_t(due.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        written += count;
    }
    // A UART does not wait for its listener: what the line cannot take is lost.
    if (written < due.size())
        m_log.write("LOST", due.mid(written));
}

void COstrelSimulator::Impl::recordReceived(const QByteArray& bytes)
{
    withShared([&](Shared& shared) {
        shared.raw.append(bytes);
        if (shared.raw.size() > kMaxRawHistory)
            shared.raw.remove(0, shared.raw.size() - kMaxRawHistory);
    });
}

void COstrelSimulator::Impl::logDiscarded()
{
    const QByteArray discarded = m_assembler.takeDiscarded();
    if (!discarded.isEmpty())
        m_log.write("DROP", discarded);
}

SimOptions COstrelSimulator::Impl::currentOptions() const
{
    return withShared([](const Shared& shared) { return shared.options; });
}

COstrelSimulator::COstrelSimulator(const SimOptions& options)
    : m_impl(std::make_unique<Impl>(options))
{}

COstrelSimulator::~COstrelSimulator()
{
    stop();
}

bool COstrelSimulator::start()
{
    return m_impl->start();
}

void COstrelSimulator::stop()
{
    m_impl->stop();
}

QString COstrelSimulator::slavePath() const
{
    return m_impl->withShared([](const auto& shared) { return shared.slavePath; });
}

SimOptions COstrelSimulator::options() const
{
    return m_impl->withShared([](const auto& shared) { return shared.options; });
}

void COstrelSimulator::setOptions(const SimOptions& options)
{
    m_impl->withShared([&](auto& shared) {
        shared.options = options;
        shared.converter.restartFaults();
    });
}

QList<QByteArray> COstrelSimulator::receivedFrames() const
{
    return m_impl->withShared([](const auto& shared) { return shared.frames; });
}

int COstrelSimulator::requestCount(quint8 code) const
{
    return m_impl->withShared([code](const auto& shared) {
        return int(std::count_if(
            shared.frames.cbegin(), shared.frames.cend(),
            [code](const QByteArray& frame) { return quint8(frame.at(2)) == code; }));
    });
}

QByteArray COstrelSimulator::rawReceived() const
{
    return m_impl->withShared([](const auto& shared) { return shared.raw; });
}

void COstrelSimulator::clearHistory()
{
    m_impl->withShared([](auto& shared) {
        shared.frames.clear();
        shared.raw.clear();
    });
}

void COstrelSimulator::queueRawReply(const QByteArray& bytes)
{
    m_impl->withShared([&](auto& shared) { shared.converter.queueRawReply(bytes); });
}

QByteArray COstrelSimulator::parameterBlock() const
{
    return m_impl->withShared(
        [](const auto& shared) { return shared.converter.blocks().parameterBlock; });
}

QByteArray COstrelSimulator::canConfigBlock() const
{
    return m_impl->withShared(
        [](const auto& shared) { return shared.converter.blocks().canConfigBlock; });
}

void COstrelSimulator::setParameterBlock(const QByteArray& block)
{
    m_impl->withShared([&](auto& shared) { shared.converter.setParameterBlock(block); });
}

void COstrelSimulator::setCanConfigBlock(const QByteArray& block)
{
    m_impl->withShared([&](auto& shared) { shared.converter.setCanConfigBlock(block); });
}

QByteArray COstrelSimulator::DefaultParameterBlock(ConverterModel model)
{
    return CSimConverter::DefaultParameterBlock(model);
}

QByteArray COstrelSimulator::DefaultCanConfigBlock()
{
    return CSimConverter::DefaultCanConfigBlock();
}
