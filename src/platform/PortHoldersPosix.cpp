#include "PortHolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <optional>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

constexpr qint64 kMaxLocksBytes = 1 << 20;
constexpr qint64 kMaxFdInfoBytes = 4096;

QString ProcessName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readLine(256)).trimmed();
}

// The process whose lock on the device refused ours: /proc/locks names it by
// the device's inode ("1: FLOCK ADVISORY WRITE <pid> <maj>:<min>:<inode> ...").
// It names the process that took the lock, which may have ended and left the
// lock to a child, or whose number a new process may have taken since; it is
// named only while it still has the device open.
std::optional<PortHolder> LockHolder(const QString& device,
                                     const QList<PortHolder>& openPortHolders)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
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

// The number N of a pseudo-terminal's slave /dev/pts/N, or -1 for any other device.
int PtyIndex(const QString& device)
{
    const QLatin1String prefix("/dev/pts/");
    if (!device.startsWith(prefix))
        return -1;
    bool numeric = false;
    const int index = device.mid(prefix.size()).toInt(&numeric);
    return numeric ? index : -1;
}

// Whether the descriptor, open on the multiplexer (/dev/ptmx, or /dev/pts/ptmx
// where /dev/ptmx links there), is the master of pseudo-terminal
// `index`: the kernel reports it as "tty-index:\t<N>" in the descriptor's fdinfo.
bool IsMasterOf(const QString& fdPath, int index)
{
    QFile info(QString(fdPath).replace(QStringLiteral("/fd/"), QStringLiteral("/fdinfo/")));
    if (!info.open(QIODevice::ReadOnly))
        return false;
    // A file under /proc reports no size, so it is read to a bound, not to its end.
    const QByteArray line = QByteArrayLiteral("tty-index:\t") + QByteArray::number(index);
    return info.read(kMaxFdInfoBytes).split('\n').contains(line);
}

// Every other process with the device open, whether it locked it or not; an
// ordinary user sees only its own processes' descriptors. The process at the
// master side of a pseudo-terminal is the other end of the line, not a
// program competing for it, even where it keeps the slave open as well.
QList<PortHolder> OpenHolders(const QString& device, qint64 self)
{
    const int ptyIndex = PtyIndex(device);
    QList<PortHolder> holders;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        bool opened = false;
        bool master = false;
        const QDir fds(proc.filePath(entry + QStringLiteral("/fd")));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = fd.symLinkTarget();
            if (target == device)
                opened = true;
            else if (ptyIndex >= 0 && QFileInfo(target).fileName() == QLatin1String("ptmx") &&
                     IsMasterOf(fd.filePath(), ptyIndex))
                master = true;
            if (master || (opened && ptyIndex < 0))
                break;
        }
        if (opened && !master)
            holders.append({pid, ProcessName(pid)});
    }
    return holders;
}
} // namespace

QList<PortHolder> PortHolders::Open(const QString& devicePath)
{
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return {};
    return OpenHolders(device, QCoreApplication::applicationPid());
}

QList<PortHolder> PortHolders::Find(const QString& devicePath)
{
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return {};
    const QList<PortHolder> openHolders = OpenHolders(device, QCoreApplication::applicationPid());
    if (const std::optional<PortHolder> holder = LockHolder(device, openHolders))
        return {*holder};
    return openHolders;
}
