#include "CConfigCommands.h"
#include "CConverterBench.h"
#include "CFrameProtocol.h"
#include "CPlainPageSet.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CanConfigBlock.h"
#include "ModelRows.h"
#include "ParameterBlockCodec.h"

#include <QtTest>

namespace {

void FillNonDefaults(CPlainPageSet& pages)
{
    pages.Tran() = {2, 1, 7, 1, 1, 5, 4};
    pages.Serial() = {11, 3, 0, 1, 0, 2};
    CanFields& can = pages.Can();
    can.m_nBaudrate = 0;
    can.m_strBTR = {QStringLiteral("12"), QStringLiteral("34")};
    can.m_nFrameType = 1;
    can.m_nFilterMode = 0;
    can.m_bCustomMask = 0;
    can.m_strSendID = can.m_strAcptCode = can.m_strAcptMask = QStringLiteral("12 34 56 78");
    can.m_strAcptCodeDual = {QStringLiteral("01 02"), QStringLiteral("03 04")};
    can.m_strAcptMaskDual = {QStringLiteral("05 06"), QStringLiteral("07 08")};
    ArmCanFields& arm = pages.ArmCan();
    arm.m_dwBtr = 0x3AC095;
    arm.m_nFrameType = 1;
    arm.m_strCanID = QStringLiteral("00000123");
    arm.m_strRegister = QStringLiteral("3ac095");
    arm.m_nFrameTypeSel = 1;
    arm.m_bFilterEnabled = true;
    arm.m_acceptance.filterMode = CanAcceptance::kFilteringOn;
    arm.m_acceptance.tableEnd = 8;
    arm.m_acceptance.table.fill(0x5A);
    arm.m_filters = {{0, 0x10, 0x10}};
}

} // namespace

class TestDefaultsCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsEqualFactoryBlocks_data();
    void defaultsEqualFactoryBlocks();
};

void TestDefaultsCommand::defaultsEqualFactoryBlocks_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QStringList>("btr");
    QTest::newRow("Ostrel-A") << 0 << QStringList{"01", "1C"};
    QTest::newRow("Ostrel-B") << 1 << QStringList{"01", "1C"};
    QTest::newRow("Ostrel-X") << 2 << QStringList{"00", "14"};
}

// The simulator starts with a converter's factory blocks; the defaults
// command followed by a write must send exactly those.
void TestDefaultsCommand::defaultsEqualFactoryBlocks()
{
    QFETCH(int, deviceType);
    QFETCH(QStringList, btr);

    CConverterBench bench(ModelAt(deviceType));
    CPlainPageSet pages(ModelAt(deviceType));
    FillNonDefaults(pages);
    CProfile profile(CProfileSandbox::UniqueName());
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    commands.RestoreDefaults();
    QVERIFY(sink.m_messages.isEmpty());
    QVERIFY(!QFileInfo::exists(profile.FileName()));

    const CanFields& can = pages.Can();
    QCOMPARE(QStringList(can.m_strBTR.begin(), can.m_strBTR.end()), btr);
    QCOMPARE(can.m_bCustomMask, 1);
    QCOMPARE(can.m_strAcptMask, QStringLiteral("FF FF FF FF"));
    QCOMPARE(can.m_strAcptCodeDual[1], QStringLiteral("03 04"));
    QCOMPARE(can.m_strAcptMaskDual[0],
             deviceType == 2 ? QStringLiteral("05 06") : QStringLiteral("FF FF"));
    const ArmCanFields& arm = pages.ArmCan();
    QCOMPARE(arm.m_strCanID, QStringLiteral("00000000"));
    QCOMPARE(arm.m_filters.size(), 1);
    QCOMPARE(arm.m_bFilterEnabled, deviceType != 2);

    QVERIFY(bench.Connect());
    const QByteArray factoryBlock = COstrelSimulator::DefaultParameterBlock(ModelAt(deviceType));
    bench.Sim().setParameterBlock(QByteArray(CFrameProtocol::kParameterBlockSize, '\x55'));
    bench.Sim().setCanConfigBlock(QByteArray(CanConfigBlock::kSize, '\x55'));
    QCOMPARE(commands.WriteConfig(), CommandOutcome::Succeeded);
    QCOMPARE(bench.Sim().parameterBlock().toHex(' '), factoryBlock.toHex(' '));
    if (deviceType == 0) {
        QCOMPARE(bench.Sim().receivedFrames().value(0).toHex(' '),
                 QByteArray("f7 f8 01 1c 06 08 01 00 0a 01 1c 01 00 00 00 00 ff ff ff ff 01 00 "
                            "02 00 00 00 00 00 00 00 01 00 09"));
    }
    if (deviceType == 2)
        QCOMPARE(bench.Sim().canConfigBlock(), COstrelSimulator::DefaultCanConfigBlock());
    else
        QCOMPARE(bench.Sim().requestCount(0x04), 0);
}

KELVANE_SANDBOXED_GUILESS_TEST_MAIN(TestDefaultsCommand)
#include "tst_DefaultsCommand.moc"
