#include "ParameterDefaults.h"

#include "CanFields.h"
#include "SerialFields.h"
#include "TranFields.h"

void ApplyParameterDefaults(TranFields& tran, SerialFields& serial, CanFields& can)
{
    can.m_nBaudrate = 10;
    can.m_strBTR = {QStringLiteral("00"), QStringLiteral("14")};
    can.m_nFrameType = 0;
    can.m_nFilterMode = 1;
    can.m_strSendID = QStringLiteral("00 00 00 00");
    can.m_strAcptCode = QStringLiteral("00 00 00 00");
    can.m_strAcptMask = QStringLiteral("FF FF FF FF");
    can.m_bCustomMask = 1;

    serial.m_nBaudrate = 4;
    serial.m_nParity = 0;
    serial.m_nDataBit = 3;
    serial.m_nStopBit = 0;
    serial.m_nFlowCtrl = 2;
    serial.m_nLineMode = 0;

    tran.m_nMode = 0;
    tran.m_nDirection = 0;
    tran.m_nFrameSpace = 2;
    tran.m_bForwardID = 0;
    tran.m_bForwardInfo = 0;
    tran.m_nIdOffset = 0;
    tran.m_nIdLength = 1;
}
