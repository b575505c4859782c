#include "CCliRunner.h"
#include "COstrelSimulator.h"
#include "OpenFileLimit.h"

#include <QtTest>

#include <memory>
#include <vector>

#include <csignal>

namespace {

const QByteArray kDocument = R"({"SerialBaudrate": 9, "TranSpace": 6})";
const QByteArray kNoDescriptor = "没有打开：本程序能同时打开的文件数已用完";

// The shell sets both limits, so that the command line cannot raise its own:
// what it serves must fit the descriptors given.
QStringList UnderFileLimit(int limit)
{
    return {QStringLiteral("sh"), QStringLiteral("-c"),
            QStringLiteral("ulimit -Sn %1 && ulimit -Hn %1 && exec \"$@\"").arg(limit),
            QStringLiteral("sh")};
}

// Unpaced: the converters answer at once, so that hundreds of them are
// served in seconds.
std::vector<std::unique_ptr<COstrelSimulator>> StartSimulators(int count)
{
    std::vector<std::unique_ptr<COstrelSimulator>> sims;
    SimOptions options;
    options.pacing = false;
    for (int index = 0; index < count; ++index) {
        sims.push_back(std::make_unique<COstrelSimulator>(options));
        if (!sims.back()->start())
            return {};
    }
    return sims;
}

QStringList WriteArguments(const std::vector<std::unique_ptr<COstrelSimulator>>& sims)
{
    QStringList arguments{"-d", "X"};
    for (const auto& sim : sims)
        arguments << "-p" << sim->slavePath();
    return arguments << "write"
                     << "-i"
                     << "-";
}

} // namespace

class TestCliLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void servesHundredsOfPortsUnderTheUsualLimit();
    void portsShortOfDescriptorsFailAlone();
    void readAfterAnInterruptedReadSucceeds();

private:
    CCliRunner m_cli;
};

void TestCliLine::initTestCase()
{
    QVERIFY(m_cli.IsValid());
    // Each simulator holds its pseudo-terminal in this process.
    QVERIFY(OpenFileLimit::RaiseToHard() > 4 * 300 + 64);
}

// 300 ports under a limit of 1024 descriptors that cannot be raised: each
// port may cost no more than three.
void TestCliLine::servesHundredsOfPortsUnderTheUsualLimit()
{
    constexpr int kPorts = 300;
    const auto sims = StartSimulators(kPorts);
    QCOMPARE(int(sims.size()), kPorts);

    const CliResult result = m_cli.Run(WriteArguments(sims), kDocument, UnderFileLimit(1024));

    QVERIFY(result.finished);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    const QList<QByteArray> lines = result.out.split('\n');
    QCOMPARE(lines.size(), kPorts + 1);
    for (int index = 0; index < kPorts; ++index) {
        const COstrelSimulator& sim = *sims.at(index);
        QVERIFY2(lines.at(index).startsWith(QByteArray(sim.slavePath().toUtf8() + "\tok\t")),
                 lines.at(index).constData());
        QCOMPARE(sim.requestCount(0x01), 1);
        QCOMPARE(sim.requestCount(0x04), 1);
    }
}

// Far more ports than descriptors: those that find none fail with a message
// that says so, and the others are written all the same.
void TestCliLine::portsShortOfDescriptorsFailAlone()
{
#ifdef __SANITIZE_ADDRESS__
    // The sanitizers' runtime checks a virtual call through a pipe of its
    // own; with every descriptor taken it finds none and stops the program.
    QSKIP("the sanitizers need descriptors of their own to check a call");
#endif
    constexpr int kPorts = 48;
    const auto sims = StartSimulators(kPorts);
    QCOMPARE(int(sims.size()), kPorts);

    const CliResult result = m_cli.Run(WriteArguments(sims), kDocument, UnderFileLimit(64));

    QVERIFY(result.finished);
    const QList<QByteArray> lines = result.out.split('\n');
    QCOMPARE(lines.size(), kPorts + 1);
    int written = 0;
    for (int index = 0; index < kPorts; ++index) {
        const COstrelSimulator& sim = *sims.at(index);
        const QByteArray& line = lines.at(index);
        if (line.startsWith(QByteArray(sim.slavePath().toUtf8() + "\tok\t"))) {
            ++written;
            QCOMPARE(sim.requestCount(0x04), 1);
            continue;
        }
        QVERIFY2(line.startsWith(QByteArray(sim.slavePath().toUtf8() + "\tfailed 3\t")) &&
                     line.contains(kNoDescriptor),
                 line.constData());
        QCOMPARE(sim.receivedFrames().size(), 0);
    }
    qInfo("%d of %d ports written under a limit of 64", written, kPorts);
    QVERIFY(written > 0);
    QCOMPARE(result.exitCode, written == kPorts ? 0 : 3);
}

// The converter is still sending the CAN configuration block the first read
// gave up when the second one opens the port: the second read waits for the
// line to fall quiet, finds the acknowledgement behind the leftover, and reads
// what a third, undisturbed read reads.
void TestCliLine::readAfterAnInterruptedReadSucceeds()
{
    SimOptions options;
    options.keepSending = true;
    COstrelSimulator sim(options);
    QVERIFY(sim.start());
    const QStringList read{"-d", "X", "-p", sim.slavePath(), "read"};

    QTemporaryDir configHome;
    QVERIFY(configHome.isValid());
    QProcess interrupted;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.path());
    interrupted.setProcessEnvironment(environment);
    interrupted.start(QStringLiteral(KELVANE_CLI_PATH), read);
    QVERIFY(interrupted.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return sim.requestCount(0x05) == 1; }, 20000));
    QCOMPARE(::kill(pid_t(interrupted.processId()), SIGINT), 0);
    QVERIFY(interrupted.waitForFinished(20000));
    QVERIFY(interrupted.exitCode() != 0);
    // The rest of the abandoned reply stays held for the next request.
    options.keepSending = false;
    sim.setOptions(options);

    const CliResult next = m_cli.Run(read);
    QVERIFY(next.finished);
    QCOMPARE(next.err, QByteArray("配置: 读配置成功！\n"));
    QCOMPARE(next.exitCode, 0);
    QCOMPARE(sim.requestCount(0x05), 2);
    const CliResult undisturbed = m_cli.Run(read);
    QCOMPARE(undisturbed.exitCode, 0);
    QCOMPARE(next.out, undisturbed.out);
}

QTEST_GUILESS_MAIN(TestCliLine)
#include "tst_CliLine.moc"
