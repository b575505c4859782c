#pragma once

#include "CanAcceptance.h"
#include "FilterEntry.h"
#include "FilterRow.h"

#include <QList>

// Packs the filter entries into the converter's acceptance look-up table and
// unpacks a received table. The controller searches every section with a
// sorted look-up, so each section must be ascending, and its ranges disjoint.
// Entries that no longer fit are left out; the order of the entry list decides
// which, and a later, smaller entry may still fit. The working lists hold the
// values as the table does: standard identifiers masked to 13 bits, extended
// ones to 29, so the controller number field is always 0.
class CAcceptanceTable
{
public:
    static constexpr quint32 kStandardIdCost = 2;
    static constexpr quint32 kExtendedIdCost = 4;
    static constexpr quint32 kStandardRangeCost = 4;
    static constexpr quint32 kExtendedRangeCost = 8;
    static constexpr quint16 kFiller = 0xFFFF;
    // The most entries the table can hold, all of them the cheapest kind.
    static constexpr int kMaxEntries = CanAcceptance::kTableSize / int(kStandardIdCost);

    // Rebuilds the working lists from the entries and writes the table with
    // its section offsets into acceptance; the filter mode is not touched.
    void RebuildTable(const QList<FilterEntry>& entries, CanAcceptance& acceptance);

    const QList<quint32>& StandardIds() const { return m_standardIds; }
    const QList<quint32>& ExtendedIds() const { return m_extendedIds; }
    const QList<FilterEntry>& StandardRanges() const { return m_standardRanges; }
    const QList<FilterEntry>& ExtendedRanges() const { return m_extendedRanges; }
    quint32 BytesUsed() const { return m_bytesUsed; }

    // The bytes the entries would take in a table without limit, merged and
    // packed as RebuildTable does: the one count of what a list costs, which
    // everything that bounds a list compares with kTableSize.
    static quint32 BytesNeeded(const QList<FilterEntry>& entries);
    static bool FitsTable(const QList<FilterEntry>& entries)
    {
        return BytesNeeded(entries) <= quint32(CanAcceptance::kTableSize);
    }

    // Entries of controller 0 in table order. Reads nothing beyond the table,
    // whatever the offsets say.
    static QList<FilterRow> DecodeTable(const CanAcceptance& acceptance);
    // Replaces entries by the decoded ones (first of identical ones kept) and
    // returns their rows, newest at the top.
    static QList<FilterRow> ShowTable(const CanAcceptance& acceptance, QList<FilterEntry>& entries);

private:
    void FillLists(const QList<FilterEntry>& entries);
    bool InsertSingle(QList<quint32>& ids, quint32 id, quint32 cost);
    bool InsertRange(QList<FilterEntry>& ranges, const FilterEntry& range, quint32 cost);
    void AbsorbFollowing(QList<FilterEntry>& ranges, int index, quint32 cost);
    bool Affordable(quint32 cost) const;
    void WriteSections(CanAcceptance& acceptance) const;

    QList<quint32> m_standardIds;
    QList<quint32> m_extendedIds;
    QList<FilterEntry> m_standardRanges;
    QList<FilterEntry> m_extendedRanges;
    quint32 m_bytesUsed = 0;
    quint32 m_budget = CanAcceptance::kTableSize;
};
