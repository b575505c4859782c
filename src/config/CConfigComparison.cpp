#include "CConfigComparison.h"

#include "CAcceptanceTable.h"
#include "CBlockDocument.h"
#include "CConfigDocument.h"
#include "CEncodedConfig.h"
#include "CanConfigBlock.h"
#include "ConfigKeys.h"
#include "ValueNames.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <optional>

QString KeyDifference::Compact(const QJsonValue& value)
{
    if (value.isUndefined())
        return QStringLiteral("(none)");
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CConfigVerification)
};

QString ByteHex(const QByteArray& block, qsizetype index)
{
    return QStringLiteral("0x%1").arg(quint8(block.at(index)), 2, 16, QLatin1Char('0'));
}

// For bytes that decode to no key: the first byte that differs.
std::optional<KeyDifference> FirstByte(const QString& block, const QByteArray& expected,
                                       const QByteArray& got)
{
    if (expected == got)
        return std::nullopt;
    const qsizetype common = std::min(expected.size(), got.size());
    qsizetype index = 0;
    while (index < common && expected.at(index) == got.at(index))
        ++index;
    if (index == common)
        return KeyDifference{Text::tr("%1长度").arg(block), expected.size(), got.size(), {}};
    return KeyDifference{Text::tr("%1第 %2 字节").arg(block).arg(index),
                         ByteHex(expected, index),
                         ByteHex(got, index),
                         {}};
}

// The count of entries asked for against those the table read holds.
KeyDifference LostFilters(ConverterModel model, const QList<FilterEntry>& asked,
                          const QByteArray& canConfigBlock)
{
    bool complete = false;
    const CanConfigBlock block = CanConfigBlock::fromBytes(canConfigBlock, &complete);
    const qsizetype held = complete ? CAcceptanceTable::DecodeTable(block.acceptance).size() : 0;
    return KeyDifference{QLatin1String(ConfigKeys::kFilters), qint64(asked.size()), qint64(held),
                         model};
}

} // namespace

QString KeyDifference::Shown(const QJsonValue& value) const
{
    if (!value.isDouble() || ValueNames::Of(key, model).isEmpty())
        return Compact(value);
    return ValueNames::Described(key, qint64(value.toDouble()), model);
}

QString KeyDifference::Line() const
{
    return Text::tr("%1：应为 %2，读到 %3").arg(key, Shown(expected), Shown(got));
}

QString KeyDifference::Change() const
{
    return QStringLiteral("%1: %2 -> %3").arg(key, Shown(expected), Shown(got));
}

QList<KeyDifference> CConfigComparison::Compare(ConverterModel model,
                                                const CEncodedConfig& expected,
                                                const QByteArray& parameterBlock,
                                                const QByteArray& canConfigBlock)
{
    const bool canBlockCounts = !expected.CanConfigBlock().isEmpty();
    // Without an expected CAN configuration block, both sides decode the one
    // read, so that only the parameter block can tell them apart.
    const QByteArray expectedCanBlock = canBlockCounts ? expected.CanConfigBlock() : canConfigBlock;
    // Entries the table could not hold never reached the converter, though
    // the blocks agree: the converter does not hold what was asked of it.
    QList<KeyDifference> lost;
    if (canBlockCounts && !expected.FiltersFit())
        lost.append(LostFilters(model, expected.Filters(), canConfigBlock));
    if (expected.ParameterBlock() == parameterBlock && expectedCanBlock == canConfigBlock)
        return lost;

    const std::optional<QJsonObject> want =
        CBlockDocument::FromBlocks(model, expected.ParameterBlock(), expectedCanBlock);
    const std::optional<QJsonObject> have =
        CBlockDocument::FromBlocks(model, parameterBlock, canConfigBlock);
    QList<KeyDifference> differences = lost;
    if (want && have)
        differences += Differences(model, *want, *have);
    if (!differences.isEmpty())
        return differences;
    if (auto byte = FirstByte(Text::tr("参数块"), expected.ParameterBlock(), parameterBlock))
        differences.append(*byte);
    if (auto byte = FirstByte(Text::tr("CAN 配置块"), expectedCanBlock, canConfigBlock))
        differences.append(*byte);
    return differences;
}

QList<KeyDifference> CConfigComparison::Between(const Configuration& shown,
                                                const Configuration& held)
{
    Configuration sent = shown;
    Configuration holds = held;
    holds.model = shown.model;
    const CEncodedConfig expected = CEncodedConfig::From(sent);
    const CEncodedConfig read = CEncodedConfig::From(holds);
    if (!expected.Accepted() || !read.Accepted())
        return Differences(shown.model, CConfigDocument::ToJson(held),
                           CConfigDocument::ToJson(shown));
    // A model without the CAN configuration page sends no such block; both
    // sides then decode the one the converter keeps unshown.
    const QByteArray canBlock = read.CanConfigBlock().isEmpty()
                                    ? CanConfigBlock::fromFields(holds.armCan).toBytes()
                                    : read.CanConfigBlock();
    return Compare(shown.model, expected, read.ParameterBlock(), canBlock);
}

QList<KeyDifference> CConfigComparison::Differences(ConverterModel model,
                                                    const QJsonObject& expected,
                                                    const QJsonObject& got)
{
    QStringList keys = expected.keys() + got.keys();
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    QList<KeyDifference> differences;
    for (const QString& key : std::as_const(keys)) {
        const QJsonValue want = expected.value(key);
        const QJsonValue have = got.value(key);
        if (want != have)
            differences.append({key, want, have, model});
    }
    return differences;
}
