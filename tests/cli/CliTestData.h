#pragma once

#include <QByteArray>

// Converter blocks that the tool itself would write, with values away from
// the defaults, so that a read followed by a write must give them back as
// they are.
namespace CliTestData {

// Model A: serial 115200, even parity, custom BTR 03 1C, dual filter on
// extended frames, send ID 1F FF FF FF, conversion with identifier.
inline QByteArray ParameterBlockA()
{
    return QByteArray::fromHex("01 08 01 02 00 03 1C 00 05 67 12 34 0F F0 FF 00"
                               "02 02 05 01 01 01 FF FF FF F8 02 03");
}

// Model X: serial 460800, 7 data bits, 2 stop bits, RS-422, single filter
// with code 00 01 23 45 on extended frames, CAN ID 1ABCDEF0.
inline QByteArray ParameterBlockX()
{
    return QByteArray::fromHex("0D 02 01 01 0A 00 14 03 00 09 1A 28 FF FF FF FF"
                               "03 01 0A 00 01 01 F0 DE BC 1A 04 07");
}

// 500K, extended frames, filtering on, one entry of each kind plus a second
// standard identifier, so that the standard section holds a full word.
inline QByteArray CanConfigBlockWithFilters()
{
    QByteArray block = QByteArray::fromHex("02 C0 3A 00 01 00 00 00 00 00 00 00"
                                           "00 00 00 00 04 00 00 00 08 00 00 00"
                                           "0C 00 00 00 14 00 00 00"
                                           "23 01 10 00"
                                           "FF 02 00 02"
                                           "F0 DE BC 1A"
                                           "00 00 01 00 FF FF 01 00");
    block.resize(2080, '\0');
    return block;
}

} // namespace CliTestData
