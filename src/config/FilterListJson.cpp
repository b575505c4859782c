#include "FilterListJson.h"

#include "CArmCanConfig.h"
#include "FilterKind.h"

#include <QJsonObject>

namespace {

const QLatin1String kKind("kind");
const QLatin1String kStart("start");
const QLatin1String kEnd("end");

quint32 IdOf(const QJsonValue& value)
{
    return value.toString().mid(2).toUInt(nullptr, 16);
}

} // namespace

namespace FilterListJson {

QJsonArray ToJson(const QList<FilterEntry>& entries)
{
    QJsonArray array;
    for (const FilterEntry& entry : entries)
        array.append(QJsonObject{
            {kKind, FilterKinds::IndexOf(FilterKinds::Of(entry))},
            {kStart, CArmCanConfig::FormatFilterId(entry.start)},
            {kEnd, CArmCanConfig::FormatFilterId(entry.end)},
        });
    return array;
}

QList<FilterEntry> FromJson(const QJsonValue& value)
{
    QList<FilterEntry> entries;
    for (const QJsonValue& item : value.toArray()) {
        const QJsonObject object = item.toObject();
        const std::optional<FilterKind> kind =
            FilterKinds::FromIndex(object.value(kKind).toInt(-1));
        if (!kind)
            continue;
        entries.append(FilterEntry{FilterKinds::IsExtended(*kind) ? 1 : 0,
                                   IdOf(object.value(kStart)), IdOf(object.value(kEnd))});
    }
    return entries;
}

} // namespace FilterListJson
