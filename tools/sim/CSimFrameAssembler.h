#pragma once

#include <QByteArray>
#include <QList>

// Cuts the byte stream a converter hears into request frames. Anything that
// is not a frame with a known command, a request length and a matching check
// byte is thrown away, and the search goes on at the next F7 F8, including
// one that lay inside the rejected bytes.
class CSimFrameAssembler
{
public:
    // Appends bytes and returns the frames they completed.
    QList<QByteArray> feed(const QByteArray& bytes);
    // The line fell silent with a frame under way: gives up on it and returns
    // the frames still to be found in the bytes held after its start.
    QList<QByteArray> expire();
    // True while bytes are held that may still become a frame.
    bool hasPartialFrame() const { return !m_buffer.isEmpty(); }
    // Bytes thrown away since the last call.
    QByteArray takeDiscarded();

private:
    QList<QByteArray> scan();
    void discard(qsizetype count);
    // Size of the frame whose header starts the buffer, 0 while the header is
    // incomplete, -1 when it is no request header.
    int frameSizeAtStart() const;

    QByteArray m_buffer;
    QByteArray m_discarded;
};
