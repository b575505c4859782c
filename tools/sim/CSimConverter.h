#pragma once

#include "ConverterModel.h"

#include "COstrelSimulator.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

struct SimBlocks
{
    QByteArray parameterBlock; // 28 bytes
    QByteArray canConfigBlock; // 2080 bytes
};

// What a converter does with each valid request, faults included, apart from
// the line: which blocks it keeps and which bytes it answers with.
//
// The frames, codes, model bytes, bit rates and factory blocks here are the
// simulator's own copy of the protocol, written from the converter's side and
// deliberately not shared with the tool's link layer: the tests talk to this
// copy, so a mistake in the tool's protocol cannot hide behind the same
// mistake in its peer.
class CSimConverter
{
public:
    struct Outcome
    {
        QByteArray reply;   // empty when the converter keeps quiet
        bool exact = false; // a queued reply, to be sent as it is
        bool blocksWritten = false;
    };

    explicit CSimConverter(ConverterModel model);

    Outcome handle(const QByteArray& frame, const SimOptions& options);
    // Starts the request count of the drop fault and the first-reply garbage again.
    void restartFaults();
    void queueRawReply(const QByteArray& bytes) { m_rawReplies.append(bytes); }

    const SimBlocks& blocks() const { return m_blocks; }
    void setBlocks(const SimBlocks& blocks);
    void setParameterBlock(const QByteArray& block);
    void setCanConfigBlock(const QByteArray& block);

    static QByteArray DefaultParameterBlock(ConverterModel model);
    static QByteArray DefaultCanConfigBlock();
    static quint8 ModelCode(ConverterModel model);
    static quint32 ConfigBitRate(ConverterModel model);
    static QByteArray Junk(int count);

private:
    QByteArray normalReply(quint8 code, const QByteArray& payload, const SimOptions& options,
                           bool& blocksWritten);
    QByteArray acknowledge(quint8 code, const SimOptions& options) const;
    QByteArray dataReply(quint8 code, const QByteArray& block, const SimOptions& options) const;
    bool isOwnHandshake(const QByteArray& payload, ConverterModel model) const;

    SimBlocks m_blocks;
    QList<QByteArray> m_rawReplies;
    int m_requestsSeen = 0;
    bool m_garbageSent = false;
};
