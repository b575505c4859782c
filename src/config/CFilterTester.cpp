#include "CFilterTester.h"

#include "CAcceptanceTable.h"
#include "CArmCanConfig.h"
#include "CCodeMaskFilter.h"
#include "Configuration.h"
#include "ParameterBlockCodec.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CFilterTester)
};

// Block offsets of the acceptance code and mask bytes.
constexpr int kCodeOffset = 8;
constexpr int kMaskOffset = 12;
constexpr int kDualFilterMode = 0;

// "ID.10, ID.3" from the highest bit down.
QString BitNames(quint32 bits)
{
    QStringList names;
    for (int bit = 28; bit >= 0; --bit)
        if (bits >> bit & 1)
            names << QStringLiteral("ID.%1").arg(bit);
    return names.join(QStringLiteral(", "));
}

QString EntryText(const FilterRow& row)
{
    if (!FilterKinds::IsRange(row.kind))
        return FilterKinds::Text(row.kind) + QLatin1Char(' ') +
               CArmCanConfig::FormatFilterId(row.entry.start);
    return FilterKinds::Text(row.kind) + QLatin1Char(' ') +
           CArmCanConfig::FormatFilterId(row.entry.start) + QStringLiteral("–") +
           CArmCanConfig::FormatFilterId(row.entry.end);
}

} // namespace

CFilterTester::Verdict CFilterTester::Test(const Configuration& config, const CanFrameId& frame)
{
    return config.HasCanConfigPage() ? TestTable(config, frame) : TestCodeMask(config, frame);
}

CFilterTester::Verdict CFilterTester::TestCodeMask(const Configuration& config,
                                                   const CanFrameId& frame)
{
    // The parameter block the write would send; the A/B never refuse it.
    const QByteArray block = EncodeParameterBlock(config).block;
    std::array<quint8, 4> code{};
    std::array<quint8, 4> mask{};
    for (int index = 0; index < 4; ++index) {
        code[std::size_t(index)] = quint8(block.at(kCodeOffset + index));
        mask[std::size_t(index)] = quint8(block.at(kMaskOffset + index));
    }
    const bool dual = config.can.m_nFilterMode == kDualFilterMode;
    const CCodeMaskFilter filter(code, mask, dual);
    if (!dual) {
        const CCodeMaskFilter::Match match = filter.Test(frame);
        if (match.accepted)
            return {true, Text::tr("接收：验收码与标识符在屏蔽码比较的每一位上相同")};
        return {false, Text::tr("不接收：%1 与验收码不同").arg(BitNames(match.differing))};
    }
    // The page's first half is the filter of code bytes 2-3.
    QStringList differing;
    for (const int half : {1, 2}) {
        const CCodeMaskFilter::Match match = filter.Test(frame, half == 1 ? 1 : 0);
        if (match.accepted)
            return {true, Text::tr("接收：第 %1 个滤波器").arg(half)};
        differing << Text::tr("第 %1 个滤波器的 %2 不同").arg(half).arg(BitNames(match.differing));
    }
    QString reason = Text::tr("不接收：%1").arg(differing.join(Text::tr("；")));
    if (frame.extended)
        reason += Text::tr("（双滤波只比较扩展帧的 ID.28–ID.13）");
    return {false, reason};
}

CFilterTester::Verdict CFilterTester::TestTable(const Configuration& config,
                                                const CanFrameId& frame)
{
    ArmCanFields fields = config.armCan;
    if (!fields.m_bFilterEnabled)
        return {true, Text::tr("接收：未使能滤波，转换器接收所有帧")};
    CArmCanConfig::CollectIntoBlock(fields);
    for (const FilterRow& row : CAcceptanceTable::DecodeTable(fields.m_acceptance)) {
        if (FilterKinds::IsExtended(row.kind) != frame.extended)
            continue;
        if (row.entry.start <= frame.id && frame.id <= row.entry.end)
            return {true, Text::tr("接收：%1").arg(EntryText(row))};
    }
    if (!CAcceptanceTable::FitsTable(fields.m_filters))
        return {false, Text::tr("不接收：过滤表中没有包含它的条目（有些条目超出了 2048 字节，"
                                "不会写入）")};
    return {false, Text::tr("不接收：过滤表中没有包含它的条目")};
}
