#include "CSimConverter.h"

#include "CSimFrame.h"

#include <QtEndian>

namespace {

constexpr quint8 kHandshake = 0x02;
constexpr quint8 kWriteParameters = 0x01;
constexpr quint8 kReadParameters = 0x03;
constexpr quint8 kWriteCanConfig = 0x04;
constexpr quint8 kReadCanConfig = 0x05;
constexpr char kReadPayload = char(0xAA);

// Device types as the tool numbers its models: A, B, X.

constexpr quint32 kDefaultBtr = 0x3AC00B;
constexpr quint32 kFilterBypassed = 2;
constexpr int kGarbageFirstSize = 7;

QByteArray payloadOf(const QByteArray& frame)
{
    return frame.mid(CSimFrame::kHeaderSize, frame.size() - CSimFrame::kHeaderSize - 1);
}

} // namespace

CSimConverter::CSimConverter(ConverterModel model)
    : m_blocks{DefaultParameterBlock(model), DefaultCanConfigBlock()}
{}

CSimConverter::Outcome CSimConverter::handle(const QByteArray& frame, const SimOptions& options)
{
    ++m_requestsSeen;
    Outcome outcome;
    if (m_requestsSeen <= options.drop || options.silent)
        return outcome;

    const QByteArray reply =
        normalReply(quint8(frame.at(2)), payloadOf(frame), options, outcome.blocksWritten);
    if (!m_rawReplies.isEmpty()) {
        outcome.reply = m_rawReplies.takeFirst();
        outcome.exact = true;
        return outcome;
    }
    if (reply.isEmpty())
        return outcome;

    if (options.garbageFirst && !m_garbageSent) {
        outcome.reply = Junk(kGarbageFirstSize);
        m_garbageSent = true;
    }
    outcome.reply.append(reply).append(Junk(options.trailing));
    return outcome;
}

void CSimConverter::restartFaults()
{
    m_requestsSeen = 0;
    m_garbageSent = false;
}

void CSimConverter::setBlocks(const SimBlocks& blocks)
{
    setParameterBlock(blocks.parameterBlock);
    setCanConfigBlock(blocks.canConfigBlock);
}

void CSimConverter::setParameterBlock(const QByteArray& block)
{
    if (block.size() == CSimFrame::kParameterBlockSize)
        m_blocks.parameterBlock = block;
}

void CSimConverter::setCanConfigBlock(const QByteArray& block)
{
    if (block.size() == CSimFrame::kCanConfigBlockSize)
        m_blocks.canConfigBlock = block;
}

QByteArray CSimConverter::DefaultParameterBlock(ConverterModel model)
{
    static const QByteArray typesAB =
        QByteArray::fromHex("06 08 01 00 0A 01 1C 01 00 00 00 00 FF FF "
                            "FF FF 01 00 02 00 00 00 00 00 00 00 01 00");
    static const QByteArray typeX =
        QByteArray::fromHex("05 03 00 00 0A 00 14 01 00 00 00 00 FF FF "
                            "FF FF 01 00 02 00 00 00 00 00 00 00 01 00");
    return model == ConverterModel::OstrelX ? typeX : typesAB;
}

QByteArray CSimConverter::DefaultCanConfigBlock()
{
    QByteArray block(CSimFrame::kCanConfigBlockSize, '\0');
    qToLittleEndian<quint32>(kDefaultBtr, block.data());
    qToLittleEndian<quint32>(kFilterBypassed, block.data() + 8);
    return block;
}

// The converter's own codes, written out here rather than taken from the
// tool's table, so that the tests compare two independent copies.
quint8 CSimConverter::ModelCode(ConverterModel model)
{
    switch (model) {
    case ConverterModel::OstrelA:
        return 0x04;
    case ConverterModel::OstrelB:
        return 0x06;
    case ConverterModel::OstrelX:
        break;
    }
    return 0x08;
}

quint32 CSimConverter::ConfigBitRate(ConverterModel model)
{
    return model == ConverterModel::OstrelB ? 19200 : 57600;
}

QByteArray CSimConverter::Junk(int count)
{
    // No F7 in here: junk should not look like the start of a frame.
    static const QByteArray pattern = QByteArray::fromHex("55 AA 00 FF 13 3C C3");
    QByteArray junk;
    for (int i = 0; i < count; ++i)
        junk.append(pattern.at(i % pattern.size()));
    return junk;
}

QByteArray CSimConverter::normalReply(quint8 code, const QByteArray& payload,
                                      const SimOptions& options, bool& blocksWritten)
{
    const bool isReadRequest = payload.size() == 1 && payload.at(0) == kReadPayload;
    switch (code) {
    case kHandshake:
        return isOwnHandshake(payload, options.model) ? acknowledge(code, options) : QByteArray();
    case kWriteParameters:
        if (payload.size() != CSimFrame::kParameterBlockSize)
            return {};
        m_blocks.parameterBlock = payload;
        blocksWritten = true;
        return acknowledge(code, options);
    case kWriteCanConfig:
        if (payload.size() != CSimFrame::kCanConfigBlockSize)
            return {};
        m_blocks.canConfigBlock = payload;
        blocksWritten = true;
        return acknowledge(code, options);
    case kReadParameters:
        return isReadRequest ? dataReply(code, m_blocks.parameterBlock, options) : QByteArray();
    case kReadCanConfig:
        return isReadRequest && !options.noCanConfig
                   ? dataReply(code, m_blocks.canConfigBlock, options)
                   : QByteArray();
    default:
        return {};
    }
}

QByteArray CSimConverter::acknowledge(quint8 code, const SimOptions& options) const
{
    return CSimFrame::Acknowledgement(options.wrongAck ? quint8(code % 5 + 1) : code);
}

QByteArray CSimConverter::dataReply(quint8 code, const QByteArray& block,
                                    const SimOptions& options) const
{
    QByteArray reply = CSimFrame::Build(code, block);
    if (options.badCheck)
        reply.back() = char(~quint8(reply.back()));
    reply.chop(qBound(0, options.truncate, int(reply.size())));
    return reply;
}

bool CSimConverter::isOwnHandshake(const QByteArray& payload, ConverterModel model) const
{
    QByteArray expected = QByteArray::fromHex("20 05 00 01");
    expected[2] = char(ModelCode(model));
    return payload == expected;
}
