#include "ParameterKeys.h"

namespace {

using Fields = ParameterFields;

constexpr int kByteMax = 255;
constexpr int kBoxMax = 1;

constexpr ParameterKey Integer(const char* name, int max, int& (*field)(Fields))
{
    return {name, field, nullptr, 0, max, 0};
}

constexpr ParameterKey Text(const char* name, int groups, QString& (*field)(Fields))
{
    return {name, nullptr, field, 0, 0, groups};
}

const std::array<ParameterKey, ParameterKeys::kCount> kKeys{{
    Integer("CanBaudrate", 15, [](Fields f) -> int& { return f.can.m_nBaudrate; }),
    Text("CanBTR0", 1, [](Fields f) -> QString& { return f.can.m_strBTR[0]; }),
    Text("CanBTR1", 1, [](Fields f) -> QString& { return f.can.m_strBTR[1]; }),
    Integer("CanFrameType", kBoxMax, [](Fields f) -> int& { return f.can.m_nFrameType; }),
    Integer("CanFiterMode", kBoxMax, [](Fields f) -> int& { return f.can.m_nFilterMode; }),
    Text("CanID", 4, [](Fields f) -> QString& { return f.can.m_strSendID; }),
    Text("CanAcptCode", 4, [](Fields f) -> QString& { return f.can.m_strAcptCode; }),
    Text("CanAcptMask", 4, [](Fields f) -> QString& { return f.can.m_strAcptMask; }),

    Integer("SerialBaudrate", 9, [](Fields f) -> int& { return f.serial.m_nBaudrate; }),
    Integer("SerialParity", 4, [](Fields f) -> int& { return f.serial.m_nParity; }),
    Integer("SerialDataBit", 3, [](Fields f) -> int& { return f.serial.m_nDataBit; }),
    Integer("SerialStopBit", kBoxMax, [](Fields f) -> int& { return f.serial.m_nStopBit; }),
    Integer("SerialFlowCtrl", 2, [](Fields f) -> int& { return f.serial.m_nFlowCtrl; }),
    Integer("SerialMode", 2, [](Fields f) -> int& { return f.serial.m_nLineMode; }),

    Integer("TranMode", 2, [](Fields f) -> int& { return f.tran.m_nMode; }),
    Integer("TranDir", 2, [](Fields f) -> int& { return f.tran.m_nDirection; }),
    Integer("TranSpace", kByteMax, [](Fields f) -> int& { return f.tran.m_nFrameSpace; }),
    Integer("TranID", kBoxMax, [](Fields f) -> int& { return f.tran.m_bForwardID; }),
    Integer("TranInfo", kBoxMax, [](Fields f) -> int& { return f.tran.m_bForwardInfo; }),
    Integer("TranIdBase", kByteMax, [](Fields f) -> int& { return f.tran.m_nIdOffset; }),
    Integer("TranLength", kByteMax, [](Fields f) -> int& { return f.tran.m_nIdLength; }),
}};

} // namespace

namespace ParameterKeys {

const std::array<ParameterKey, kCount>& All()
{
    return kKeys;
}

} // namespace ParameterKeys
