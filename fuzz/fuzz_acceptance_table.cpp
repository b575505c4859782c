#include "CAcceptanceTable.h"
#include "CArmCanConfig.h"
#include "CanConfigBlock.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

quint32 WordAt(const CanAcceptance& acceptance, quint32 offset)
{
    return qFromLittleEndian<quint32>(acceptance.table.data() + offset);
}

void RequireAscending(const QList<quint32>& ids)
{
    for (int i = 1; i < ids.size(); ++i)
        Require(ids[i - 1] < ids[i]);
}

void RequireDisjoint(const QList<FilterEntry>& ranges)
{
    for (int i = 0; i < ranges.size(); ++i) {
        Require(ranges[i].start <= ranges[i].end);
        if (i > 0)
            Require(ranges[i].start > quint64(ranges[i - 1].end) + 1);
    }
}

// Whatever a converter sends back, unpacking stays inside the block and gives
// each entry one row.
void ReceiveBlock(const QByteArray& bytes)
{
    QByteArray payload = bytes.left(CanConfigBlock::kSize);
    payload.resize(CanConfigBlock::kSize, '\0');
    bool ok = false;
    const CanConfigBlock block = CanConfigBlock::fromBytes(payload, &ok);
    Require(ok);
    Require(block.toBytes() == payload);

    ArmCanFields fields;
    block.applyTo(fields);
    const CArmCanConfig::Display display = CArmCanConfig::FillFromBlock(fields);
    Require(display.rows.size() == fields.m_filters.size());
    for (int i = 0; i < fields.m_filters.size(); ++i)
        Require(fields.m_filters.count(fields.m_filters[i]) == 1);
    CAcceptanceTable::DecodeTable(block.acceptance);
}

// Whatever the user typed, the packed table is one the converter's sorted
// look-up can use.
void PackEntries(const uint8_t* data, size_t size)
{
    QList<FilterEntry> entries;
    for (; size >= 9; data += 9, size -= 9) {
        FilterEntry entry;
        entry.extended = data[0] & 1;
        std::memcpy(&entry.start, data + 1, 4);
        std::memcpy(&entry.end, data + 5, 4);
        if (data[0] & 2)
            entry.end = entry.start;
        entries.append(entry);
    }
    CanAcceptance acceptance;
    CAcceptanceTable table;
    table.RebuildTable(entries, acceptance);

    Require(acceptance.tableEnd <= CanAcceptance::kTableSize);
    Require(table.BytesUsed() == acceptance.tableEnd);
    RequireAscending(table.StandardIds());
    RequireAscending(table.ExtendedIds());
    RequireDisjoint(table.StandardRanges());
    RequireDisjoint(table.ExtendedRanges());
    for (quint32 offset = acceptance.extIndividualStart; offset < acceptance.extGroupStart;
         offset += 4)
        Require(WordAt(acceptance, offset) >> 29 == 0);
    for (quint32 offset = acceptance.tableEnd; offset < CanAcceptance::kTableSize; ++offset)
        Require(acceptance.table[offset] == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] & 1)
        ReceiveBlock(bytes);
    else
        PackEntries(data + 1, size - 1);
    return 0;
}
