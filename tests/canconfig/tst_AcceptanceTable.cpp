#include "CAcceptanceTable.h"
#include "FilterEntryBuilders.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <memory>

using Entries = QList<FilterEntry>;
using Words = QList<quint32>;
using Rows = QList<FilterRow>;

namespace {

// kind as the page's kind list numbers it
FilterRow Row(int kind, quint32 start, quint32 end)
{
    return {*FilterKinds::FromIndex(kind), {kind / 2, start, end}};
}

quint32 WordAt(const CanAcceptance& a, quint32 offset)
{
    return quint32(a.table[offset]) | quint32(a.table[offset + 1]) << 8 |
           quint32(a.table[offset + 2]) << 16 | quint32(a.table[offset + 3]) << 24;
}

// Offsets of the four later sections, then the words up to the end offset.
Words Layout(const CanAcceptance& a)
{
    Words words{a.stdGroupStart, a.extIndividualStart, a.extGroupStart, a.tableEnd};
    for (quint32 offset = 0; offset + 4 <= a.tableEnd; offset += 4)
        words.append(WordAt(a, offset));
    return words;
}

// Heap-allocated with the table last, so a read past it is seen by the sanitizer.
std::unique_ptr<CanAcceptance> Build(const Entries& entries, CAcceptanceTable* table = nullptr)
{
    auto acceptance = std::make_unique<CanAcceptance>();
    CAcceptanceTable local;
    (table ? *table : local).RebuildTable(entries, *acceptance);
    return acceptance;
}

std::unique_ptr<CanAcceptance> Received(const Words& layout)
{
    auto a = std::make_unique<CanAcceptance>();
    a->stdIndividualStart = 0x7777; // never consulted
    a->stdGroupStart = layout[0];
    a->extIndividualStart = layout[1];
    a->extGroupStart = layout[2];
    a->tableEnd = layout[3];
    for (int i = 4; i < layout.size(); ++i)
        for (int byte = 0; byte < 4; ++byte)
            a->table[(i - 4) * 4 + byte] = quint8(layout[i] >> (8 * byte));
    return a;
}

using Intervals = QList<std::pair<quint64, quint64>>;

Intervals Merged(Intervals intervals)
{
    std::sort(intervals.begin(), intervals.end());
    Intervals merged;
    for (const auto& interval : intervals)
        if (!merged.isEmpty() && interval.first <= merged.last().second + 1)
            merged.last().second = std::max(merged.last().second, interval.second);
        else
            merged.append(interval);
    return merged;
}

// Reads a table as the converter's sorted look-up needs it: every section
// strictly ascending, ranges neither overlapping nor touching, controller 0,
// the filler only in the last standard word, zeros after the end. Returns
// the identifiers covered per frame format, or an empty optional on a fault.
std::optional<std::pair<Intervals, Intervals>> Coverage(const CanAcceptance& a)
{
    if (a.stdIndividualStart != 0 || a.stdGroupStart % 4 || a.extIndividualStart % 4 ||
        a.extGroupStart % 4 || a.stdGroupStart > a.extIndividualStart ||
        a.extIndividualStart > a.extGroupStart || a.extGroupStart > a.tableEnd ||
        (a.tableEnd - a.extGroupStart) % 8 || a.tableEnd > 2048)
        return std::nullopt;
    if (std::any_of(a.table.begin() + a.tableEnd, a.table.end(), [](quint8 b) { return b; }))
        return std::nullopt;

    Intervals sections[4]; // standard singles, standard ranges, extended singles, extended ranges
    for (quint32 offset = 0; offset < a.stdGroupStart; offset += 4) {
        const quint32 word = WordAt(a, offset);
        sections[0].append({word >> 16, word >> 16});
        if ((word & 0xFFFF) != 0xFFFF)
            sections[0].append({word & 0xFFFF, word & 0xFFFF});
        else if (offset + 4 != a.stdGroupStart)
            return std::nullopt;
    }
    for (quint32 offset = a.stdGroupStart; offset < a.extIndividualStart; offset += 4)
        sections[1].append({WordAt(a, offset) >> 16, WordAt(a, offset) & 0xFFFF});
    for (quint32 offset = a.extIndividualStart; offset < a.extGroupStart; offset += 4)
        sections[2].append({WordAt(a, offset), WordAt(a, offset)});
    for (quint32 offset = a.extGroupStart; offset < a.tableEnd; offset += 8)
        sections[3].append({WordAt(a, offset), WordAt(a, offset + 4)});

    for (int s = 0; s < 4; ++s) {
        const quint64 limit = s < 2 ? 0x1FFF : 0x1FFFFFFF;
        for (int i = 0; i < sections[s].size(); ++i) {
            const auto [start, end] = sections[s][i];
            if (start > end || end > limit)
                return std::nullopt;
            const quint64 gap = s % 2 ? 1 : 0; // ranges may not even touch
            if (i > 0 && start <= sections[s][i - 1].second + gap)
                return std::nullopt;
        }
    }
    return std::make_pair(Merged(sections[0] + sections[1]), Merged(sections[2] + sections[3]));
}

// What the entries ask for: masked identifiers, a range only while masking
// keeps its ends in order.
Intervals Wanted(const Entries& entries, bool extended)
{
    const quint32 mask = extended ? 0x1FFFFFFF : 0x1FFF;
    Intervals wanted;
    for (const FilterEntry& e : entries)
        if ((e.extended != 0) == extended && e.start <= e.end &&
            (e.start == e.end || (e.start & mask) <= (e.end & mask)))
            wanted.append({e.start & mask, e.end & mask});
    return Merged(wanted);
}

bool Within(const Intervals& inner, const Intervals& outer)
{
    return std::all_of(
        inner.begin(), inner.end(),
        [&](const auto& i) {
            return std::any_of(
                outer.begin(), outer.end(),
                [&](const auto& o) { return o.first <= i.first && i.second <= o.second; });
        });
}

quint32 RandomId(QRandomGenerator& rng, bool extended)
{
    const quint32 edges[] = {0u, 0x7FFu, 0x1FFFu, 0x1FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu};
    switch (rng.bounded(8)) {
    case 0:
        return rng.bounded(0x40u);
    case 1:
        return rng.generate();
    case 2:
        return edges[rng.bounded(6)];
    default:
        return extended ? rng.bounded(0x20000000u) : rng.bounded(0x800u);
    }
}

Entries RandomEntries(QRandomGenerator& rng, int count)
{
    Entries entries;
    for (int i = 0; i < count; ++i) {
        const bool extended = rng.bounded(2) == 1;
        const quint32 start = RandomId(rng, extended);
        quint32 end = start;
        if (rng.bounded(2) == 1)
            end = rng.bounded(6) == 0 ? RandomId(rng, extended)
                                      : start + rng.bounded(extended ? 0x400u : 0x40u);
        entries.append({extended ? 1 : 0, start, end});
    }
    return entries;
}

} // namespace

class TestAcceptanceTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void packsSortsAndMerges_data();
    void packsSortsAndMerges();
    void budgetLeavesOutWhatNoLongerFits();
    void showTableUnpacksTables_data();
    void showTableUnpacksTables();
    void showTableStaysInsideHostileTables();
    void rebuiltTablesSuitASortedLookUp();
};

void TestAcceptanceTable::packsSortsAndMerges_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<Words>("layout");

    QTest::newRow("three standard singles")
        << Entries{Std(0x10), Std(0x20), Std(0x30)} << Words{8, 8, 8, 8, 0x00100020, 0x0030FFFF};
    QTest::newRow("singles sorted, repeats dropped")
        << Entries{Std(0x30), Std(0x10), Std(0x30), Std(0x20)}
        << Words{8, 8, 8, 8, 0x00100020, 0x0030FFFF};
    QTest::newRow("overlapping ranges")
        << Entries{Std(0x100, 0x1FF), Std(0x180, 0x2FF)} << Words{0, 4, 4, 4, 0x010002FF};
    QTest::newRow("touching ranges")
        << Entries{Std(0x100, 0x1FF), Std(0x200, 0x2FF)} << Words{0, 4, 4, 4, 0x010002FF};
    QTest::newRow("touching from below")
        << Entries{Std(0x200, 0x2FF), Std(0x100, 0x1FF)} << Words{0, 4, 4, 4, 0x010002FF};
    QTest::newRow("ranges with a gap") << Entries{Std(0x100, 0x1FF), Std(0x201, 0x2FF)}
                                       << Words{0, 8, 8, 8, 0x010001FF, 0x020102FF};
    QTest::newRow("range in front") << Entries{Std(0x300, 0x3FF), Std(0x100, 0x1FF)}
                                    << Words{0, 8, 8, 8, 0x010001FF, 0x030003FF};
    QTest::newRow("bridge swallows neighbours")
        << Entries{Std(0x100, 0x1FF), Std(0x300, 0x3FF), Std(0x500, 0x5FF), Std(0x150, 0x350)}
        << Words{0, 8, 8, 8, 0x010003FF, 0x050005FF};
    QTest::newRow("range at zero, gap above")
        << Entries{Std(0x0, 0x10), Std(0x12, 0x20)} << Words{0, 8, 8, 8, 0x00000010, 0x00120020};
    QTest::newRow("range at zero, bridged")
        << Entries{Std(0x0, 0x10), Std(0x12, 0x20), Std(0x11), Std(0x5, 0x11)}
        << Words{4, 8, 8, 8, 0x0011FFFF, 0x00000020};
    QTest::newRow("single never folded into a range")
        << Entries{Std(0x150), Std(0x100, 0x1FF)} << Words{4, 8, 8, 8, 0x0150FFFF, 0x010001FF};
    QTest::newRow("extended range")
        << Entries{Ext(0x12345, 0x12400)} << Words{0, 0, 0, 8, 0x00012345, 0x00012400};
    QTest::newRow("all four sections")
        << Entries{Ext(0x1000, 0x2000), Ext(0x300), Ext(0x1ABCDEF),
                   Std(0x700, 0x7FF),   Std(0x2),   Std(0x1)}
        << Words{4, 8, 16, 24, 0x00010002, 0x070007FF, 0x300, 0x01ABCDEF, 0x1000, 0x2000};
    QTest::newRow("standard keeps thirteen bits")
        << Entries{Std(0x900)} << Words{4, 4, 4, 4, 0x0900FFFF};
    QTest::newRow("start above end skipped")
        << Entries{Std(0x20, 0x10), Ext(0x20, 0x10), Std(5)} << Words{4, 4, 4, 4, 0x0005FFFF};
    // Values wider than their field go where the bits the table keeps put them.
    QTest::newRow("wide standard singles")
        << Entries{Std(0x2005), Std(0x0003)} << Words{4, 4, 4, 4, 0x00030005};
    QTest::newRow("wide extended singles")
        << Entries{Ext(0x20000001), Ext(0x7)} << Words{0, 0, 8, 8, 0x1, 0x7};
    QTest::newRow("range turned round by the mask")
        << Entries{Std(0x1F00, 0x2100)} << Words{0, 0, 0, 0};
    // The converter's e + 1 wraps at 0xFFFFFFFF; the tool's must not.
    QTest::newRow("extended range to the top absorbs")
        << Entries{Ext(0x10, 0xFFFFFFFF), Ext(0x20, 0x30), Ext(0x40, 0x50)}
        << Words{0, 0, 0, 8, 0x10, 0x1FFFFFFF};
    QTest::newRow("standard range to the top absorbs")
        << Entries{Std(0x10, 0xFFFFFFFF), Std(0x20, 0x30), Std(0x5, 0x8)}
        << Words{0, 8, 8, 8, 0x00050008, 0x00101FFF};
    QTest::newRow("whole space") << Entries{Ext(0x0, 0xFFFFFFFF), Ext(0x12345678), Ext(0x4, 0x9)}
                                 << Words{0, 0, 4, 12, 0x12345678, 0x0, 0x1FFFFFFF};
}

void TestAcceptanceTable::packsSortsAndMerges()
{
    QFETCH(Entries, entries);
    QFETCH(Words, layout);

    CAcceptanceTable table;
    const auto acceptance = Build(entries, &table);
    QCOMPARE(acceptance->stdIndividualStart, 0u);
    QCOMPARE(Layout(*acceptance), layout);
    QCOMPARE(table.BytesUsed(), acceptance->tableEnd);
    // What fits is counted alike by the page's bound and by the table.
    QCOMPARE(CAcceptanceTable::BytesNeeded(entries), acceptance->tableEnd);
}

void TestAcceptanceTable::budgetLeavesOutWhatNoLongerFits()
{
    Entries singles;
    for (quint32 id = 0; id < 1024; ++id)
        singles.append(Std(id * 2));
    const auto full = Build(singles);
    QCOMPARE(full->tableEnd, 2048u);
    QCOMPARE(full->extGroupStart, 2048u);
    const auto more = Build(singles + Entries{Std(1), Ext(5), Std(0x10, 0x20), Std(0x0)});
    QCOMPARE(Layout(*more), Layout(*full));
    QCOMPARE(CAcceptanceTable::BytesNeeded(singles + Entries{Std(1), Ext(5), Std(0x10, 0x20)}),
             2048u + 4 + 4 + 4);

    // An odd count leaves room for exactly the filler.
    const auto odd = Build(singles.mid(0, 1023));
    QCOMPARE(odd->tableEnd, 2048u);
    QCOMPARE(WordAt(*odd, 2044), 2044u << 16 | 0xFFFF);

    // At 2044 bytes an extended range (8) is refused, a later single (4) fits.
    const auto later = Build(singles.mid(0, 1022) + Entries{Ext(0x100, 0x200), Ext(0x300)});
    QCOMPARE(Layout(*later).mid(0, 4), (Words{2044, 2044, 2048, 2048}));
    QCOMPARE(WordAt(*later, 2044), 0x300u);

    // A merge is charged before its refund, so a full table refuses even one
    // that would not make it longer.
    Entries ranges;
    for (quint32 i = 0; i < 512; ++i)
        ranges.append(Std(i * 4, i * 4 + 1));
    const auto merged = Build(ranges + Entries{Std(0, 2)});
    QCOMPARE(merged->tableEnd, 2048u);
    QCOMPARE(WordAt(*merged, 0), 0x00000001u);
}

void TestAcceptanceTable::showTableUnpacksTables_data()
{
    QTest::addColumn<std::shared_ptr<CanAcceptance>>("table");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("merged range comes back as one row")
        << std::shared_ptr(Build({Std(0x100, 0x1FF), Std(0x180, 0x2FF)}))
        << Rows{Row(1, 0x100, 0x2FF)};
    QTest::newRow("second of a word comes first")
        << std::shared_ptr(Build({Std(0x10), Std(0x20), Std(0x30)}))
        << Rows{Row(0, 0x30, 0x30), Row(0, 0x10, 0x10), Row(0, 0x20, 0x20)};
    QTest::newRow("standard masked to eleven bits, twins give one row")
        << std::shared_ptr(Build({Std(0x100), Std(0x900)})) << Rows{Row(0, 0x100, 0x100)};
    QTest::newRow("extended ranges on top")
        << std::shared_ptr(Build({Std(0x150), Std(0x100, 0x1FF), Ext(0x12345), Ext(0x1, 0x2)}))
        << Rows{Row(3, 0x1, 0x2), Row(2, 0x12345, 0x12345), Row(1, 0x100, 0x1FF),
                Row(0, 0x150, 0x150)};
    QTest::newRow("received filler skipped")
        << std::shared_ptr(Received({4, 4, 4, 4, 0x0030FFFF})) << Rows{Row(0, 0x30, 0x30)};
    QTest::newRow("filler takes the half after it, even past the end")
        << std::shared_ptr(Received({8, 8, 8, 8, 0x0030FFFF, 0xFFFF0031}))
        << Rows{Row(0, 0x0, 0x0), Row(0, 0x31, 0x31), Row(0, 0x30, 0x30)};
    QTest::newRow("end offset mid-word")
        << std::shared_ptr(Received({8, 8, 8, 2, 0x00100020})) << Rows{Row(0, 0x20, 0x20)};
    QTest::newRow("other controllers skipped")
        << std::shared_ptr(Received(
               {4, 12, 16, 24, 0x20302031, 0x01000120, 0x20102030, 0x20000005, 0x40000001, 0x2}))
        << Rows{Row(1, 0x100, 0x120)};
    QTest::newRow("section by offset alone, out of order")
        << std::shared_ptr(Received({8, 4, 0, 12, 0x00010002, 0x00030004, 0x1ABCDEF9}))
        << Rows{Row(3, 0x1ABCDEF9, 0x0), Row(0, 0x3, 0x3), Row(0, 0x4, 0x4), Row(0, 0x1, 0x1),
                Row(0, 0x2, 0x2)};
}

void TestAcceptanceTable::showTableUnpacksTables()
{
    QFETCH(std::shared_ptr<CanAcceptance>, table);
    QFETCH(Rows, rows);

    Entries entries{Ext(0x77)};
    QCOMPARE(CAcceptanceTable::ShowTable(*table, entries), rows);
    Entries expected;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        expected.append(it->entry);
    QCOMPARE(entries, expected);
}

void TestAcceptanceTable::showTableStaysInsideHostileTables()
{
    QCOMPARE(CAcceptanceTable::DecodeTable(*Received({0, 0, 2044, 0xFFFFFFFF})).size(), 511);
    auto filler = Received({0xFFFFFFFF, 0, 0, 2048});
    filler->table.fill(0xFF);
    filler->table[0] = 0x10;
    filler->table[1] = 0x00;
    QCOMPARE(CAcceptanceTable::DecodeTable(*filler), Rows{Row(0, 0x10, 0x10)});

    QRandomGenerator rng(0x6b656c76);
    const auto offset = [&rng]() {
        const quint32 pick = rng.bounded(5u);
        return pick == 0 ? rng.generate() : pick == 1 ? 2048 - rng.bounded(9u) : rng.bounded(2100u);
    };
    for (int round = 0; round < 1500; ++round) {
        auto hostile = Received({offset(), offset(), offset(), offset()});
        for (quint8& byte : hostile->table) {
            const quint32 pick = rng.bounded(4u);
            byte = pick == 0 ? 0xFF : pick == 1 ? 0x00 : quint8(rng.generate());
        }
        Entries entries{Std(1)};
        const Rows rows = CAcceptanceTable::ShowTable(*hostile, entries);
        QCOMPARE(rows.size(), entries.size());
        for (int i = 0; i < rows.size(); ++i) {
            const FilterEntry& entry = entries[i];
            QCOMPARE(rows[rows.size() - 1 - i].entry, entry);
            QCOMPARE(entries.count(entry), qsizetype(1));
            QVERIFY(std::max(entry.start, entry.end) <= (entry.extended ? 0x1FFFFFFFu : 0x7FFu));
        }
    }
}

void TestAcceptanceTable::rebuiltTablesSuitASortedLookUp()
{
    QRandomGenerator rng(20240611);
    for (int round = 0; round < 3000; ++round) {
        // Small lists always fit; every tenth list overfills the table.
        const bool large = round % 10 == 0;
        const Entries entries =
            RandomEntries(rng, large ? 300 + int(rng.bounded(500u)) : int(rng.bounded(80u)));
        const auto coverage = Coverage(*Build(entries));
        QVERIFY2(coverage, qPrintable(QString::number(round)));
        const auto& [standard, extended] = *coverage;
        const Intervals wantedStandard = Wanted(entries, false);
        const Intervals wantedExtended = Wanted(entries, true);
        QVERIFY2(Within(standard, wantedStandard), qPrintable(QString::number(round)));
        QVERIFY2(Within(extended, wantedExtended), qPrintable(QString::number(round)));
        if (!large) {
            QVERIFY2(standard == wantedStandard, qPrintable(QString::number(round)));
            QVERIFY2(extended == wantedExtended, qPrintable(QString::number(round)));
        }
    }
}

QTEST_GUILESS_MAIN(TestAcceptanceTable)
#include "tst_AcceptanceTable.moc"
