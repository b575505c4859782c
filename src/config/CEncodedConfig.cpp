#include "CEncodedConfig.h"

#include "CArmCanConfig.h"
#include "CanConfigBlock.h"

CEncodedConfig CEncodedConfig::From(Configuration& config)
{
    CEncodedConfig encoded;
    const ParameterBlockEncoding encoding = EncodeParameters(config);
    encoded.m_canIdCheck = encoding.canIdCheck;
    if (!encoding.Accepted())
        return encoded;
    encoded.m_parameterBlock = encoding.block;
    encoded.m_canConfigBlock = CollectCanConfig(config);
    return encoded;
}

ParameterBlockEncoding CEncodedConfig::EncodeParameters(Configuration& config)
{
    const ParameterBlockEncoding encoding = EncodeParameterBlock(config);
    if (encoding.canIdCheck.replaced)
        config.armCan.m_strCanID = encoding.canIdCheck.canId;
    return encoding;
}

QByteArray CEncodedConfig::CollectCanConfig(Configuration& config)
{
    if (!config.HasCanConfigPage())
        return {};
    CArmCanConfig::CollectIntoBlock(config.armCan);
    return CanConfigBlock::fromFields(config.armCan).toBytes();
}
