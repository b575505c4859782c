#pragma once

#include <QByteArray>
#include <QJsonObject>

#include <optional>

#include "Configuration.h"

class CMessageSink;

// The document a read reports for a converter that holds the given blocks:
// the blocks decoded onto the factory defaults as the read command decodes
// them, the CAN configuration block's filter table unpacked for every model.
// Two sets of blocks that give the same document configure a converter alike.
class CBlockDocument
{
public:
    CBlockDocument() = delete;

    // None when a block does not have its size.
    static std::optional<QJsonObject> FromBlocks(ConverterModel model,
                                                 const QByteArray& parameterBlock,
                                                 const QByteArray& canConfigBlock);
    // What a read would report once the configuration was written: the blocks the
    // write sends, decoded. A model that is sent no CAN configuration block
    // is taken to hold unsentCanConfigBlock (empty: the factory block). The
    // identifier check speaks as for a write; none when it refused.
    static std::optional<QJsonObject>
    AsWritten(Configuration config, const QByteArray& unsentCanConfigBlock, CMessageSink& messages);
    // The fields behind FromBlocks, for config's model; false, the fields
    // then not to be used, when a block does not have its size.
    static bool Decode(Configuration& config, const QByteArray& parameterBlock,
                       const QByteArray& canConfigBlock);
};
