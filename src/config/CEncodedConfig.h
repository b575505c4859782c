#pragma once

#include "Configuration.h"
#include "ParameterBlockCodec.h"

#include <QByteArray>
#include <QList>

// What a write sends for a configuration: the parameter block and, for a
// model with the CAN configuration page, the CAN configuration block,
// collected as the write command collects them. The command line works it out before any
// port is opened; the write command sends the same blocks.
class CEncodedConfig
{
public:
    // Runs the Ostrel-X identifier check first; a replacement goes into
    // m_strCanID, and a refusal leaves both blocks empty.
    static CEncodedConfig From(Configuration& config);

    // The first half of FromPages: the checked parameter block, its
    // replacement identifier already in m_strCanID.
    static ParameterBlockEncoding EncodeParameters(Configuration& config);
    // The second half: the CAN configuration page's fields collected into
    // their block; empty for a model without that page.
    static QByteArray CollectCanConfig(Configuration& config);

    const CanIdCheckResult& CanIdCheck() const { return m_canIdCheck; }
    bool Accepted() const { return !m_parameterBlock.isEmpty(); }
    const QByteArray& ParameterBlock() const { return m_parameterBlock; }
    const QByteArray& CanConfigBlock() const { return m_canConfigBlock; } // empty: not sent
    // The filter entries the CAN configuration block was collected from, and
    // whether the table holds them all: one that does not leaves some out.
    const QList<FilterEntry>& Filters() const { return m_filters; }
    bool FiltersFit() const;

private:
    CanIdCheckResult m_canIdCheck;
    QByteArray m_parameterBlock;
    QByteArray m_canConfigBlock;
    QList<FilterEntry> m_filters;
};
