#pragma once

#include "FilterEntry.h"

#include <QString>

#include <optional>

// The kinds of acceptance filter entry, in the order of the page's kind list.
enum class FilterKind
{
    StandardSingle,
    StandardGroup,
    ExtendedSingle,
    ExtendedGroup,
};

namespace FilterKinds {
constexpr int kCount = 4;

constexpr int IndexOf(FilterKind kind)
{
    return static_cast<int>(kind);
}

// None for an index outside the kind list.
std::optional<FilterKind> FromIndex(int index);

constexpr bool IsRange(FilterKind kind)
{
    return kind == FilterKind::StandardGroup || kind == FilterKind::ExtendedGroup;
}

constexpr bool IsExtended(FilterKind kind)
{
    return kind == FilterKind::ExtendedSingle || kind == FilterKind::ExtendedGroup;
}

// A single identifier when start equals end, else a range.
FilterKind Of(const FilterEntry& entry);
FilterKind Of(bool extended, bool range);

QString Text(FilterKind kind);
// None when no kind has the text.
std::optional<FilterKind> FromText(const QString& text);
} // namespace FilterKinds
