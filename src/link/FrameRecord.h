#pragma once

#include <QByteArray>
#include <QtGlobal>

// One frame that went over the line, or what came back instead of one.
struct FrameRecord
{
    enum class Direction
    {
        Sent,
        Received,
    };
    // What became of a reply.
    enum class Outcome
    {
        Complete,   // a whole frame (for a request: sent)
        CutOff,     // the bytes stopped before the frame's end
        TooSlow,    // still arriving when the time allowed ran out
        BadCheck,   // whole, with a wrong check byte
        WrongReply, // not the reply asked for: another command's, or another model's
        NoReply,    // nothing came
    };

    qint64 msecsSinceEpoch = 0;
    Direction direction = Direction::Sent;
    Outcome outcome = Outcome::Complete;
    QByteArray bytes;   // as they went over the line
    int expected = 0;   // a reply: the bytes the frame should have had
    int passedOver = 0; // a reply: bytes before its start, the rest of something earlier

    // The command byte and the frame's check, where the bytes hold them.
    int Command() const { return bytes.size() > 2 ? quint8(bytes.at(2)) : -1; }
    bool HasCheck() const { return bytes.size() >= 5; }
    bool CheckGood() const
    {
        quint8 check = 0;
        for (qsizetype index = 0; index + 1 < bytes.size(); ++index)
            check ^= quint8(bytes.at(index));
        return HasCheck() && check == quint8(bytes.back());
    }
};
