#include "CSimFrame.h"

quint8 CSimFrame::CheckByte(const QByteArray& data)
{
    quint8 check = 0;
    for (const char byte : data)
        check ^= static_cast<quint8>(byte);
    return check;
}

int CSimFrame::PayloadSize(quint8 lengthByte)
{
    switch (lengthByte) {
    case 0x01:
    case 0x04:
    case 0x1C:
        return lengthByte;
    case 0xFF:
        return kCanConfigBlockSize;
    default:
        return -1;
    }
}

QByteArray CSimFrame::Build(quint8 code, const QByteArray& payload)
{
    // A CAN configuration block does not fit a length byte; the protocol marks it with FF.
    const auto length =
        payload.size() == kCanConfigBlockSize ? quint8(0xFF) : static_cast<quint8>(payload.size());
    QByteArray frame;
    frame.reserve(kHeaderSize + payload.size() + 1);
    frame.append(char(kStart1)).append(char(kStart2)).append(char(code)).append(char(length));
    frame.append(payload);
    frame.append(char(CheckByte(frame)));
    return frame;
}

QByteArray CSimFrame::Acknowledgement(quint8 code)
{
    QByteArray frame;
    frame.append(char(kStart1)).append(char(kStart2)).append(char(code)).append(char(0x13));
    frame.append(char(CheckByte(frame)));
    return frame;
}
