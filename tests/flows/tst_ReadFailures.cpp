#include "CConfigCommands.h"
#include "CConverterBench.h"
#include "CPlainPageSet.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "FieldSnapshot.h"
#include "ModelRows.h"
#include "ProcessFiles.h"
#include "ReadFixtures.h"

#include <QProcess>

#include <QtTest>

using namespace ReadFixtures;

class TestReadFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedReads_data();
    void failedReads();
    void failureLeadsWithTheLikelyCause_data();
    void failureLeadsWithTheLikelyCause();
};

void TestReadFailures::failedReads_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("badCheck");
    QTest::addColumn<int>("truncate");     // bytes missing from each data reply
    QTest::addColumn<int>("turnaroundMs"); // before the converter begins its reply
    QTest::addColumn<int>("parameterRequests");
    QTest::addColumn<int>("canBlockRequests");
    QTest::addColumn<QList<UserMessage>>("messages");

    const QString noReply = QStringLiteral("转换器没有应答。");
    const QList<UserMessage> cutOff{
        CommError(QStringLiteral("应答在第 30 字节后中断（应有 33 字节）。"))};
    QTest::newRow("port closed") << false << false << false << 0 << 2 << 0 << 0
                                 << QList<UserMessage>{};
    QTest::newRow("silent converter")
        << true << true << false << 0 << 2 << 4 << 0 << QList<UserMessage>{CommError(noReply)};
    QTest::newRow("wrong check byte")
        << true << false << true << 0 << 2 << 1 << 0
        << QList<UserMessage>{CommError(QStringLiteral("应答的校验字节错误。"))};
    QTest::newRow("reply cut off") << true << false << false << 3 << 2 << 1 << 0 << cutOff;
    // A reply that begins well after its wire time, as on a busy machine, and
    // then stops was cut off all the same: it was not still coming.
    QTest::newRow("reply cut off after a late start")
        << true << false << false << 3 << 300 << 1 << 0 << cutOff;
    QTest::newRow("no CAN configuration block")
        << true << false << false << 0 << 2 << 1 << 1 << QList<UserMessage>{CommError(noReply)};
}

void TestReadFailures::failedReads()
{
    QFETCH(bool, connected);
    QFETCH(bool, silent);
    QFETCH(bool, badCheck);
    QFETCH(int, truncate);
    QFETCH(int, turnaroundMs);
    QFETCH(int, parameterRequests);
    QFETCH(int, canBlockRequests);
    QFETCH(QList<UserMessage>, messages);

    SimOptions options;
    options.silent = silent;
    options.badCheck = badCheck;
    options.truncate = truncate;
    options.noCanConfig = true;
    options.turnaroundMs = turnaroundMs;
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

void TestReadFailures::failureLeadsWithTheLikelyCause_data()
{
    QTest::addColumn<int>("trickleMs");
    QTest::addColumn<bool>("held"); // another program has the port open
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    // The 33-byte reply needs 1.3 s at a byte every 40 ms, and is given
    // 1012 ms at 57600 bit/s: it was still coming, so it was not cut off.
    QTest::newRow("too slow") << 40 << false
                              << QStringLiteral("转换器应答太慢：在允许的 1012 毫秒内只收到 ")
                              << QStringLiteral("以及转换器是否正忙于大量总线数据。");
    QTest::newRow("another reader")
        << 0 << true << QStringLiteral(" 还被其他程序打开") << QStringLiteral("\n转换器没有应答。");
}

void TestReadFailures::failureLeadsWithTheLikelyCause()
{
    QFETCH(int, trickleMs);
    QFETCH(bool, held);
    QFETCH(QString, start);
    QFETCH(QString, end);
    SimOptions options;
    options.silent = held;
    options.trickleMs = trickleMs;
    CConverterBench bench(ConverterModel::OstrelA, options);
    QVERIFY(bench.Connect());
    bench.Sim().setParameterBlock(ParameterBlock());
    QProcess holder;
    if (held) {
        holder.setStandardInputFile(bench.Port().Name());
        holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(ProcessHasOpen(holder.processId(), bench.Port().Name()));
        start.prepend(bench.Port().Name());
    }

    const qint64 holderId = holder.processId();

    CPlainPageSet pages(ModelAt(0));
    CProfile profile(CProfileSandbox::UniqueName());
    CRecordingSink sink;
    QCOMPARE(CConfigCommands(pages, bench.Port(), profile, sink).ReadConfig(),
             CommandOutcome::Failed);
    holder.kill();
    holder.waitForFinished();

    QCOMPARE(sink.m_messages.size(), 1);
    const QString detail = sink.m_messages.constFirst().detail;
    QVERIFY2(detail.startsWith(start) && detail.endsWith(end), qPrintable(detail));
    if (held)
        QVERIFY2(detail.contains(QStringLiteral("（进程 %1）").arg(holderId)), qPrintable(detail));
}

KELVANE_SANDBOXED_GUILESS_TEST_MAIN(TestReadFailures)
#include "tst_ReadFailures.moc"
