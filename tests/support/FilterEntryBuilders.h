#pragma once

#include "FilterEntry.h"

// Short names for filter entries, so the tables in the tests read like the
// lists an engineer types.
inline FilterEntry Std(quint32 start, quint32 end)
{
    return {0, start, end};
}
inline FilterEntry Std(quint32 id)
{
    return {0, id, id};
}
inline FilterEntry Ext(quint32 start, quint32 end)
{
    return {1, start, end};
}
inline FilterEntry Ext(quint32 id)
{
    return {1, id, id};
}
