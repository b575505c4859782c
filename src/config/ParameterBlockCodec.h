#pragma once

#include "CanIdCheck.h"
#include "Configuration.h"

#include <QByteArray>

// The 28-byte parameter block of the write and read-reply frames, coded from
// and into the pages' fields. The Ostrel-X codes several bytes differently
// from the other models.
struct ParameterBlockEncoding
{
    // Ostrel-X: the identifier check, whose messages the caller shows
    // and whose replacement text it puts into m_strCanID. Other types: an
    // accepted check without messages.
    CanIdCheckResult canIdCheck;
    QByteArray block; // BlockSizes::kParameterBlock bytes; empty when the identifier was refused

    bool Accepted() const { return !block.isEmpty(); }
};

// For the Ostrel-X the frame type byte and the identifier check follow the
// CAN configuration page's frame type list. Filter mode 0 selects the dual-filter halves and any
// other value the single-filter texts; frame type 0 is standard and any other extended. Every
// single-byte field carries the low eight bits of its value; hex texts with missing groups encode
// those bytes as zero.
ParameterBlockEncoding EncodeParameterBlock(const Configuration& config);

// Stores the block into the fields; false, with nothing changed, when the
// block is not BlockSizes::kParameterBlock bytes. The Ostrel-A and -B
// never change data bits, stop bits or the line mode; the Ostrel-X never
// changes the filter mode or the send identifier, and sets m_strCanID instead. Out-of-range codes
// are stored as computed.
bool DecodeParameterBlock(const QByteArray& block, Configuration& config);
