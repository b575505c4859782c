#include "CSimFrameAssembler.h"
#include "FuzzCheck.h"

namespace {

quint8 Xor(const QByteArray& bytes)
{
    quint8 check = 0;
    for (const char byte : bytes)
        check ^= quint8(byte);
    return check;
}

} // namespace

// The simulator's reassembly of what it hears: any byte stream, cut anywhere,
// yields only whole frames with a right check byte, and the same frames
// however it is cut; heard again on their own they come back unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int cut = 1 + data[0] % 64;
    const QByteArray stream = BytesOf(data + 1, size - 1);

    CSimFrameAssembler inPieces;
    QList<QByteArray> frames;
    for (qsizetype at = 0; at < stream.size(); at += cut)
        frames += inPieces.feed(stream.mid(at, cut));
    CSimFrameAssembler whole;
    QList<QByteArray> wholeFrames = whole.feed(stream);
    Require(frames == wholeFrames);
    frames += inPieces.expire();
    qsizetype bytes = 0;
    for (const QByteArray& frame : frames) {
        Require(frame.size() >= 5);
        Require(frame.startsWith("\xF7\xF8"));
        Require(Xor(frame) == 0);
        bytes += frame.size();
    }
    Require(bytes <= stream.size());

    CSimFrameAssembler again;
    QList<QByteArray> heard;
    for (const QByteArray& frame : frames)
        heard += again.feed(frame);
    Require(heard == frames);
    Require(!again.hasPartialFrame());
    return 0;
}
