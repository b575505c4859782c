#include "ParameterKeys.h"

#include "ParameterDefaults.h"

namespace {

using Fields = ParameterFields;

constexpr ParameterKey Integer(const char* name, int& (*field)(Fields))
{
    return {name, field, nullptr};
}

constexpr ParameterKey Text(const char* name, QString& (*field)(Fields))
{
    return {name, nullptr, field};
}

const std::array<ParameterKey, ParameterKeys::kCount> kKeys{{
    Integer("CanBaudrate", [](Fields f) -> int& { return f.can.m_nBaudrate; }),
    Text("CanBTR0", [](Fields f) -> QString& { return f.can.m_strBTR[0]; }),
    Text("CanBTR1", [](Fields f) -> QString& { return f.can.m_strBTR[1]; }),
    Integer("CanFrameType", [](Fields f) -> int& { return f.can.m_nFrameType; }),
    Integer("CanFiterMode", [](Fields f) -> int& { return f.can.m_nFilterMode; }),
    Text("CanID", [](Fields f) -> QString& { return f.can.m_strSendID; }),
    Text("CanAcptCode", [](Fields f) -> QString& { return f.can.m_strAcptCode; }),
    Text("CanAcptMask", [](Fields f) -> QString& { return f.can.m_strAcptMask; }),

    Integer("SerialBaudrate", [](Fields f) -> int& { return f.serial.m_nBaudrate; }),
    Integer("SerialParity", [](Fields f) -> int& { return f.serial.m_nParity; }),
    Integer("SerialDataBit", [](Fields f) -> int& { return f.serial.m_nDataBit; }),
    Integer("SerialStopBit", [](Fields f) -> int& { return f.serial.m_nStopBit; }),
    Integer("SerialFlowCtrl", [](Fields f) -> int& { return f.serial.m_nFlowCtrl; }),
    Integer("SerialMode", [](Fields f) -> int& { return f.serial.m_nLineMode; }),

    Integer("TranMode", [](Fields f) -> int& { return f.tran.m_nMode; }),
    Integer("TranDir", [](Fields f) -> int& { return f.tran.m_nDirection; }),
    Integer("TranSpace", [](Fields f) -> int& { return f.tran.m_nFrameSpace; }),
    Integer("TranID", [](Fields f) -> int& { return f.tran.m_bForwardID; }),
    Integer("TranInfo", [](Fields f) -> int& { return f.tran.m_bForwardInfo; }),
    Integer("TranIdBase", [](Fields f) -> int& { return f.tran.m_nIdOffset; }),
    Integer("TranLength", [](Fields f) -> int& { return f.tran.m_nIdLength; }),
}};

} // namespace

ParameterValues ParameterValues::Factory()
{
    ParameterValues values;
    ApplyParameterDefaults(values.tran, values.serial, values.can);
    return values;
}

namespace ParameterKeys {

const std::array<ParameterKey, kCount>& All()
{
    return kKeys;
}

} // namespace ParameterKeys
