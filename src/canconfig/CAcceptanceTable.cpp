#include "CAcceptanceTable.h"

#include <QtEndian>

#include <limits>

namespace {

constexpr quint32 kTableSize = CanAcceptance::kTableSize;
constexpr quint32 kStandardWriteMask = 0x1FFF;
constexpr quint32 kStandardReadMask = 0x7FF;
constexpr quint32 kExtendedMask = 0x1FFFFFFF;
constexpr int kStandardControllerShift = 13;
constexpr int kExtendedControllerShift = 29;

// The converter's comparisons are s - 1 and e + 1; done in 64 bits they cannot
// wrap, so a range ending at 0xFFFFFFFF still swallows what lies inside it.
bool LeavesGapBefore(quint32 value, quint32 start)
{
    return start != 0 && quint64(value) + 1 < start;
}

bool ReachesInto(quint32 start, quint32 end)
{
    return quint64(start) <= quint64(end) + 1;
}

void PutWord(CanAcceptance& acceptance, quint32 offset, quint32 word)
{
    Q_ASSERT(offset + 4 <= kTableSize);
    if (offset + 4 <= kTableSize)
        qToLittleEndian<quint32>(word, acceptance.table.data() + offset);
}

quint16 HalfAt(const CanAcceptance& acceptance, quint32 offset)
{
    return qFromLittleEndian<quint16>(acceptance.table.data() + offset);
}

quint32 WordAt(const CanAcceptance& acceptance, quint32 offset)
{
    return qFromLittleEndian<quint32>(acceptance.table.data() + offset);
}

bool Fits(quint32 offset, quint32 size)
{
    return offset + size <= kTableSize;
}

FilterRow MakeRow(FilterKind kind, quint32 start, quint32 end)
{
    const qint32 extended = FilterKinds::IsExtended(kind) ? 1 : 0;
    return FilterRow{kind, FilterEntry{extended, start, end}};
}

} // namespace

void CAcceptanceTable::RebuildTable(const QList<FilterEntry>& entries, CanAcceptance& acceptance)
{
    FillLists(entries);
    WriteSections(acceptance);
    m_bytesUsed = acceptance.tableEnd;
}

quint32 CAcceptanceTable::BytesNeeded(const QList<FilterEntry>& entries)
{
    CAcceptanceTable unbounded;
    unbounded.m_budget = std::numeric_limits<quint32>::max();
    unbounded.FillLists(entries);
    // An odd count of standard identifiers fills its last word up.
    const quint32 filler = unbounded.m_standardIds.size() % 2 != 0 ? kStandardIdCost : 0;
    return unbounded.m_bytesUsed + filler;
}

void CAcceptanceTable::FillLists(const QList<FilterEntry>& entries)
{
    m_standardIds.clear();
    m_extendedIds.clear();
    m_standardRanges.clear();
    m_extendedRanges.clear();
    m_bytesUsed = 0;

    for (const FilterEntry& entry : entries) {
        if (entry.start > entry.end)
            continue;
        // The converter compares the masked values the table holds, so the
        // lists are ordered and merged on those; a typed value wider than the
        // field would otherwise land out of order.
        const bool extended = entry.extended != 0;
        const quint32 mask = extended ? kExtendedMask : kStandardWriteMask;
        const quint32 start = entry.start & mask;
        const quint32 end = entry.end & mask;
        if (entry.start == entry.end) {
            InsertSingle(extended ? m_extendedIds : m_standardIds, start,
                         extended ? kExtendedIdCost : kStandardIdCost);
        } else if (start <= end) {
            InsertRange(extended ? m_extendedRanges : m_standardRanges,
                        FilterEntry{extended ? 1 : 0, start, end},
                        extended ? kExtendedRangeCost : kStandardRangeCost);
        }
    }
}

bool CAcceptanceTable::Affordable(quint32 cost) const
{
    return quint64(m_bytesUsed) + cost <= m_budget;
}

bool CAcceptanceTable::InsertSingle(QList<quint32>& ids, quint32 id, quint32 cost)
{
    int index = 0;
    for (; index < ids.size(); ++index) {
        if (ids.at(index) == id)
            return true;
        if (ids.at(index) > id)
            break;
    }
    if (!Affordable(cost))
        return false;
    ids.insert(index, id);
    m_bytesUsed += cost;
    return true;
}

bool CAcceptanceTable::InsertRange(QList<FilterEntry>& ranges, const FilterEntry& range,
                                   quint32 cost)
{
    for (int index = 0; index < ranges.size(); ++index) {
        const FilterEntry element = ranges.at(index);
        const bool inFront = LeavesGapBefore(range.start, element.start);
        if (!inFront && !ReachesInto(range.start, element.end))
            continue;
        FilterEntry inserted = range;
        if (!inFront) {
            inserted.start = qMin(range.start, element.start);
            inserted.end = qMax(range.end, element.end);
        }
        // A merge is charged like an insertion and refunded by the absorption
        // below, so it is refused when the table is full.
        if (!Affordable(cost))
            return false;
        ranges.insert(index, inserted);
        m_bytesUsed += cost;
        AbsorbFollowing(ranges, index, cost);
        return true;
    }
    if (!Affordable(cost))
        return false;
    ranges.append(range);
    m_bytesUsed += cost;
    return true;
}

void CAcceptanceTable::AbsorbFollowing(QList<FilterEntry>& ranges, int index, quint32 cost)
{
    while (index + 1 < ranges.size()) {
        const FilterEntry next = ranges.at(index + 1);
        if (LeavesGapBefore(ranges.at(index).end, next.start))
            break;
        ranges[index].end = qMax(ranges.at(index).end, next.end);
        ranges.removeAt(index + 1);
        m_bytesUsed -= cost;
    }
}

void CAcceptanceTable::WriteSections(CanAcceptance& acceptance) const
{
    acceptance.table.fill(0);
    quint32 offset = 0;

    acceptance.stdIndividualStart = offset;
    for (int index = 0; index < m_standardIds.size(); index += 2) {
        const quint32 first = m_standardIds.at(index);
        const quint32 second =
            index + 1 < m_standardIds.size() ? m_standardIds.at(index + 1) : quint32(kFiller);
        PutWord(acceptance, offset, first << 16 | second);
        offset += 4;
    }

    acceptance.stdGroupStart = offset;
    for (const FilterEntry& range : m_standardRanges) {
        PutWord(acceptance, offset, range.start << 16 | range.end);
        offset += 4;
    }

    acceptance.extIndividualStart = offset;
    for (const quint32 id : m_extendedIds) {
        PutWord(acceptance, offset, id);
        offset += 4;
    }

    acceptance.extGroupStart = offset;
    for (const FilterEntry& range : m_extendedRanges) {
        PutWord(acceptance, offset, range.start);
        PutWord(acceptance, offset + 4, range.end);
        offset += 8;
    }

    acceptance.tableEnd = offset;
}

QList<FilterRow> CAcceptanceTable::DecodeTable(const CanAcceptance& acceptance)
{
    QList<FilterRow> rows;
    quint32 offset = 0;
    while (offset < acceptance.tableEnd) {
        FilterRow row;
        quint32 controller = 0;
        if (offset < acceptance.stdGroupStart) {
            if (!Fits(offset, 2))
                break;
            quint16 half = HalfAt(acceptance, offset);
            offset += 2;
            if (half == kFiller) {
                if (!Fits(offset, 2))
                    break;
                half = HalfAt(acceptance, offset);
                offset += 2;
            }
            row = MakeRow(FilterKind::StandardSingle, half & kStandardReadMask,
                          half & kStandardReadMask);
            controller = half >> kStandardControllerShift;
        } else if (offset < acceptance.extIndividualStart) {
            if (!Fits(offset, 4))
                break;
            const quint16 endHalf = HalfAt(acceptance, offset);
            const quint16 startHalf = HalfAt(acceptance, offset + 2);
            offset += 4;
            row = MakeRow(FilterKind::StandardGroup, startHalf & kStandardReadMask,
                          endHalf & kStandardReadMask);
            controller = startHalf >> kStandardControllerShift;
        } else if (offset < acceptance.extGroupStart) {
            if (!Fits(offset, 4))
                break;
            const quint32 word = WordAt(acceptance, offset);
            offset += 4;
            row = MakeRow(FilterKind::ExtendedSingle, word & kExtendedMask, word & kExtendedMask);
            controller = word >> kExtendedControllerShift;
        } else {
            if (!Fits(offset, 8))
                break;
            const quint32 startWord = WordAt(acceptance, offset);
            const quint32 endWord = WordAt(acceptance, offset + 4);
            offset += 8;
            row = MakeRow(FilterKind::ExtendedGroup, startWord & kExtendedMask,
                          endWord & kExtendedMask);
            controller = startWord >> kExtendedControllerShift;
        }
        // The tool keeps the list of controller 0 only and never writes another.
        if (controller == 0)
            rows.append(row);
    }
    return rows;
}

QList<FilterRow> CAcceptanceTable::ShowTable(const CanAcceptance& acceptance,
                                             QList<FilterEntry>& entries)
{
    entries.clear();
    QList<FilterRow> rows;
    const QList<FilterRow> decoded = DecodeTable(acceptance);
    for (const FilterRow& row : decoded) {
        // A row without an entry of its own could be deleted from the list
        // while its twin kept filtering, so identical entries get one row.
        if (entries.contains(row.entry))
            continue;
        entries.append(row.entry);
        rows.prepend(row);
    }
    return rows;
}
