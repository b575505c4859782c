#include "FilterKind.h"

#include <QCoreApplication>

#include <array>

namespace {

constexpr std::array<const char*, FilterKinds::kCount> kTexts{
    QT_TRANSLATE_NOOP("FilterKinds", "标准帧单ID滤波"),
    QT_TRANSLATE_NOOP("FilterKinds", "标准帧组ID滤波"),
    QT_TRANSLATE_NOOP("FilterKinds", "扩展帧单ID滤波"),
    QT_TRANSLATE_NOOP("FilterKinds", "扩展帧组ID滤波")};

QString TextAt(int index)
{
    return QCoreApplication::translate("FilterKinds", kTexts[static_cast<std::size_t>(index)]);
}

} // namespace

namespace FilterKinds {

std::optional<FilterKind> FromIndex(int index)
{
    if (index < 0 || index >= kCount)
        return std::nullopt;
    return static_cast<FilterKind>(index);
}

FilterKind Of(bool extended, bool range)
{
    if (extended)
        return range ? FilterKind::ExtendedGroup : FilterKind::ExtendedSingle;
    return range ? FilterKind::StandardGroup : FilterKind::StandardSingle;
}

FilterKind Of(const FilterEntry& entry)
{
    return Of(entry.extended != 0, entry.start != entry.end);
}

QString Text(FilterKind kind)
{
    return TextAt(IndexOf(kind));
}

std::optional<FilterKind> FromText(const QString& text)
{
    for (int index = 0; index < kCount; ++index)
        if (text == TextAt(index))
            return static_cast<FilterKind>(index);
    return std::nullopt;
}

} // namespace FilterKinds
