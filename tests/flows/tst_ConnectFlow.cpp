#include "CFrameProtocol.h"
#include "COstrelSimulator.h"
#include "CSerialComm.h"
#include "ConnectFlow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>
#include <thread>

namespace {

// Longer than a handshake waits for its acknowledgement.
constexpr int kBeyondAnAckMs = 700;

// A connect as the window runs it: on a thread of its own, its outcome
// explained as for the user.
class CConnectAttempt
{
public:
    CConnectAttempt(CSerialComm& port, ConverterModel model, const QString& path)
        : m_thread([this, &port, model, path] {
              outcome = ConnectFlow::Connect(port, model, path);
              message = ConnectFlow::Diagnose(outcome, port, model, path, {});
          })
    {}
    ~CConnectAttempt() { Join(); }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    ConnectFlow::Outcome outcome = ConnectFlow::Outcome::Connected;
    std::optional<UserMessage> message;

private:
    std::thread m_thread;
};

} // namespace

class TestConnectFlow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void cancelEndsTheConnectAtOnce_data();
    void cancelEndsTheConnectAtOnce();
    void unplugDuringTheHandshakeSaysDisconnected();

private:
    QStringList ReceivedFrames() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<COstrelSimulator> m_sim;
};

// A converter that never answers, logging every frame it receives.
void TestConnectFlow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    SimOptions options;
    options.silent = true;
    options.pacing = false;
    options.logFile = m_dir->filePath(QStringLiteral("sim.log"));
    m_sim = std::make_unique<COstrelSimulator>(options);
    QVERIFY(m_sim->start());
}

void TestConnectFlow::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

QStringList TestConnectFlow::ReceivedFrames() const
{
    QFile log(m_dir->filePath(QStringLiteral("sim.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList frames;
    for (const QByteArray& line : log.readAll().split('\n'))
        if (line.startsWith("RX "))
            frames << QString::fromLatin1(line.mid(3));
    return frames;
}

void TestConnectFlow::cancelEndsTheConnectAtOnce_data()
{
    const auto frame = [](ConverterModel model) {
        return QString::fromLatin1(CFrameProtocol::HandshakeRequest(model).toHex(' ').toUpper());
    };
    const QString x = frame(ConverterModel::OstrelX);
    QTest::addColumn<QStringList>("sent"); // by the time of the cancel
    QTest::newRow("during the model's own handshakes") << QStringList{x, x};
    QTest::newRow("while asking the other models")
        << QStringList{x, x, x, x, frame(ConverterModel::OstrelA)};
}

// Nothing reaches the converter after the cancel: no further handshake,
// and the port is not opened again for another model.
void TestConnectFlow::cancelEndsTheConnectAtOnce()
{
    QFETCH(QStringList, sent);
    CSerialComm port;
    CConnectAttempt attempt(port, ConverterModel::OstrelX, m_sim->slavePath());
    QTRY_COMPARE(m_sim->requestCount(0x02), int(sent.size()));

    port.Cancel();
    attempt.Join();

    QCOMPARE(attempt.outcome, ConnectFlow::Outcome::NoConverter);
    QVERIFY(!port.IsOpen());
    QVERIFY(!port.Open(m_sim->slavePath(), 57600, 8, 0, 0));
    QTest::qWait(kBeyondAnAckMs);
    QCOMPARE(ReceivedFrames(), sent);
}

void TestConnectFlow::unplugDuringTheHandshakeSaysDisconnected()
{
    CSerialComm port;
    CConnectAttempt attempt(port, ConverterModel::OstrelX, m_sim->slavePath());
    QTRY_COMPARE(m_sim->requestCount(0x02), 1);

    m_sim->stop();
    attempt.Join();

    QCOMPARE(attempt.outcome, ConnectFlow::Outcome::HungUp);
    QVERIFY(attempt.message);
    QCOMPARE(attempt.message->text, QStringLiteral("设备已断开！"));
    QVERIFY(!port.IsOpen());
}

QTEST_GUILESS_MAIN(TestConnectFlow)
#include "tst_ConnectFlow.moc"
