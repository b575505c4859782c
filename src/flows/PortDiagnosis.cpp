#include "PortDiagnosis.h"

#include "ConverterModel.h"
#include "PortHolders.h"
#include "PortOpenError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <optional>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(PortDiagnosis)
};

QString HolderNames(const QList<PortHolder>& holders)
{
    QStringList names;
    for (const PortHolder& holder : holders)
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

QString InUse(const QString& devicePath, const PortHolders::StopCheck& stopped)
{
    const PortHolderSearch search = PortHolders::Find(devicePath, stopped);
    if (!search.holders.isEmpty())
        return Text::tr("%1 正被另一个程序占用：%2。关闭该程序后再连接。")
            .arg(devicePath, HolderNames(search.holders));
    if (!search.complete)
        return Text::tr("%1 正被另一个程序占用，但未能及时查明是哪个程序。关闭该程序后再连接。")
            .arg(devicePath);
    return Text::tr("%1 正被另一个程序占用。关闭该程序后再连接。").arg(devicePath);
}

// A program that has the port open without locking it takes the converter's
// replies away from us.
QString OtherOpeners(const QString& devicePath, const PortHolders::StopCheck& stopped)
{
    const PortHolderSearch search = PortHolders::Open(devicePath, stopped);
    if (!search.holders.isEmpty())
        return Text::tr("%1 还被其他程序打开，它们可能读走了应答：%2。关闭它们后再连接。")
            .arg(devicePath, HolderNames(search.holders));
    if (!search.complete)
        return Text::tr("未能及时查明 %1 是否还被其他程序打开。").arg(devicePath);
    return {};
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

// Many ports served at once can use up what the system lets one program
// open; the port itself is likely fine, and the others go on without it.
QString NoDescriptor(const QString& devicePath)
{
    return Text::tr("%1 没有打开：本程序能同时打开的文件数已用完（系统的上限），"
                    "其他串口不受影响。请一次少服务一些串口，或提高打开文件数的上限"
                    "（ulimit -n）。")
        .arg(devicePath);
}

QString Missing(const QString& devicePath, const QList<DetectedPort>& present)
{
    if (present.isEmpty())
        return Text::tr("没有设备 %1，系统也没有报告任何串口。").arg(devicePath);
    return Text::tr("没有设备 %1。现有的串口：%2。").arg(devicePath, PresentPorts(present));
}

// A reply still coming when its time ran out was slow, not cut off: the line
// or the converter is too busy, or another program takes part of it.
QString WhatCameBack(const CFrameProtocol::Failure& failure)
{
    using Kind = CFrameProtocol::Failure::Kind;
    switch (failure.kind) {
    case Kind::NoReply:
        return Text::tr("转换器没有应答。");
    case Kind::CutOff:
        return Text::tr("应答在第 %1 字节后中断（应有 %2 字节）。")
            .arg(failure.received)
            .arg(failure.expected);
    case Kind::TooSlow:
        return Text::tr("转换器应答太慢：在允许的 %1 毫秒内只收到 %2 字节（应有 %3 字节），"
                        "应答仍在传送。请检查接线和适配器，是否有其他程序在使用该串口，"
                        "以及转换器是否正忙于大量总线数据。")
            .arg(failure.allowedMs)
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

} // namespace

namespace PortDiagnosis {

QString OpenFailure(const QString& devicePath, int systemError, const QList<DetectedPort>& present,
                    const PortHolders::StopCheck& stopped)
{
    if (devicePath.isEmpty())
        return Missing(Text::tr("（无）"), present);
    switch (PortOpenErrors::CauseOf(systemError)) {
    case PortOpenCause::NoPermission:
        return NoPermission(devicePath);
    case PortOpenCause::InUse:
        return InUse(devicePath, stopped);
    case PortOpenCause::Denied:
        return Denied(devicePath);
    case PortOpenCause::Missing:
        return Missing(devicePath, present);
    case PortOpenCause::NotWorking:
        return NotWorking(devicePath, systemError);
    case PortOpenCause::NoDescriptor:
        return NoDescriptor(devicePath);
    case PortOpenCause::Other:
        break;
    }
    return Text::tr("%1：%2").arg(devicePath, qt_error_string(systemError));
}

QString NoConverter(const QString& devicePath, ConverterModel model,
                    std::optional<ConverterModel> answering, const PortHolders::StopCheck& stopped)
{
    const QString name = ConverterModels::DisplayName(model);
    if (answering) {
        return Text::tr("%1 上没有 %2 应答。应答的是 %3：请选择该型号。")
            .arg(devicePath, name, ConverterModels::DisplayName(*answering));
    }
    QString detail = Text::tr("%1 已打开，但没有 %2 应答。请检查所选的型号和串口，"
                              "以及转换器的电源和接线。")
                         .arg(devicePath, name);
    if (const QString others = OtherOpeners(devicePath, stopped); !others.isEmpty())
        detail += QLatin1Char('\n') + others;
    return detail;
}

QString ExchangeFailure(const CFrameProtocol::Failure& failure, bool adapterGone,
                        const QString& devicePath)
{
    if (adapterGone)
        return Text::tr("适配器已断开：串口在通信中消失了。");
    const QString what = WhatCameBack(failure);
    const QList<PortHolder> holders =
        devicePath.isEmpty() ? QList<PortHolder>() : PortHolders::Open(devicePath).holders;
    if (holders.isEmpty())
        return what;
    return Text::tr("%1 还被其他程序打开，它们可能读走了应答：%2。关闭它们后再试。")
               .arg(devicePath, HolderNames(holders)) +
           QLatin1Char('\n') + what;
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
