#include "CArmCanConfig.h"
#include "CanConfigBlock.h"
#include "FilterEntryBuilders.h"

#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(FilterEntry)
Q_DECLARE_METATYPE(CArmCanConfig::AddResult)

using OptionalValue = std::optional<quint32>;
Q_DECLARE_METATYPE(OptionalValue)

namespace {

quint32 LittleEndianAt(const QByteArray& bytes, int offset)
{
    return quint32(quint8(bytes[offset])) | quint32(quint8(bytes[offset + 1])) << 8 |
           quint32(quint8(bytes[offset + 2])) << 16 | quint32(quint8(bytes[offset + 3])) << 24;
}

CanAcceptance FilteringTable(const QList<FilterEntry>& entries)
{
    ArmCanFields fields;
    fields.m_filters = entries;
    fields.m_bFilterEnabled = true;
    CArmCanConfig::CollectIntoBlock(fields);
    return fields.m_acceptance;
}

} // namespace

class TestArmCanConfig : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void blockIsLittleEndianBothWays();
    void blockOfWrongSizeIsRefused_data();
    void blockOfWrongSizeIsRefused();
    void parseHexReadsLikeScanf_data();
    void parseHexReadsLikeScanf();
    void collectTakesTheControlsAndPacksTheFilter();
    void fillShowsTheBlockAndUnpacksAFittingTable();
    void addFilterValidatesItsInput_data();
    void addFilterValidatesItsInput();
};

void TestArmCanConfig::blockIsLittleEndianBothWays()
{
    CanConfigBlock block;
    block.btr = 0x11223344;
    block.frameType = -2;
    block.acceptance.filterMode = 0;
    block.acceptance.stdIndividualStart = 0x01020304;
    block.acceptance.stdGroupStart = 8;
    block.acceptance.extIndividualStart = 12;
    block.acceptance.extGroupStart = 16;
    block.acceptance.tableEnd = 2048;
    block.acceptance.table[0] = 0xAB;
    block.acceptance.table[2047] = 0xCD;

    const QByteArray bytes = block.toBytes();
    QCOMPARE(bytes.size(), 2080);
    QCOMPARE(bytes.left(8), QByteArray::fromHex("44332211feffffff"));
    const quint32 header[] = {0, 0x01020304, 8, 12, 16, 2048};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(LittleEndianAt(bytes, 8 + 4 * i), header[i]);
    QCOMPARE(quint8(bytes[32]), quint8(0xAB));
    QCOMPARE(quint8(bytes[2079]), quint8(0xCD));

    bool ok = false;
    QCOMPARE(CanConfigBlock::fromBytes(bytes, &ok), block);
    QVERIFY(ok);

    ArmCanFields fields;
    block.applyTo(fields);
    QCOMPARE(CanConfigBlock::fromFields(fields), block);
}

void TestArmCanConfig::blockOfWrongSizeIsRefused_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one short") << 2079;
    QTest::newRow("one over") << 2081;
    QTest::newRow("parameter block") << 28;
}

void TestArmCanConfig::blockOfWrongSizeIsRefused()
{
    QFETCH(int, size);
    bool ok = true;
    const CanConfigBlock block = CanConfigBlock::fromBytes(QByteArray(size, '\x5A'), &ok);
    QVERIFY(!ok);
    QCOMPARE(block, CanConfigBlock{});
}

void TestArmCanConfig::parseHexReadsLikeScanf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalValue>("value");

    QTest::newRow("plain") << "3ac004" << OptionalValue(0x3AC004);
    QTest::newRow("leading blanks and prefix") << " \t 0x1F" << OptionalValue(0x1F);
    QTest::newRow("upper prefix") << "0X1f" << OptionalValue(0x1F);
    QTest::newRow("stops at other character") << "12g4" << OptionalValue(0x12);
    QTest::newRow("prefix without digits") << "0x" << OptionalValue(0);
    QTest::newRow("prefix then non-digit") << "0xg" << OptionalValue(0);
    QTest::newRow("keeps low 32 bits") << "123456789" << OptionalValue(0x23456789);
    QTest::newRow("row cell") << "0x000002ff" << OptionalValue(0x2FF);
    QTest::newRow("empty") << "" << OptionalValue();
    QTest::newRow("letters") << "xyz" << OptionalValue();
    QTest::newRow("sign") << "-1" << OptionalValue();
    QTest::newRow("full-width digits") << QStringLiteral("１２") << OptionalValue();
}

void TestArmCanConfig::parseHexReadsLikeScanf()
{
    QFETCH(QString, text);
    QFETCH(OptionalValue, value);
    QCOMPARE(CArmCanConfig::ParseHex(text), value);
}

void TestArmCanConfig::collectTakesTheControlsAndPacksTheFilter()
{
    ArmCanFields fields;
    fields.m_filters = {Std(0x10), Std(0x20)};
    fields.m_strRegister = QStringLiteral(" 0x3ac004");
    fields.m_nFrameTypeSel = 1;
    fields.m_acceptance.tableEnd = 99;
    CArmCanConfig::CollectIntoBlock(fields);
    QCOMPARE(fields.m_dwBtr, 0x3AC004u);
    QCOMPARE(fields.m_nFrameType, 1);
    QCOMPARE(fields.m_acceptance, CanAcceptance{});
    QCOMPARE(fields.m_acceptance.filterMode, 2u);

    fields.m_strRegister = QStringLiteral("zz");
    fields.m_nFrameTypeSel = -1;
    fields.m_bFilterEnabled = true;
    CArmCanConfig::CollectIntoBlock(fields);
    QCOMPARE(fields.m_dwBtr, 0x3AC004u);
    QCOMPARE(fields.m_nFrameType, -1);
    QCOMPARE(fields.m_acceptance.filterMode, 0u);
    QCOMPARE(fields.m_acceptance.tableEnd, 4u);
    QCOMPARE(fields.m_acceptance.stdGroupStart, 4u);
    QCOMPARE(fields.m_acceptance.table[0], quint8(0x20));
    QCOMPARE(fields.m_acceptance.table[2], quint8(0x10));
    QCOMPARE(fields.m_filters, (QList<FilterEntry>{Std(0x10), Std(0x20)}));

    fields.m_filters.clear();
    CArmCanConfig::CollectIntoBlock(fields);
    QCOMPARE(fields.m_acceptance.filterMode, 0u);
    QCOMPARE(fields.m_acceptance.tableEnd, 0u);
}

void TestArmCanConfig::fillShowsTheBlockAndUnpacksAFittingTable()
{
    const QList<FilterEntry> kept{Ext(0x5, 0x9)};
    ArmCanFields fields;
    fields.m_filters = kept;
    fields.m_dwBtr = 0x3AC002;
    fields.m_nFrameType = 1;
    CArmCanConfig::Display display = CArmCanConfig::FillFromBlock(fields);
    QCOMPARE(display.registerText, QStringLiteral("003ac002"));
    QCOMPARE(display.baudIndex, 2);
    QCOMPARE(display.frameTypeSel, 1);
    QVERIFY(!display.filterEnabled);
    QVERIFY(!display.rowsReplaced);
    QCOMPARE(fields.m_filters, kept);
    QCOMPARE(fields.m_strRegister, QStringLiteral("003ac002"));
    QCOMPARE(fields.m_nFrameTypeSel, 1);
    QVERIFY(!fields.m_bFilterEnabled);

    fields.m_dwBtr = 0x12;
    fields.m_nFrameType = 2;
    fields.m_acceptance = FilteringTable({Std(0x100, 0x1FF), Std(0x180, 0x2FF)});
    display = CArmCanConfig::FillFromBlock(fields);
    QCOMPARE(display.registerText, QStringLiteral("00000012"));
    QCOMPARE(display.baudIndex, -1);
    QCOMPARE(display.frameTypeSel, -1);
    QVERIFY(display.filterEnabled);
    QVERIFY(display.rowsReplaced);
    QCOMPARE(display.rows,
             (QList<FilterRow>{FilterRow{FilterKind::StandardGroup, Std(0x100, 0x2FF)}}));
    QCOMPARE(fields.m_filters, QList<FilterEntry>{Std(0x100, 0x2FF)});
    QVERIFY(fields.m_bFilterEnabled);

    fields.m_acceptance.tableEnd = 2049;
    display = CArmCanConfig::FillFromBlock(fields);
    QVERIFY(display.filterEnabled);
    QVERIFY(!display.rowsReplaced);
    QCOMPARE(fields.m_filters, QList<FilterEntry>{Std(0x100, 0x2FF)});

    fields.m_acceptance = CanAcceptance{};
    fields.m_acceptance.filterMode = 0;
    display = CArmCanConfig::FillFromBlock(fields);
    QVERIFY(display.rowsReplaced);
    QVERIFY(display.rows.isEmpty());
    QVERIFY(fields.m_filters.isEmpty());
}

void TestArmCanConfig::addFilterValidatesItsInput_data()
{
    using Result = CArmCanConfig::AddResult;
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<Result>("result");
    QTest::addColumn<FilterEntry>("added");

    QTest::newRow("standard single ignores end") << 0 << "7ff"
                                                 << "not hex" << Result::Added << Std(0x7FF);
    QTest::newRow("standard range") << 1 << "0x100"
                                    << "1ff" << Result::Added << Std(0x100, 0x1FF);
    QTest::newRow("extended single") << 2 << "12345"
                                     << "" << Result::Added << Ext(0x12345, 0x12345);
    QTest::newRow("extended range") << 3 << "10"
                                    << "20" << Result::Added << Ext(0x10, 0x20);
    QTest::newRow("wide value kept as typed") << 0 << "FFFFFFFF"
                                              << "" << Result::Added << Std(0xFFFFFFFF);
    QTest::newRow("range start equal to end") << 1 << "5"
                                              << "5" << Result::StartNotBelowEnd << FilterEntry{};
    QTest::newRow("range start above end") << 3 << "6"
                                           << "5" << Result::StartNotBelowEnd << FilterEntry{};
    QTest::newRow("range end without digits") << 1 << "5"
                                              << "zz" << Result::StartNotBelowEnd << FilterEntry{};
    QTest::newRow("range end without digits, start zero")
        << 1 << "0"
        << "" << Result::StartNotBelowEnd << FilterEntry{};
    QTest::newRow("start without digits") << 0 << ""
                                          << "" << Result::NoStart << FilterEntry{};
    QTest::newRow("range start without digits") << 1 << "zz"
                                                << "10" << Result::NoStart << FilterEntry{};
    QTest::newRow("repeat") << 0 << "30"
                            << "" << Result::Duplicate << FilterEntry{};
    QTest::newRow("same values, other frame format") << 2 << "30"
                                                     << "" << Result::Added << Ext(0x30, 0x30);
    QTest::newRow("no kind") << -1 << "1"
                             << "2" << Result::NoKind << FilterEntry{};
}

void TestArmCanConfig::addFilterValidatesItsInput()
{
    QFETCH(int, kind);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(CArmCanConfig::AddResult, result);
    QFETCH(FilterEntry, added);

    const QList<FilterEntry> before{Std(0x30)};
    ArmCanFields fields;
    fields.m_filters = before;
    fields.m_strStartID = start;
    fields.m_strEndID = end;
    QCOMPARE(CArmCanConfig::AddFilter(fields, kind), result);
    QCOMPARE(fields.m_filters, result == CArmCanConfig::AddResult::Added
                                   ? before + QList<FilterEntry>{added}
                                   : before);

    if (result == CArmCanConfig::AddResult::Added) {
        const QList<FilterRow> rows = CArmCanConfig::RowsOf(fields.m_filters);
        QCOMPARE(rows.constFirst(), (FilterRow{*FilterKinds::FromIndex(kind), added}));
        QVERIFY(CArmCanConfig::RemoveFilter(fields, added));
        QCOMPARE(fields.m_filters, before);
        QVERIFY(!CArmCanConfig::RemoveFilter(fields, added));
    }
}

QTEST_GUILESS_MAIN(TestArmCanConfig)
#include "tst_ArmCanConfig.moc"
