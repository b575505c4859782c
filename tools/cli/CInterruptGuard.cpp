#include "CInterruptGuard.h"

#include "CSerialComm.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

// Written only while the flag is down, so the handler never reads a name
// being changed.
char g_pendingFile[4096];
std::atomic<bool> g_hasPendingFile{false};

extern "C" void OnInterrupt(int signal)
{
    CSerialComm::ReleaseAllForSignal();
    if (g_hasPendingFile.exchange(false))
        ::unlink(g_pendingFile);
    ::_exit(128 + signal);
}

} // namespace

void CInterruptGuard::Install()
{
    struct sigaction action
    {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void CInterruptGuard::SetPendingFile(const QByteArray& path)
{
    g_hasPendingFile.store(false);
    if (path.isEmpty() || path.size() >= qsizetype(sizeof g_pendingFile))
        return;
    std::memcpy(g_pendingFile, path.constData(), size_t(path.size()));
    g_pendingFile[path.size()] = '\0';
    g_hasPendingFile.store(true);
}
