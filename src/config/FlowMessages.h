#pragma once

#include <QString>

// The texts the connect, read and write flows show, in the window and on the
// command line alike.
namespace FlowMessages {
inline QString Caption()
{
    return QStringLiteral("配置");
}
inline QString PortUnavailable()
{
    return QStringLiteral("当前串口不可用！");
}
inline QString NoConverter()
{
    return QStringLiteral("设备未连接！");
}
inline QString Disconnected()
{
    return QStringLiteral("设备已断开！");
}
inline QString PortsNotSaved()
{
    return QStringLiteral("串口设置没有保存！");
}
inline QString ReadSucceeded()
{
    return QStringLiteral("读配置成功！");
}
inline QString WriteSucceeded()
{
    return QStringLiteral("写配置成功！");
}
inline QString CommunicationError()
{
    return QStringLiteral("通信出错！");
}
} // namespace FlowMessages
