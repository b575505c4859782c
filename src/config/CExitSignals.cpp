#include "CExitSignals.h"

#include "CSerialComm.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
constexpr int kSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// Written only while the flag is down, so the handler never reads a name
// being changed.
char g_pendingFile[4096];
std::atomic<bool> g_hasPendingFile{false};
std::atomic<CExitSignals::LastWords> g_lastWords{nullptr};
// The window's pipe while it listens; the first signal goes there.
std::atomic<int> g_notifyFd{-1};
std::atomic<bool> g_notified{false};

[[noreturn]] void EndNow(int signal)
{
    if (const CExitSignals::LastWords words = g_lastWords.load())
        words(signal);
    CSerialComm::ReleaseAllForSignal();
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
#else
// The console's events in place of the signals: Ctrl+C, Ctrl+Break, the
// console window closed, logoff and shutdown. Windows runs the handler on a
// thread of its own; ending there at once releases every port with the
// process's handles, as the system closes them.
constexpr int kHangUp = 1;

char g_pendingFile[MAX_PATH * 4];
std::atomic<bool> g_hasPendingFile{false};
std::atomic<CExitSignals::LastWords> g_lastWords{nullptr};

int SignalOf(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return SIGINT;
    case CTRL_CLOSE_EVENT:
        return kHangUp;
    default:
        return SIGTERM;
    }
}

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const int signal = SignalOf(event);
    if (const CExitSignals::LastWords words = g_lastWords.load())
        words(signal);
    if (g_hasPendingFile.exchange(false))
        DeleteFileA(g_pendingFile);
    TerminateProcess(GetCurrentProcess(), UINT(128 + signal));
    return TRUE;
}
#endif

} // namespace

void CExitSignals::EndAtOnce()
{
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    Install();
#endif
}

CExitSignals::CExitSignals(QObject* parent) : QObject(parent)
{
#ifndef Q_OS_WIN
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
#endif
}

CExitSignals::~CExitSignals()
{
#ifndef Q_OS_WIN
    // From here on a signal ends the program at once, as nobody listens.
    g_notifyFd.store(-1);
    for (const int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
#endif
}

void CExitSignals::OnNotified()
{
#ifndef Q_OS_WIN
    unsigned char code = 0;
    if (::read(m_pipe[0], &code, 1) == 1)
        Q_EMIT Requested(int(code));
#endif
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
