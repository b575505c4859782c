#include "CArmCanConfig.h"
#include "CBitTiming.h"
#include "CanPageRules.h"

#include <QTest>

Q_DECLARE_METATYPE(CanController)

namespace {

// "666 K" and "666K" name 666.667 kbit/s.
double LabelRate(const QString& label)
{
    const double rate = CBitTiming::ParseRate(label).value_or(0);
    return CBitTiming::UsualRate(rate).value_or(rate);
}

} // namespace

class TestBitTiming : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyPresetRoundTrips_data();
    void everyPresetRoundTrips();
    void explainsTheRegisterFields_data();
    void explainsTheRegisterFields();
    void warnsOfUnusualTimings_data();
    void warnsOfUnusualTimings();
    void proposesEveryValueInOrder();
    void parsesRates_data();
    void parsesRates();
};

void TestBitTiming::everyPresetRoundTrips_data()
{
    QTest::addColumn<CanController>("controller");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("label");
    for (int index = 1; index <= CanPageRules::kLastPreset; ++index) {
        const quint32 value = CanPageRules::PresetBtr0(index).toUInt(nullptr, 16) << 8 |
                              CanPageRules::PresetBtr1(index).toUInt(nullptr, 16);
        // The A/B list names its rates after the custom entry, in this order.
        static const char* const kLabels[] = {"5 K",   "10 K",  "20 K",  "40 K",  "50 K",
                                              "80 K",  "100 K", "125 K", "200 K", "250 K",
                                              "400 K", "500 K", "666 K", "800 K", "1000 K"};
        QTest::addRow("A/B %s", kLabels[index - 1])
            << CanController::Classic << value << QString::fromLatin1(kLabels[index - 1]);
    }
    for (int index = 0; index < CArmCanConfig::kCustomBaudIndex; ++index)
        QTest::addRow("X %s", CArmCanConfig::kBaudTexts[index])
            << CanController::Arm << *CArmCanConfig::BaudRegister(index)
            << CArmCanConfig::BaudText(index);
}

void TestBitTiming::everyPresetRoundTrips()
{
    QFETCH(CanController, controller);
    QFETCH(quint32, value);
    QFETCH(QString, label);

    const BitTiming timing = CBitTiming::Explain(controller, value);
    QCOMPARE(CBitTiming::Encode(timing), value);
    QVERIFY2(qAbs(timing.BitRate() - LabelRate(label)) < 1.0,
             qPrintable(CBitTiming::Sentence(timing)));
    QVERIFY(timing.SjwFits());

    CBitTiming::Request request;
    request.bitRate = LabelRate(label);
    request.samplePoint = timing.SamplePoint();
    request.sjw = timing.sjw;
    request.tripleSampling = timing.tripleSampling;
    const QList<BitTiming> proposals = CBitTiming::Propose(controller, request);
    QVERIFY(!proposals.isEmpty());
    QCOMPARE(proposals.first().value, value);
}

void TestBitTiming::explainsTheRegisterFields_data()
{
    QTest::addColumn<CanController>("controller");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("described");
    QTest::addColumn<int>("quanta");
    QTest::addColumn<int>("sjw");
    QTest::addColumn<bool>("triple");

    QTest::newRow("X 250K") << CanController::Arm << 0x3AC005u << "250K, 75%" << 16 << 4 << false;
    QTest::newRow("X 1000K") << CanController::Arm << 0x6FC000u << "1000K, 70.8%" << 24 << 4
                             << false;
    QTest::newRow("X sampling bit")
        << CanController::Arm << 0xBAC005u << "250K, 75%" << 16 << 4 << true;
    QTest::newRow("A/B 250K") << CanController::Classic << 0x011Cu << "250K, 87.5%" << 16 << 1
                              << false;
    QTest::newRow("A/B 5K triple")
        << CanController::Classic << 0xBFFFu << "5K, 68%" << 25 << 3 << true;
    QTest::newRow("A/B 83.333K") << CanController::Classic << 0x051Cu << "83.333K, 87.5%" << 16 << 1
                                 << false;
}

void TestBitTiming::explainsTheRegisterFields()
{
    QFETCH(CanController, controller);
    QFETCH(quint32, value);
    QFETCH(QString, described);
    QFETCH(int, quanta);
    QFETCH(int, sjw);
    QFETCH(bool, triple);

    const BitTiming timing = CBitTiming::Explain(controller, value);
    QCOMPARE(CBitTiming::Described(timing), described);
    QCOMPARE(timing.Quanta(), quanta);
    QCOMPARE(timing.sjw, sjw);
    QCOMPARE(timing.tripleSampling, triple);
    QCOMPARE(CBitTiming::Encode(timing), value);
}

void TestBitTiming::warnsOfUnusualTimings_data()
{
    QTest::addColumn<CanController>("controller");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("warnings");

    QTest::newRow("usual rate and sample point") << CanController::Arm << 0x3AC005u << 0;
    // 24 MHz / (7 * 16): 214.3K is no bus rate.
    QTest::newRow("unusual rate") << CanController::Arm << 0x3AC006u << 1;
    // Segments of 7 and 8 quanta: sampled at half the bit.
    QTest::newRow("early sample point") << CanController::Arm << 0x76C005u << 1;
    QTest::newRow("late sample point 93.75%") << CanController::Classic << 0x010Du << 1;
    QTest::newRow("SJW beyond segment 2") << CanController::Classic << 0xC11Cu << 1;
    QTest::newRow("reserved bits") << CanController::Arm << 0x013AC005u << 1;
}

void TestBitTiming::warnsOfUnusualTimings()
{
    QFETCH(CanController, controller);
    QFETCH(quint32, value);
    QFETCH(int, warnings);
    const QStringList found = CBitTiming::Warnings(CBitTiming::Explain(controller, value));
    QVERIFY2(found.size() == warnings, qPrintable(found.join(QLatin1Char('|'))));
}

void TestBitTiming::proposesEveryValueInOrder()
{
    CBitTiming::Request request;
    request.bitRate = 250'000.0 / 3;
    request.samplePoint = 87.5;
    for (const CanController controller : {CanController::Classic, CanController::Arm}) {
        const QList<BitTiming> proposals = CBitTiming::Propose(controller, request);
        QVERIFY(proposals.size() > 1);
        QCOMPARE(proposals.first().Quanta(), 16);
        QCOMPARE(proposals.first().SamplePoint(), 87.5);
        for (const BitTiming& timing : proposals) {
            QVERIFY(qAbs(timing.BitRate() - request.bitRate) / request.bitRate <= 0.005);
            QVERIFY(timing.Quanta() >= CBitTiming::kMinQuanta);
            QVERIFY(timing.Quanta() <= CBitTiming::kMaxQuanta);
            QVERIFY(timing.segment2 >= 2);
            QVERIFY(timing.SjwFits());
            // Each proposal means what it says.
            const BitTiming again = CBitTiming::Explain(controller, timing.value);
            QCOMPARE(again.BitRate(), timing.BitRate());
            QCOMPARE(again.SamplePoint(), timing.SamplePoint());
        }
        // Among the exact rates, the nearer sample point first.
        for (qsizetype index = 1; index < proposals.size(); ++index)
            if (qAbs(proposals.at(index).BitRate() - request.bitRate) < 1.0)
                QVERIFY(qAbs(proposals.at(index - 1).SamplePoint() - 87.5) <=
                        qAbs(proposals.at(index).SamplePoint() - 87.5) + 1e-9);
    }
    // 16 MHz cannot make 3 kbit/s with 8 to 25 quanta within 0.5%.
    request.bitRate = 3'000;
    QVERIFY(CBitTiming::Propose(CanController::Classic, request).isEmpty());
}

void TestBitTiming::parsesRates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("rate");
    QTest::newRow("kilo") << "250K" << 250'000.0;
    QTest::newRow("decimals") << "83.333k" << 83'333.0;
    QTest::newRow("mega") << "1M" << 1'000'000.0;
    QTest::newRow("plain") << "500000" << 500'000.0;
    QTest::newRow("unit") << "125 kbit/s" << 125'000.0;
    QTest::newRow("blank in label") << "666 K" << 666'000.0;
    QTest::newRow("no number") << "fast" << 0.0;
    QTest::newRow("too fast") << "20M" << 0.0;
}

void TestBitTiming::parsesRates()
{
    QFETCH(QString, text);
    QFETCH(double, rate);
    QCOMPARE(CBitTiming::ParseRate(text).value_or(0.0), rate);
}

QTEST_GUILESS_MAIN(TestBitTiming)
#include "tst_BitTiming.moc"
