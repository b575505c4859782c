#include "CBlockDocument.h"

#include "CArmCanConfig.h"
#include "CConfigCommands.h"
#include "CConfigDocument.h"
#include "CEncodedConfig.h"
#include "CMessageSink.h"
#include "CPlainPageSet.h"
#include "CanConfigBlock.h"
#include "ParameterBlockCodec.h"

std::optional<QJsonObject> CBlockDocument::FromBlocks(int deviceType,
                                                      const QByteArray& parameterBlock,
                                                      const QByteArray& canConfigBlock)
{
    CPlainPageSet pages(deviceType);
    if (!Decode(pages, parameterBlock, canConfigBlock))
        return std::nullopt;
    return CConfigDocument::ToJson(pages);
}

std::optional<QJsonObject> CBlockDocument::AsWritten(CPlainPageSet& pages,
                                                     const QByteArray& unsentCanConfigBlock,
                                                     CMessageSink& messages)
{
    const CEncodedConfig encoded = CEncodedConfig::FromPages(pages);
    for (const UserMessage& message : encoded.CanIdCheck().messages)
        messages.ShowMessage(message.caption, message.text);
    if (!encoded.Accepted())
        return std::nullopt;
    QByteArray canConfigBlock = encoded.CanConfigBlock();
    if (canConfigBlock.isEmpty())
        canConfigBlock = unsentCanConfigBlock;
    if (canConfigBlock.isEmpty())
        canConfigBlock = CanConfigBlock().toBytes();
    return FromBlocks(pages.DeviceType(), encoded.ParameterBlock(), canConfigBlock);
}

bool CBlockDocument::Decode(CPlainPageSet& pages, const QByteArray& parameterBlock,
                            const QByteArray& canConfigBlock)
{
    CConfigCommands::RestoreDefaults(pages);
    bool complete = false;
    const CanConfigBlock canBlock = CanConfigBlock::fromBytes(canConfigBlock, &complete);
    if (!complete || !DecodeParameterBlock(pages.DeviceType(), parameterBlock, pages.Tran(),
                                           pages.Serial(), pages.Can(), pages.ArmCan()))
        return false;
    canBlock.applyTo(pages.ArmCan());
    CArmCanConfig::FillFromBlock(pages.ArmCan());
    return true;
}
