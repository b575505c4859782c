#pragma once

#include "CanIdCheck.h"

#include <QByteArray>
#include <QList>

class CPageSet;

// What a write sends for the page set, worked out before any port is opened:
// the parameter block and, with the CAN configuration page open, the CAN
// configuration block, as the window's write command collects them.
class CEncodedConfig
{
public:
    static constexpr quint8 kWriteParameterBlockCode = 0x01;
    static constexpr quint8 kWriteCanConfigBlockCode = 0x04;

    // Runs the device-type-2 CAN ID check first; a replacement goes into
    // m_strCanID, and a refusal leaves both blocks empty.
    static CEncodedConfig FromPages(CPageSet& pages);

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
