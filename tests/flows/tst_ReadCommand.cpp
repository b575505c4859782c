#include "CConfigCommands.h"
#include "CConverterBench.h"
#include "CPlainPageSet.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CanConfigBlock.h"
#include "ModelRows.h"
#include "ReadFixtures.h"

#include <QtTest>

namespace {

using namespace ReadFixtures;

// 0x3AC002, extended frames, filtering on with the one standard identifier 0x30.
QByteArray CanBlock()
{
    CanConfigBlock block;
    block.btr = 0x003AC002;
    block.frameType = 1;
    block.acceptance.filterMode = CanAcceptance::kFilteringOn;
    block.acceptance.stdGroupStart = block.acceptance.extIndividualStart =
        block.acceptance.extGroupStart = block.acceptance.tableEnd = 4;
    block.acceptance.table[0] = 0xFF;
    block.acceptance.table[1] = 0xFF;
    block.acceptance.table[2] = 0x30;
    return block.toBytes();
}

} // namespace

class TestReadCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagesTakeConverterBlocks_data();
    void pagesTakeConverterBlocks();
};

void TestReadCommand::pagesTakeConverterBlocks_data()
{
    AddModelRows();
}

void TestReadCommand::pagesTakeConverterBlocks()
{
    QFETCH(ConverterModel, model);
    CConverterBench bench(model);
    QVERIFY(bench.Connect());
    bench.Sim().setParameterBlock(ParameterBlock());
    bench.Sim().setCanConfigBlock(CanBlock());

    CPlainPageSet pages(model, 6);
    FillSentinels(pages);
    const QString profileName = CProfileSandbox::UniqueName();
    CProfile profile(profileName);
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    QCOMPARE(commands.ReadConfig(), CommandOutcome::Succeeded);
    QCOMPARE(sink.m_messages, QList<UserMessage>{kRead});
    QCOMPARE(bench.Sim().requestCount(0x03), 1);
    QCOMPARE(bench.Sim().requestCount(0x05), 1);

    const bool arm = model == ConverterModel::OstrelX;
    const TranFields& tran = pages.Tran();
    QCOMPARE(tran.m_nMode, 1);
    QCOMPARE(tran.m_nFrameSpace, 4);
    QCOMPARE(tran.m_bForwardInfo, 1);
    QCOMPARE(tran.m_nIdLength, 2);
    QCOMPARE(tran.m_nIdOffset, 3);
    const SerialFields& serial = pages.Serial();
    QCOMPARE(serial.m_nBaudrate, arm ? 2 : 7);
    QCOMPARE(serial.m_nDataBit, arm ? 3 : 1);
    QCOMPARE(serial.m_nStopBit, arm ? 1 : 0);
    QCOMPARE(serial.m_nLineMode, arm ? 1 : 2);
    QCOMPARE(serial.m_nParity, 2);
    const CanFields& can = pages.Can();
    QCOMPARE(can.m_nBaudrate, 12);
    QCOMPARE(can.m_nFrameType, 1);
    QCOMPARE(can.m_nFilterMode, arm ? 1 : 2);
    QCOMPARE(can.m_strAcptCode, QStringLiteral("00 00 01 C0"));
    QCOMPARE(can.m_strAcptMask, QStringLiteral("1F FF FF FF"));
    QCOMPARE(can.m_strSendID, arm ? QStringLiteral("sentinel") : QStringLiteral("0F 0A C6 82"));

    const ArmCanFields& armCan = pages.ArmCan();
    QCOMPARE(armCan.m_strCanID, arm ? QStringLiteral("12345678") : QStringLiteral("sentinel"));
    QCOMPARE(armCan.m_dwBtr, 0x003AC002u);
    QCOMPARE(armCan.m_nFrameType, 1);
    QCOMPARE(armCan.m_acceptance.tableEnd, 4u);
    // Only the open CAN configuration page shows the block and its filters.
    QCOMPARE(armCan.m_strRegister, arm ? QStringLiteral("003ac002") : QStringLiteral("sentinel"));
    QCOMPARE(armCan.m_bFilterEnabled, arm);
    const FilterEntry filter = arm ? FilterEntry{0, 0x30, 0x30} : FilterEntry{1, 0x777, 0x777};
    QCOMPARE(armCan.m_filters, QList<FilterEntry>{filter});

    CPlainPageSet reloaded;
    reloaded.LoadProfile(CProfile(profileName));
    QCOMPARE(reloaded.Model(), model);
    QCOMPARE(reloaded.ConfigPort(), 6);
    QCOMPARE(reloaded.Tran().m_nIdLength, 2);
    QCOMPARE(reloaded.Serial().m_nLineMode, serial.m_nLineMode);
    QCOMPARE(reloaded.Can().m_strAcptCode, QStringLiteral("00 00 01 C0"));
    QCOMPARE(reloaded.ArmCan().m_dwBtr, 0x003AC002u);
}

KELVANE_SANDBOXED_GUILESS_TEST_MAIN(TestReadCommand)
#include "tst_ReadCommand.moc"
