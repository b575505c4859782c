#include "ParameterDefaults.h"

#include "CanFields.h"
#include "SerialFields.h"
#include "TranFields.h"

void ApplyParameterDefaults(TranFields& tran, SerialFields& serial, CanFields& can)
{
    CanFields factory;
    factory.m_strBTR = {QStringLiteral("00"), QStringLiteral("14")};
    factory.m_bCustomMask = 1;
    factory.m_strAcptCodeDual = can.m_strAcptCodeDual;
    factory.m_strAcptMaskDual = can.m_strAcptMaskDual;
    can = factory;
    serial = SerialFields{};
    tran = TranFields{};
}
