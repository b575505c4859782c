#pragma once

#include <QString>
#include <QtGlobal>

// Hexadecimal byte texts such as "00 00 07 FF": groups of up to two digits,
// first group most significant, separated by optional white space, digits in
// either case.
namespace HexText {
// The value of the first `groups` groups (1..4). Parsing stops at the first
// character that is neither white space nor a digit; a missing group counts
// as a zero byte in its place, so "12 34" read as four groups is 0x12340000.
quint32 Parse(const QString& text, int groups);
// Two upper-case digits per byte, groups joined by one blank.
QString Format(quint32 value, int groups);
// Two upper-case digits per byte without separators ("1FFFFFFF").
QString FormatCompact(quint32 value, int groups);
} // namespace HexText
