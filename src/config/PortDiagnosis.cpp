#include "PortDiagnosis.h"

#include "ConverterModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(PortDiagnosis)
};

enum class Cause
{
    NoPermission,
    InUse,
    Missing,
    Other,
};

Cause CauseOf(int error)
{
#ifdef Q_OS_WIN
    // The system's codes: access denied is a port another program holds.
    switch (error) {
    case 5:
        return Cause::InUse;
    case 2:
    case 3:
        return Cause::Missing;
    default:
        return Cause::Other;
    }
#else
    switch (error) {
    case EACCES:
    case EPERM:
        return Cause::NoPermission;
    case EBUSY:
    case EWOULDBLOCK:
        return Cause::InUse;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return Cause::Missing;
    default:
        return Cause::Other;
    }
#endif
}

struct Holder
{
    qint64 pid = 0;
    QString name;
};

#ifndef Q_OS_WIN
constexpr qint64 kMaxLocksBytes = 1 << 20;

QString ProcessName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readLine(256)).trimmed();
}

// The process whose lock on the device refused ours: /proc/locks names it by
// the device's inode ("1: FLOCK ADVISORY WRITE <pid> <maj>:<min>:<inode> ...").
qint64 LockHolder(const QString& device, qint64 self)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return 0;
    const QString inode = QStringLiteral("%1:%2:%3")
                              .arg(major(info.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(minor(info.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(qulonglong(info.st_ino));
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    const QStringList lines =
        QString::fromLatin1(locks.read(kMaxLocksBytes)).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() < 6 || fields.at(5) != inode)
            continue;
        const qint64 pid = fields.at(4).toLongLong();
        if (pid > 0 && pid != self)
            return pid;
    }
    return 0;
}

// Any other process with the device open; an ordinary user sees only its own
// processes' descriptors.
qint64 OpenHolder(const QString& device, qint64 self)
{
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QDir fds(proc.filePath(entry + QStringLiteral("/fd")));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == device)
                return pid;
    }
    return 0;
}
#endif

// The process that holds the port, as far as /proc shows it: the holder of
// its lock first, else any process with it open.
Holder FindHolder(const QString& devicePath)
{
    Holder holder;
#ifndef Q_OS_WIN
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return holder;
    const qint64 self = QCoreApplication::applicationPid();
    holder.pid = LockHolder(device, self);
    if (holder.pid == 0)
        holder.pid = OpenHolder(device, self);
    if (holder.pid != 0)
        holder.name = ProcessName(holder.pid);
#else
    Q_UNUSED(devicePath);
#endif
    return holder;
}

QString PresentPorts(const QList<DetectedPort>& present)
{
    QStringList paths;
    for (const DetectedPort& port : present) {
        const QString label = port.Label();
        paths << (label.isEmpty() ? port.path : Text::tr("%1（%2）").arg(port.path, label));
    }
    return paths.join(Text::tr("，"));
}

QString NoPermission(const QString& devicePath)
{
    const QFileInfo device(devicePath);
    const QString group = device.group();
    if (group.isEmpty())
        return Text::tr("没有权限打开 %1。").arg(devicePath);
    // Joining the super-user's group would open far more than this port.
    if (device.groupId() == 0)
        return Text::tr("没有权限打开 %1：它只属于管理员（root），不是串口用户组的设备。"
                        "请检查所选的串口；确实要用它时，请管理员把它交给 dialout 用户组。")
            .arg(devicePath);
    return Text::tr("没有权限打开 %1：它属于用户组 %2。把当前用户加入该组：\n"
                    "sudo usermod -aG %2 $USER\n然后重新登录。")
        .arg(devicePath, group);
}

QString InUse(const QString& devicePath)
{
    const Holder holder = FindHolder(devicePath);
    if (holder.pid == 0)
        return Text::tr("%1 正被另一个程序占用。关闭该程序后再连接。").arg(devicePath);
    return Text::tr("%1 正被另一个程序占用（进程 %2 %3）。关闭该程序后再连接。")
        .arg(devicePath)
        .arg(holder.pid)
        .arg(holder.name);
}

QString Missing(const QString& devicePath, const QList<DetectedPort>& present)
{
    if (present.isEmpty())
        return Text::tr("没有设备 %1，系统也没有报告任何串口。").arg(devicePath);
    return Text::tr("没有设备 %1。现有的串口：%2。").arg(devicePath, PresentPorts(present));
}

} // namespace

namespace PortDiagnosis {

QString OpenFailure(const QString& devicePath, int systemError, const QList<DetectedPort>& present)
{
    if (devicePath.isEmpty())
        return Missing(Text::tr("（无）"), present);
    switch (CauseOf(systemError)) {
    case Cause::NoPermission:
        return NoPermission(devicePath);
    case Cause::InUse:
        return InUse(devicePath);
    case Cause::Missing:
        return Missing(devicePath, present);
    case Cause::Other:
        break;
    }
    return Text::tr("%1：%2").arg(devicePath, qt_error_string(systemError));
}

QString NoConverter(const QString& devicePath, int deviceType)
{
    const auto model = ConverterModels::FromDeviceType(deviceType);
    const QString name = model ? ConverterModels::DisplayName(*model) : Text::tr("转换器");
    return Text::tr("%1 已打开，但没有 %2 应答。请检查所选的型号和串口，"
                    "以及转换器的电源和接线。")
        .arg(devicePath, name);
}

QString NoConverterOfAny(const QString& devicePath)
{
    QStringList names;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts)
        names << ConverterModels::DisplayName(facts.model);
    return Text::tr("%1 已打开，但 %2 都没有应答。请检查转换器的电源和接线，以及所选的串口。")
        .arg(devicePath, names.join(Text::tr("、")));
}

QString HungUp(const QString& devicePath)
{
    return Text::tr("%1 已不可用：适配器被拔出，或线路的另一端已关闭。重新接好后再连接。")
        .arg(devicePath);
}

} // namespace PortDiagnosis
