#include "PortDiagnosis.h"

#include "ConverterModel.h"
#include "PortOpenError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <optional>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(PortDiagnosis)
};

struct Holder
{
    qint64 pid = 0;
    QString name;
};

#ifndef Q_OS_WIN
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
std::optional<Holder> LockHolder(const QString& device, const QList<Holder>& openHolders)
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
        for (const Holder& holder : openHolders)
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
QList<Holder> OpenHolders(const QString& device, qint64 self)
{
    const int ptyIndex = PtyIndex(device);
    QList<Holder> holders;
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
#endif

// The processes other than this one that have the port open.
QList<Holder> FindOpenHolders(const QString& devicePath)
{
#ifndef Q_OS_WIN
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (!device.isEmpty())
        return OpenHolders(device, QCoreApplication::applicationPid());
#else
    Q_UNUSED(devicePath);
#endif
    return {};
}

// The processes that hold the port, as far as /proc shows them: the living
// holder of its lock, else every process with it open (the lock may have
// passed to one of them when the process that took it ended).
QList<Holder> FindHolders(const QString& devicePath)
{
#ifndef Q_OS_WIN
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return {};
    const QList<Holder> openHolders = OpenHolders(device, QCoreApplication::applicationPid());
    if (const std::optional<Holder> holder = LockHolder(device, openHolders))
        return {*holder};
    return openHolders;
#else
    Q_UNUSED(devicePath);
    return {};
#endif
}

QString HolderNames(const QList<Holder>& holders)
{
    QStringList names;
    for (const Holder& holder : holders)
        // In one pass: a process chooses its own name, "%2" included.
        names << Text::tr("%1（进程 %2）").arg(holder.name, QString::number(holder.pid));
    return names.join(Text::tr("，"));
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
    const QList<Holder> holders = FindHolders(devicePath);
    if (holders.isEmpty())
        return Text::tr("%1 正被另一个程序占用。关闭该程序后再连接。").arg(devicePath);
    return Text::tr("%1 正被另一个程序占用：%2。关闭该程序后再连接。")
        .arg(devicePath, HolderNames(holders));
}

// Windows answers a port another program holds with this refusal too; a
// right withheld from the user is the rare other case.
QString Denied(const QString& devicePath)
{
    return Text::tr("系统拒绝打开 %1：它多半正被另一个程序占用。关闭该程序后再连接；"
                    "没有程序占用它时，请管理员检查这个串口的权限。")
        .arg(devicePath);
}

QString NotWorking(const QString& devicePath, int systemError)
{
    return Text::tr("%1 的设备不工作或已被拔出。重新插好适配器后再连接。").arg(devicePath) +
           QLatin1Char('\n') + Text::tr("系统的说明：%1").arg(qt_error_string(systemError));
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
    switch (PortOpenErrors::CauseOf(systemError)) {
    case PortOpenCause::NoPermission:
        return NoPermission(devicePath);
    case PortOpenCause::InUse:
        return InUse(devicePath);
    case PortOpenCause::Denied:
        return Denied(devicePath);
    case PortOpenCause::Missing:
        return Missing(devicePath, present);
    case PortOpenCause::NotWorking:
        return NotWorking(devicePath, systemError);
    case PortOpenCause::Other:
        break;
    }
    return Text::tr("%1：%2").arg(devicePath, qt_error_string(systemError));
}

QString NoConverter(const QString& devicePath, int deviceType,
                    std::optional<ConverterModel> answering)
{
    const auto model = ConverterModels::FromDeviceType(deviceType);
    const QString name = model ? ConverterModels::DisplayName(*model) : Text::tr("转换器");
    if (answering) {
        return Text::tr("%1 上没有 %2 应答。应答的是 %3：请选择该型号。")
            .arg(devicePath, name, ConverterModels::DisplayName(*answering));
    }
    QString detail = Text::tr("%1 已打开，但没有 %2 应答。请检查所选的型号和串口，"
                              "以及转换器的电源和接线。")
                         .arg(devicePath, name);
    // A program that has the port open without locking it takes the
    // converter's replies away from us.
    if (const QList<Holder> holders = FindOpenHolders(devicePath); !holders.isEmpty()) {
        detail += QLatin1Char('\n') +
                  Text::tr("%1 还被其他程序打开，它们可能读走了应答：%2。关闭它们后再连接。")
                      .arg(devicePath, HolderNames(holders));
    }
    return detail;
}

QString ExchangeFailure(const CFrameProtocol::Failure& failure, bool adapterGone)
{
    using Kind = CFrameProtocol::Failure::Kind;
    if (adapterGone)
        return Text::tr("适配器已断开：串口在通信中消失了。");
    switch (failure.kind) {
    case Kind::NoReply:
        return Text::tr("转换器没有应答。");
    case Kind::CutOff:
        return Text::tr("应答在第 %1 字节后中断（应有 %2 字节）。")
            .arg(failure.received)
            .arg(failure.expected);
    case Kind::BadCheck:
        return Text::tr("应答的校验字节错误。");
    case Kind::WrongReply:
        return Text::tr("收到的不是所请求的应答。");
    case Kind::None:
        break;
    }
    return {};
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
