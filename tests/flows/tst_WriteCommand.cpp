#include "CArmCanConfig.h"
#include "CConfigCommands.h"
#include "CConverterBench.h"
#include "CPlainPageSet.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CanConfigBlock.h"
#include "FieldSnapshot.h"
#include "ModelRows.h"
#include "ParameterBlockCodec.h"
#include "ReadFixtures.h"

#include <QtTest>

namespace {

const UserMessage kWritten{QStringLiteral("配置"), QStringLiteral("写配置成功！")};
const UserMessage kCommError{QStringLiteral("配置"), QStringLiteral("通信出错！")};
const UserMessage kNoReply{QStringLiteral("配置"), QStringLiteral("通信出错！"),
                           QStringLiteral("转换器没有应答。")};

void FillDistinct(CPlainPageSet& pages)
{
    pages.Tran() = {1, 2, 5, 1, 0, 3, 2};
    pages.Serial() = {9, 2, 2, 1, 0, 1};
    CanFields& can = pages.Can();
    can.m_nBaudrate = 7;
    can.m_strBTR = {QStringLiteral("04"), QStringLiteral("1c")};
    can.m_nFrameType = 1;
    can.m_nFilterMode = 1;
    can.m_strSendID = QStringLiteral("00 12 34 56");
    can.m_strAcptCode = QStringLiteral("00 00 07 00");
    can.m_strAcptMask = QStringLiteral("00 00 0F FF");
    ArmCanFields& arm = pages.ArmCan();
    arm.m_strCanID = QStringLiteral("0000012a");
    arm.m_nFrameTypeSel = 1;
    arm.m_strRegister = QStringLiteral("3ac004");
    arm.m_bFilterEnabled = true;
    arm.m_filters = {{0, 0x10, 0x10}, {0, 0x100, 0x1FF}, {1, 0x12345, 0x12345}};
}

QByteArray EncodedBlock(CPlainPageSet& pages)
{
    return EncodeParameterBlock(pages.Config()).block;
}

quint32 SavedArmCanBaud(const QString& profileName)
{
    return CProfile::ReadArmCanBaud(CProfile(profileName).Settings());
}

} // namespace

class TestWriteCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void converterHoldsWrittenBytes_data();
    void converterHoldsWrittenBytes();
    void identifierCheck_data();
    void identifierCheck();
    void nothingWrittenWithoutAcknowledgement_data();
    void nothingWrittenWithoutAcknowledgement();
    void canBlockNotAcknowledged();
    void readOnlyProfileKeepsItsFile();
    void unseenFilterTableIsNamedOnce();
};

void TestWriteCommand::converterHoldsWrittenBytes_data()
{
    AddModelRows();
}

void TestWriteCommand::converterHoldsWrittenBytes()
{
    QFETCH(ConverterModel, model);
    CConverterBench bench(model);
    QVERIFY(bench.Connect());
    const QByteArray canBlockBefore = bench.Sim().canConfigBlock();

    CPlainPageSet pages(model, 5);
    FillDistinct(pages);
    const QByteArray parameterBlock = EncodedBlock(pages);
    const QString profileName = CProfileSandbox::UniqueName();
    CProfile profile(profileName);
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    QCOMPARE(commands.WriteConfig(), CommandOutcome::Succeeded);
    QCOMPARE(sink.m_messages, QList<UserMessage>{kWritten});
    QCOMPARE(bench.Sim().parameterBlock().toHex(' '), parameterBlock.toHex(' '));
    QCOMPARE(bench.Sim().requestCount(0x01), 1);

    if (model == ConverterModel::OstrelX) {
        QCOMPARE(bench.Sim().requestCount(0x04), 1);
        const QByteArray canBlock = bench.Sim().canConfigBlock();
        QCOMPARE(canBlock, CanConfigBlock::fromFields(pages.ArmCan()).toBytes());
        QCOMPARE(canBlock.left(12).toHex(' '), QByteArray("04 c0 3a 00 01 00 00 00 00 00 00 00"));
        QCOMPARE(pages.ArmCan().m_acceptance.tableEnd, 12u);
        QCOMPARE(SavedArmCanBaud(profileName), 0x003AC004u);
    } else {
        QCOMPARE(bench.Sim().requestCount(0x04), 0);
        QCOMPARE(bench.Sim().canConfigBlock(), canBlockBefore);
        QCOMPARE(SavedArmCanBaud(profileName), ArmCanFields::kDefaultBtr);
    }

    CPlainPageSet reloaded;
    reloaded.LoadProfile(CProfile(profileName));
    QCOMPARE(reloaded.Model(), model);
    QCOMPARE(reloaded.ConfigPort(), 5);
    QCOMPARE(reloaded.Tran().m_nFrameSpace, 5);
    QCOMPARE(reloaded.Serial().m_nBaudrate, 9);
    QCOMPARE(reloaded.Serial().m_nLineMode, 1);
    QCOMPARE(reloaded.Can().m_nBaudrate, 7);
    QCOMPARE(reloaded.Can().m_strSendID, QStringLiteral("00 12 34 56"));
}

void TestWriteCommand::identifierCheck_data()
{
    QTest::addColumn<QString>("canId");
    QTest::addColumn<int>("frameTypeSel");
    QTest::addColumn<QList<UserMessage>>("messages");
    QTest::addColumn<QString>("shownCanId");
    QTest::addColumn<QByteArray>("sentIdentifier"); // empty: nothing sent

    QTest::newRow("three characters refused")
        << "800" << 0
        << QList<UserMessage>{{"错误", "CAN ID长度错误，必须为8位十六进制数！"}, kCommError}
        << "800" << QByteArray();
    QTest::newRow("extended clamped")
        << "20000000" << 1
        << QList<UserMessage>{{"警告", "扩展帧不能大于1FFFFFFF，如果大于则会被默认为1FFFFFFF！"},
                              kWritten}
        << "1FFFFFFF" << QByteArray::fromHex("FFFFFF1F");
    QTest::newRow("standard clamped once")
        << "10000000" << 0
        << QList<UserMessage>{{"警告", "标准帧不能大于000007FF，如果大于则会被默认为000007FF！"},
                              kWritten}
        << "000007FF" << QByteArray::fromHex("FF070000");
}

void TestWriteCommand::identifierCheck()
{
    QFETCH(QString, canId);
    QFETCH(int, frameTypeSel);
    QFETCH(QList<UserMessage>, messages);
    QFETCH(QString, shownCanId);
    QFETCH(QByteArray, sentIdentifier);

    CConverterBench bench(ConverterModel::OstrelX);
    QVERIFY(bench.Connect());
    CPlainPageSet pages(ModelAt(2));
    pages.ArmCan().m_strCanID = canId;
    pages.ArmCan().m_nFrameTypeSel = frameTypeSel;
    CProfile profile(CProfileSandbox::UniqueName());
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    const CommandOutcome outcome = commands.WriteConfig();
    QCOMPARE(sink.m_messages, messages);
    QCOMPARE(pages.ArmCan().m_strCanID, shownCanId);
    if (sentIdentifier.isEmpty()) {
        QCOMPARE(outcome, CommandOutcome::Failed);
        QVERIFY(bench.Sim().rawReceived().isEmpty());
        QVERIFY(!QFileInfo::exists(profile.FileName()));
    } else {
        QCOMPARE(outcome, CommandOutcome::Succeeded);
        QCOMPARE(bench.Sim().parameterBlock().mid(22, 4).toHex(' '), sentIdentifier.toHex(' '));
    }
}

void TestWriteCommand::nothingWrittenWithoutAcknowledgement_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<QList<UserMessage>>("messages");
    QTest::newRow("port closed") << false << 0 << QList<UserMessage>{};
    QTest::newRow("silent converter") << true << 4 << QList<UserMessage>{kNoReply};
}

void TestWriteCommand::nothingWrittenWithoutAcknowledgement()
{
    QFETCH(bool, connected);
    QFETCH(int, attempts);
    QFETCH(QList<UserMessage>, messages);

    SimOptions options;
    options.silent = true;
    CConverterBench bench(ConverterModel::OstrelA, options);
    if (connected)
        QVERIFY(bench.Connect());
    CPlainPageSet pages(ModelAt(0));
    FillDistinct(pages);
    const QVariantMap before = FieldSnapshot(pages);
    CProfile profile(CProfileSandbox::UniqueName());
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    QCOMPARE(commands.WriteConfig(),
             connected ? CommandOutcome::Failed : CommandOutcome::NotConnected);
    QCOMPARE(sink.m_messages, messages);
    QCOMPARE(bench.Sim().requestCount(0x01), attempts);
    QCOMPARE(FieldSnapshot(pages), before);
    QVERIFY(!QFileInfo::exists(profile.FileName()));
}

void TestWriteCommand::canBlockNotAcknowledged()
{
    CConverterBench bench(ConverterModel::OstrelX);
    QVERIFY(bench.Connect());
    bench.Sim().queueRawReply(QByteArray::fromHex("F7F801131D"));
    bench.Sim().queueRawReply(QByteArray::fromHex("F7F805131A"));

    CPlainPageSet pages(ModelAt(2));
    FillDistinct(pages);
    const QString profileName = CProfileSandbox::UniqueName();
    CProfile profile(profileName);
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    QCOMPARE(commands.WriteConfig(), CommandOutcome::Failed);
    QCOMPARE(sink.m_messages,
             (QList<UserMessage>{{QStringLiteral("配置"), QStringLiteral("通信出错！"),
                                  QStringLiteral("收到的不是所请求的应答。")}}));
    QCOMPARE(bench.Sim().requestCount(0x01), 1);
    QCOMPARE(bench.Sim().requestCount(0x04), 1);
    QCOMPARE(pages.ArmCan().m_dwBtr, 0x003AC004u);

    // The parameter block is stored and saved, with the register value the
    // page held before the CAN block was collected.
    CPlainPageSet reloaded;
    reloaded.LoadProfile(CProfile(profileName));
    QCOMPARE(reloaded.Can().m_strSendID, QStringLiteral("00 12 34 56"));
    QCOMPARE(SavedArmCanBaud(profileName), ArmCanFields::kDefaultBtr);
}

void TestWriteCommand::readOnlyProfileKeepsItsFile()
{
    CConverterBench bench(ConverterModel::OstrelX);
    QVERIFY(bench.Connect());
    const QString name = CProfileSandbox::UniqueName();
    const QString path = CProfile(name).FileName();
    const QByteArray contents = "[Kelvane]\nTranSpace=7\nCanID=00 00 00 01\n\n"
                                "[Ports]\nCOM1=/dev/ttyUSB3\n";
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    file.close();

    CProfile profile = CProfile::ReadOnly(name);
    QCOMPARE(profile.Settings().value("Ports/COM1").toString(), QStringLiteral("/dev/ttyUSB3"));
    CPlainPageSet pages;
    pages.LoadProfile(profile);
    QCOMPARE(pages.Tran().m_nFrameSpace, 7);
    CRecordingSink sink;
    CConfigCommands commands(pages, bench.Port(), profile, sink);

    QCOMPARE(commands.ReadConfig(), CommandOutcome::Succeeded);
    FillDistinct(pages);
    QCOMPARE(commands.WriteConfig(), CommandOutcome::Succeeded);
    QCOMPARE(sink.m_messages, (QList<UserMessage>{ReadFixtures::kRead, kWritten}));
    QCOMPARE(bench.Sim().requestCount(0x04), 1);

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents);
    const QString fileName = QFileInfo(path).fileName();
    QCOMPARE(QDir(QFileInfo(path).path()).entryList({fileName + '*'}, QDir::Files | QDir::Hidden),
             QStringList{fileName});
}

// After connecting, the X page shows the configuration remembered from an
// earlier run: the first write says it replaces the converter's table.
void TestWriteCommand::unseenFilterTableIsNamedOnce()
{
    CConverterBench bench(ConverterModel::OstrelX);
    QVERIFY(bench.Connect());
    CPlainPageSet pages(ConverterModel::OstrelX, 5);
    FillDistinct(pages);
    pages.ArmCan().m_bCanConfigKnown = false;
    CProfile profile(CProfileSandbox::UniqueName());
    CRecordingSink sink;

    QCOMPARE(CConfigCommands(pages, bench.Port(), profile, sink).WriteConfig(),
             CommandOutcome::Succeeded);
    QCOMPARE(sink.m_messages.size(), 2);
    QVERIFY2(sink.m_messages.first().text.contains(QLatin1Char('3')),
             qPrintable(sink.m_messages.first().text));
    QCOMPARE(sink.m_messages.last(), kWritten);

    sink.m_messages.clear();
    QCOMPARE(CConfigCommands(pages, bench.Port(), profile, sink).WriteConfig(),
             CommandOutcome::Succeeded);
    QCOMPARE(sink.m_messages, QList<UserMessage>{kWritten});

    // A read makes the page the converter's own: no word before a write.
    pages.ArmCan().m_bCanConfigKnown = false;
    QCOMPARE(CConfigCommands(pages, bench.Port(), profile, sink).ReadConfig(),
             CommandOutcome::Succeeded);
    sink.m_messages.clear();
    QCOMPARE(CConfigCommands(pages, bench.Port(), profile, sink).WriteConfig(),
             CommandOutcome::Succeeded);
    QCOMPARE(sink.m_messages, QList<UserMessage>{kWritten});
}

KELVANE_SANDBOXED_GUILESS_TEST_MAIN(TestWriteCommand)
#include "tst_WriteCommand.moc"
