#include "CSimTransmitQueue.h"

#include <algorithm>

void CSimTransmitQueue::enqueue(const QByteArray& bytes, Clock::time_point earliestStart,
                                quint32 bitRate, int splitMs)
{
    if (bytes.isEmpty())
        return;
    const Clock::time_point start = std::max(earliestStart, m_lineFreeAt);
    if (splitMs <= 0 || bytes.size() < 2) {
        m_lineFreeAt = enqueuePart(bytes, start, bitRate);
        return;
    }
    const qsizetype half = bytes.size() / 2;
    const Clock::time_point firstEnd = enqueuePart(bytes.left(half), start, bitRate);
    m_lineFreeAt =
        enqueuePart(bytes.mid(half), firstEnd + std::chrono::milliseconds(splitMs), bitRate);
}

std::optional<CSimTransmitQueue::Clock::time_point> CSimTransmitQueue::nextDue() const
{
    if (m_chunks.empty())
        return std::nullopt;
    return m_chunks.front().due;
}

QByteArray CSimTransmitQueue::takeDue(Clock::time_point now)
{
    QByteArray due;
    while (!m_chunks.empty() && m_chunks.front().due <= now) {
        due.append(m_chunks.front().bytes);
        m_chunks.pop_front();
    }
    return due;
}

CSimTransmitQueue::Clock::duration CSimTransmitQueue::TransmitTime(qint64 byteCount,
                                                                   quint32 bitRate)
{
    if (bitRate == 0)
        return Clock::duration::zero();
    const auto nanoseconds = byteCount * 10 * 1000000000LL / bitRate;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanoseconds));
}

int CSimTransmitQueue::ChunkSize(quint32 bitRate)
{
    return std::max(1, int(bitRate / 10 / 1000));
}

CSimTransmitQueue::Clock::time_point
CSimTransmitQueue::enqueuePart(const QByteArray& part, Clock::time_point start, quint32 bitRate)
{
    if (bitRate == 0) {
        m_chunks.push_back({part, start});
        return start;
    }
    const int chunkSize = ChunkSize(bitRate);
    for (qsizetype sent = 0; sent < part.size(); sent += chunkSize) {
        const qsizetype end = std::min(part.size(), sent + chunkSize);
        m_chunks.push_back({part.mid(sent, end - sent), start + TransmitTime(end, bitRate)});
    }
    return start + TransmitTime(part.size(), bitRate);
}
