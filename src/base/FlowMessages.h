#pragma once

#include <QCoreApplication>
#include <QString>

// The texts the connect, read and write flows show, in the window and on the
// command line alike.
namespace FlowMessages {
inline QString Caption()
{
    return QCoreApplication::translate("FlowMessages", "配置");
}
inline QString PortUnavailable()
{
    return QCoreApplication::translate("FlowMessages", "当前串口不可用！");
}
inline QString NoConverter()
{
    return QCoreApplication::translate("FlowMessages", "设备未连接！");
}
// The captions of a refused and of a replaced input.
inline QString RefusalCaption()
{
    return QCoreApplication::translate("FlowMessages", "错误");
}
inline QString WarningCaption()
{
    return QCoreApplication::translate("FlowMessages", "警告");
}
inline QString Disconnected()
{
    return QCoreApplication::translate("FlowMessages", "设备已断开！");
}
inline QString PortsNotSaved()
{
    return QCoreApplication::translate("FlowMessages", "串口设置没有保存！");
}
// After a success whose values the profile could not keep.
inline QString ValuesNotRemembered()
{
    return QCoreApplication::translate("FlowMessages", "这些值没有被记住，下次启动时不会显示！");
}
inline QString ReadSucceeded()
{
    return QCoreApplication::translate("FlowMessages", "读配置成功！");
}
inline QString WriteSucceeded()
{
    return QCoreApplication::translate("FlowMessages", "写配置成功！");
}
inline QString CommunicationError()
{
    return QCoreApplication::translate("FlowMessages", "通信出错！");
}
// A cancelled exchange is never reported as done nor as a fault of the line.
inline QString ConnectCancelled()
{
    return QCoreApplication::translate("FlowMessages", "连接已取消！");
}
inline QString ReadCancelled()
{
    return QCoreApplication::translate("FlowMessages", "读配置已取消！");
}
inline QString WriteCancelled()
{
    return QCoreApplication::translate("FlowMessages", "写配置已取消！");
}
inline QString WriteCancelledDetail()
{
    return QCoreApplication::translate("FlowMessages",
                                       "转换器可能已保存了部分新配置，请重新写配置。");
}
// The step under way, while an exchange takes its time.
inline QString Connecting()
{
    return QCoreApplication::translate("FlowMessages", "连接设备…");
}
inline QString Reading()
{
    return QCoreApplication::translate("FlowMessages", "读配置…");
}
inline QString Writing()
{
    return QCoreApplication::translate("FlowMessages", "写配置…");
}
inline QString Verifying()
{
    return QCoreApplication::translate("FlowMessages", "校验…");
}
} // namespace FlowMessages
