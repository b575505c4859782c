#include "PortHolders.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr qint64 kMaxLocksBytes = 1 << 20;
constexpr qint64 kMaxFdInfoBytes = 4096;
constexpr qint64 kMaxNameBytes = 256;
// A process with many thousands of descriptors must not outlast the budget.
constexpr int kDescriptorsBetweenChecks = 256;

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
QByteArray LinkTarget(long long pid, long long fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/%lld/fd/%lld", pid, fd);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target);
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
Role RoleOf(const Scan& scan, long long pid)
{
    char path[48];
    std::snprintf(path, sizeof path, "/proc/%lld/fd", pid);
    // Refused for another user's process, gone for one that has just ended:
    // neither is ours to name.
    const DirHandle fds = OpenDir(path);
    if (!fds)
        return Role::None;
    bool opened = false;
    int seen = 0;
    while (const dirent* entry = ::readdir(fds.get())) {
        if (++seen % kDescriptorsBetweenChecks == 0 && scan.ShouldEnd())
            return Role::Unknown;
        const long long fd = NumberOf(entry->d_name);
        if (fd < 0)
            continue;
        const QByteArray target = LinkTarget(pid, fd);
        if (target == scan.device) {
            if (scan.ptyIndex < 0)
                return Role::Holder;
            opened = true;
        } else if (scan.ptyIndex >= 0 && target.endsWith("/ptmx") &&
                   IsMasterOf(pid, fd, scan.ptyIndex)) {
            return Role::OtherEnd;
        }
    }
    return opened ? Role::Holder : Role::None;
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
        const Role role = scan.ShouldEnd() ? Role::Unknown : RoleOf(scan, pid);
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
