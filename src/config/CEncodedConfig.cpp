#include "CEncodedConfig.h"

#include "ArmCanFields.h"
#include "CFrameProtocol.h"
#include "CPageSet.h"
#include "CanConfigBlock.h"

using Page = CPageSet::Page;

CEncodedConfig CEncodedConfig::FromPages(CPageSet& pages)
{
    CEncodedConfig config;
    const ParameterBlockEncoding encoding = EncodeParameters(pages);
    config.m_canIdCheck = encoding.canIdCheck;
    if (!encoding.Accepted())
        return config;
    config.m_parameterBlock = encoding.block;
    config.m_canConfigBlock = CollectCanConfig(pages);
    return config;
}

ParameterBlockEncoding CEncodedConfig::EncodeParameters(CPageSet& pages)
{
    const ParameterBlockEncoding encoding =
        EncodeParameterBlock(pages.DeviceType(), pages.Tran(), pages.Serial(), pages.Can(),
                             pages.ArmCan(), pages.IsOpen(Page::ArmCan));
    if (encoding.canIdCheck.replaced)
        pages.ArmCan().m_strCanID = encoding.canIdCheck.canId;
    return encoding;
}

QByteArray CEncodedConfig::CollectCanConfig(CPageSet& pages)
{
    if (!pages.IsOpen(Page::ArmCan))
        return {};
    pages.CollectIntoBlock();
    return CanConfigBlock::fromFields(pages.ArmCan()).toBytes();
}

QList<QByteArray> CEncodedConfig::Frames() const
{
    using Command = CFrameProtocol::Command;
    QList<QByteArray> frames;
    if (!Accepted())
        return frames;
    frames.append(CFrameProtocol::BuildFrame(Command::WriteParameters, m_parameterBlock));
    if (!m_canConfigBlock.isEmpty())
        frames.append(CFrameProtocol::BuildFrame(Command::WriteCanConfig, m_canConfigBlock));
    return frames;
}
