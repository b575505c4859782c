#include "CAcceptanceTable.h"
#include "CFilterTester.h"
#include "Configuration.h"
#include "FilterEntryBuilders.h"
#include "HexText.h"

#include <QTest>

namespace {

// The page's texts as the controller compares them, written from the
// controller's description rather than from the block codec: a mask bit of 1
// is not compared; dual mode compares two standard identifiers, or the upper
// 16 bits (ID.28-ID.13) of an extended one, against each half.
bool Expected(const CanFields& can, quint32 id, bool extended)
{
    const auto value = [](const QString& text, int groups) { return HexText::Parse(text, groups); };
    if (can.m_nFilterMode == 1) {
        const quint32 bits = extended ? 0x1FFFFFFF : 0x7FF;
        return ((id ^ value(can.m_strAcptCode, 4)) & ~value(can.m_strAcptMask, 4) & bits) == 0;
    }
    for (int half = 0; half < 2; ++half) {
        const quint32 code = value(can.m_strAcptCodeDual[half], 2);
        const quint32 mask = value(can.m_strAcptMaskDual[half], 2);
        const quint32 compared = extended ? id >> 13 : id;
        const quint32 bits = extended ? 0xFFFF : 0x7FF;
        if (((compared ^ code) & ~mask & bits) == 0)
            return true;
    }
    return false;
}

Configuration ClassicConfig(int frameType, int filterMode)
{
    Configuration config = Configuration::Defaults(ConverterModel::OstrelA);
    config.can.m_nFrameType = frameType;
    config.can.m_nFilterMode = filterMode;
    config.can.m_bCustomMask = 1;
    return config;
}

} // namespace

class TestFilterTester : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void codeAndMaskFollowTheAlignment_data();
    void codeAndMaskFollowTheAlignment();
    void dualFilterNamesTheHalfThatAccepts();
    void tableAcceptsByItsEntries_data();
    void tableAcceptsByItsEntries();
    void entriesBeyondTheTableAcceptNothing();
};

void TestFilterTester::codeAndMaskFollowTheAlignment_data()
{
    QTest::addColumn<int>("frameType");
    QTest::addColumn<int>("filterMode");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("halves"); // code 1, code 2, mask 1, mask 2

    const QStringList unused{"00 00", "00 00", "FF FF", "FF FF"};
    QTest::newRow("single standard, exact") << 0 << 1 << "00 00 01 23"
                                            << "00 00 00 00" << unused;
    QTest::newRow("single standard, low nibble free") << 0 << 1 << "00 00 01 20"
                                                      << "00 00 00 0F" << unused;
    QTest::newRow("single extended, exact") << 1 << 1 << "12 34 56 78"
                                            << "00 00 00 00" << unused;
    QTest::newRow("single extended, upper bits free") << 1 << 1 << "00 00 56 78"
                                                      << "1F FF 00 00" << unused;
    QTest::newRow("dual standard") << 0 << 0 << ""
                                   << "" << QStringList{"00 7F", "01 23", "00 00", "00 0F"};
    QTest::newRow("dual extended") << 1 << 0 << ""
                                   << "" << QStringList{"09 1A", "00 00", "00 00", "00 FF"};
}

void TestFilterTester::codeAndMaskFollowTheAlignment()
{
    QFETCH(int, frameType);
    QFETCH(int, filterMode);
    QFETCH(QString, code);
    QFETCH(QString, mask);
    QFETCH(QStringList, halves);

    Configuration config = ClassicConfig(frameType, filterMode);
    if (!code.isEmpty()) {
        config.can.m_strAcptCode = code;
        config.can.m_strAcptMask = mask;
    }
    config.can.m_strAcptCodeDual = {halves.at(0), halves.at(1)};
    config.can.m_strAcptMaskDual = {halves.at(2), halves.at(3)};
    const bool extended = frameType == 1;
    const QList<quint32> ids =
        extended ? QList<quint32>{0x12345678, 0x12345679, 0x00005678, 0x1FFF5678, 0x12340000,
                                  0x0F000000, 0x12344000, 0x1234BFFF, 0x1235FFFF, 0}
                 : QList<quint32>{0x123, 0x122, 0x12F, 0x120, 0x07F, 0x07E, 0x070, 0x7FF, 0, 0x323};
    int accepted = 0;
    for (const quint32 id : ids) {
        const CFilterTester::Verdict verdict = CFilterTester::Test(config, {id, extended});
        QVERIFY2(verdict.accepted == Expected(config.can, id, extended),
                 qPrintable(QString::number(id, 16) + QLatin1Char(' ') + verdict.reason));
        accepted += verdict.accepted ? 1 : 0;
    }
    // Every row both takes and refuses some identifiers.
    QVERIFY(accepted > 0);
    QVERIFY(accepted < ids.size());
}

void TestFilterTester::dualFilterNamesTheHalfThatAccepts()
{
    Configuration config = ClassicConfig(0, 0);
    config.can.m_strAcptCodeDual = {QStringLiteral("00 7F"), QStringLiteral("01 23")};
    config.can.m_strAcptMaskDual = {QStringLiteral("00 00"), QStringLiteral("00 00")};
    QVERIFY(CFilterTester::Test(config, {0x7F, false}).reason.contains(QLatin1String("1")));
    QVERIFY(CFilterTester::Test(config, {0x123, false}).reason.contains(QLatin1String("2")));
    const CFilterTester::Verdict refused = CFilterTester::Test(config, {0x7E, false});
    QVERIFY(!refused.accepted);
    QVERIFY2(refused.reason.contains(QLatin1String("ID.0")), qPrintable(refused.reason));
}

void TestFilterTester::tableAcceptsByItsEntries_data()
{
    QTest::addColumn<bool>("filtering");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("filtering off") << false << 0x555u << false << true;
    QTest::newRow("standard single") << true << 0x10u << false << true;
    QTest::newRow("beside the single") << true << 0x11u << false << false;
    QTest::newRow("merged range, first part") << true << 0x100u << false << true;
    QTest::newRow("merged range, second part") << true << 0x2FFu << false << true;
    QTest::newRow("after the range") << true << 0x300u << false << false;
    QTest::newRow("standard id as extended frame") << true << 0x10u << true << false;
    QTest::newRow("extended single") << true << 0x12345u << true << true;
    QTest::newRow("extended range end") << true << 0x2FFFFu << true << true;
    QTest::newRow("extended beyond") << true << 0x30000u << true << false;
    // Typed as 0x900: the table keeps the 11 bits the controller compares.
    QTest::newRow("wide standard entry") << true << 0x100u << false << true;
}

void TestFilterTester::tableAcceptsByItsEntries()
{
    QFETCH(bool, filtering);
    QFETCH(quint32, id);
    QFETCH(bool, extended);
    QFETCH(bool, accepted);

    Configuration config = Configuration::Defaults(ConverterModel::OstrelX);
    config.armCan.m_bFilterEnabled = filtering;
    config.armCan.m_filters = {Std(0x10), Std(0x100, 0x1FF), Std(0x180, 0x2FF), Ext(0x12345),
                               Ext(0x20000, 0x2FFFF)};
    if (QByteArray(QTest::currentDataTag()) == "wide standard entry")
        config.armCan.m_filters = {Std(0x900)};
    const CFilterTester::Verdict verdict = CFilterTester::Test(config, {id, extended});
    QVERIFY2(verdict.accepted == accepted, qPrintable(verdict.reason));
}

void TestFilterTester::entriesBeyondTheTableAcceptNothing()
{
    Configuration config = Configuration::Defaults(ConverterModel::OstrelX);
    config.armCan.m_bFilterEnabled = true;
    for (quint32 id = 0; id < 1024; ++id)
        config.armCan.m_filters.append(Std(id));
    QCOMPARE(CAcceptanceTable::BytesNeeded(config.armCan.m_filters), 2048u);
    config.armCan.m_filters.append(Ext(0x5));
    QCOMPARE(CAcceptanceTable::BytesNeeded(config.armCan.m_filters), 2052u);
    QVERIFY(!CAcceptanceTable::FitsTable(config.armCan.m_filters));
    QVERIFY(CFilterTester::Test(config, {0x3FF, false}).accepted);
    QVERIFY(!CFilterTester::Test(config, {0x5, true}).accepted);
}

QTEST_GUILESS_MAIN(TestFilterTester)
#include "tst_FilterTester.moc"
