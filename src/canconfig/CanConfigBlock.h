#pragma once

#include "ArmCanFields.h"
#include "BlockSizes.h"
#include "CanAcceptance.h"

#include <QByteArray>
#include <QtGlobal>

// Payload of the CAN configuration block exchange: bus timing register value,
// frame type and acceptance part, little-endian throughout.
struct CanConfigBlock
{
    static constexpr int kSize = BlockSizes::kCanConfigBlock;

    quint32 btr = ArmCanFields::kDefaultBtr;
    qint32 frameType = 0;
    CanAcceptance acceptance;

    QByteArray toBytes() const;
    // An array of any other size than kSize yields a default block and *ok
    // false; nothing is read from it.
    static CanConfigBlock fromBytes(const QByteArray& bytes, bool* ok = nullptr);

    static CanConfigBlock fromFields(const ArmCanFields& fields);
    // Replaces m_dwBtr, m_nFrameType and m_acceptance, as a received block does.
    void applyTo(ArmCanFields& fields) const;

    friend bool operator==(const CanConfigBlock& a, const CanConfigBlock& b)
    {
        return a.btr == b.btr && a.frameType == b.frameType && a.acceptance == b.acceptance;
    }
    friend bool operator!=(const CanConfigBlock& a, const CanConfigBlock& b) { return !(a == b); }
};
