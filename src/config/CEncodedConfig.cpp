#include "CEncodedConfig.h"

#include "CAcceptanceTable.h"
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
    if (!encoded.m_canConfigBlock.isEmpty())
        encoded.m_filters = config.armCan.m_filters;
    return encoded;
}

bool CEncodedConfig::FiltersFit() const
{
    return CAcceptanceTable::FitsTable(m_filters);
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
