#pragma once

#include "CanIdCheck.h"

#include <QByteArray>

struct ArmCanFields;
struct CanFields;
struct SerialFields;
struct TranFields;

// The 28-byte parameter block of the write and read-reply frames, coded from
// and into the pages' fields. Device type 2 codes several bytes differently
// from types 0 and 1; any other device type is coded as types 0 and 1.
namespace ParameterBlockCodec {
constexpr int kBlockSize = 28;
constexpr int kArmDeviceType = 2;
} // namespace ParameterBlockCodec

struct ParameterBlockEncoding
{
    // Device type 2: the identifier check, whose messages the caller shows
    // and whose replacement text it puts into m_strCanID. Other types: an
    // accepted check without messages.
    CanIdCheckResult canIdCheck;
    QByteArray block; // kBlockSize bytes; empty when the identifier was refused

    bool Accepted() const { return !block.isEmpty(); }
};

// For device type 2 the frame type byte and the identifier check follow the
// CAN configuration page's frame type list only while that page is open
// (armPageOpen); otherwise the byte is 0 and the identifier is checked as a
// standard one. Filter mode 0 selects the dual-filter halves and any other
// value the single-filter texts; frame type 0 is standard and any other
// extended. Every single-byte field carries the low eight bits of its value;
// hex texts with missing groups encode those bytes as zero.
ParameterBlockEncoding EncodeParameterBlock(int deviceType, const TranFields& tran,
                                            const SerialFields& serial, const CanFields& can,
                                            const ArmCanFields& armCan, bool armPageOpen);

// Stores the block into the fields; false, with nothing changed, when the
// block is not kBlockSize bytes. Types 0 and 1 never change data bits, stop
// bits or the line mode; type 2 never changes the filter mode or the send
// identifier, and sets m_strCanID instead. Out-of-range codes are stored as
// computed.
bool DecodeParameterBlock(int deviceType, const QByteArray& block, TranFields& tran,
                          SerialFields& serial, CanFields& can, ArmCanFields& armCan);
