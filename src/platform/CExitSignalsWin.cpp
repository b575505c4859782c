#include "CExitSignals.h"

#include <QString>

#include <atomic>
#include <csignal>
#include <cwchar>
#include <iterator>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

// The console's events in place of the signals: Ctrl+C, Ctrl+Break, the
// console window closed, logoff and shutdown. Windows runs the handler on a
// thread of its own; ending there at once releases every port with the
// process's handles, as the system closes them.
constexpr int kHangUp = 1;

wchar_t g_pendingFile[32768];
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
        DeleteFileW(g_pendingFile);
    TerminateProcess(GetCurrentProcess(), UINT(128 + signal));
    return TRUE;
}

} // namespace

void CExitSignals::EndAtOnce()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

CExitSignals::CExitSignals(QObject* parent) : QObject(parent) {}

CExitSignals::~CExitSignals() {}

void CExitSignals::OnNotified() {}

// The name is converted here, as the handler may do no more than delete.
void CExitSignals::SetPendingFile(const QByteArray& path)
{
    g_hasPendingFile.store(false);
    const std::wstring name = QString::fromUtf8(path).toStdWString();
    if (name.empty() || name.size() >= std::size(g_pendingFile))
        return;
    std::wmemcpy(g_pendingFile, name.c_str(), name.size());
    g_pendingFile[name.size()] = L'\0';
    g_hasPendingFile.store(true);
}

void CExitSignals::SetLastWords(LastWords words)
{
    g_lastWords.store(words);
}

// The system closes every handle, and with it every port, as the process ends.
void CExitSignals::SetReleasePorts(ReleasePorts) {}
