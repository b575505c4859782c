#include "CExitSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// Written only while the flag is down, so the handler never reads a name
// being changed.
char g_pendingFile[4096];
std::atomic<bool> g_hasPendingFile{false};
std::atomic<CExitSignals::LastWords> g_lastWords{nullptr};
std::atomic<CExitSignals::ReleasePorts> g_releasePorts{nullptr};
// The window's pipe while it listens; the first signal goes there.
std::atomic<int> g_notifyFd{-1};
std::atomic<bool> g_notified{false};

[[noreturn]] void EndNow(int signal)
{
    if (const CExitSignals::LastWords words = g_lastWords.load())
        words(signal);
    if (const CExitSignals::ReleasePorts release = g_releasePorts.load())
        release();
    if (g_hasPendingFile.exchange(false))
        ::unlink(g_pendingFile);
    ::_exit(128 + signal);
}

extern "C" void OnExitSignal(int signal)
{
    const int fd = g_notifyFd.load();
    if (fd >= 0 && !g_notified.exchange(true)) {
        const auto code = static_cast<unsigned char>(signal);
        if (::write(fd, &code, 1) == 1)
            return;
    }
    EndNow(signal);
}

void Install()
{
    struct sigaction action
    {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    for (const int signal : kSignals) {
        struct sigaction previous
        {};
        // Started with the signal ignored (nohup), the program keeps it so.
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

void CExitSignals::EndAtOnce()
{
    Install();
}

CExitSignals::CExitSignals(QObject* parent) : QObject(parent)
{
    if (::pipe(m_pipe) != 0)
        return;
    for (const int fd : m_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CExitSignals::OnNotified);
    g_notified.store(false);
    g_notifyFd.store(m_pipe[1]);
    Install();
}

CExitSignals::~CExitSignals()
{
    // From here on a signal ends the program at once, as nobody listens.
    g_notifyFd.store(-1);
    for (const int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}

void CExitSignals::OnNotified()
{
    unsigned char code = 0;
    if (::read(m_pipe[0], &code, 1) == 1)
        Q_EMIT Requested(int(code));
}

void CExitSignals::SetPendingFile(const QByteArray& path)
{
    g_hasPendingFile.store(false);
    if (path.isEmpty() || path.size() >= qsizetype(sizeof g_pendingFile))
        return;
    std::memcpy(g_pendingFile, path.constData(), size_t(path.size()));
    g_pendingFile[path.size()] = '\0';
    g_hasPendingFile.store(true);
}

void CExitSignals::SetLastWords(LastWords words)
{
    g_lastWords.store(words);
}

void CExitSignals::SetReleasePorts(ReleasePorts release)
{
    g_releasePorts.store(release);
}
