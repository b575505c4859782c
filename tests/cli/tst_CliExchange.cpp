#include "CCliRunner.h"
#include "COstrelSimulator.h"
#include "CliTestData.h"
#include "ModelRows.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

const QByteArray kReadOk = QByteArray("配置: 读配置成功！\n");
const QByteArray kWriteOk = QByteArray("配置: 写配置成功！\n");
const QByteArray kVerified = QByteArray("校验: 转换器中的配置与文档一致");

QJsonObject Object(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

std::unique_ptr<COstrelSimulator> StartSim(int deviceType, SimOptions options = {})
{
    options.model = ModelAt(deviceType);
    auto sim = std::make_unique<COstrelSimulator>(options);
    return sim->start() ? std::move(sim) : nullptr;
}

QList<quint8> CodesOf(const QList<QByteArray>& frames)
{
    QList<quint8> codes;
    for (const QByteArray& frame : frames)
        codes.append(quint8(frame.at(2)));
    return codes;
}

// The parameter block that writing the document sends, as encode prints it.
QByteArray EncodedParameterBlock(const CCliRunner& cli, const QByteArray& document)
{
    const CliResult encode = cli.Run({"encode", "-i", "-"}, document);
    return QByteArray::fromHex(encode.out.split('\n').value(0)).mid(4, 28);
}

QString DeviceArg(int deviceType)
{
    return QString(QLatin1Char("ABX"[deviceType]));
}

} // namespace

class TestCliExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectRunsTheHandshake_data();
    void connectRunsTheHandshake();
    void readPrintsTheConverterConfiguration_data();
    void readPrintsTheConverterConfiguration();
    void roundTripKeepsTheConverterBlocks_data();
    void roundTripKeepsTheConverterBlocks();
    void defaultsEncodeToTheFactoryFrame_data();
    void defaultsEncodeToTheFactoryFrame();
    void listValuesAreNamedInEitherLanguage();
    void encodePrintsWhatWriteSends();
    void identifierWarningReplacesTheSentId_data();
    void identifierWarningReplacesTheSentId();
    void comNamesFollowTheWindowsProfile();
    void detectNamesEachModelOnItsPort();
    void verifyReportsTheKeysChangedBehindItsBack_data();
    void verifyReportsTheKeysChangedBehindItsBack();
    void provisionsSeveralPortsAtOnce_data();
    void provisionsSeveralPortsAtOnce();
    void diffComparesWhatEachDocumentWrites();

private:
    CCliRunner m_cli;
};

void TestCliExchange::connectRunsTheHandshake_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("A") << 0 << QByteArray::fromHex("F7 F8 02 04 20 05 04 01 29");
    QTest::newRow("B") << 1 << QByteArray::fromHex("F7 F8 02 04 20 05 06 01 2B");
    QTest::newRow("X") << 2 << QByteArray::fromHex("F7 F8 02 04 20 05 08 01 25");
}

void TestCliExchange::connectRunsTheHandshake()
{
    QFETCH(int, deviceType);
    QFETCH(QByteArray, request);
    const auto sim = StartSim(deviceType);
    QVERIFY(sim);

    const CliResult result =
        m_cli.Run({"-d", DeviceArg(deviceType), "-p", sim->slavePath(), "connect"});

    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(sim->receivedFrames(), QList<QByteArray>{request});

    // --trace puts the request and the acknowledgement on standard error.
    const CliResult traced =
        m_cli.Run({"-d", DeviceArg(deviceType), "-p", sim->slavePath(), "connect", "--trace"});
    QCOMPARE(traced.exitCode, 0);
    const QList<QByteArray> lines = traced.err.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).endsWith(request.toHex(' ').toUpper()), lines.at(0).constData());
    QVERIFY2(lines.at(1).contains("校验正确 F7 F8 02 13"), lines.at(1).constData());
}

void TestCliExchange::readPrintsTheConverterConfiguration_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QByteArray>("parameterBlock");
    QTest::addColumn<QByteArray>("canConfigBlock");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("A: dual filter on extended frames")
        << 0 << CliTestData::ParameterBlockA() << CliTestData::CanConfigBlockWithFilters()
        << QByteArray(R"({"DeviceType": 0, "SerialBaudrate": 9, "SerialParity": 2,
            "SerialDataBit": 3, "SerialStopBit": 0, "SerialMode": 0, "CanBaudrate": 0,
            "CanBTR0": "03", "CanBTR1": "1C", "CanFiterMode": 0, "CanFrameType": 1,
            "CanAcptCodeDual": ["12 34", "05 67"], "CanAcptMaskDual": ["FF 00", "0F F0"],
            "CanAcptCode": "12 34 05 67", "CanAcptMask": "FF 00 0F F0", "CustomMask": 1,
            "CanID": "1F FF FF FF", "TranMode": 1, "TranDir": 2, "TranSpace": 5,
            "TranInfo": 1, "TranID": 1, "TranLength": 2, "TranIdBase": 3,
            "ArmCanID": "00000000", "ArmCanBaud": 3850242, "Filtering": true})");
    QTest::newRow("X: filters in table order")
        << 2 << CliTestData::ParameterBlockX() << CliTestData::CanConfigBlockWithFilters()
        << QByteArray(R"({"DeviceType": 2, "SerialBaudrate": 12, "SerialDataBit": 2,
            "SerialStopBit": 1, "SerialParity": 1, "SerialMode": 2, "CanFrameType": 1,
            "CanFiterMode": 1, "CanAcptCode": "00 01 23 45", "CanAcptMask": "1F FF FF FF",
            "CanID": "00 00 00 00", "TranMode": 2, "TranDir": 1, "TranSpace": 10,
            "TranInfo": 0, "TranID": 1, "TranLength": 4, "TranIdBase": 7,
            "ArmCanID": "1ABCDEF0", "ArmCanBaud": 3850242, "ArmFrameType": 1,
            "Filtering": true, "Filters": [
                {"kind": 0, "start": "0x00000123", "end": "0x00000123"},
                {"kind": 0, "start": "0x00000010", "end": "0x00000010"},
                {"kind": 1, "start": "0x00000200", "end": "0x000002ff"},
                {"kind": 2, "start": "0x1abcdef0", "end": "0x1abcdef0"},
                {"kind": 3, "start": "0x00010000", "end": "0x0001ffff"}]})");
}

void TestCliExchange::readPrintsTheConverterConfiguration()
{
    QFETCH(int, deviceType);
    QFETCH(QByteArray, parameterBlock);
    QFETCH(QByteArray, canConfigBlock);
    QFETCH(QByteArray, expected);
    const auto sim = StartSim(deviceType);
    QVERIFY(sim);
    sim->setParameterBlock(parameterBlock);
    sim->setCanConfigBlock(canConfigBlock);

    const CliResult result =
        m_cli.Run({"--device", DeviceArg(deviceType), "--port", sim->slavePath(), "read"});

    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, kReadOk);
    const QJsonObject json = Object(result.out);
    QCOMPARE(json.size(), 31);
    QCOMPARE(json.value("Format").toString(), QStringLiteral("kelvane-config/1"));
    const QJsonObject wanted = Object(expected);
    QVERIFY(!wanted.isEmpty());
    for (auto it = wanted.constBegin(); it != wanted.constEnd(); ++it)
        QVERIFY2(json.value(it.key()) == it.value(), qPrintable(it.key()));
    QCOMPARE(CodesOf(sim->receivedFrames()), (QList<quint8>{0x02, 0x03, 0x05}));
}

void TestCliExchange::roundTripKeepsTheConverterBlocks_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QByteArray>("parameterBlock");
    QTest::addColumn<QByteArray>("canConfigBlock");
    QTest::addColumn<QList<quint8>>("writeCodes");
    QTest::newRow("A") << 0 << CliTestData::ParameterBlockA()
                       << COstrelSimulator::DefaultCanConfigBlock() << QList<quint8>{0x02, 0x01};
    QTest::newRow("X with filters")
        << 2 << CliTestData::ParameterBlockX() << CliTestData::CanConfigBlockWithFilters()
        << QList<quint8>{0x02, 0x01, 0x04};
}

void TestCliExchange::roundTripKeepsTheConverterBlocks()
{
    QFETCH(int, deviceType);
    QFETCH(QByteArray, parameterBlock);
    QFETCH(QByteArray, canConfigBlock);
    QFETCH(QList<quint8>, writeCodes);
    const auto sim = StartSim(deviceType);
    QVERIFY(sim);
    sim->setParameterBlock(parameterBlock);
    sim->setCanConfigBlock(canConfigBlock);
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("converter.json"));
    const QStringList common{"-d", DeviceArg(deviceType), "-p", sim->slavePath()};

    const CliResult read = m_cli.Run(common + QStringList{"read", "-o", file});
    QCOMPARE(read.exitCode, 0);
    QCOMPARE(read.out, QByteArray());
    QCOMPARE(read.err, kReadOk);

    sim->setParameterBlock(COstrelSimulator::DefaultParameterBlock(ModelAt(deviceType)));
    sim->setCanConfigBlock(COstrelSimulator::DefaultCanConfigBlock());
    sim->clearHistory();
    const CliResult write = m_cli.Run(common + QStringList{"write", "-i", file});
    QCOMPARE(write.exitCode, 0);
    QCOMPARE(write.err, kWriteOk);
    QCOMPARE(CodesOf(sim->receivedFrames()), writeCodes);
    QCOMPARE(sim->parameterBlock().toHex(' '), parameterBlock.toHex(' '));
    QCOMPARE(sim->canConfigBlock().toHex(' '), canConfigBlock.toHex(' '));

    const CliResult again = m_cli.Run(common + QStringList{"read"});
    QCOMPARE(again.exitCode, 0);
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(Object(again.out), Object(saved.readAll()));
}

void TestCliExchange::defaultsEncodeToTheFactoryFrame_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("parameterFrame");
    QTest::addColumn<int>("frameCount");
    QTest::newRow("A") << "A"
                       << QByteArray("F7 F8 01 1C 06 08 01 00 0A 01 1C 01 00 00 00 00 FF FF FF FF "
                                     "01 00 02 00 00 00 00 00 00 00 01 00 09")
                       << 1;
    QTest::newRow("X") << "X"
                       << QByteArray("F7 F8 01 1C 05 03 00 00 0A 00 14 01 00 00 00 00 FF FF FF FF "
                                     "01 00 02 00 00 00 00 00 00 00 01 00 09")
                       << 2;
}

void TestCliExchange::defaultsEncodeToTheFactoryFrame()
{
    QFETCH(QString, device);
    QFETCH(QByteArray, parameterFrame);
    QFETCH(int, frameCount);

    const CliResult defaults = m_cli.Run({"-d", device, "defaults"});
    QCOMPARE(defaults.exitCode, 0);
    QCOMPARE(defaults.err, QByteArray());
    const CliResult encode = m_cli.Run({"-d", device, "encode", "-i", "-"}, defaults.out);
    QCOMPARE(encode.exitCode, 0);
    QCOMPARE(encode.err, QByteArray());

    const QList<QByteArray> lines = encode.out.split('\n');
    QCOMPARE(lines.size(), frameCount + 1);
    QCOMPARE(lines.first(), parameterFrame);
    QCOMPARE(lines.last(), QByteArray());
    if (frameCount == 2) {
        const QByteArray canFrame = QByteArray::fromHex(lines.at(1));
        QCOMPARE(canFrame.size(), 2085);
        QCOMPARE(canFrame.mid(4, 2080), COstrelSimulator::DefaultCanConfigBlock());
    }
}

// A document written on an English PC is taken on a Chinese one, and back.
void TestCliExchange::listValuesAreNamedInEitherLanguage()
{
    const QStringList encode{"-d", "A", "encode", "-i", "-"};
    const CliResult byPosition = m_cli.Run(encode, R"({"SerialParity": 2})");
    QCOMPARE(byPosition.exitCode, 0);
    const CliResult english = m_cli.Run(encode, R"({"SerialParity": "Even"})");
    QCOMPARE(english.exitCode, 0);
    QCOMPARE(english.out, byPosition.out);
    const QStringList englishDesktop{"env",         "-u",          "LC_ALL",          "-u",
                                     "LC_MESSAGES", "LANGUAGE=en", "LANG=en_US.UTF-8"};
    const CliResult chinese = m_cli.Run(encode, R"({"SerialParity": "偶校验"})", englishDesktop);
    QCOMPARE(chinese.exitCode, 0);
    QCOMPARE(chinese.out, byPosition.out);
}

void TestCliExchange::encodePrintsWhatWriteSends()
{
    const QByteArray document = R"({"ArmCanID": "0000012A", "ArmFrameType": 0,
        "ArmCanBaud": 3850244, "SerialMode": 1, "Filtering": true,
        "Filters": [{"kind": 1, "start": "0x100", "end": "0x1FF"},
                    {"kind": 1, "start": "0x180", "end": "0x2ff"},
                    {"kind": 2, "start": "0x12345", "end": "0x12345"}]})";
    const auto sim = StartSim(2);
    QVERIFY(sim);

    const CliResult encode = m_cli.Run({"encode", "-i", "-"}, document);
    QCOMPARE(encode.exitCode, 0);
    const CliResult write = m_cli.Run({"-p", sim->slavePath(), "write", "-i", "-"}, document);
    QCOMPARE(write.exitCode, 0);
    QCOMPARE(write.out, QByteArray());

    const QList<QByteArray> frames = sim->receivedFrames();
    QCOMPARE(frames.size(), 3);
    QByteArray sent;
    for (const QByteArray& frame : frames.mid(1))
        sent += frame.toHex(' ').toUpper() + '\n';
    QCOMPARE(encode.out, sent);
    // The overlapping ranges went out merged, as one word of the group section.
    QCOMPARE(frames.at(2).mid(4, 40).toHex(' '),
             QByteArray("04 c0 3a 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                        "00 00 00 00 04 00 00 00 08 00 00 00 08 00 00 00 "
                        "ff 02 00 01 45 23 01 00"));
}

void TestCliExchange::identifierWarningReplacesTheSentId_data()
{
    QTest::addColumn<QString>("canId");
    QTest::addColumn<int>("frameType");
    QTest::addColumn<QByteArray>("warning");
    QTest::addColumn<QByteArray>("sentId");
    const QByteArray standard = "警告: 标准帧不能大于000007FF，如果大于则会被默认为000007FF！\n";
    const QByteArray extended = "警告: 扩展帧不能大于1FFFFFFF，如果大于则会被默认为1FFFFFFF！\n";
    QTest::newRow("standard above 7FF")
        << "00000800" << 0 << standard << QByteArray::fromHex("FF 07 00 00");
    QTest::newRow("standard, warned once")
        << "10000000" << 0 << standard << QByteArray::fromHex("FF 07 00 00");
    QTest::newRow("extended above 1FFFFFFF")
        << "20000000" << 1 << extended << QByteArray::fromHex("FF FF FF 1F");
    QTest::newRow("extended limit in lower case")
        << "1fffffff" << 1 << QByteArray() << QByteArray::fromHex("FF FF FF 1F");
}

void TestCliExchange::identifierWarningReplacesTheSentId()
{
    QFETCH(QString, canId);
    QFETCH(int, frameType);
    QFETCH(QByteArray, warning);
    QFETCH(QByteArray, sentId);
    const auto sim = StartSim(2);
    QVERIFY(sim);
    const QJsonObject document{{"ArmCanID", canId}, {"ArmFrameType", frameType}};

    const CliResult result =
        m_cli.Run({"-p", sim->slavePath(), "write", "-i", "-"}, QJsonDocument(document).toJson());

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, warning + kWriteOk);
    QCOMPARE(sim->parameterBlock().mid(22, 4).toHex(' '), sentId.toHex(' '));
    QCOMPARE(quint8(sim->parameterBlock().at(21)), quint8(frameType));
}

void TestCliExchange::comNamesFollowTheWindowsProfile()
{
    const auto sim = StartSim(0);
    QVERIFY(sim);
    const QByteArray profile =
        "[Kelvane]\nDeviceType=2\nTranSpace=4\n\n[Ports]\nCOM3=" + sim->slavePath().toUtf8() + "\n";
    QVERIFY(m_cli.WriteProfile(profile));

    const CliResult ports = m_cli.Run({"ports"});
    QCOMPARE(ports.exitCode, 0);
    const QList<QByteArray> lines = ports.out.split('\n');
    QVERIFY(lines.size() > 8);
    QCOMPARE(lines.at(0), QByteArray("COM1\t/dev/ttyS0"));
    QCOMPARE(lines.at(2), "COM3\t" + sim->slavePath().toUtf8());
    QCOMPARE(lines.at(7), QByteArray("COM8\t/dev/ttyS7"));

    const CliResult write =
        m_cli.Run({"-d", "A", "-p", "COM3", "write", "-i", "-"}, R"({"TranSpace": 9})");
    QCOMPARE(write.exitCode, 0);
    QCOMPARE(write.err, kWriteOk);
    QCOMPARE(quint8(sim->parameterBlock().at(18)), quint8(9));
    const CliResult read = m_cli.Run({"-d", "A", "-p", "COM3", "read"});
    QCOMPARE(read.exitCode, 0);
    QCOMPARE(Object(read.out).value("TranSpace"), QJsonValue(9));

    QFile file(m_cli.ProfileFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), profile);
}

void TestCliExchange::verifyReportsTheKeysChangedBehindItsBack_data()
{
    QTest::addColumn<QByteArray>("checked"); // the document verify is given
    QTest::addColumn<int>("frameSpace");     // what the converter is then made to hold
    QTest::addColumn<quint32>("btr");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("lines");

    const QByteArray written = R"({"TranSpace": 5, "ArmCanID": "0000012a",
        "Filtering": true, "Filters": [{"kind": 1, "start": "0x100", "end": "0x1ff"},
                                       {"kind": 0, "start": "0x7", "end": "0x7"}]})";
    QTest::newRow("untouched") << written << 5 << 0x3AC00Bu << 0 << QByteArray();
    QTest::newRow("other letter case and filter order")
        << QByteArray(R"({"TranSpace": 5, "ArmCanID": "0000012A", "Filtering": true,
            "Filters": [{"kind": 0, "start": "0x00000007", "end": "0x00000007"},
                        {"kind": 1, "start": "0x100", "end": "0x1FF"}]})")
        << 5 << 0x3AC00Bu << 0 << QByteArray();
    QTest::newRow("gap and register changed")
        << written << 7 << 0x3AC002u << 6
        << QByteArray("ArmCanBaud：应为 3850251 (125K, 75%)，读到 3850242 (500K, 75%)\n"
                      "TranSpace：应为 5，读到 7\n");
}

void TestCliExchange::verifyReportsTheKeysChangedBehindItsBack()
{
    QFETCH(QByteArray, checked);
    QFETCH(int, frameSpace);
    QFETCH(quint32, btr);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, lines);
    const auto sim = StartSim(2);
    QVERIFY(sim);
    const QStringList port{"-p", sim->slavePath()};
    const QByteArray written = R"({"TranSpace": 5, "ArmCanID": "0000012a",
        "Filtering": true, "Filters": [{"kind": 1, "start": "0x100", "end": "0x1ff"},
                                       {"kind": 0, "start": "0x7", "end": "0x7"}]})";

    const CliResult write = m_cli.Run(port + QStringList{"write", "-i", "-", "--verify"}, written);
    QCOMPARE(write.exitCode, 0);
    QCOMPARE(write.out, QByteArray());
    QCOMPARE(write.err, kWriteOk + kVerified + '\n');
    QCOMPARE(CodesOf(sim->receivedFrames()), (QList<quint8>{0x02, 0x01, 0x04, 0x03, 0x05}));

    QByteArray parameters = sim->parameterBlock();
    parameters[18] = char(frameSpace);
    sim->setParameterBlock(parameters);
    QByteArray canBlock = sim->canConfigBlock();
    qToLittleEndian(btr, canBlock.data());
    sim->setCanConfigBlock(canBlock);
    sim->clearHistory();

    const CliResult verify = m_cli.Run(port + QStringList{"verify", "-i", "-"}, checked);
    QCOMPARE(verify.exitCode, exitCode);
    QCOMPARE(verify.out, lines);
    QCOMPARE(verify.err.startsWith("校验: "), true);
    QCOMPARE(CodesOf(sim->receivedFrames()), (QList<quint8>{0x02, 0x03, 0x05}));
}

void TestCliExchange::provisionsSeveralPortsAtOnce_data()
{
    QTest::addColumn<bool>("json");
    QTest::newRow("lines") << false;
    QTest::newRow("JSON") << true;
}

// Four converters on a line, the third one silent: the others are written
// and verified all the same, and the line's status is the silent one's.
void TestCliExchange::provisionsSeveralPortsAtOnce()
{
    QFETCH(bool, json);
    std::vector<std::unique_ptr<COstrelSimulator>> sims;
    QStringList arguments{"-d", "X"};
    for (int index = 0; index < 4; ++index) {
        SimOptions options;
        options.silent = index == 2;
        sims.push_back(StartSim(2, options));
        QVERIFY(sims.back());
        arguments << "-p" << sims.back()->slavePath();
    }
    arguments << "write"
              << "-i"
              << "-"
              << "--verify";
    if (json)
        arguments << "--json";
    const QByteArray document = R"({"SerialBaudrate": 9, "TranSpace": 6})";
    const QByteArray expected = EncodedParameterBlock(m_cli, document);
    QCOMPARE(expected.size(), 28);

    const CliResult result = m_cli.Run(arguments, document);

    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(result.err, QByteArray());
    const QList<QByteArray> lines = result.out.split('\n');
    QCOMPARE(lines.size(), 5);
    for (int index = 0; index < 4; ++index) {
        const COstrelSimulator& sim = *sims.at(index);
        const bool silent = index == 2;
        // The silent port's message goes on with what to check.
        const QByteArray message = silent ? QByteArray("配置: 设备未连接！ ")
                                          : QByteArray("配置: 写配置成功！; ") + kVerified;
        if (json) {
            const QJsonObject line = Object(lines.at(index));
            QCOMPARE(line.value("port").toString(), sim.slavePath());
            QCOMPARE(line.value("status").toInt(), silent ? 4 : 0);
            const QByteArray messages =
                line.value("messages").toVariant().toStringList().join("; ").toUtf8();
            QVERIFY2(silent ? messages.startsWith(message) : messages == message,
                     messages.constData());
        } else {
            const QByteArray start =
                sim.slavePath().toUtf8() + (silent ? "\tfailed 4\t" : "\tok\t") + message;
            QVERIFY2(silent ? lines.at(index).startsWith(start) : lines.at(index) == start,
                     lines.at(index).constData());
        }
        QCOMPARE(sim.requestCount(0x01), silent ? 0 : 1);
        if (!silent) {
            QCOMPARE(sim.parameterBlock().toHex(' '), expected.toHex(' '));
            QCOMPARE(sim.requestCount(0x05), 1);
        }
    }
}

void TestCliExchange::diffComparesWhatEachDocumentWrites()
{
    const QTemporaryDir dir;
    const auto file = [&dir](const char* name, const QByteArray& json) {
        QFile out(dir.filePath(name));
        return out.open(QIODevice::WriteOnly) && out.write(json) == json.size() ? out.fileName()
                                                                                : QString();
    };
    const QString first = file("first.json", R"({"ArmCanID": "0000012a"})");
    const QString second = file("second.json", R"({"Format": "kelvane-config/1", "DeviceType": 2,
            "ArmCanID": "0000012A", "TranSpace": 5, "ArmCanBaud": "500K",
            "SerialBaudrate": "115200"})");
    // The X's bit rate is not the classic pages' CanBaudrate.
    const QString classic = file("classic.json", R"({"CanBaudrate": "250 K"})");
    QVERIFY(!first.isEmpty() && !second.isEmpty() && !classic.isEmpty());

    const CliResult same = m_cli.Run({"diff", first, first});
    QCOMPARE(same.exitCode, 0);
    QCOMPARE(same.out, QByteArray());
    const CliResult differ = m_cli.Run({"diff", first, second});
    QCOMPARE(differ.exitCode, 6);
    QCOMPARE(differ.err, QByteArray());
    QCOMPARE(differ.out, QByteArray("ArmCanBaud: 3850251 (125K, 75%) -> 3850242 (500K, 75%)\n"
                                    "SerialBaudrate: 4 (9600) -> 9 (115200)\n"
                                    "TranSpace: 2 -> 5\n"));
    const CliResult noEffect = m_cli.Run({"diff", first, classic});
    QCOMPARE(noEffect.exitCode, 2);
    QVERIFY2(noEffect.err.contains("\"CanBaudrate\"") && noEffect.err.contains("\"ArmCanBaud\""),
             noEffect.err.constData());
    // Taken all the same, it leaves the X's rate as it was.
    const QString empty = file("empty.json", "{}");
    const CliResult forced = m_cli.Run({"--force", "diff", empty, classic});
    QCOMPARE(forced.exitCode, 0);
}

// The models are tried in their order on every port at once; each simulator
// answers only its own model's handshake, after four unanswered attempts for
// each model before it.
void TestCliExchange::detectNamesEachModelOnItsPort()
{
    const auto a = StartSim(0);
    const auto b = StartSim(1);
    const auto x = StartSim(2);
    QVERIFY(a && b && x);

    const CliResult result = m_cli.Run({"-p", x->slavePath(), "-p", a->slavePath(), "-p",
                                        b->slavePath(), "-p", "/nonexistent/ttyUSB7", "detect"});

    QCOMPARE(result.exitCode, 0);
    const QList<QByteArray> lines = result.out.split('\n');
    QCOMPARE(lines.value(0), x->slavePath().toUtf8() + "\tOstrel-X");
    QCOMPARE(lines.value(1), a->slavePath().toUtf8() + "\tOstrel-A");
    QCOMPARE(lines.value(2), b->slavePath().toUtf8() + "\tOstrel-B");
    QVERIFY(lines.value(3).startsWith("/nonexistent/ttyUSB7\t当前串口不可用！\t"));
    QCOMPARE(a->receivedFrames().size(), 1);
    QCOMPARE(b->receivedFrames().size(), 4 + 1);
    QCOMPARE(x->receivedFrames().size(), 4 + 4 + 1);
}

QTEST_GUILESS_MAIN(TestCliExchange)
#include "tst_CliExchange.moc"
