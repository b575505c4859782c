#include "CanConfigBlock.h"

#include <QtEndian>

#include <algorithm>

namespace {

constexpr int kHeaderWords = 8;
constexpr int kTableOffset = kHeaderWords * 4;
static_assert(kTableOffset + CanAcceptance::kTableSize == CanConfigBlock::kSize);

} // namespace

QByteArray CanConfigBlock::toBytes() const
{
    QByteArray bytes(kSize, '\0');
    auto* data = reinterpret_cast<uchar*>(bytes.data());
    const quint32 header[kHeaderWords] = {btr,
                                          quint32(frameType),
                                          acceptance.filterMode,
                                          acceptance.stdIndividualStart,
                                          acceptance.stdGroupStart,
                                          acceptance.extIndividualStart,
                                          acceptance.extGroupStart,
                                          acceptance.tableEnd};
    for (int word = 0; word < kHeaderWords; ++word)
        qToLittleEndian<quint32>(header[word], data + word * 4);
    std::copy(acceptance.table.begin(), acceptance.table.end(), data + kTableOffset);
    return bytes;
}

CanConfigBlock CanConfigBlock::fromBytes(const QByteArray& bytes, bool* ok)
{
    const bool sized = bytes.size() == kSize;
    if (ok)
        *ok = sized;
    CanConfigBlock block;
    if (!sized)
        return block;

    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const auto word = [data](int index) { return qFromLittleEndian<quint32>(data + index * 4); };
    block.btr = word(0);
    block.frameType = qint32(word(1));
    block.acceptance.filterMode = word(2);
    block.acceptance.stdIndividualStart = word(3);
    block.acceptance.stdGroupStart = word(4);
    block.acceptance.extIndividualStart = word(5);
    block.acceptance.extGroupStart = word(6);
    block.acceptance.tableEnd = word(7);
    std::copy(data + kTableOffset, data + kSize, block.acceptance.table.begin());
    return block;
}

CanConfigBlock CanConfigBlock::fromFields(const ArmCanFields& fields)
{
    CanConfigBlock block;
    block.btr = fields.m_dwBtr;
    block.frameType = fields.m_nFrameType;
    block.acceptance = fields.m_acceptance;
    return block;
}

void CanConfigBlock::applyTo(ArmCanFields& fields) const
{
    fields.m_dwBtr = btr;
    fields.m_nFrameType = frameType;
    fields.m_acceptance = acceptance;
    fields.m_bCanConfigKnown = true;
}
