#include "COstrelSimulator.h"
#include "CRawPtyClient.h"
#include "ModelRows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

Q_DECLARE_METATYPE(SimOptions)

namespace {

constexpr int kQuietMs = 100;
constexpr int kCanBlockSize = 2080;

quint8 xorOf(const QByteArray& bytes)
{
    quint8 check = 0;
    for (const char byte : bytes)
        check ^= quint8(byte);
    return check;
}

QByteArray frame(quint8 code, const QByteArray& payload)
{
    QByteArray bytes = QByteArray::fromHex("F7F8");
    bytes.append(char(code)).append(char(payload.size() == kCanBlockSize ? 0xFF : payload.size()));
    bytes.append(payload);
    return bytes.append(char(xorOf(bytes)));
}

QByteArray handshake(quint8 modelCode)
{
    return frame(0x02, QByteArray::fromHex("2005").append(char(modelCode)).append('\x01'));
}

const QByteArray kReadParameters = QByteArray::fromHex("F7F80301AAA7");
const QByteArray kReadCanConfig = QByteArray::fromHex("F7F80501AAA1");
const QByteArray kHandshakeX = handshake(0x08);

SimOptions unpaced(int deviceType = 2)
{
    SimOptions options;
    options.model = ModelAt(deviceType);
    options.pacing = false;
    return options;
}

QByteArray patternBlock(int size, int seed)
{
    QByteArray block(size, '\0');
    for (int i = 0; i < size; ++i)
        block[i] = char((i * 7 + seed) & 0xFF);
    return block;
}

// Sends a request and returns everything the simulator answered to it. The
// simulator's own count tells when the request has been heard, so that no
// answer can be told apart from a slow one.
QByteArray exchange(const COstrelSimulator& sim, CRawPtyClient& client, const QByteArray& request)
{
    const qsizetype before = sim.receivedFrames().size();
    if (!client.write(request) ||
        !QTest::qWaitFor([&] { return sim.receivedFrames().size() > before; }, 3000))
        return "request not heard";
    return client.readUntilQuiet(kQuietMs);
}

} // namespace

class TestOstrelSimulator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineIsRawFromTheStart();
    void defaultsPerModel_data();
    void defaultsPerModel();
    void writeThenReadBack();
    void faults_data();
    void faults();
    void dropIgnoresFirstRequests();
    void garbageOnlyBeforeFirstReply();
    void splitSendsTwoParts();
    void queuedRawRepliesComeFirst();
    void clientCanLeaveAndReturn();
    void keepSendingFinishesTheReplyAtTheNextRequest();
    void statePersistsAcrossRuns();
    void damagedStateFallsBackToDefaults_data();
    void damagedStateFallsBackToDefaults();
    void survivesBadInput_data();
    void survivesBadInput();
    void logsFramesInHex();
    void pacedReplyTakesLineTime();
};

void TestOstrelSimulator::lineIsRawFromTheStart()
{
    COstrelSimulator sim;
    QVERIFY(sim.start());
    const int fd = ::open(QFile::encodeName(sim.slavePath()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    termios settings{};
    const bool read = ::tcgetattr(fd, &settings) == 0;
    ::close(fd);
    QVERIFY(read);
    QCOMPARE(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
    QCOMPARE(settings.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), tcflag_t(0));
    QCOMPARE(settings.c_oflag & OPOST, tcflag_t(0));
}

void TestOstrelSimulator::defaultsPerModel_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<quint8>("modelCode");
    QTest::addColumn<QByteArray>("parameterBlock");
    const QByteArray typesAB = QByteArray::fromHex(
        "06 08 01 00 0A 01 1C 01 00 00 00 00 FF FF FF FF 01 00 02 00 00 00 00 00 00 00 01 00");
    const QByteArray typeX = QByteArray::fromHex(
        "05 03 00 00 0A 00 14 01 00 00 00 00 FF FF FF FF 01 00 02 00 00 00 00 00 00 00 01 00");
    QTest::newRow("A") << 0 << quint8(0x04) << typesAB;
    QTest::newRow("B") << 1 << quint8(0x06) << typesAB;
    QTest::newRow("X") << 2 << quint8(0x08) << typeX;
}

void TestOstrelSimulator::defaultsPerModel()
{
    QFETCH(int, deviceType);
    QFETCH(quint8, modelCode);
    QFETCH(QByteArray, parameterBlock);
    COstrelSimulator sim(unpaced(deviceType));
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));

    for (const quint8 code : {quint8(0x04), quint8(0x06), quint8(0x08)})
        QCOMPARE(exchange(sim, client, handshake(code)),
                 code == modelCode ? QByteArray::fromHex("F7F802131E") : QByteArray());
    QCOMPARE(exchange(sim, client, kReadParameters), frame(0x03, parameterBlock));

    const QByteArray canReply = exchange(sim, client, kReadCanConfig);
    QCOMPARE(canReply.size(), 2085);
    QCOMPARE(canReply.left(16).toHex(' '),
             QByteArray("f7 f8 05 ff 0b c0 3a 00 00 00 00 00 02 00 00 00"));
    QCOMPARE(canReply.mid(16, kCanBlockSize - 12), QByteArray(kCanBlockSize - 12, '\0'));
    QCOMPARE(quint8(canReply.back()), xorOf(canReply.chopped(1)));
}

void TestOstrelSimulator::writeThenReadBack()
{
    COstrelSimulator sim(unpaced());
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));
    const QByteArray parameters = patternBlock(28, 3);
    const QByteArray canConfig = patternBlock(kCanBlockSize, 11);

    QCOMPARE(exchange(sim, client, frame(0x01, parameters)), QByteArray::fromHex("F7F801131D"));
    QCOMPARE(exchange(sim, client, frame(0x04, canConfig)), QByteArray::fromHex("F7F8041318"));
    QCOMPARE(exchange(sim, client, kReadParameters), frame(0x03, parameters));
    QCOMPARE(exchange(sim, client, kReadCanConfig), frame(0x05, canConfig));
    QCOMPARE(sim.parameterBlock(), parameters);
    QCOMPARE(sim.canConfigBlock(), canConfig);

    // A write whose payload is not a whole block is not a write.
    QCOMPARE(exchange(sim, client, frame(0x01, parameters.left(4))), QByteArray());
    QCOMPARE(sim.parameterBlock(), parameters);
    QCOMPARE(sim.requestCount(0x01), 2);
}

void TestOstrelSimulator::faults_data()
{
    QTest::addColumn<SimOptions>("options");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto with = [](auto change) {
        SimOptions options = unpaced();
        change(options);
        return options;
    };
    const QByteArray ackX = QByteArray::fromHex("F7F802131E");
    const QByteArray parameters = frame(0x03, COstrelSimulator::DefaultParameterBlock(ModelAt(2)));
    QByteArray badCheck = parameters;
    badCheck.back() = char(~quint8(badCheck.back()));

    QTest::newRow("silent") << with([](SimOptions& o) { o.silent = true; }) << kHandshakeX
                            << QByteArray();
    QTest::newRow("bad check on data")
        << with([](SimOptions& o) { o.badCheck = true; }) << kReadParameters << badCheck;
    QTest::newRow("bad check spares acks")
        << with([](SimOptions& o) { o.badCheck = true; }) << kHandshakeX << ackX;
    QTest::newRow("wrong ack") << with([](SimOptions& o) { o.wrongAck = true; }) << kHandshakeX
                               << QByteArray::fromHex("F7F803131F");
    QTest::newRow("trailing") << with([](SimOptions& o) { o.trailing = 3; }) << kHandshakeX
                              << ackX + QByteArray::fromHex("55AA00");
    QTest::newRow("truncate data")
        << with([](SimOptions& o) { o.truncate = 4; }) << kReadParameters << parameters.chopped(4);
    QTest::newRow("truncate spares acks")
        << with([](SimOptions& o) { o.truncate = 4; }) << kHandshakeX << ackX;
    QTest::newRow("no CAN configuration")
        << with([](SimOptions& o) { o.noCanConfig = true; }) << kReadCanConfig << QByteArray();
    QTest::newRow("parameters despite no CAN configuration")
        << with([](SimOptions& o) { o.noCanConfig = true; }) << kReadParameters << parameters;
}

void TestOstrelSimulator::faults()
{
    QFETCH(SimOptions, options);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    COstrelSimulator sim(options);
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));
    QCOMPARE(exchange(sim, client, request).toHex(' '), reply.toHex(' '));
}

void TestOstrelSimulator::dropIgnoresFirstRequests()
{
    SimOptions options = unpaced();
    options.drop = 2;
    COstrelSimulator sim(options);
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));
    const QByteArray ackX = QByteArray::fromHex("F7F802131E");

    QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray());
    QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray());
    QCOMPARE(exchange(sim, client, kHandshakeX), ackX);
    sim.setOptions(options);
    QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray());
    QCOMPARE(sim.requestCount(0x02), 4);
}

void TestOstrelSimulator::garbageOnlyBeforeFirstReply()
{
    SimOptions options = unpaced();
    options.garbageFirst = true;
    COstrelSimulator sim(options);
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));
    const QByteArray ackX = QByteArray::fromHex("F7F802131E");

    const QByteArray first = exchange(sim, client, kHandshakeX);
    QVERIFY(first.size() > ackX.size());
    QVERIFY(!first.startsWith('\xF7'));
    QVERIFY(first.endsWith(ackX));
    QCOMPARE(exchange(sim, client, kHandshakeX), ackX);
}

void TestOstrelSimulator::splitSendsTwoParts()
{
    SimOptions options = unpaced();
    options.splitMs = 400;
    COstrelSimulator sim(options);
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));

    QVERIFY(client.write(kReadParameters));
    const QByteArray firstPart = client.read(1, 2000);
    QCOMPARE(firstPart.size(), 16);
    const QByteArray secondPart = client.read(17, 2000);
    QCOMPARE(firstPart + secondPart,
             frame(0x03, COstrelSimulator::DefaultParameterBlock(ModelAt(2))));
}

void TestOstrelSimulator::queuedRawRepliesComeFirst()
{
    COstrelSimulator sim(unpaced());
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));
    sim.queueRawReply(QByteArray::fromHex("F7F80313"));
    sim.queueRawReply(QByteArray::fromHex("010203"));

    QCOMPARE(exchange(sim, client, kReadParameters), QByteArray::fromHex("F7F80313"));
    QCOMPARE(exchange(sim, client, handshake(0x04)), QByteArray::fromHex("010203"));
    QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray::fromHex("F7F802131E"));
}

void TestOstrelSimulator::clientCanLeaveAndReturn()
{
    SimOptions options = unpaced();
    options.pacing = true;
    COstrelSimulator sim(options);
    QVERIFY(sim.start());
    {
        CRawPtyClient client;
        QVERIFY(client.open(sim.slavePath()));
        QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray::fromHex("F7F802131E"));
        // Gone in the middle of a long reply.
        QVERIFY(client.write(kReadCanConfig));
        QVERIFY(!client.read(1, 2000).isEmpty());
    }
    CRawPtyClient client;
    QVERIFY(client.open(sim.slavePath()));
    // The line goes on with the abandoned reply; let it run out.
    client.readUntilQuiet(kQuietMs);
    QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray::fromHex("F7F802131E"));
}

// The CAN configuration block reply stops halfway; the next client's first
// request brings the rest ahead of its own answer.
void TestOstrelSimulator::keepSendingFinishesTheReplyAtTheNextRequest()
{
    SimOptions options = unpaced();
    options.keepSending = true;
    COstrelSimulator sim(options);
    QVERIFY(sim.start());
    const QByteArray reply = frame(0x05, COstrelSimulator::DefaultCanConfigBlock());
    {
        CRawPtyClient client;
        QVERIFY(client.open(sim.slavePath()));
        QCOMPARE(exchange(sim, client, kReadCanConfig), reply.left(reply.size() / 2));
    }
    CRawPtyClient client;
    QVERIFY(client.open(sim.slavePath()));
    QCOMPARE(exchange(sim, client, kHandshakeX),
             reply.mid(reply.size() / 2) + QByteArray::fromHex("F7F802131E"));
    QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray::fromHex("F7F802131E"));
}

void TestOstrelSimulator::statePersistsAcrossRuns()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SimOptions options = unpaced();
    options.stateFile = dir.filePath("state.json");
    const QByteArray parameters = patternBlock(28, 5);
    const QByteArray canConfig = patternBlock(kCanBlockSize, 9);
    {
        COstrelSimulator sim(options);
        CRawPtyClient client;
        QVERIFY(sim.start());
        QVERIFY(client.open(sim.slavePath()));
        QCOMPARE(exchange(sim, client, frame(0x01, parameters)), QByteArray::fromHex("F7F801131D"));
        QCOMPARE(exchange(sim, client, frame(0x04, canConfig)), QByteArray::fromHex("F7F8041318"));
    }
    // Saved after the acknowledgement, and finished by the time the
    // simulator has stopped; the temporary file is gone.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"state.json"});
    COstrelSimulator sim(options);
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));
    QCOMPARE(exchange(sim, client, kReadParameters), frame(0x03, parameters));
    QCOMPARE(exchange(sim, client, kReadCanConfig), frame(0x05, canConfig));
}

void TestOstrelSimulator::damagedStateFallsBackToDefaults_data()
{
    QTest::addColumn<QByteArray>("contents");
    const QByteArray hex28 = QByteArray(28, '\x11').toHex();
    const QByteArray hex2080 = QByteArray(kCanBlockSize, '\x22').toHex();
    const auto state = [](const QByteArray& parameters, const QByteArray& canConfig) -> QByteArray {
        return R"({"format": "ostrel-sim-state/1", "parameterBlock": ")" + parameters +
               R"(", "canConfigBlock": ")" + canConfig + R"("})";
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("\x01\x02garbage{");
    QTest::newRow("short block") << state(hex28.chopped(2), hex2080);
    QTest::newRow("not hex") << state(hex28.chopped(2) + "zz", hex2080);
    QTest::newRow("missing block") << state(hex28, {});
    QTest::newRow("cut short") << state(hex28, hex2080).chopped(40);
}

void TestOstrelSimulator::damagedStateFallsBackToDefaults()
{
    QFETCH(QByteArray, contents);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SimOptions options = unpaced();
    options.stateFile = dir.filePath("state.json");
    QFile file(options.stateFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();

    COstrelSimulator sim(options);
    QVERIFY(sim.start());
    QCOMPARE(sim.parameterBlock(), COstrelSimulator::DefaultParameterBlock(ModelAt(2)));
    QCOMPARE(sim.canConfigBlock(), COstrelSimulator::DefaultCanConfigBlock());
}

void TestOstrelSimulator::survivesBadInput_data()
{
    QTest::addColumn<QByteArray>("noise");
    QTest::addColumn<int>("pauseMs");
    QByteArray random(4000, '\0');
    QRandomGenerator generator(20260101);
    for (char& byte : random)
        byte = char(generator.bounded(256));
    QTest::newRow("random bytes") << random << 0;
    QTest::newRow("random bytes then silence") << random << 200;
    QTest::newRow("truncated frame then silence") << kReadParameters.chopped(1) << 200;
    QTest::newRow("wrong check byte") << kReadParameters.chopped(1).append('\x00') << 0;
    QTest::newRow("unknown command") << frame(0x09, "\xAA") << 0;
    QTest::newRow("header promising a CAN block") << QByteArray::fromHex("F7F804FF0102") << 0;
}

void TestOstrelSimulator::survivesBadInput()
{
    QFETCH(QByteArray, noise);
    QFETCH(int, pauseMs);
    COstrelSimulator sim(unpaced());
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));

    QVERIFY(client.write(noise));
    QTRY_COMPARE(sim.rawReceived().size(), noise.size());
    QTest::qWait(pauseMs);
    QCOMPARE(exchange(sim, client, kReadParameters),
             frame(0x03, COstrelSimulator::DefaultParameterBlock(ModelAt(2))));
    QCOMPARE(sim.receivedFrames(), QList<QByteArray>{kReadParameters});
    QCOMPARE(sim.rawReceived(), noise + kReadParameters);
}

void TestOstrelSimulator::logsFramesInHex()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SimOptions options = unpaced();
    options.logFile = dir.filePath("sim.log");
    COstrelSimulator sim(options);
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));
    QCOMPARE(exchange(sim, client, kHandshakeX), QByteArray::fromHex("F7F802131E"));

    QFile log(options.logFile);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("RX F7 F8 02 04 20 05 08 01 25\nTX F7 F8 02 13 1E\n"));
}

void TestOstrelSimulator::pacedReplyTakesLineTime()
{
    SimOptions options = unpaced(1);
    options.pacing = true;
    COstrelSimulator sim(options);
    CRawPtyClient client;
    QVERIFY(sim.start());
    QVERIFY(client.open(sim.slavePath()));

    QElapsedTimer timer;
    timer.start();
    QVERIFY(client.write(kReadCanConfig));
    QCOMPARE(client.read(2085, 5000).size(), 2085);
    // Only the lower bound can be relied on: 2085 bytes of 10 bits at 19200 bit/s.
    QVERIFY2(timer.nsecsElapsed() >= 2085LL * 10 * 1000000000 / 19200,
             qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestOstrelSimulator)
#include "tst_OstrelSimulator.moc"
