#include "COstrelSimulator.h"
#include "CStalledFileSystem.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kCli = QStringLiteral(KELVANE_CLI_PATH);
constexpr int kRunLimitMs = 30000;

struct Run
{
    int exitCode = -1;
    bool finishedNormally = false;
    qint64 elapsedMs = 0;
    QByteArray out;
    QByteArray err;
};

std::unique_ptr<COstrelSimulator> StartSim(const SimOptions& options = {})
{
    auto sim = std::make_unique<COstrelSimulator>(options);
    return sim->start() ? std::move(sim) : nullptr;
}

Run Finish(QProcess& process, const QElapsedTimer& clock)
{
    Run run;
    process.waitForFinished(kRunLimitMs);
    run.elapsedMs = clock.elapsed();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.finishedNormally = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A file system with room for only `bytes` more in any one file.
// Whether the terminal is still marked for exclusive use, which would keep
// every other open but root's out.
bool IsExclusive(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return true;
    int exclusive = 0;
    const bool asked = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0;
    ::close(fd);
    return !asked || exclusive != 0;
}

void LimitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool LineSettings(const QString& path, termios& settings)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool read = fd >= 0 && ::tcgetattr(fd, &settings) == 0;
    if (fd >= 0)
        ::close(fd);
    return read;
}

} // namespace

// What a hostile user or a faulty line can do to kelvane-cli, grouped by what
// it used to break: waits without end, input without bound, output lost while
// success was reported, and a port left unusable.
class TestCliHardening : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void waitsEnd_data();
    void waitsEnd();
    void killEndsAFailedConnectAtOnce();
    void inputIsBounded_data();
    void inputIsBounded();
    void failedOutputKeepsTheEarlierFile_data();
    void failedOutputKeepsTheEarlierFile();
    void outputThatIsNoFileIsWrittenThrough();
    void interruptReleasesThePort_data();
    void interruptReleasesThePort();
    void interruptedWriteToManyPortsTellsEachState();
    void detectSpeaksAsConnect_data();
    void detectSpeaksAsConnect();
    void progressLineFitsANarrowTerminal();

private:
    Run RunCli(const QStringList& arguments, const QString& inputFile = QString(),
               bool limitOutput = false);

    QTemporaryDir m_dir;
};

void TestCliHardening::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Readable by the unprivileged user of the interrupt test.
    QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ExeOwner | QFile::ReadOther |
                                                    QFile::ExeOther));
}

Run TestCliHardening::RunCli(const QStringList& arguments, const QString& inputFile,
                             bool limitOutput)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
    process.setProcessEnvironment(environment);
    if (!inputFile.isEmpty())
        process.setStandardInputFile(inputFile);
    if (limitOutput)
        process.setChildProcessModifier([] { LimitFileSize(64); });
    QElapsedTimer clock;
    clock.start();
    process.start(kCli, arguments);
    if (inputFile.isEmpty())
        process.closeWriteChannel();
    return Finish(process, clock);
}

void TestCliHardening::waitsEnd_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("limitMs");

    QTest::newRow("serial port given as the input")
        << "port as input" << 2 << QByteArray("既不是普通文件也不是管道") << 5000;
    QTest::newRow("endless standard input")
        << "endless input" << 2 << QByteArray("大于 4 MiB") << 10000;
    QTest::newRow("converter trickling a byte every 30 ms")
        << "trickle" << 1 << QByteArray("配置: 通信出错！") << 12000;
    // The failed connect names the port's holders; another program's file
    // there must not hold it up.
    QTest::newRow("no converter, a file system not answering")
        << "stalled" << 4 << QByteArray("设备未连接！") << 10000;
}

void TestCliHardening::waitsEnd()
{
    QFETCH(QString, what);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    QFETCH(int, limitMs);

    SimOptions options;
    if (what == "trickle")
        options.trickleMs = 30;
    options.silent = what == "stalled";
    const auto sim = StartSim(options);
    QVERIFY(sim);
    std::unique_ptr<CStalledFileSystem> fileSystem;
    if (what == "stalled") {
        fileSystem = std::make_unique<CStalledFileSystem>();
        if (!fileSystem->Unavailable().isEmpty())
            QSKIP(qPrintable(fileSystem->Unavailable()));
        fileSystem->Stall();
    }
    Run run;
    if (what == "stalled") {
        run = RunCli({"-p", sim->slavePath(), "connect"});
    } else if (what == "port as input") {
        run = RunCli({"encode", "-i", sim->slavePath()});
    } else if (what == "endless input") {
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral("/bin/sh"), {"-c", "yes | \"$0\" write -i -", kCli});
        run = Finish(process, clock);
    } else {
        run = RunCli({"-p", sim->slavePath(), "read"});
    }
    QVERIFY(run.finishedNormally);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), run.err.constData());
    QVERIFY2(run.elapsedMs < limitMs, qPrintable(QString::number(run.elapsedMs)));
}

// Once no converter has answered, the connect looks for the programs holding
// the port while another program's file does not answer: nothing it does
// then is beyond kill -9.
void TestCliHardening::killEndsAFailedConnectAtOnce()
{
    SimOptions options;
    options.silent = true;
    const auto sim = StartSim(options);
    QVERIFY(sim);
    CStalledFileSystem fileSystem;
    if (!fileSystem.Unavailable().isEmpty())
        QSKIP(qPrintable(fileSystem.Unavailable()));
    fileSystem.Stall();
    QProcess cli;
    cli.start(kCli, {"-p", sim->slavePath(), "connect"});
    QVERIFY(cli.waitForStarted());
    // Four handshakes for the model chosen, one for each other model.
    QTRY_COMPARE_WITH_TIMEOUT(sim->requestCount(0x02), 6, kRunLimitMs);

    cli.kill();

    QVERIFY(cli.waitForFinished(kRunLimitMs));
    QCOMPARE(cli.exitStatus(), QProcess::CrashExit);
}

void TestCliHardening::inputIsBounded_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("contents"); // written to the input file first
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("zero device") << "/dev/zero" << QByteArray()
                                 << QByteArray("既不是普通文件也不是管道");
    QTest::newRow("directory") << "/" << QByteArray() << QByteArray("既不是普通文件也不是管道");
    QTest::newRow("a long string value")
        << "big.json"
        << "{\"CanID\": \"" + QByteArray(5 * 1024 * 1024, '0') + "\"}" << QByteArray("大于 4 MiB");
    QTest::newRow("byte out of range") << "doc.json" << QByteArray(R"({"TranSpace": 300})")
                                       << QByteArray("\"TranSpace\" 必须是 0 到 255 之间的整数");
    QTest::newRow("repeated key") << "doc.json" << QByteArray(R"({"TranSpace": 3, "TranSpace": 4})")
                                  << QByteArray("\"TranSpace\" 在同一个对象中出现了不止一次");
    QByteArray filters;
    for (int id = 0; id <= 1024; ++id)
        filters += (id == 0 ? "" : ",") + QByteArray(R"({"kind": 0, "start": "0x)") +
                   QByteArray::number(id, 16) + R"(", "end": "0x)" + QByteArray::number(id, 16) +
                   "\"}";
    QTest::newRow("more filters than the converter's table holds")
        << "doc.json"
        << "{\"DeviceType\": 2, \"Filters\": [" + filters + "]}"
        << QByteArray("\"Filters\" 最多 1024 项");
}

// Refused before anything is encoded: exit 2, nothing printed.
void TestCliHardening::inputIsBounded()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, message);
    QString path = input;
    if (!contents.isEmpty()) {
        path = m_dir.filePath(input);
        QVERIFY(WriteFile(path, contents));
    }
    const Run run = RunCli({"encode", "-i", path});
    QVERIFY(run.finishedNormally);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith("错误: ") && run.err.contains(message), run.err.constData());
}

void TestCliHardening::failedOutputKeepsTheEarlierFile_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("full disk") << "line3.json" << true;
    QTest::newRow("device that is full") << "full" << false;
}

void TestCliHardening::failedOutputKeepsTheEarlierFile()
{
    QFETCH(QString, output);
    QFETCH(bool, fullDisk);
    const auto sim = StartSim();
    QVERIFY(sim);
    const QString path = m_dir.filePath(output);
    const QByteArray earlier("{\"earlier\": \"read\"}\n");
    if (fullDisk) {
        QVERIFY(WriteFile(path, earlier));
    } else {
        // A private twin of /dev/full: a faulty command replaces only this node.
        if (::geteuid() != 0)
            QSKIP("creating a device node needs the super-user");
        QFile::remove(path);
        QCOMPARE(::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    }

    const Run run = RunCli({"-p", sim->slavePath(), "read", "-o", path}, QString(), fullDisk);
    QVERIFY(run.finishedNormally);
    QCOMPARE(run.exitCode, 2);
    const QByteArray refusal = QByteArray("错误: 无法写入“") + path.toUtf8() + "”：";
    QVERIFY2(run.err.startsWith(refusal), run.err.constData());
    QVERIFY(!run.err.contains("读配置成功"));
    QCOMPARE(QDir(m_dir.path()).entryList({output + '*'}, QDir::Files),
             fullDisk ? QStringList{output} : QStringList());
    if (fullDisk)
        QCOMPARE(ReadFile(path), earlier);
}

// `-o /dev/stdout` or a FIFO must reach whoever reads it, and the node must
// stay what it is.
void TestCliHardening::outputThatIsNoFileIsWrittenThrough()
{
    const auto sim = StartSim();
    QVERIFY(sim);
    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QVERIFY(reader.waitForStarted());

    const Run run = RunCli({"-p", sim->slavePath(), "read", "-o", fifo});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(reader.waitForFinished(5000));
    QVERIFY(reader.readAllStandardOutput().contains("\"DeviceType\": 2"));
    struct stat status
    {};
    QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &status), 0);
    QVERIFY(S_ISFIFO(status.st_mode));

    const Run toStdout = RunCli({"-p", sim->slavePath(), "read", "-o", "/dev/stdout"});
    QCOMPARE(toStdout.exitCode, 0);
    QVERIFY(toStdout.out.contains("\"DeviceType\": 2"));
}

void TestCliHardening::interruptReleasesThePort_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP, its terminal closed") << int(SIGHUP);
    QTest::newRow("SIGQUIT") << int(SIGQUIT);
}

// Killed in the middle of the handshake, the command must still give the
// port back: an ordinary user could not open a port left exclusive.
void TestCliHardening::interruptReleasesThePort()
{
    QFETCH(int, signal);
    SimOptions options;
    options.silent = true;
    const auto sim = StartSim(options);
    QVERIFY(sim);
    const QString port = sim->slavePath();
    QVERIFY(QFile::setPermissions(port, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                            QFile::WriteOther));
    termios before{};
    QVERIFY(LineSettings(port, before));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(kCli, {"-p", port, "connect"});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sim->rawReceived().size() > 0, 5000);
    ::kill(pid_t(process.processId()), signal);
    const Run run = Finish(process, clock);
    QVERIFY(run.finishedNormally);
    QCOMPARE(run.exitCode, 128 + signal);

    termios after{};
    QVERIFY(LineSettings(port, after));
    QCOMPARE(after.c_lflag, before.c_lflag);
    QCOMPARE(after.c_iflag, before.c_iflag);
    QCOMPARE(after.c_cflag, before.c_cflag);

    options.silent = false;
    sim->setOptions(options);
    QStringList command{kCli, "-p", port, "connect"};
    if (::geteuid() == 0)
        command = QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command;
    QProcess user;
    user.setProcessEnvironment(environment);
    user.start(::geteuid() == 0 ? QStringLiteral("setpriv") : command.takeFirst(), command);
    const Run reopened = Finish(user, clock);
    QCOMPARE(reopened.exitCode, 0);
}

// Ended while some converters are written and others not yet reached, the
// command says for every port how far it got, so nobody has to guess which
// converters hold the new configuration; and every port it had open, more
// than a handful, is given back.
void TestCliHardening::interruptedWriteToManyPortsTellsEachState()
{
    constexpr int kPorts = 12;
    std::vector<std::unique_ptr<COstrelSimulator>> sims;
    QStringList arguments;
    for (int index = 0; index < kPorts; ++index) {
        SimOptions options;
        options.silent = index >= 4;
        sims.push_back(StartSim(options));
        QVERIFY(sims.back());
        arguments << "-p" << sims.back()->slavePath();
    }
    const QString document = m_dir.filePath(QStringLiteral("twelve.json"));
    QVERIFY(WriteFile(document, R"({"TranSpace": 7})"));
    arguments << "write"
              << "-i" << document;

    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(kCli, arguments);
    QVERIFY(process.waitForStarted());
    // The four answering converters have their parameter block; the silent
    // four are still being asked for their handshake.
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(sims.begin(), sims.begin() + 4,
                    [](const auto& sim) { return sim->receivedFrames().size() >= 2; }),
        5000);
    ::kill(pid_t(process.processId()), SIGTERM);
    const Run run = Finish(process, clock);
    QVERIFY(run.finishedNormally);
    QCOMPARE(run.exitCode, 128 + SIGTERM);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), kPorts);
    for (int index = 0; index < kPorts; ++index) {
        const QList<QByteArray> fields = lines.at(index).split('\t');
        QCOMPARE(fields.value(0), sims.at(std::size_t(index))->slavePath().toUtf8());
        QCOMPARE(fields.value(1), QByteArray("interrupted"));
        if (index < 4)
            QVERIFY2(fields.value(2) == "written" ||
                         fields.value(2) == "interrupted during the write",
                     lines.at(index).constData());
        else
            QCOMPARE(fields.value(2), QByteArray("not started"));
        QVERIFY2(!IsExclusive(sims.at(std::size_t(index))->slavePath()),
                 qPrintable(sims.at(std::size_t(index))->slavePath()));
    }
}

void TestCliHardening::detectSpeaksAsConnect_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("regular file") << "file" << 3 << QByteArray("\t当前串口不可用！\t");
    QTest::newRow("directory") << "/" << 3 << QByteArray("\t当前串口不可用！\t");
    QTest::newRow("missing device")
        << "/nonexistent/ttyUSB7" << 3 << QByteArray("\t当前串口不可用！\t");
    QTest::newRow("silent converter")
        << "silent" << 4 << QByteArray("Ostrel-A、Ostrel-B、Ostrel-X 都没有应答");
}

// The same reasons and exit statuses as connect, for each model tried.
void TestCliHardening::detectSpeaksAsConnect()
{
    QFETCH(QString, port);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    SimOptions options;
    options.silent = true;
    const auto sim = StartSim(options);
    QVERIFY(sim);
    if (port == "silent") {
        port = sim->slavePath();
    } else if (port == "file") {
        port = m_dir.filePath(QStringLiteral("not-a-port"));
        QVERIFY(WriteFile(port, "x"));
    }
    const Run run = RunCli({"-p", port, "detect"});
    QVERIFY(run.finishedNormally);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.startsWith(QByteArray(port.toUtf8() + '\t')) && run.out.contains(message),
             run.out.constData());
}

// A progress line wider than the terminal wraps, and rewriting it in place
// then leaves a stale row at every redraw; the message that ends the command
// must not follow a progress line either.
void TestCliHardening::progressLineFitsANarrowTerminal()
{
    if (QStandardPaths::findExecutable(QStringLiteral("tmux")).isEmpty())
        QSKIP("needs tmux for a terminal of a known width");
    SimOptions options;
    options.trickleMs = 1;
    const auto sim = StartSim(options);
    QVERIFY(sim);
    // As long as the stable name of a USB adapter.
    const QString port =
        m_dir.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A1B2C3D4-if00-port0"));
    QVERIFY(QFile::link(sim->slavePath(), port));
    const QString done = m_dir.filePath(QStringLiteral("progress-done"));
    const QString server =
        QStringLiteral("kelvane-test-%1").arg(QCoreApplication::applicationPid());
    const auto tmux = [&server](QStringList arguments) {
        QProcess process;
        process.start(QStringLiteral("tmux"), QStringList{"-L", server} + arguments);
        process.waitForFinished(kRunLimitMs);
        return process.readAllStandardOutput();
    };
    const auto stopServer = qScopeGuard([&tmux] { tmux({"kill-server"}); });
    tmux({"new-session", "-d", "-x", "40", "-y", "20",
          QStringLiteral("'%1' -p '%2' read >/dev/null; touch '%3'; sleep 60")
              .arg(kCli, port, done)});

    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(done), kRunLimitMs);
    const QString pane = QString::fromUtf8(tmux({"capture-pane", "-p"}));
    QVERIFY2(!pane.contains(QStringLiteral("/2085")), qPrintable(pane));
    QVERIFY2(pane.startsWith(QStringLiteral("配置: ")) ||
                 pane.startsWith(QStringLiteral("Configuration: ")),
             qPrintable(pane));
}

QTEST_GUILESS_MAIN(TestCliHardening)
#include "tst_CliHardening.moc"
