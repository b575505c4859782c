#pragma once

#include "FilterEntry.h"
#include "FilterKind.h"

// One row of the filter list: the entry and the kind whose text the row shows.
// The kind is kept apart from the entry because a range read back from a
// converter may be degenerate (start equal to end) and still shows as a range.
struct FilterRow
{
    FilterKind kind = FilterKind::StandardSingle;
    FilterEntry entry;

    friend bool operator==(const FilterRow& a, const FilterRow& b)
    {
        return a.kind == b.kind && a.entry == b.entry;
    }
    friend bool operator!=(const FilterRow& a, const FilterRow& b) { return !(a == b); }
};
