#include "ValueNames.h"

#include "CArmCanConfig.h"
#include "CBitTiming.h"
#include "ConfigKeys.h"

namespace {

QString Folded(const QString& text)
{
    QString folded;
    for (const QChar c : text)
        if (!c.isSpace())
            folded += c.toCaseFolded();
    return folded;
}

bool Names(const ConfigKey& key)
{
    return key.kind == KeyKind::List || key.kind == KeyKind::Register;
}

std::optional<int> FoundIn(const QList<QStringList>& spellings, const QString& text)
{
    const QString wanted = Folded(text);
    for (const QStringList& texts : spellings)
        for (int position = 0; position < texts.size(); ++position)
            if (Folded(texts.at(position)) == wanted)
                return position;
    return std::nullopt;
}

// The position in the list of names, in any language.
std::optional<int> NamedPosition(const ConfigKey& key, const QString& text, ConverterModel model)
{
    return FoundIn({key.SourceTexts(model), key.EnglishTexts(model), key.Texts(model)}, text);
}

} // namespace

namespace ValueNames {

QStringList Of(const QString& key, ConverterModel model)
{
    const ConfigKey* entry = ConfigKeys::Find(key);
    if (entry == nullptr || !Names(*entry))
        return {};
    return entry->Texts(model);
}

std::optional<int> PositionOf(const QString& key, const QString& text, ConverterModel model)
{
    const ConfigKey* entry = ConfigKeys::Find(key);
    if (entry == nullptr || entry->kind != KeyKind::List)
        return std::nullopt;
    return NamedPosition(*entry, text, model);
}

std::optional<qint64> ValueOf(const QString& key, const QString& text, ConverterModel model)
{
    const ConfigKey* entry = ConfigKeys::Find(key);
    if (entry == nullptr || !Names(*entry))
        return std::nullopt;
    const std::optional<int> position = NamedPosition(*entry, text, model);
    if (!position || entry->kind == KeyKind::List)
        return position;
    const std::optional<quint32> btr = CArmCanConfig::BaudRegister(*position);
    return btr ? std::optional<qint64>(*btr) : std::nullopt;
}

QString Described(const QString& key, qint64 value, ConverterModel model)
{
    const ConfigKey* entry = ConfigKeys::Find(key);
    // A register is named by what it gives, whether or not the page has a
    // name for its value.
    if (entry != nullptr && entry->kind == KeyKind::Register)
        return value >= 0 && value <= 0xFFFFFFFFLL ? CBitTiming::DescribedRegister(quint32(value))
                                                   : QString::number(value);
    const QStringList texts = Of(key, model);
    const qint64 position = value;
    if (position < 0 || position >= texts.size())
        return QString::number(value);
    return QStringLiteral("%1 (%2)").arg(value).arg(texts.at(position));
}

} // namespace ValueNames
