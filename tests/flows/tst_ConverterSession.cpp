#include "CConverterSession.h"
#include "CEncodedConfig.h"
#include "CFrameProtocol.h"
#include "COstrelSimulator.h"
#include "CPlainPageSet.h"
#include "CPortTask.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CProfileSaver.h"
#include "FieldSnapshot.h"
#include "FlowMessages.h"
#include "ModelRows.h"

#include <QSignalSpy>
#include <QtTest>

#include <thread>

Q_DECLARE_METATYPE(CConverterSession::Report)

namespace {

constexpr quint8 kHandshake = 0x02;
constexpr quint8 kWriteParameters = 0x01;
constexpr quint8 kReadParameters = 0x03;
constexpr int kExchangeMs = 30000;

using Report = CConverterSession::Report;

// A session over plain pages, connected to a simulated converter on a pty.
class CSessionBench
{
public:
    explicit CSessionBench(ConverterModel model)
        : m_sim(Options(model)), m_pages(model), m_session(m_pages, m_saver),
          m_finished(&m_session, &CConverterSession::Finished),
          m_hungUp(&m_session, &CConverterSession::HungUp)
    {}

    bool Start() { return m_sim.start(); }
    // Runs until the exchange just started has ended; its report.
    std::optional<Report> Finish()
    {
        if (m_finished.isEmpty() && !m_finished.wait(kExchangeMs))
            return std::nullopt;
        if (m_finished.size() != 1)
            return std::nullopt;
        return m_finished.takeFirst().at(0).value<Report>();
    }
    bool Connect()
    {
        return m_session.Connect(m_pages.Model(), m_sim.slavePath(), QList<DetectedPort>{}) &&
               Finish().value_or(Report{}).succeeded && m_session.IsConnected();
    }

    COstrelSimulator m_sim;
    CPlainPageSet m_pages;
    CProfileSaver m_saver;
    CConverterSession m_session;
    QSignalSpy m_finished;
    QSignalSpy m_hungUp;

private:
    static SimOptions Options(ConverterModel model)
    {
        SimOptions options;
        options.model = model;
        options.pacing = false;
        return options;
    }
};

} // namespace

class TestConverterSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verifyHoldsTheConverterAndKeepsThePages_data();
    void verifyHoldsTheConverterAndKeepsThePages();
    void cancelEndsTheExchangeAtOnce_data();
    void cancelEndsTheExchangeAtOnce();
    void hangUpDuringAnExchangeIsToldOnce_data();
    void hangUpDuringAnExchangeIsToldOnce();
    void portTaskTellsAHangUpAsTheSessionDoes();
    void failedConnectLeavesItsFramesInTheLog();
};

void TestConverterSession::verifyHoldsTheConverterAndKeepsThePages_data()
{
    AddModelRows();
}

// A verify reads without writing: the converter's values go where the marks
// look, the pages keep what the user typed since the last read.
void TestConverterSession::verifyHoldsTheConverterAndKeepsThePages()
{
    QFETCH(ConverterModel, model);
    CSessionBench bench(model);
    QVERIFY(bench.Start());
    QVERIFY(bench.Connect());
    QVERIFY(!bench.m_session.Held());
    QVERIFY(bench.m_session.Read());
    QVERIFY(bench.Finish().value_or(Report{}).succeeded);
    const int converterBaud = bench.m_pages.Serial().m_nBaudrate;
    QCOMPARE(bench.m_session.Held()->serial.m_nBaudrate, converterBaud);
    bench.m_pages.Serial().m_nBaudrate = converterBaud == 0 ? 1 : 0;
    const QVariantMap typed = FieldSnapshot(bench.m_pages);

    QVERIFY(bench.m_session.Verify());
    const std::optional<Report> report = bench.Finish();

    QVERIFY(report);
    QVERIFY(report->succeeded);
    QVERIFY(report->messages.isEmpty());
    QCOMPARE(FieldSnapshot(bench.m_pages), typed);
    QCOMPARE(bench.m_session.Held()->serial.m_nBaudrate, converterBaud);
    QCOMPARE(bench.m_sim.requestCount(kReadParameters), 2);
    QCOMPARE(bench.m_sim.requestCount(kWriteParameters), 0);
}

void TestConverterSession::cancelEndsTheExchangeAtOnce_data()
{
    QTest::addColumn<int>("job");
    QTest::addColumn<quint8>("request");
    QTest::addColumn<QString>("told");
    QTest::newRow("connect") << int(CConverterSession::Job::Connect) << kHandshake
                             << FlowMessages::ConnectCancelled();
    QTest::newRow("read") << int(CConverterSession::Job::Read) << kReadParameters
                          << FlowMessages::ReadCancelled();
    QTest::newRow("verify") << int(CConverterSession::Job::Verify) << kReadParameters
                            << FlowMessages::ReadCancelled();
}

// A converter that never answers would keep each exchange through all its
// attempts; a cancel ends it within the request under way, told without a
// box, the pages untouched and (for a connect) no other model asked.
void TestConverterSession::cancelEndsTheExchangeAtOnce()
{
    QFETCH(int, job);
    QFETCH(quint8, request);
    QFETCH(QString, told);
    CSessionBench bench(ConverterModel::OstrelX);
    QVERIFY(bench.Start());
    const auto kind = CConverterSession::Job(job);
    if (kind != CConverterSession::Job::Connect)
        QVERIFY(bench.Connect());
    SimOptions silent = bench.m_sim.options();
    silent.silent = true;
    bench.m_sim.setOptions(silent);
    bench.m_sim.clearHistory();
    const QVariantMap before = FieldSnapshot(bench.m_pages);

    switch (kind) {
    case CConverterSession::Job::Connect:
        QVERIFY(bench.m_session.Connect(ConverterModel::OstrelX, bench.m_sim.slavePath(),
                                        QList<DetectedPort>{}));
        break;
    case CConverterSession::Job::Read:
        QVERIFY(bench.m_session.Read());
        break;
    default:
        QVERIFY(bench.m_session.Verify());
        break;
    }
    QVERIFY(bench.m_session.IsExchanging());
    bench.m_session.Cancel();
    const std::optional<Report> report = bench.Finish();

    QVERIFY(report);
    QVERIFY(!report->succeeded);
    QVERIFY(report->messages.isEmpty());
    QVERIFY(report->cancelled);
    QCOMPARE(report->cancelled->text, told);
    QVERIFY(bench.m_sim.requestCount(request) <= 1);
    QVERIFY(bench.m_sim.receivedFrames().size() <= 1);
    QCOMPARE(FieldSnapshot(bench.m_pages), before);
    QCOMPARE(bench.m_session.IsConnected(), kind != CConverterSession::Job::Connect);
}

void TestConverterSession::hangUpDuringAnExchangeIsToldOnce_data()
{
    QTest::addColumn<bool>("write");
    QTest::newRow("read") << false;
    QTest::newRow("write") << true;
}

// The line goes while the converter trickles its reply: the exchange ends
// with the hang-up's own message in place of the communication error, the
// port is let go, and the watch that follows has nothing more to tell.
void TestConverterSession::hangUpDuringAnExchangeIsToldOnce()
{
    QFETCH(bool, write);
    CSessionBench bench(ConverterModel::OstrelX);
    QVERIFY(bench.Start());
    QVERIFY(bench.Connect());
    // Values the converter takes, as a read leaves them on the pages.
    QVERIFY(bench.m_session.Read());
    QVERIFY(bench.Finish().value_or(Report{}).succeeded);
    bench.m_sim.clearHistory();
    SimOptions slow = bench.m_sim.options();
    slow.trickleMs = 50;
    bench.m_sim.setOptions(slow);
    const QString path = bench.m_sim.slavePath();

    QVERIFY(write ? bench.m_session.Write() : bench.m_session.Read());
    QTRY_VERIFY_WITH_TIMEOUT(
        bench.m_sim.requestCount(write ? kWriteParameters : kReadParameters) == 1, kExchangeMs);
    bench.m_sim.stop();
    const std::optional<Report> report = bench.Finish();

    QVERIFY(report);
    QVERIFY(!report->succeeded);
    QVERIFY(!report->cancelled);
    QVERIFY(report->hungUp);
    QCOMPARE(report->hungUp->text, FlowMessages::Disconnected());
    QVERIFY(report->hungUp->detail.contains(path));
    for (const UserMessage& message : report->messages)
        QVERIFY2(message.text != FlowMessages::CommunicationError(), qPrintable(message.detail));
    QVERIFY(!bench.m_session.IsConnected());
    QCoreApplication::processEvents();
    QCOMPARE(bench.m_hungUp.size(), 0);
    QCOMPARE(bench.m_finished.size(), 0);
}

// The command line's and the batch's task for one port follow the same rule:
// the hang-up's message in place of the communication error.
void TestConverterSession::portTaskTellsAHangUpAsTheSessionDoes()
{
    SimOptions options;
    options.model = ConverterModel::OstrelX;
    options.pacing = false;
    options.trickleMs = 50;
    COstrelSimulator sim(options);
    QVERIFY(sim.start());
    const QString path = sim.slavePath();
    Configuration config = Configuration::Defaults(ConverterModel::OstrelX);
    const CEncodedConfig encoded = CEncodedConfig::From(config);
    QVERIFY(encoded.Accepted());
    CProfile profile = CProfile::ReadOnly();
    CPortTask task(CPortTask::Job::Write, path, path, config, encoded, profile,
                   {DetectedPort{path, {}, {}, {}, {}, false}});

    std::thread run([&task] { task.Run(); });
    const bool sent =
        QTest::qWaitFor([&sim] { return sim.requestCount(kWriteParameters) == 1; }, kExchangeMs);
    sim.stop();
    run.join();

    QVERIFY(sent);
    QCOMPARE(task.GetResult(), CPortTask::Result::CommunicationFailed);
    QVERIFY(!task.Messages().isEmpty());
    QCOMPARE(task.Messages().constLast().text, FlowMessages::Disconnected());
    QVERIFY(task.Messages().constLast().detail.contains(path));
    for (const UserMessage& message : task.Messages())
        QVERIFY2(message.text != FlowMessages::CommunicationError(), qPrintable(message.detail));
}

// The frames of a connect that found no converter of the model chosen stay
// for the log view: every handshake sent, and that none was answered. A
// connect starts the log afresh.
void TestConverterSession::failedConnectLeavesItsFramesInTheLog()
{
    CSessionBench bench(ConverterModel::OstrelX);
    QVERIFY(bench.Start());
    QVERIFY(bench.m_session.FrameLogText().isEmpty());
    QVERIFY(bench.m_session.Connect(ConverterModel::OstrelA, bench.m_sim.slavePath(),
                                    QList<DetectedPort>{}));
    QVERIFY(!bench.Finish().value_or(Report{}).succeeded);
    const QStringList lines =
        bench.m_session.FrameLogText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString request = QString::fromLatin1(
        CFrameProtocol::HandshakeRequest(ConverterModel::OstrelA).toHex(' ').toUpper());
    QCOMPARE(lines.filter(QStringLiteral(" 发送 ")).size(), bench.m_sim.requestCount(kHandshake));
    QVERIFY(lines.filter(request).size() >= 1);
    QVERIFY2(!lines.filter(QStringLiteral("没有应答")).isEmpty(), qPrintable(lines.join('\n')));

    QVERIFY(bench.Connect());
    QCOMPARE(bench.m_session.FrameLogText().count(QLatin1Char('\n')), 2);
}

int main(int argc, char* argv[])
{
    CProfileSandbox sandbox;
    if (!sandbox.IsValid())
        return 1;
    QCoreApplication app(argc, argv);
    qRegisterMetaType<CConverterSession::Report>();
    TestConverterSession test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ConverterSession.moc"
