#include "CConfigDocument.h"

#include "ArmCanFields.h"
#include "CAcceptanceTable.h"
#include "CArmCanConfig.h"
#include "ConfigKeys.h"
#include "Configuration.h"
#include "ConverterModel.h"
#include "FilterKind.h"
#include "FilterListJson.h"
#include "HexDigit.h"
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

const QLatin1String kFormatKey(ConfigKeys::kFormat);

constexpr int kMaxFilterIdDigits = 8;

QString Quoted(const QString& key)
{
    return QLatin1Char('"') + key + QLatin1Char('"');
}

QString Refusal(const QString& key, const QString& what)
{
    return Quoted(key) + QLatin1Char(' ') + what;
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

// A value checked against its key: refused with the reason, or taken as the
// value the key's field then holds.
using Taken = std::optional<QString>;

Taken TakeInteger(const ConfigKey& key, const QJsonValue& value, ConverterModel model,
                  QJsonValue& taken)
{
    const auto [min, max] = key.Range(model);
    const std::optional<qint64> number = IntegerIn(value, min, max);
    if (!number)
        return Refusal(key.Name(), IntegerRange(min, max));
    taken = *number;
    return std::nullopt;
}

// A list's value, or a register's, may also be named as the window's list
// shows it, in either language.
Taken TakeNamed(const ConfigKey& key, const QJsonValue& value, ConverterModel model,
                QJsonValue& taken)
{
    if (!value.isString())
        return TakeInteger(key, value, model, taken);
    const auto [min, max] = key.Range(model);
    const std::optional<qint64> named = ValueNames::ValueOf(key.Name(), value.toString(), model);
    if (!named || *named < min || *named > max)
        return Refusal(key.Name(), Text::tr("必须是 %1 到 %2 之间的整数，或以下之一：%3")
                                       .arg(min)
                                       .arg(max)
                                       .arg(key.Texts(model).join(Text::tr("、"))));
    taken = *named;
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
Taken TakeText(const ConfigKey& key, const QJsonValue& value, QJsonValue& taken)
{
    if (!value.isString())
        return Refusal(key.Name(), Text::tr("必须是文本"));
    if (key.bytes > 0 && !IsHexBytes(value.toString(), key.bytes))
        return Refusal(key.Name(), HexBytesForm(key.bytes));
    taken = value;
    return std::nullopt;
}

Taken TakeTextPair(const ConfigKey& key, const QJsonValue& value, QJsonValue& taken)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != 2 || !array.at(0).isString() || !array.at(1).isString())
        return Refusal(key.Name(), Text::tr("必须是含两个文本的数组"));
    for (qsizetype i = 0; i < 2; ++i)
        if (!IsHexBytes(array.at(i).toString(), key.bytes))
            return Refusal(key.Name() + QStringLiteral("[%1]").arg(i), HexBytesForm(key.bytes));
    taken = value;
    return std::nullopt;
}

Taken TakeDeviceType(const ConfigKey& key, const QJsonValue& value, ConverterModel model)
{
    const auto [min, max] = key.Range(model);
    const std::optional<qint64> number = IntegerIn(value, min, max);
    if (!number)
        return Refusal(key.Name(), IntegerRange(min, max));
    const int expected = ConverterModels::DeviceTypeOf(model);
    if (*number != expected)
        return Refusal(key.Name(),
                       Text::tr("是 %1（%2），但给出的型号是 %3")
                           .arg(*number)
                           .arg(ConverterModels::DisplayName(
                               ConverterModels::FromDeviceType(int(*number)).value_or(model)))
                           .arg(ConverterModels::DisplayName(model)));
    return std::nullopt;
}

Taken TakeFlag(const ConfigKey& key, const QJsonValue& value, QJsonValue& taken)
{
    if (!value.isBool())
        return Refusal(key.Name(), Text::tr("必须是 true 或 false"));
    taken = value;
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
Taken TakeFilters(const ConfigKey& key, const QJsonValue& value, QJsonValue& taken)
{
    if (!value.isArray())
        return Refusal(key.Name(), Text::tr("必须是数组"));
    const QJsonArray array = value.toArray();
    // More could never reach the converter, and every entry is compared with
    // those before it.
    if (array.size() > CAcceptanceTable::kMaxEntries)
        return Refusal(key.Name(), Text::tr("最多 %1 项：转换器的过滤表放不下更多，这里有 %2 项")
                                       .arg(CAcceptanceTable::kMaxEntries)
                                       .arg(array.size()));
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i < array.size(); ++i) {
        FilterEntry entry;
        const QString item = key.Name() + QStringLiteral("[%1]").arg(i);
        if (auto refusal = FilterEntryOf(item, array.at(i), entry))
            return refusal;
        if (!entries.contains(entry))
            entries.append(entry);
    }
    // An entry left out of the table would filter nothing, and a write would
    // still report success.
    const quint32 needed = CAcceptanceTable::BytesNeeded(entries);
    if (!CAcceptanceTable::FitsTable(entries))
        return Refusal(key.Name(), Text::tr("需要过滤表的 %1 字节，但过滤表只有 %2 字节")
                                       .arg(needed)
                                       .arg(CanAcceptance::kTableSize));
    taken = FilterListJson::ToJson(entries);
    return std::nullopt;
}

// Documents written before the marker existed lack it and are just as
// valid; a marker naming another format is one this tool cannot read.
Taken CheckFormat(const ConfigKey& key, const QJsonValue& value)
{
    const QString format = QLatin1String(CConfigDocument::kFormat);
    if (value != QJsonValue(format))
        return Refusal(key.Name(), Text::tr("必须是 \"%1\"").arg(format));
    return std::nullopt;
}

Taken TakeValue(const ConfigKey& key, const QJsonValue& value, ConverterModel model,
                QJsonValue& taken)
{
    switch (key.kind) {
    case KeyKind::List:
    case KeyKind::Register:
        return TakeNamed(key, value, model, taken);
    case KeyKind::Box:
    case KeyKind::Byte:
        return TakeInteger(key, value, model, taken);
    case KeyKind::HexText:
    case KeyKind::Text:
        return TakeText(key, value, taken);
    case KeyKind::HexPair:
        return TakeTextPair(key, value, taken);
    case KeyKind::Flag:
        return TakeFlag(key, value, taken);
    case KeyKind::FilterList:
        return TakeFilters(key, value, taken);
    case KeyKind::Model:
        return TakeDeviceType(key, value, model);
    case KeyKind::Marker:
        return CheckFormat(key, value);
    case KeyKind::PortIndex:
        break;
    }
    return Text::tr("未知的键 ") + Quoted(key.Name());
}

std::optional<QString> ApplyKey(const QString& name, const QJsonValue& value, Configuration& config)
{
    const ConfigKey* key = ConfigKeys::Find(name);
    if (key == nullptr || !key->inDocument)
        return Text::tr("未知的键 ") + Quoted(name);
    QJsonValue taken;
    if (auto refusal = TakeValue(*key, value, config.model, taken))
        return refusal;
    if (key->set != nullptr)
        key->set(config, taken);
    return std::nullopt;
}

// The tool writes every key, whatever the model: such a document holds the
// keys of other models' pages as the converter reported them.
bool HoldsEveryKey(const QJsonObject& document)
{
    for (const ConfigKey& key : ConfigKeys::All())
        if (key.inDocument && key.kind != KeyKind::Marker && !document.contains(key.Name()))
            return false;
    return true;
}

// A key set by hand that the model's pages do not show would be written
// without doing what was meant (an X's bit rate is not CanBaudrate).
std::optional<QString> FindKeyWithoutEffect(const QJsonObject& document, ConverterModel model)
{
    if (HoldsEveryKey(document))
        return std::nullopt;
    const QString modelName = ConverterModels::DisplayName(model);
    for (const ConfigKey& key : ConfigKeys::All()) {
        if (key.page == KeyPage::None || key.IsShownOn(model) || !document.contains(key.Name()))
            continue;
        if (key.counterpart == nullptr || !ConfigKeys::Get(key.counterpart).IsShownOn(model))
            return Refusal(key.Name(),
                           Text::tr("对 %1 没有作用：%1 的页面上没有它").arg(modelName));
        return Refusal(key.Name(), Text::tr("对 %1 没有作用：%1 用的是 %2")
                                       .arg(modelName, Quoted(QLatin1String(key.counterpart))));
    }
    return std::nullopt;
}

} // namespace

QJsonObject CConfigDocument::ToJson(Configuration config)
{
    QJsonObject json;
    json.insert(kFormatKey, QLatin1String(kFormat));
    for (const ConfigKey& key : ConfigKeys::All())
        if (key.inDocument && key.get != nullptr)
            json.insert(key.Name(), key.get(config));
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
                                                     Configuration& config,
                                                     KeysWithoutEffect withoutEffect)
{
    if (withoutEffect == KeysWithoutEffect::Refused)
        if (std::optional<QString> refusal = FindKeyWithoutEffect(document, config.model))
            return DocumentRefusal{*refusal, false, true};
    Configuration loaded = Configuration::Defaults(config.model);
    if (std::optional<QString> refusal = Apply(document, loaded))
        return DocumentRefusal{*refusal};
    loaded.Settle();
    config = loaded;
    return std::nullopt;
}

std::optional<DocumentRefusal> CConfigDocument::Load(const QByteArray& text, Configuration& config,
                                                     KeysWithoutEffect withoutEffect)
{
    QJsonObject document;
    if (std::optional<DocumentRefusal> refusal = Parse(text, document))
        return refusal;
    return Load(document, config, withoutEffect);
}
