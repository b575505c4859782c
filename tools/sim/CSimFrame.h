#pragma once

#include <QByteArray>
#include <QtGlobal>

// The converter's frame envelope: F7 F8, command code, length, payload and an
// XOR check byte over everything before it.
class CSimFrame
{
public:
    static constexpr quint8 kStart1 = 0xF7;
    static constexpr quint8 kStart2 = 0xF8;
    static constexpr int kHeaderSize = 4;
    static constexpr int kParameterBlockSize = 28;
    static constexpr int kCanConfigBlockSize = 2080;
    static constexpr int kMaxFrameSize = kHeaderSize + kCanConfigBlockSize + 1;

    static quint8 CheckByte(const QByteArray& data);
    // Payload size announced by a length byte, or -1 for a length no request uses.
    static int PayloadSize(quint8 lengthByte);
    static bool IsKnownCommand(quint8 code) { return code >= 0x01 && code <= 0x05; }
    static QByteArray Build(quint8 code, const QByteArray& payload);
    static QByteArray Acknowledgement(quint8 code);
};
