#include "DemoConfiguration.h"

#include "ArmCanFields.h"
#include "CArmCanConfig.h"
#include "CanConfigBlock.h"
#include "CanFields.h"
#include "Configuration.h"
#include "ConverterModel.h"
#include "ParameterBlockCodec.h"
#include "SerialFields.h"
#include "TranFields.h"

namespace {

constexpr quint32 kBtr250K = 0x3AC005;
constexpr int kExtendedFrame = 1;

ArmCanFields ArmCan()
{
    ArmCanFields fields;
    fields.m_strCanID = QStringLiteral("18FF50E5");
    fields.m_strRegister = CArmCanConfig::FormatRegister(kBtr250K);
    fields.m_nFrameTypeSel = kExtendedFrame;
    fields.m_bFilterEnabled = true;
    fields.m_filters = {
        {0, 0x123, 0x123},
        {0, 0x200, 0x27F},
        {1, 0x18FF50E5, 0x18FF50E5},
        {1, 0x18FEF100, 0x18FEF1FF},
    };
    return fields;
}

} // namespace

namespace DemoConfiguration {

QByteArray ParameterBlock(ConverterModel model)
{
    const bool ostrelX = model == ConverterModel::OstrelX;
    Configuration config;
    config.model = model;
    config.armCan = ArmCan();
    TranFields& tran = config.tran;
    tran.m_nMode = ostrelX ? 0 : 1;
    tran.m_nFrameSpace = ostrelX ? 4 : 3;
    tran.m_bForwardID = ostrelX ? 1 : 0;
    tran.m_bForwardInfo = ostrelX ? 1 : 0;
    tran.m_nIdLength = ostrelX ? 1 : 2;

    SerialFields& serial = config.serial;
    serial.m_nBaudrate = 9; // 115200
    serial.m_nParity = ostrelX ? 2 : 0;
    serial.m_nLineMode = 1; // RS-485

    CanFields& can = config.can;
    can.m_nBaudrate = 10; // 250 K
    can.m_strBTR = {QStringLiteral("01"), QStringLiteral("1C")};
    can.m_strSendID = QStringLiteral("00 00 01 23");
    can.m_strAcptCode = QStringLiteral("00 00 01 00");
    can.m_strAcptMask = QStringLiteral("00 00 00 FF");

    return EncodeParameterBlock(config).block;
}

QByteArray CanBlock()
{
    ArmCanFields fields = ArmCan();
    CArmCanConfig::CollectIntoBlock(fields);
    return CanConfigBlock::fromFields(fields).toBytes();
}

} // namespace DemoConfiguration
