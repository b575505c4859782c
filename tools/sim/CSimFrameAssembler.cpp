#include "CSimFrameAssembler.h"

#include "CSimFrame.h"

QList<QByteArray> CSimFrameAssembler::feed(const QByteArray& bytes)
{
    m_buffer.append(bytes);
    return scan();
}

QList<QByteArray> CSimFrameAssembler::expire()
{
    QList<QByteArray> frames;
    while (!m_buffer.isEmpty()) {
        discard(1);
        frames.append(scan());
    }
    return frames;
}

QByteArray CSimFrameAssembler::takeDiscarded()
{
    QByteArray discarded;
    discarded.swap(m_discarded);
    return discarded;
}

QList<QByteArray> CSimFrameAssembler::scan()
{
    QList<QByteArray> frames;
    while (!m_buffer.isEmpty()) {
        const qsizetype start = m_buffer.indexOf(char(CSimFrame::kStart1));
        if (start < 0) {
            discard(m_buffer.size());
            break;
        }
        discard(start);
        const int size = frameSizeAtStart();
        if (size == 0 || m_buffer.size() < size)
            break;
        if (size < 0) {
            discard(1);
            continue;
        }
        const QByteArray frame = m_buffer.left(size);
        if (CSimFrame::CheckByte(frame.left(size - 1)) != quint8(frame.back())) {
            discard(1);
            continue;
        }
        m_buffer.remove(0, size);
        frames.append(frame);
    }
    return frames;
}

void CSimFrameAssembler::discard(qsizetype count)
{
    m_discarded.append(m_buffer.left(count));
    m_buffer.remove(0, count);
}

int CSimFrameAssembler::frameSizeAtStart() const
{
    if (m_buffer.size() < 2)
        return 0;
    if (quint8(m_buffer.at(1)) != CSimFrame::kStart2)
        return -1;
    if (m_buffer.size() < 3)
        return 0;
    if (!CSimFrame::IsKnownCommand(quint8(m_buffer.at(2))))
        return -1;
    if (m_buffer.size() < CSimFrame::kHeaderSize)
        return 0;
    const int payload = CSimFrame::PayloadSize(quint8(m_buffer.at(3)));
    return payload < 0 ? -1 : CSimFrame::kHeaderSize + payload + 1;
}
