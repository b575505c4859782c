#include "CBlockDocument.h"

#include "CArmCanConfig.h"
#include "CConfigDocument.h"
#include "CEncodedConfig.h"
#include "CMessageSink.h"
#include "CanConfigBlock.h"
#include "ParameterBlockCodec.h"

std::optional<QJsonObject> CBlockDocument::FromBlocks(ConverterModel model,
                                                      const QByteArray& parameterBlock,
                                                      const QByteArray& canConfigBlock)
{
    Configuration config;
    config.model = model;
    if (!Decode(config, parameterBlock, canConfigBlock))
        return std::nullopt;
    return CConfigDocument::ToJson(config);
}

std::optional<QJsonObject> CBlockDocument::AsWritten(Configuration config,
                                                     const QByteArray& unsentCanConfigBlock,
                                                     CMessageSink& messages)
{
    const CEncodedConfig encoded = CEncodedConfig::From(config);
    for (const UserMessage& message : encoded.CanIdCheck().messages)
        messages.ShowMessage(message.caption, message.text);
    if (!encoded.Accepted())
        return std::nullopt;
    QByteArray canConfigBlock = encoded.CanConfigBlock();
    if (canConfigBlock.isEmpty())
        canConfigBlock = unsentCanConfigBlock;
    if (canConfigBlock.isEmpty())
        canConfigBlock = CanConfigBlock().toBytes();
    return FromBlocks(config.model, encoded.ParameterBlock(), canConfigBlock);
}

bool CBlockDocument::Decode(Configuration& config, const QByteArray& parameterBlock,
                            const QByteArray& canConfigBlock)
{
    config = Configuration::Defaults(config.model);
    bool complete = false;
    const CanConfigBlock canBlock = CanConfigBlock::fromBytes(canConfigBlock, &complete);
    if (!complete || !DecodeParameterBlock(parameterBlock, config))
        return false;
    canBlock.applyTo(config.armCan);
    CArmCanConfig::FillFromBlock(config.armCan);
    return true;
}
