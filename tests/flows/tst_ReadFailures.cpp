#include "CConfigCommands.h"
#include "CConverterBench.h"
#include "CPlainPageSet.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "FieldSnapshot.h"
#include "ModelRows.h"
#include "ReadFixtures.h"

#include <QtTest>

using namespace ReadFixtures;

class TestReadFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedReads_data();
    void failedReads();
};

void TestReadFailures::failedReads_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("badCheck");
    QTest::addColumn<int>("truncate"); // bytes missing from each data reply
    QTest::addColumn<int>("parameterRequests");
    QTest::addColumn<int>("canBlockRequests");
    QTest::addColumn<QList<UserMessage>>("messages");

    const QString noReply = QStringLiteral("转换器没有应答。");
    QTest::newRow("port closed") << false << false << false << 0 << 0 << 0 << QList<UserMessage>{};
    QTest::newRow("silent converter")
        << true << true << false << 0 << 4 << 0 << QList<UserMessage>{CommError(noReply)};
    QTest::newRow("wrong check byte")
        << true << false << true << 0 << 1 << 0
        << QList<UserMessage>{CommError(QStringLiteral("应答的校验字节错误。"))};
    QTest::newRow("reply cut off")
        << true << false << false << 3 << 1 << 0
        << QList<UserMessage>{
               CommError(QStringLiteral("应答在第 30 字节后中断（应有 33 字节）。"))};
    QTest::newRow("no CAN configuration block")
        << true << false << false << 0 << 1 << 1 << QList<UserMessage>{CommError(noReply)};
}

void TestReadFailures::failedReads()
{
    QFETCH(bool, connected);
    QFETCH(bool, silent);
    QFETCH(bool, badCheck);
    QFETCH(int, truncate);
    QFETCH(int, parameterRequests);
    QFETCH(int, canBlockRequests);
    QFETCH(QList<UserMessage>, messages);

    SimOptions options;
    options.silent = silent;
    options.badCheck = badCheck;
    options.truncate = truncate;
    options.noCanConfig = true;
    CConverterBench bench(ConverterModel::OstrelA, options);
    if (connected)
        QVERIFY(bench.Connect());
    bench.Sim().setParameterBlock(ParameterBlock());

    CPlainPageSet pages(ModelAt(0));
    FillSentinels(pages);
    const QVariantMap before = FieldSnapshot(pages);
    CProfile profile(CProfileSandbox::UniqueName());
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    QCOMPARE(commands.ReadConfig(),
             connected ? CommandOutcome::Failed : CommandOutcome::NotConnected);
    QCOMPARE(sink.m_messages, messages);
    QCOMPARE(bench.Sim().requestCount(0x03), parameterRequests);
    QCOMPARE(bench.Sim().requestCount(0x05), canBlockRequests);
    QVERIFY(!QFileInfo::exists(profile.FileName()));
    if (canBlockRequests == 0) {
        QCOMPARE(FieldSnapshot(pages), before);
    } else {
        // The parameter block arrived and stays on the pages.
        QCOMPARE(pages.Can().m_strSendID, QStringLiteral("0F 0A C6 82"));
        QCOMPARE(pages.ArmCan().m_dwBtr, ArmCanFields::kDefaultBtr);
    }
}

KELVANE_SANDBOXED_GUILESS_TEST_MAIN(TestReadFailures)
#include "tst_ReadFailures.moc"
