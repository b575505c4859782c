#include "PortHolders.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr qint64 kMaxLocksBytes = 1 << 20;
constexpr qint64 kMaxFdInfoBytes = 4096;
constexpr qint64 kMaxNameBytes = 256;
// Read at a time from a descriptor table, some hundred entries: between two
// reads the search looks at its deadline, so that a process with many
// thousands of descriptors does not outlast it.
constexpr std::size_t kEntriesBytes = 8192;
// Several entries named by a descriptor's number.
constexpr std::size_t kRoomForMoreBytes = 256;

struct Scan
{
    QByteArray device;
    int ptyIndex = -1;
    qint64 self = 0;
    Clock::time_point deadline;
    const PortHolders::StopCheck* stopped = nullptr;

    bool ShouldEnd() const { return Clock::now() >= deadline || (*stopped && (*stopped)()); }
};

enum class Role
{
    None,
    Holder,
    OtherEnd, // the master side of the pseudo-terminal
    Unknown,  // the search ended before the process was looked at whole
};

using DirHandle = std::unique_ptr<DIR, int (*)(DIR*)>;

DirHandle OpenDir(const char* path)
{
    return DirHandle(::opendir(path), &::closedir);
}

// The number a directory entry of /proc is named by, or -1 for any other name.
long long NumberOf(const char* name)
{
    if (*name < '0' || *name > '9')
        return -1;
    char* end = nullptr;
    const long long number = std::strtoll(name, &end, 10);
    return *end == '\0' ? number : -1;
}

// The kernel names an open file from its own records: reading the link asks
// nothing of the file system the file lies on, whereas following it would
// wait for that file system, for ever if it never answers.
QByteArray LinkTarget(int fdsDir, const char* fd)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(fdsDir, fd, target, sizeof target);
    return length > 0 ? QByteArray(target, static_cast<qsizetype>(length)) : QByteArray();
}

QString ProcessName(long long pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readLine(kMaxNameBytes)).trimmed();
}

// The number N of a pseudo-terminal's slave /dev/pts/N, or -1 for any other device.
int PtyIndex(const QByteArray& device)
{
    const QByteArray prefix("/dev/pts/");
    if (!device.startsWith(prefix))
        return -1;
    bool numeric = false;
    const int index = device.mid(prefix.size()).toInt(&numeric);
    return numeric ? index : -1;
}

// Whether the descriptor, open on the multiplexer (/dev/ptmx, or /dev/pts/ptmx
// where /dev/ptmx links there), is the master of pseudo-terminal `index`:
// the kernel reports it as "tty-index:\t<N>" in the descriptor's fdinfo.
bool IsMasterOf(long long pid, long long fd, int index)
{
    QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid).arg(fd));
    if (!info.open(QIODevice::ReadOnly))
        return false;
    // A file under /proc reports no size, so it is read to a bound, not to its end.
    const QByteArray line = QByteArrayLiteral("tty-index:\t") + QByteArray::number(index);
    return info.read(kMaxFdInfoBytes).split('\n').contains(line);
}

// The process at the master side of a pseudo-terminal is the other end of
// the line, not a program competing for it, even where it keeps the slave
// open as well.
Role RoleOf(const Scan& scan, int proc, const char* pid)
{
    char path[32];
    if (std::snprintf(path, sizeof path, "%.20s/fd", pid) >= int(sizeof path))
        return Role::None;
    // Refused for another user's process, gone for one that has just ended:
    // neither is ours to name. Opened relative to /proc and read by the
    // system call itself: with thousands of processes the lookups and checks
    // a directory stream adds are most of the search's time.
    const int fds = ::openat(proc, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fds < 0)
        return Role::None;
    const auto closeFds = qScopeGuard([fds] { ::close(fds); });
    alignas(dirent64) char entries[kEntriesBytes];
    bool opened = false;
    for (;;) {
        if (scan.ShouldEnd())
            return Role::Unknown;
        const ssize_t bytes = ::getdents64(fds, entries, sizeof entries);
        if (bytes <= 0)
            return opened ? Role::Holder : Role::None;
        // The kernel fills the buffer while the next entry fits, so room
        // for several more means the table was read whole: most processes
        // are then done with one call fewer.
        const bool whole = std::size_t(bytes) + kRoomForMoreBytes <= sizeof entries;
        for (ssize_t at = 0; at < bytes;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            at += entry->d_reclen;
            const long long fd = NumberOf(entry->d_name);
            if (fd < 0)
                continue;
            const QByteArray target = LinkTarget(fds, entry->d_name);
            if (target == scan.device) {
                if (scan.ptyIndex < 0)
                    return Role::Holder;
                opened = true;
            } else if (scan.ptyIndex >= 0 && target.endsWith("/ptmx") &&
                       IsMasterOf(NumberOf(pid), fd, scan.ptyIndex)) {
                return Role::OtherEnd;
            }
        }
        if (whole)
            return opened ? Role::Holder : Role::None;
    }
}

// Every other process with the device open, whether it locked it or not; an
// ordinary user sees only its own processes' descriptors.
PortHolderSearch OpenHolders(const Scan& scan)
{
    PortHolderSearch search;
    const DirHandle proc = OpenDir("/proc");
    if (!proc)
        return search;
    while (const dirent* entry = ::readdir(proc.get())) {
        const long long pid = NumberOf(entry->d_name);
        if (pid <= 0 || pid == scan.self)
            continue;
        const Role role =
            scan.ShouldEnd() ? Role::Unknown : RoleOf(scan, ::dirfd(proc.get()), entry->d_name);
        if (role == Role::Unknown) {
            search.complete = false;
            break;
        }
        if (role == Role::Holder)
            search.holders.append({pid, ProcessName(pid)});
    }
    return search;
}

// The process whose lock on the device refused ours: /proc/locks names it by
// the device's inode ("1: FLOCK ADVISORY WRITE <pid> <maj>:<min>:<inode> ...").
// It names the process that took the lock, which may have ended and left the
// lock to a child, or whose number a new process may have taken since; it is
// named only while it still has the device open.
std::optional<PortHolder> LockHolder(const QByteArray& device,
                                     const QList<PortHolder>& openPortHolders)
{
    struct stat info
    {};
    if (::stat(device.constData(), &info) != 0)
        return std::nullopt;
    const QString inode = QStringLiteral("%1:%2:%3")
                              .arg(major(info.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(minor(info.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(qulonglong(info.st_ino));
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines =
        QString::fromLatin1(locks.read(kMaxLocksBytes)).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() < 6 || fields.at(5) != inode)
            continue;
        const qint64 pid = fields.at(4).toLongLong();
        for (const PortHolder& holder : openPortHolders)
            if (holder.pid == pid)
                return holder;
    }
    return std::nullopt;
}

std::optional<Scan> ScanFor(const QString& devicePath, const PortHolders::StopCheck& stopped)
{
    const Clock::time_point deadline = Clock::now() + PortHolders::kBudget;
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return std::nullopt;
    const QByteArray encoded = QFile::encodeName(device);
    return Scan{encoded, PtyIndex(encoded), QCoreApplication::applicationPid(), deadline, &stopped};
}

} // namespace

PortHolderSearch PortHolders::Open(const QString& devicePath, const StopCheck& stopped)
{
    const std::optional<Scan> scan = ScanFor(devicePath, stopped);
    if (!scan)
        return {};
    return OpenHolders(*scan);
}

PortHolderSearch PortHolders::Find(const QString& devicePath, const StopCheck& stopped)
{
    const std::optional<Scan> scan = ScanFor(devicePath, stopped);
    if (!scan)
        return {};
    const PortHolderSearch open = OpenHolders(*scan);
    if (const std::optional<PortHolder> holder = LockHolder(scan->device, open.holders))
        return {{*holder}, true};
    return open;
}
