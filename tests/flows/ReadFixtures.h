#pragma once

#include "CPlainPageSet.h"
#include "UserMessage.h"

#include <QByteArray>

// A parameter block whose every byte decodes to something the pages do not
// hold yet, and page values to compare against.
namespace ReadFixtures {

inline const UserMessage kRead{QStringLiteral("配置"), QStringLiteral("读配置成功！")};
// "通信出错！" with the detail of what came back.
inline UserMessage CommError(const QString& detail)
{
    return {QStringLiteral("配置"), QStringLiteral("通信出错！"), detail};
}

inline QByteArray ParameterBlock()
{
    return QByteArray::fromHex(
        "03 03 01 02 0C 00 1C 02 00 00 0E 00 FF FF FF FF 02 01 04 01 00 01 78 56 34 12 02 03");
}

inline void FillSentinels(CPlainPageSet& pages)
{
    pages.Tran() = {0, 0, 9, 0, 1, 6, 3};
    pages.Serial() = {1, 1, 1, 0, 1, 2};
    pages.Can().m_nFilterMode = 1;
    pages.Can().m_strSendID = QStringLiteral("sentinel");
    ArmCanFields& arm = pages.ArmCan();
    arm.m_strCanID = QStringLiteral("sentinel");
    arm.m_strRegister = QStringLiteral("sentinel");
    arm.m_filters = {{1, 0x777, 0x777}};
}

} // namespace ReadFixtures
