#pragma once

#include <QtGlobal>

// One acceptance filter entry of the device-type-2 converter. Values are kept
// exactly as typed; the identifier masks apply only inside the look-up table.
struct FilterEntry
{
    qint32 extended = 0;
    quint32 start = 0;
    quint32 end = 0;

    friend bool operator==(const FilterEntry& a, const FilterEntry& b)
    {
        return a.extended == b.extended && a.start == b.start && a.end == b.end;
    }
    friend bool operator!=(const FilterEntry& a, const FilterEntry& b) { return !(a == b); }
};
