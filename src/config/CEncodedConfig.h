#pragma once

#include "ParameterBlockCodec.h"

#include <QByteArray>
#include <QList>

class CPageSet;

// What a write sends for the page set: the parameter block and, with the CAN
// configuration page open, the CAN configuration block, collected as the
// write command collects them. The command line works it out before any
// port is opened; the write command sends the same blocks.
class CEncodedConfig
{
public:
    // Runs the Ostrel-X identifier check first; a replacement goes into
    // m_strCanID, and a refusal leaves both blocks empty.
    static CEncodedConfig FromPages(CPageSet& pages);

    // The first half of FromPages: the checked parameter block, its
    // replacement identifier already in m_strCanID.
    static ParameterBlockEncoding EncodeParameters(CPageSet& pages);
    // The second half: the CAN configuration page collected into its block;
    // empty when that page is not open.
    static QByteArray CollectCanConfig(CPageSet& pages);

    const CanIdCheckResult& CanIdCheck() const { return m_canIdCheck; }
    bool Accepted() const { return !m_parameterBlock.isEmpty(); }
    const QByteArray& ParameterBlock() const { return m_parameterBlock; }
    const QByteArray& CanConfigBlock() const { return m_canConfigBlock; } // empty: not sent

    // The frames on the wire, in the order the write sends them.
    QList<QByteArray> Frames() const;

private:
    CanIdCheckResult m_canIdCheck;
    QByteArray m_parameterBlock;
    QByteArray m_canConfigBlock;
};
