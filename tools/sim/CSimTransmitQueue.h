#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>
#include <deque>
#include <optional>

// Replies waiting to go out on the line, cut into chunks that each fall due
// when a real line at the converter's bit rate would have finished sending
// their last byte. Deadlines are counted from the start of each reply, so
// rounding never adds up: a reply of n bytes ends exactly n * 10 bit times
// after it began.
class CSimTransmitQueue
{
public:
    using Clock = std::chrono::steady_clock;

    // bitRate 0 sends each part at once; splitMs > 0 sends the reply in two
    // halves with that pause between them. A reply never starts before the
    // previous one has ended.
    void enqueue(const QByteArray& bytes, Clock::time_point earliestStart, quint32 bitRate,
                 int splitMs);
    std::optional<Clock::time_point> nextDue() const;
    // The bytes of every chunk due by now, in order.
    QByteArray takeDue(Clock::time_point now);
    bool isEmpty() const { return m_chunks.empty(); }

    // Ten bit times per byte: start bit, eight data bits, stop bit.
    static Clock::duration TransmitTime(qint64 byteCount, quint32 bitRate);
    // About a millisecond's worth of bytes, so pacing stays fine without a
    // wake-up per byte.
    static int ChunkSize(quint32 bitRate);

private:
    struct Chunk
    {
        QByteArray bytes;
        Clock::time_point due;
    };

    // Returns when the part has been sent completely.
    Clock::time_point enqueuePart(const QByteArray& part, Clock::time_point start, quint32 bitRate);

    std::deque<Chunk> m_chunks;
    Clock::time_point m_lineFreeAt{};
};
