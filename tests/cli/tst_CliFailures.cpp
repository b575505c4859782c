#include "CCliRunner.h"
#include "COstrelSimulator.h"
#include "ProcessFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

const QByteArray kCommError = QByteArray("配置: 通信出错！\n");

// Long enough for the simulator's thread to take in anything that was
// written before the command ended.
constexpr int kSettleMs = 50;

// Runs the CLI as the user nobody, in no supplementary group.
QStringList UnprivilegedPrefix()
{
    return {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
            QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
            QStringLiteral("--")};
}

std::unique_ptr<COstrelSimulator> StartSim(SimOptions options = {})
{
    auto sim = std::make_unique<COstrelSimulator>(options);
    return sim->start() ? std::move(sim) : nullptr;
}

QByteArray Acknowledgement(quint8 code)
{
    return QByteArray::fromHex("F7 F8") + char(code) + char(0x13) + char(code ^ 0x1C);
}

// Whether text starts with pattern, where each '*' in pattern stands for any text.
bool StartsWithPattern(const QByteArray& text, const QByteArray& pattern)
{
    const QList<QByteArray> parts = pattern.split('*');
    if (!text.startsWith(parts.first()))
        return false;
    qsizetype at = parts.first().size();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        at = text.indexOf(parts.at(i), at);
        if (at < 0)
            return false;
        at += parts.at(i).size();
    }
    return true;
}

} // namespace

class TestCliFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusedBeforeAnyByteIsSent_data();
    void refusedBeforeAnyByteIsSent();
    void silentConverterIsNotConnected();
    void portThatCannotBeOpened_data();
    void portThatCannotBeOpened();
    void communicationErrorKeepsEarlierOutput();
    void unacknowledgedWriteIsAnError();
    void messagesFollowTheSystemLanguage_data();
    void messagesFollowTheSystemLanguage();

private:
    CCliRunner m_cli;
};

void TestCliFailures::refusedBeforeAnyByteIsSent_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    // stderr starts with it; a '*' stands for any text, so a message worded
    // by Qt's own catalogue is held only to what it must name.
    QTest::addColumn<QByteArray>("message");

    const QStringList write{"write", "-i", "-"};
    QTest::newRow("not JSON") << write << QByteArray(R"({"TranMode": 1)") << 2
                              << QByteArray("错误: 标准输入：");
    QTest::newRow("not an object") << write << QByteArray("[]") << 2
                                   << QByteArray("错误: 标准输入：文档必须是一个 JSON 对象\n");
    QTest::newRow("filter kind 4")
        << write << QByteArray(R"({"Filters": [{"kind": 4, "start": "0x1", "end": "0x1"}]})") << 2
        << QByteArray("错误: 标准输入: \"Filters[0].kind\" 必须是 0 到 3 之间的整数\n");
    // The X's bit rate is ArmCanBaud: the classic pages' key would be
    // written and verified while the converter kept its rate.
    QTest::newRow("key without effect")
        << QStringList{"write", "--verify", "-i", "-"}
        << QByteArray(R"({"DeviceType": 2, "CanBaudrate": "250 K"})") << 2
        << QByteArray("错误: 标准输入: \"CanBaudrate\" 对 Ostrel-X 没有作用：Ostrel-X 用的是 "
                      "\"ArmCanBaud\"（--force 照样接受）\n");
    QByteArray extendedIds;
    for (int id = 0; id < 1024; ++id)
        extendedIds += QStringLiteral(R"(%1{"kind": 2, "start": "0x%2", "end": "0x%2"})")
                           .arg(id == 0 ? "" : ",")
                           .arg(0x10000 + id, 0, 16)
                           .toUtf8();
    // Twice what the table holds: the converter would have had half of them.
    QTest::newRow("filters beyond the table")
        << QStringList{"write", "--verify", "-i", "-"}
        << "{\"DeviceType\": 2, \"Filtering\": true, \"Filters\": [" + extendedIds + "]}" << 2
        << QByteArray(
               "错误: 标准输入: \"Filters\" 需要过滤表的 4096 字节，但过滤表只有 2048 字节\n");
    QTest::newRow("another model's document to diff")
        << QStringList{"diff", "-", "b.json"} << QByteArray(R"({"DeviceType": 0})") << 2
        << QByteArray("错误: \"-\": \"DeviceType\" 是 0（Ostrel-A），但给出的型号是 Ostrel-X\n");
    QTest::newRow("missing file") << QStringList{"write", "-i", "/nonexistent/converter.json"}
                                  << QByteArray() << 2
                                  << QByteArray("错误: 无法读取 \"/nonexistent/converter.json\"：");
    QTest::newRow("write without input")
        << QStringList{"write"} << QByteArray() << 2
        << QByteArray("错误: 此命令需要 -i FILE（或用 -i - 表示标准输入）（见 --help）\n");
    QTest::newRow("output for write")
        << (write + QStringList{"-o", "x.json"}) << QByteArray("{}") << 2
        << QByteArray("错误: -o FILE 只用于 read（见 --help）\n");
    QTest::newRow("output cannot be written")
        << QStringList{"read", "-o", "/nonexistent/converter.json"} << QByteArray() << 2
        << QByteArray("错误: 无法写入“/nonexistent/converter.json”：");
    QTest::newRow("unknown command") << QStringList{"flash"} << QByteArray() << 2
                                     << QByteArray("错误: 未知命令“flash”（见 --help）\n");
    QTest::newRow("unknown option")
        << QStringList{"--baud", "9600", "read"} << QByteArray() << 2 << QByteArray("错误: *baud");
    QTest::newRow("unknown device")
        << QStringList{"-d", "Y", "connect"} << QByteArray() << 2
        << QByteArray("错误: 未知型号“Y”：请用 A、B、X、0、1 或 2（见 --help）\n");
    QTest::newRow("CAN ID too short")
        << write << QByteArray(R"({"ArmCanID": "0000080"})") << 5
        << QByteArray("错误: CAN ID长度错误，必须为8位十六进制数！\n");
    QTest::newRow("CAN ID not hex") << write << QByteArray(R"({"ArmCanID": "0000080G"})") << 5
                                    << QByteArray("错误: CAN ID格式错误，输入必须为0~F！\n");
    QTest::newRow("verify for read") << QStringList{"read", "--verify"} << QByteArray() << 2
                                     << QByteArray("错误: --verify 只用于 write（见 --help）\n");
    QTest::newRow("two ports for read")
        << QStringList{"-p", "COM2", "read"} << QByteArray() << 2
        << QByteArray("错误: 只有 connect、write、verify 和 detect 可以给多个 -p（见 --help）\n");
    QTest::newRow("a port twice") << QStringList{"-p", "COM2", "-p", "COM2", "connect"}
                                  << QByteArray() << 2
                                  << QByteArray("错误: 同一个串口给了两次（见 --help）\n");
    QTest::newRow("verify, later format")
        << QStringList{"verify", "-i", "-"} << QByteArray(R"({"Format": "kelvane-config/9"})") << 2
        << QByteArray("错误: 标准输入: \"Format\" 必须是 \"kelvane-config/1\"\n");
    QTest::newRow("diff with one document")
        << QStringList{"diff", "a.json"} << QByteArray() << 2
        << QByteArray("错误: diff 需要两个文档：diff A.json B.json（见 --help）\n");
    // diff loads its documents as write does, refusals and their wording alike.
    QTest::newRow("diff, repeated key")
        << QStringList{"diff", "-", "b.json"} << QByteArray(R"({"TranSpace": 3, "TranSpace": 4})")
        << 2 << QByteArray("错误: \"-\": \"TranSpace\" 在同一个对象中出现了不止一次\n");
    QTest::newRow("diff, not JSON")
        << QStringList{"diff", "-", "b.json"} << QByteArray(R"({"TranMode": 1)") << 2
        << QByteArray("错误: \"-\"：* 14 字节\n");
    QTest::newRow("encode, CAN ID refused")
        << QStringList{"encode", "-i", "-"} << QByteArray(R"({"ArmCanID": "800"})") << 5
        << QByteArray("错误: CAN ID长度错误，必须为8位十六进制数！\n");
}

void TestCliFailures::refusedBeforeAnyByteIsSent()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    const auto sim = StartSim();
    QVERIFY(sim);

    const CliResult result = m_cli.Run(QStringList{"-p", sim->slavePath()} + arguments, input);

    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, QByteArray());
    QVERIFY2(StartsWithPattern(result.err, message), result.err.constData());
    QCOMPARE(result.err.count('\n'), 1);
    QTest::qWait(kSettleMs);
    QCOMPARE(sim->rawReceived(), QByteArray());
}

void TestCliFailures::silentConverterIsNotConnected()
{
    SimOptions options;
    options.silent = true;
    const auto sim = StartSim(options);
    QVERIFY(sim);

    const CliResult result = m_cli.Run({"-p", sim->slavePath(), "read"});

    QCOMPARE(result.exitCode, 4);
    QCOMPARE(result.out, QByteArray());
    const QList<QByteArray> lines = result.err.split('\n');
    QCOMPARE(lines.value(0), QByteArray("配置: 设备未连接！"));
    QVERIFY(lines.value(1).contains(sim->slavePath().toUtf8()));
    QVERIFY(lines.value(1).contains("电源和接线"));
    // The simulator at the other end of the line is no competing program.
    QVERIFY2(!result.err.contains("还被其他程序打开"), result.err.constData());
    // Four for the model chosen, then one for each other model.
    QCOMPARE(sim->receivedFrames().size(), 6);
    QCOMPARE(sim->requestCount(0x02), 6);
}

void TestCliFailures::portThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QStringList>("reason"); // the detail line holds each

    QTest::newRow("device path") << "/nonexistent/ttyUSB9" << QString()
                                 << QStringList{"没有设备 /nonexistent/ttyUSB9"};
    QTest::newRow("COM2 mapped to a missing device")
        << "COM2" << QString() << QStringList{"没有设备 /nonexistent/ttyACM0"};
    QTest::newRow("held by another program")
        << "sim"
        << "flock" << QStringList{"正被另一个程序占用", "flock"};
    QTest::newRow("no permission")
        << "sim"
        << "dialout" << QStringList{"用户组 dialout", "sudo usermod -aG dialout $USER"};
}

// The message stays the window's; the second line says why and what to do.
void TestCliFailures::portThatCannotBeOpened()
{
    QFETCH(QString, port);
    QFETCH(QString, obstacle);
    QFETCH(QStringList, reason);
    QVERIFY(m_cli.WriteProfile("[Ports]\nCOM2=/nonexistent/ttyACM0\n"));
    const auto sim = StartSim();
    QVERIFY(sim);
    if (port == QLatin1String("sim"))
        port = sim->slavePath();

    QProcess holder;
    QStringList prefix;
    if (obstacle == QLatin1String("flock")) {
        holder.start(QStringLiteral("flock"), {"-o", port, "sleep", "30"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(ProcessHasOpen(holder.processId(), port));
        reason << QString::number(holder.processId());
    } else if (obstacle == QLatin1String("dialout")) {
        if (::geteuid() != 0)
            QSKIP("needs root to hand the port to another group and drop privileges");
        prefix = UnprivilegedPrefix();
        if (m_cli.Run({"--version"}, {}, prefix).exitCode != 0)
            QSKIP("an unprivileged user cannot run the built program from here");
        const QByteArray device = QFile::encodeName(port);
        QVERIFY(::chown(device.constData(), 0, ::getgrnam("dialout")->gr_gid) == 0);
        QVERIFY(::chmod(device.constData(), 0660) == 0);
    }

    const CliResult result = m_cli.Run({"-p", port, "connect"}, {}, prefix);
    holder.kill();
    holder.waitForFinished();

    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.out, QByteArray());
    const QByteArray message("配置: 当前串口不可用！\n");
    const qsizetype at = result.err.indexOf(message);
    QVERIFY2(at >= 0, result.err.constData());
    const QString detail = QString::fromUtf8(result.err.mid(at + message.size()));
    for (const QString& part : reason)
        QVERIFY2(detail.contains(part), qPrintable(detail));
    QCOMPARE(sim->rawReceived(), QByteArray());
}

void TestCliFailures::communicationErrorKeepsEarlierOutput()
{
    SimOptions options;
    options.badCheck = true;
    const auto sim = StartSim(options);
    QVERIFY(sim);
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("converter.json"));
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("{\"TranSpace\": 3}\n") > 0);
    earlier.close();

    const CliResult result = m_cli.Run({"-p", sim->slavePath(), "read", "-o", path});

    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err, kCommError + QByteArray("应答的校验字节错误。\n"));
    QCOMPARE(sim->requestCount(0x03), 1);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("{\"TranSpace\": 3}\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"converter.json"});
}

void TestCliFailures::unacknowledgedWriteIsAnError()
{
    const auto sim = StartSim();
    QVERIFY(sim);
    sim->queueRawReply(Acknowledgement(0x02));
    for (int attempt = 0; attempt < 4; ++attempt)
        sim->queueRawReply(Acknowledgement(0x03));

    const CliResult result = m_cli.Run({"-p", sim->slavePath(), "write", "-i", "-"}, "{}");

    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, kCommError + QByteArray("收到的不是所请求的应答。\n"));
    QCOMPARE(sim->requestCount(0x01), 4);
    QCOMPARE(sim->requestCount(0x04), 0);
}

void TestCliFailures::messagesFollowTheSystemLanguage_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("English") << QStringList{"LANGUAGE=en", "LANG=en_US.UTF-8"}
                             << QByteArray("Configuration: The serial port is not available!\n"
                                           "There is no device /nonexistent/ttyUSB9.");
    QTest::newRow("Chinese") << QStringList{"LANG=zh_CN.UTF-8"}
                             << QByteArray(
                                    "配置: 当前串口不可用！\n没有设备 /nonexistent/ttyUSB9。");
    QTest::newRow("C") << QStringList{"LANG=C.UTF-8"}
                       << QByteArray("配置: 当前串口不可用！\n没有设备 /nonexistent/ttyUSB9。");
}

// The exit status stays whatever the language.
void TestCliFailures::messagesFollowTheSystemLanguage()
{
    QFETCH(QStringList, environment);
    QFETCH(QByteArray, message);
    const QStringList prefix =
        QStringList{"env", "-u", "LC_ALL", "-u", "LC_MESSAGES", "-u", "LANGUAGE"} + environment;

    const CliResult result = m_cli.Run({"-p", "/nonexistent/ttyUSB9", "connect"}, {}, prefix);

    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.startsWith(message), result.err.constData());
}

QTEST_GUILESS_MAIN(TestCliFailures)
#include "tst_CliFailures.moc"
