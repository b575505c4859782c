#include "FieldSnapshot.h"

#include "ArmCanFields.h"
#include "CPageSet.h"
#include "CanFields.h"
#include "SerialFields.h"
#include "TranFields.h"

#include <QStringList>

QVariantMap FieldSnapshot(CPageSet& pages)
{
    const TranFields& t = pages.Tran();
    const SerialFields& s = pages.Serial();
    const CanFields& c = pages.Can();
    const ArmCanFields& a = pages.ArmCan();
    QStringList filters;
    for (const FilterEntry& f : a.m_filters)
        filters << QStringLiteral("%1:%2-%3").arg(f.extended).arg(f.start).arg(f.end);
    const auto bytes = [](const auto& table) {
        return QByteArray(reinterpret_cast<const char*>(table.data()), qsizetype(table.size()));
    };
    return {
        {"tran.mode", t.m_nMode},
        {"tran.direction", t.m_nDirection},
        {"tran.frameSpace", t.m_nFrameSpace},
        {"tran.forwardId", t.m_bForwardID},
        {"tran.forwardInfo", t.m_bForwardInfo},
        {"tran.idOffset", t.m_nIdOffset},
        {"tran.idLength", t.m_nIdLength},
        {"serial.baudrate", s.m_nBaudrate},
        {"serial.parity", s.m_nParity},
        {"serial.dataBit", s.m_nDataBit},
        {"serial.stopBit", s.m_nStopBit},
        {"serial.flowCtrl", s.m_nFlowCtrl},
        {"serial.lineMode", s.m_nLineMode},
        {"can.baudrate", c.m_nBaudrate},
        {"can.btr", QStringList{c.m_strBTR[0], c.m_strBTR[1]}},
        {"can.frameType", c.m_nFrameType},
        {"can.filterMode", c.m_nFilterMode},
        {"can.customMask", c.m_bCustomMask},
        {"can.sendId", c.m_strSendID},
        {"can.code", c.m_strAcptCode},
        {"can.codeDual", QStringList{c.m_strAcptCodeDual[0], c.m_strAcptCodeDual[1]}},
        {"can.mask", c.m_strAcptMask},
        {"can.maskDual", QStringList{c.m_strAcptMaskDual[0], c.m_strAcptMaskDual[1]}},
        {"arm.btr", a.m_dwBtr},
        {"arm.frameType", a.m_nFrameType},
        {"arm.canId", a.m_strCanID},
        {"arm.startId", a.m_strStartID},
        {"arm.endId", a.m_strEndID},
        {"arm.filters", filters},
        {"arm.register", a.m_strRegister},
        {"arm.frameTypeSel", a.m_nFrameTypeSel},
        {"arm.filterEnabled", a.m_bFilterEnabled},
        {"arm.filterMode", a.m_acceptance.filterMode},
        {"arm.tableEnd", a.m_acceptance.tableEnd},
        {"arm.table", bytes(a.m_acceptance.table)},
    };
}
