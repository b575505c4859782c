#pragma once

#include <QString>

#include <array>

// Values of the CAN page of device types 0 and 1.
struct CanFields
{
    int m_nBaudrate = 10;
    std::array<QString, 2> m_strBTR;
    int m_nFrameType = 0;
    int m_nFilterMode = 1;
    int m_bCustomMask = 0;
    QString m_strSendID = QStringLiteral("00 00 00 00");
    QString m_strAcptCode = QStringLiteral("00 00 00 00");
    std::array<QString, 2> m_strAcptCodeDual{QStringLiteral("00 00"), QStringLiteral("00 00")};
    QString m_strAcptMask = QStringLiteral("FF FF FF FF");
    std::array<QString, 2> m_strAcptMaskDual{QStringLiteral("FF FF"), QStringLiteral("FF FF")};
};
