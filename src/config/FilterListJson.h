#pragma once

#include "FilterEntry.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>

// The filter list as a document holds it: one object per entry, {"kind":
// 0..3, "start": "0x…", "end": "0x…"}, in the list's order.
namespace FilterListJson {
QJsonArray ToJson(const QList<FilterEntry>& entries);
// Reads an array a document check has already taken; what it cannot read
// becomes no entry.
QList<FilterEntry> FromJson(const QJsonValue& value);
} // namespace FilterListJson
