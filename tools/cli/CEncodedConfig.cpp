#include "CEncodedConfig.h"

#include "ArmCanFields.h"
#include "CFrameProtocol.h"
#include "CPageSet.h"
#include "CanConfigBlock.h"
#include "ParameterBlockCodec.h"

CEncodedConfig CEncodedConfig::FromPages(CPageSet& pages)
{
    using Page = CPageSet::Page;
    CEncodedConfig config;
    const ParameterBlockEncoding encoding =
        EncodeParameterBlock(pages.DeviceType(), pages.Tran(), pages.Serial(), pages.Can(),
                             pages.ArmCan(), pages.IsOpen(Page::ArmCan));
    config.m_canIdCheck = encoding.canIdCheck;
    if (!encoding.Accepted())
        return config;
    if (encoding.canIdCheck.replaced)
        pages.ArmCan().m_strCanID = encoding.canIdCheck.canId;
    config.m_parameterBlock = encoding.block;
    if (pages.IsOpen(Page::ArmCan)) {
        pages.CollectIntoBlock();
        config.m_canConfigBlock = CanConfigBlock::fromFields(pages.ArmCan()).toBytes();
    }
    return config;
}

QList<QByteArray> CEncodedConfig::Frames() const
{
    QList<QByteArray> frames;
    if (!Accepted())
        return frames;
    frames.append(CFrameProtocol::BuildFrame(kWriteParameterBlockCode, m_parameterBlock));
    if (!m_canConfigBlock.isEmpty())
        frames.append(CFrameProtocol::BuildFrame(kWriteCanConfigBlockCode, m_canConfigBlock));
    return frames;
}
