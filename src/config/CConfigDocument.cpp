#include "CConfigDocument.h"

#include "ArmCanFields.h"
#include "CAcceptanceTable.h"
#include "CArmCanConfig.h"
#include "Configuration.h"
#include "ConverterModel.h"
#include "FilterKind.h"
#include "HexDigit.h"
#include "ParameterKeys.h"
#include "ValueNames.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CConfigDocument)
};

using TextPairField = std::array<QString, 2>& (*)(Configuration&);

struct TextPairKey
{
    const char* name;
    TextPairField field;
};

const std::array<TextPairKey, 2> kTextPairKeys{{
    {"CanAcptCodeDual",
     [](Configuration& c) -> std::array<QString, 2>& { return c.can.m_strAcptCodeDual; }},
    {"CanAcptMaskDual",
     [](Configuration& c) -> std::array<QString, 2>& { return c.can.m_strAcptMaskDual; }},
}};

const QLatin1String kArmCanIdKey("ArmCanID");
const QLatin1String kFormatKey("Format");

ParameterFields FieldsOf(Configuration& config)
{
    return config.Parameters();
}

constexpr int kMaxFilterIdDigits = 8;

QString Quoted(const QString& key)
{
    return QLatin1Char('"') + key + QLatin1Char('"');
}

QString Refusal(const QString& key, const QString& what)
{
    return Quoted(key) + QLatin1Char(' ') + what;
}

template <typename Table> const auto* Find(const Table& table, const QString& key)
{
    for (const auto& entry : table)
        if (key == QLatin1String(entry.name))
            return &entry;
    return static_cast<const typename Table::value_type*>(nullptr);
}

// JSON numbers are doubles; an integer kind takes only whole ones in range.
std::optional<qint64> IntegerIn(const QJsonValue& value, qint64 min, qint64 max)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= double(min) && number <= double(max)) || std::trunc(number) != number)
        return std::nullopt;
    return qint64(number);
}

QString IntegerRange(qint64 min, qint64 max)
{
    return Text::tr("必须是 %1 到 %2 之间的整数").arg(min).arg(max);
}

constexpr int kDualHalfGroups = 2;

// The range of an integer key; the Ostrel-X has the longer bit-rate list.
std::pair<int, int> RangeOf(const ParameterKey& key, ConverterModel model)
{
    if (key.Name() == QLatin1String(ParameterKeys::kSerialBaudrate) &&
        model == ConverterModel::OstrelX)
        return {key.min, ParameterKeys::kOstrelXSerialBaudrateMax};
    return {key.min, key.max};
}

std::optional<QString> ApplyInt(const QString& key, const QJsonValue& value, int& field,
                                std::pair<int, int> range)
{
    const std::optional<qint64> number = IntegerIn(value, range.first, range.second);
    if (!number)
        return Refusal(key, IntegerRange(range.first, range.second));
    field = int(*number);
    return std::nullopt;
}

// A list's value may also be named as the window's list shows it.
std::optional<QString> ApplyListValue(const QString& key, const QJsonValue& value, int& field,
                                      ConverterModel model, std::pair<int, int> range)
{
    const QStringList names = ValueNames::Of(key, model);
    if (names.isEmpty() || !value.isString())
        return ApplyInt(key, value, field, range);
    const std::optional<int> position = ValueNames::PositionOf(key, value.toString(), model);
    if (!position || *position < range.first || *position > range.second)
        return Refusal(key, Text::tr("必须是 %1 到 %2 之间的整数，或以下之一：%3")
                                .arg(range.first)
                                .arg(range.second)
                                .arg(names.join(Text::tr("、"))));
    field = *position;
    return std::nullopt;
}

// Blank-separated groups of one or two digits, as the window writes them.
bool IsHexBytes(const QString& text, int maxGroups)
{
    int groups = 0;
    int digits = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            digits = 0;
            continue;
        }
        if (!HexDigit::Is(c) || ++digits > 2)
            return false;
        if (digits == 1 && ++groups > maxGroups)
            return false;
    }
    return true;
}

QString HexBytesForm(int groups)
{
    return Text::tr("必须是至多 %1 个十六进制字节，每个一或两位数字，以空格分隔").arg(groups);
}

// groups 0: any text.
std::optional<QString> ApplyText(const QString& key, const QJsonValue& value, QString& field,
                                 int groups)
{
    if (!value.isString())
        return Refusal(key, Text::tr("必须是文本"));
    if (groups > 0 && !IsHexBytes(value.toString(), groups))
        return Refusal(key, HexBytesForm(groups));
    field = value.toString();
    return std::nullopt;
}

std::optional<QString> ApplyTextPair(const QString& key, const QJsonValue& value,
                                     std::array<QString, 2>& field)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != 2 || !array.at(0).isString() || !array.at(1).isString())
        return Refusal(key, Text::tr("必须是含两个文本的数组"));
    for (qsizetype i = 0; i < 2; ++i)
        if (!IsHexBytes(array.at(i).toString(), kDualHalfGroups))
            return Refusal(key + QStringLiteral("[%1]").arg(i), HexBytesForm(kDualHalfGroups));
    field = {array.at(0).toString(), array.at(1).toString()};
    return std::nullopt;
}

std::optional<QString> ApplyDeviceType(const QJsonValue& value, ConverterModel model)
{
    const QString key = QLatin1String(ParameterKeys::kDeviceType);
    const std::optional<qint64> number = IntegerIn(value, 0, ConverterModels::kCount - 1);
    if (!number)
        return Refusal(key, IntegerRange(0, ConverterModels::kCount - 1));
    const int expected = ConverterModels::DeviceTypeOf(model);
    if (*number != expected)
        return Refusal(key, Text::tr("是 %1，但给出的型号是 %2").arg(*number).arg(expected));
    return std::nullopt;
}

std::optional<QString> ApplyCustomMask(const QJsonValue& value, CanFields& can)
{
    const std::optional<qint64> number = IntegerIn(value, 0, 1);
    if (!number)
        return Refusal(QStringLiteral("CustomMask"), IntegerRange(0, 1));
    can.m_bCustomMask = int(*number);
    return std::nullopt;
}

// The register edit shows the value as the page would, so that collecting
// the block takes exactly this value.
std::optional<QString> ApplyArmCanBaud(const QJsonValue& value, ArmCanFields& armCan)
{
    constexpr qint64 max = std::numeric_limits<quint32>::max();
    const std::optional<qint64> number = IntegerIn(value, 0, max);
    if (!number)
        return Refusal(QLatin1String(ParameterKeys::kArmCanBaud), IntegerRange(0, max));
    armCan.m_dwBtr = quint32(*number);
    armCan.m_strRegister = CArmCanConfig::FormatRegister(armCan.m_dwBtr);
    return std::nullopt;
}

// The frame type list's selection, which offset 25, the CAN ID check and the
// collected block all take.
std::optional<QString> ApplyArmFrameType(const QJsonValue& value, ArmCanFields& armCan)
{
    int frameType = 0;
    if (auto refusal = ApplyInt(QStringLiteral("ArmFrameType"), value, frameType, {0, 1}))
        return refusal;
    armCan.m_nFrameType = frameType;
    armCan.m_nFrameTypeSel = frameType;
    return std::nullopt;
}

std::optional<QString> ApplyFiltering(const QJsonValue& value, ArmCanFields& armCan)
{
    if (!value.isBool())
        return Refusal(QStringLiteral("Filtering"), Text::tr("必须是 true 或 false"));
    armCan.m_bFilterEnabled = value.toBool();
    return std::nullopt;
}

// "0x" and one to eight hexadecimal digits: the form the filter list shows,
// and nothing that would need a guess (a sign, blanks, a wider value).
std::optional<quint32> FilterIdOf(const QJsonValue& value)
{
    const QString text = value.toString();
    const QString digits = text.mid(2);
    if (!value.isString() || !text.startsWith(QLatin1String("0x")) || digits.isEmpty() ||
        digits.size() > kMaxFilterIdDigits ||
        !std::all_of(digits.cbegin(), digits.cend(), HexDigit::Is))
        return std::nullopt;
    return digits.toUInt(nullptr, 16);
}

std::optional<QString> FilterEntryOf(const QString& key, const QJsonValue& value,
                                     FilterEntry& entry)
{
    if (!value.isObject())
        return Refusal(key, Text::tr("必须是含有 \"kind\"、\"start\" 和 \"end\" 的对象"));
    const QJsonObject object = value.toObject();
    for (const QString& member : object.keys())
        if (member != QLatin1String("kind") && member != QLatin1String("start") &&
            member != QLatin1String("end"))
            return Text::tr("未知的键 ") + Quoted(key + QLatin1Char('.') + member);
    const std::optional<qint64> index =
        IntegerIn(object.value(QLatin1String("kind")), 0, FilterKinds::kCount - 1);
    if (!index)
        return Refusal(key + QStringLiteral(".kind"), IntegerRange(0, FilterKinds::kCount - 1));
    const FilterKind kind = *FilterKinds::FromIndex(int(*index));
    const QString idForm = Text::tr("必须是 \"0x\" 加 1 到 8 位十六进制数字");
    const std::optional<quint32> start = FilterIdOf(object.value(QLatin1String("start")));
    if (!start)
        return Refusal(key + QStringLiteral(".start"), idForm);
    const std::optional<quint32> end = FilterIdOf(object.value(QLatin1String("end")));
    if (!end)
        return Refusal(key + QStringLiteral(".end"), idForm);
    if (!FilterKinds::IsRange(kind) && *end != *start)
        return Refusal(key + QStringLiteral(".end"), Text::tr("单个标识符时必须等于 \"start\""));
    // The filter editor's rule; a range of one identifier is written as the
    // single identifier it is, so what a read reports never holds one.
    if (FilterKinds::IsRange(kind) && !(*start < *end))
        return Refusal(key + QStringLiteral(".end"), Text::tr("范围时必须大于 \"start\""));
    entry = FilterEntry{FilterKinds::IsExtended(kind) ? 1 : 0, *start, *end};
    return std::nullopt;
}

// Entries in document order; a repeated entry is dropped, as the page's add
// button drops it.
std::optional<QString> ApplyFilters(const QJsonValue& value, ArmCanFields& armCan)
{
    if (!value.isArray())
        return Refusal(QStringLiteral("Filters"), Text::tr("必须是数组"));
    const QJsonArray array = value.toArray();
    // More could never reach the converter, and every entry is compared with
    // those before it.
    if (array.size() > CAcceptanceTable::kMaxEntries)
        return Refusal(QStringLiteral("Filters"),
                       Text::tr("最多 %1 项：转换器的过滤表放不下更多，这里有 %2 项")
                           .arg(CAcceptanceTable::kMaxEntries)
                           .arg(array.size()));
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i < array.size(); ++i) {
        FilterEntry entry;
        const QString key = QStringLiteral("Filters[%1]").arg(i);
        if (auto refusal = FilterEntryOf(key, array.at(i), entry))
            return refusal;
        if (!entries.contains(entry))
            entries.append(entry);
    }
    armCan.m_filters = entries;
    return std::nullopt;
}

// Documents written before the marker existed lack it and are just as
// valid; a marker naming another format is one this tool cannot read.
std::optional<QString> CheckFormat(const QJsonValue& value)
{
    const QString format = QLatin1String(CConfigDocument::kFormat);
    if (value != QJsonValue(format))
        return Refusal(kFormatKey, Text::tr("必须是 \"%1\"").arg(format));
    return std::nullopt;
}

std::optional<QString> ApplySpecial(const QString& key, const QJsonValue& value,
                                    Configuration& config)
{
    if (key == kFormatKey)
        return CheckFormat(value);
    if (key == QLatin1String(ParameterKeys::kDeviceType))
        return ApplyDeviceType(value, config.model);
    if (key == QLatin1String("CustomMask"))
        return ApplyCustomMask(value, config.can);
    if (key == QLatin1String(ParameterKeys::kArmCanBaud))
        return ApplyArmCanBaud(value, config.armCan);
    if (key == QLatin1String("ArmFrameType"))
        return ApplyArmFrameType(value, config.armCan);
    if (key == QLatin1String("Filtering"))
        return ApplyFiltering(value, config.armCan);
    if (key == QLatin1String("Filters"))
        return ApplyFilters(value, config.armCan);
    return Text::tr("未知的键 ") + Quoted(key);
}

std::optional<QString> ApplyKey(const QString& key, const QJsonValue& value, Configuration& config)
{
    if (const ParameterKey* parameter = Find(ParameterKeys::All(), key)) {
        if (parameter->integer)
            return ApplyListValue(key, value, parameter->integer(FieldsOf(config)), config.model,
                                  RangeOf(*parameter, config.model));
        return ApplyText(key, value, parameter->text(FieldsOf(config)), parameter->groups);
    }
    if (key == kArmCanIdKey)
        return ApplyText(key, value, config.armCan.m_strCanID, 0);
    if (const TextPairKey* pairKey = Find(kTextPairKeys, key))
        return ApplyTextPair(key, value, pairKey->field(config));
    return ApplySpecial(key, value, config);
}

QJsonArray FiltersToJson(const QList<FilterEntry>& filters)
{
    QJsonArray array;
    for (const FilterEntry& entry : filters) {
        array.append(QJsonObject{
            {QStringLiteral("kind"), FilterKinds::IndexOf(FilterKinds::Of(entry))},
            {QStringLiteral("start"), CArmCanConfig::FormatFilterId(entry.start)},
            {QStringLiteral("end"), CArmCanConfig::FormatFilterId(entry.end)},
        });
    }
    return array;
}

} // namespace

QJsonObject CConfigDocument::ToJson(Configuration config)
{
    QJsonObject json;
    json.insert(kFormatKey, QLatin1String(kFormat));
    json.insert(QLatin1String(ParameterKeys::kDeviceType),
                ConverterModels::DeviceTypeOf(config.model));
    for (const ParameterKey& key : ParameterKeys::All())
        if (key.integer)
            json.insert(key.Name(), key.integer(FieldsOf(config)));
        else
            json.insert(key.Name(), key.text(FieldsOf(config)));
    json.insert(kArmCanIdKey, config.armCan.m_strCanID);
    for (const TextPairKey& key : kTextPairKeys) {
        const std::array<QString, 2>& pair = key.field(config);
        json.insert(QLatin1String(key.name), QJsonArray{pair[0], pair[1]});
    }
    json.insert(QStringLiteral("CustomMask"), config.can.m_bCustomMask);
    const ArmCanFields& armCan = config.armCan;
    json.insert(QLatin1String(ParameterKeys::kArmCanBaud), qint64(armCan.m_dwBtr));
    json.insert(QStringLiteral("ArmFrameType"), armCan.m_nFrameType);
    json.insert(QStringLiteral("Filtering"), armCan.m_bFilterEnabled);
    json.insert(QStringLiteral("Filters"), FiltersToJson(armCan.m_filters));
    return json;
}

QByteArray CConfigDocument::ToText(const QJsonObject& document)
{
    return QJsonDocument(document).toJson();
}

// A scan of text already parsed as JSON, so only strings and the structure
// need telling apart; one set of keys per open object.
std::optional<QString> CConfigDocument::FindRepeatedKey(const QByteArray& json)
{
    struct Level
    {
        bool object;
        bool expectingKey;
        QSet<QString> keys;
    };
    std::vector<Level> levels;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (c == '{' || c == '[') {
            levels.push_back({c == '{', c == '{', {}});
        } else if ((c == '}' || c == ']') && !levels.empty()) {
            levels.pop_back();
        } else if ((c == ',' || c == ':') && !levels.empty()) {
            levels.back().expectingKey = levels.back().object && c == ',';
        } else if (c == '"') {
            qsizetype end = i + 1;
            while (end < json.size() && json.at(end) != '"')
                end += json.at(end) == '\\' ? 2 : 1;
            if (!levels.empty() && levels.back().expectingKey) {
                const QByteArray raw = json.mid(i, end - i + 1);
                const QString key =
                    raw.contains('\\')
                        ? QJsonDocument::fromJson('[' + raw + ']').array().at(0).toString()
                        : QString::fromUtf8(raw.mid(1, raw.size() - 2));
                if (levels.back().keys.contains(key))
                    return Refusal(key, Text::tr("在同一个对象中出现了不止一次"));
                levels.back().keys.insert(key);
                levels.back().expectingKey = false;
            }
            i = end;
        }
    }
    return std::nullopt;
}

std::optional<QString> CConfigDocument::Apply(const QJsonObject& document, Configuration& config)
{
    for (auto it = document.constBegin(); it != document.constEnd(); ++it)
        if (auto refusal = ApplyKey(it.key(), it.value(), config))
            return refusal;
    return std::nullopt;
}

std::optional<DocumentRefusal> CConfigDocument::Parse(const QByteArray& text, QJsonObject& document)
{
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return DocumentRefusal{
            Text::tr("%1，位于第 %2 字节").arg(error.errorString()).arg(error.offset), true};
    if (!json.isObject())
        return DocumentRefusal{Text::tr("文档必须是一个 JSON 对象"), true};
    if (std::optional<QString> repeated = FindRepeatedKey(text))
        return DocumentRefusal{*repeated};
    document = json.object();
    return std::nullopt;
}

std::optional<DocumentRefusal> CConfigDocument::Load(const QJsonObject& document,
                                                     Configuration& config)
{
    Configuration loaded = Configuration::Defaults(config.model);
    if (std::optional<QString> refusal = Apply(document, loaded))
        return DocumentRefusal{*refusal};
    loaded.Settle();
    config = loaded;
    return std::nullopt;
}

std::optional<DocumentRefusal> CConfigDocument::Load(const QByteArray& text, Configuration& config)
{
    QJsonObject document;
    if (std::optional<DocumentRefusal> refusal = Parse(text, document))
        return refusal;
    return Load(document, config);
}

std::optional<ConverterModel> CConfigDocument::NamedModel(const QJsonObject& document)
{
    const QJsonValue named = document.value(QLatin1String(ParameterKeys::kDeviceType));
    if (!named.isDouble())
        return std::nullopt;
    return ConverterModels::FromDeviceType(named.toInt(-1));
}
