#include "CFrameLog.h"
#include "CFrameProtocol.h"
#include "COstrelSimulator.h"
#include "CSerialComm.h"
#include "ModelRows.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>

#include <memory>

namespace {

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// 0, 1, 2, ...: 28 or 2080 of them XOR to 0, so a frame's check byte is its header's.
QByteArray CountingBlock(int size)
{
    QByteArray block(size, '\0');
    for (int i = 0; i < size; ++i)
        block[i] = static_cast<char>(i);
    return block;
}

SimOptions Options(int deviceType)
{
    SimOptions options;
    options.model = ModelAt(deviceType);
    return options;
}

const QByteArray kReadParametersRequest = Hex("F7F80301AAA7");
const QByteArray kReadCanConfigRequest = Hex("F7F80501AAA1");

} // namespace

Q_DECLARE_METATYPE(SimOptions)

class TestCFrameProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void requestsAreFramedExactly_data();
    void requestsAreFramedExactly();
    void builtFramesCarryLengthAndCheck();
    void acknowledgementIsCollected_data();
    void acknowledgementIsCollected();
    void whatCameInsteadIsNamed_data();
    void whatCameInsteadIsNamed();
    void leftoversAreDiscardedByTheNextRequest_data();
    void leftoversAreDiscardedByTheNextRequest();
    void acknowledgedWritesRetry_data();
    void acknowledgedWritesRetry();
    void parameterBlockRead_data();
    void parameterBlockRead();
    void canConfigBlockRead_data();
    void canConfigBlockRead();
    void canConfigBlockWriteIsTriedOnce_data();
    void canConfigBlockWriteIsTriedOnce();
    void impossibleRequestsSendNothing();
    void tricklingRepliesEndByTheirDeadline_data();
    void tricklingRepliesEndByTheirDeadline();

private:
    bool Connect(const SimOptions& options);
    CFrameProtocol Protocol() { return CFrameProtocol(*m_port); }

    std::unique_ptr<COstrelSimulator> m_sim;
    std::unique_ptr<CSerialComm> m_port;
};

bool TestCFrameProtocol::Connect(const SimOptions& options)
{
    m_sim = std::make_unique<COstrelSimulator>(options);
    m_port = std::make_unique<CSerialComm>();
    const quint32 bitRate = CFrameProtocol::ConfigBaudRate(options.model);
    return m_sim->start() && m_port->Open(m_sim->slavePath(), bitRate, 8, 0, 0);
}

void TestCFrameProtocol::cleanup()
{
    m_port.reset();
    m_sim.reset();
}

void TestCFrameProtocol::requestsAreFramedExactly_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("request");

    QTest::newRow("handshake A") << 0 << "handshake" << Hex("F7F802042005040129");
    QTest::newRow("handshake B") << 1 << "handshake" << Hex("F7F80204200506012B");
    QTest::newRow("handshake X") << 2 << "handshake" << Hex("F7F802042005080125");
    QTest::newRow("write parameters")
        << 2 << "writeParameters" << Hex("F7F8011C") + CountingBlock(28) + Hex("12");
    QTest::newRow("read parameters") << 0 << "readParameters" << kReadParametersRequest;
    QTest::newRow("write CAN configuration")
        << 2 << "writeCanConfig" << Hex("F7F804FF") + CountingBlock(2080) + Hex("F4");
    QTest::newRow("read CAN configuration") << 2 << "readCanConfig" << kReadCanConfigRequest;
}

void TestCFrameProtocol::requestsAreFramedExactly()
{
    QFETCH(int, deviceType);
    QFETCH(QString, operation);
    QFETCH(QByteArray, request);
    QVERIFY(Connect(Options(deviceType)));
    CFrameProtocol protocol = Protocol();
    QByteArray block;

    bool answered = false;
    if (operation == "handshake") {
        QCOMPARE(CFrameProtocol::HandshakeRequest(ModelAt(deviceType)), request);
        answered = protocol.Handshake(ModelAt(deviceType));
    } else if (operation == "writeParameters") {
        answered = protocol.WriteParameterBlock(CountingBlock(28));
        QCOMPARE(m_sim->parameterBlock(), CountingBlock(28));
    } else if (operation == "readParameters") {
        answered = protocol.ReadParameterBlock(block);
        QCOMPARE(block, m_sim->parameterBlock());
    } else if (operation == "writeCanConfig") {
        answered = protocol.WriteCanConfigBlock(CountingBlock(2080));
        QCOMPARE(m_sim->canConfigBlock(), CountingBlock(2080));
    } else {
        answered = protocol.ReadCanConfigBlock(block);
        QCOMPARE(block, m_sim->canConfigBlock());
    }
    QVERIFY(answered);
    QCOMPARE(m_sim->rawReceived(), request);
    QCOMPARE(m_sim->receivedFrames(), QList<QByteArray>{request});
}

void TestCFrameProtocol::builtFramesCarryLengthAndCheck()
{
    QCOMPARE(CFrameProtocol::CheckByte(Hex("F7F80301AA")), quint8(0xA7));
    QCOMPARE(CFrameProtocol::BuildFrame(0x02, QByteArray()), Hex("F7F80200 0D"));
    const QByteArray longFrame = CFrameProtocol::BuildFrame(0x04, CountingBlock(2080));
    QCOMPARE(longFrame.size(), 2085);
    QCOMPARE(quint8(longFrame.at(3)), quint8(0xFF));
}

void TestCFrameProtocol::acknowledgementIsCollected_data()
{
    QTest::addColumn<SimOptions>("options");
    QTest::addColumn<QByteArray>("rawReply");
    QTest::addColumn<bool>("accepted");

    SimOptions options = Options(2);
    QTest::newRow("whole") << options << QByteArray() << true;
    options.splitMs = 300;
    QTest::newRow("split, second part 300 ms later") << options << QByteArray() << true;
    options.splitMs = 700;
    QTest::newRow("split, second part too late") << options << QByteArray() << false;
    options = Options(2);
    options.trailing = 6;
    QTest::newRow("trailing bytes") << options << QByteArray() << true;
    options = Options(2);
    options.turnaroundMs = 700;
    QTest::newRow("late") << options << QByteArray() << false;
    options = Options(2);
    options.wrongAck = true;
    QTest::newRow("another command's code") << options << QByteArray() << false;
    options = Options(2);
    options.garbageFirst = true;
    QTest::newRow("noise before it, passed over") << options << QByteArray() << true;
    QTest::newRow("wrong check byte") << Options(2) << Hex("F7F802131F") << false;
    QTest::newRow("wrong length byte") << Options(2) << Hex("F7F802141E") << false;
    QTest::newRow("four bytes only") << Options(2) << Hex("F7F80213") << false;
}

// WaitAck alone, after a request sent by hand, so that one reply is judged
// without retries mixing in.
void TestCFrameProtocol::acknowledgementIsCollected()
{
    QFETCH(SimOptions, options);
    QFETCH(QByteArray, rawReply);
    QFETCH(bool, accepted);
    QVERIFY(Connect(options));
    if (!rawReply.isEmpty())
        m_sim->queueRawReply(rawReply);
    const QByteArray request = CFrameProtocol::HandshakeRequest(ModelAt(2));
    m_port->Write(request.constData(), int(request.size()), 120);
    QCOMPARE(Protocol().WaitAck(0x02), accepted);
}

using FailureKinds = QList<CFrameProtocol::Failure::Kind>;
Q_DECLARE_METATYPE(FailureKinds)

void TestCFrameProtocol::whatCameInsteadIsNamed_data()
{
    using Kind = CFrameProtocol::Failure::Kind;
    QTest::addColumn<QByteArray>("rawReply");
    QTest::addColumn<FailureKinds>("kinds");
    QTest::addColumn<int>("received");

    QTest::newRow("nothing") << QByteArray() << FailureKinds{Kind::NoReply} << 0;
    QTest::newRow("the rest of an earlier reply only")
        << CountingBlock(40).mid(8) << FailureKinds{Kind::WrongReply} << 32;
    // Whether the line's silence came before the attempt's time ran out is
    // the machine's affair.
    QTest::newRow("a leftover, then the start of the acknowledgement")
        << Hex("0102F7F802") << FailureKinds{Kind::CutOff, Kind::TooSlow} << 3;
    QTest::newRow("another command's acknowledgement")
        << Hex("0102F7F803131F") << FailureKinds{Kind::WrongReply} << 7;
}

// Bytes on the line that are not the acknowledgement are never taken for a
// silent converter.
void TestCFrameProtocol::whatCameInsteadIsNamed()
{
    QFETCH(QByteArray, rawReply);
    QFETCH(FailureKinds, kinds);
    QFETCH(int, received);
    SimOptions options = Options(2);
    options.silent = rawReply.isEmpty();
    QVERIFY(Connect(options));
    if (!rawReply.isEmpty())
        m_sim->queueRawReply(rawReply);
    const QByteArray request = CFrameProtocol::HandshakeRequest(ModelAt(2));
    m_port->Write(request.constData(), int(request.size()), 120);
    CFrameProtocol protocol = Protocol();
    QVERIFY(!protocol.WaitAck(0x02));
    QVERIFY(kinds.contains(protocol.LastFailure().kind));
    QCOMPARE(protocol.LastFailure().received, received);
}

void TestCFrameProtocol::leftoversAreDiscardedByTheNextRequest_data()
{
    QTest::addColumn<SimOptions>("options");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("settleMs");

    SimOptions options = Options(2);
    options.trailing = 6;
    QTest::newRow("bytes after the acknowledgement") << options << true << 100;
    options = Options(2);
    options.turnaroundMs = 700;
    QTest::newRow("acknowledgement after its time") << options << false << 500;
}

// Whatever the last reply left on the line, once it has all come in, the
// next exchange succeeds at its first attempt.
void TestCFrameProtocol::leftoversAreDiscardedByTheNextRequest()
{
    QFETCH(SimOptions, options);
    QFETCH(bool, accepted);
    QFETCH(int, settleMs);
    QVERIFY(Connect(options));
    CFrameProtocol protocol = Protocol();
    const QByteArray request = CFrameProtocol::HandshakeRequest(ModelAt(2));
    m_port->Write(request.constData(), int(request.size()), 120);
    QCOMPARE(protocol.WaitAck(0x02), accepted);

    m_sim->setOptions(Options(2));
    QTest::qWait(settleMs);
    QByteArray block;
    QVERIFY(protocol.ReadParameterBlock(block));
    QCOMPARE(block, m_sim->parameterBlock());
    QCOMPARE(m_sim->requestCount(0x03), 1);
}

void TestCFrameProtocol::acknowledgedWritesRetry_data()
{
    QTest::addColumn<bool>("handshake");
    QTest::addColumn<SimOptions>("options");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("requests");

    SimOptions options = Options(1);
    options.drop = 3;
    QTest::newRow("handshake answered at the 4th") << true << options << true << 4;
    options = Options(1);
    options.silent = true;
    QTest::newRow("handshake never answered") << true << options << false << 4;
    options = Options(1);
    options.wrongAck = true;
    QTest::newRow("handshake always answered wrongly") << true << options << false << 4;
    options = Options(0);
    options.drop = 1;
    QTest::newRow("parameters answered at the 2nd") << false << options << true << 2;
    options = Options(0);
    options.wrongAck = true;
    QTest::newRow("parameters always answered wrongly") << false << options << false << 4;
}

void TestCFrameProtocol::acknowledgedWritesRetry()
{
    QFETCH(bool, handshake);
    QFETCH(SimOptions, options);
    QFETCH(bool, accepted);
    QFETCH(int, requests);
    QVERIFY(Connect(options));
    CFrameProtocol protocol = Protocol();

    const QByteArray block = CountingBlock(28);
    const bool result =
        handshake ? protocol.Handshake(options.model) : protocol.WriteParameterBlock(block);
    QCOMPARE(result, accepted);
    const quint8 code = handshake ? 0x02 : 0x01;
    const QByteArray request = handshake ? CFrameProtocol::HandshakeRequest(options.model)
                                         : CFrameProtocol::BuildFrame(0x01, block);
    QCOMPARE(m_sim->requestCount(code), requests);
    QCOMPARE(m_sim->receivedFrames(), QList<QByteArray>(requests, request));
}

void TestCFrameProtocol::parameterBlockRead_data()
{
    QTest::addColumn<SimOptions>("options");
    QTest::addColumn<QByteArray>("rawReplies");
    QTest::addColumn<int>("rawReplyCount");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("lastOutcome"); // the frame log's last reply

    // A well-formed frame, but the answer to another command.
    const QByteArray wrongHeader = CFrameProtocol::BuildFrame(0x01, CountingBlock(28));
    SimOptions options = Options(2);
    QTest::newRow("plain") << options << QByteArray() << 0 << true << 1
                           << int(FrameRecord::Outcome::Complete);
    options.trailing = 40;
    QTest::newRow("trailing bytes")
        << options << QByteArray() << 0 << true << 1 << int(FrameRecord::Outcome::Complete);
    options = Options(2);
    options.splitMs = 600;
    QTest::newRow("split") << options << QByteArray() << 0 << true << 1
                           << int(FrameRecord::Outcome::Complete);
    QTest::newRow("wrong header 3 times")
        << Options(2) << wrongHeader << 3 << true << 4 << int(FrameRecord::Outcome::Complete);
    QTest::newRow("wrong header 4 times")
        << Options(2) << wrongHeader << 4 << false << 4 << int(FrameRecord::Outcome::WrongReply);
    options = Options(2);
    options.badCheck = true;
    QTest::newRow("wrong check byte")
        << options << QByteArray() << 0 << false << 1 << int(FrameRecord::Outcome::BadCheck);
    options = Options(2);
    options.truncate = 1;
    QTest::newRow("one byte short")
        << options << QByteArray() << 0 << false << 1 << int(FrameRecord::Outcome::CutOff);
}

void TestCFrameProtocol::parameterBlockRead()
{
    QFETCH(SimOptions, options);
    QFETCH(QByteArray, rawReplies);
    QFETCH(int, rawReplyCount);
    QFETCH(bool, accepted);
    QFETCH(int, requests);
    QFETCH(int, lastOutcome);
    QVERIFY(Connect(options));
    CFrameLog log;
    m_port->SetFrameLog(&log);
    for (int i = 0; i < rawReplyCount; ++i)
        m_sim->queueRawReply(rawReplies);
    const QByteArray stored = CountingBlock(28);
    m_sim->setParameterBlock(stored);

    const QByteArray untouched("kept on failure");
    QByteArray block = untouched;
    QCOMPARE(Protocol().ReadParameterBlock(block), accepted);
    QCOMPARE(block, accepted ? stored : untouched);
    QCOMPARE(m_sim->receivedFrames(), QList<QByteArray>(requests, kReadParametersRequest));

    // Each request and each reply is in the log, the reply judged as the
    // read judged it.
    const QList<FrameRecord> records = log.Records();
    QCOMPARE(records.size(), 2 * requests);
    for (int index = 0; index < records.size(); index += 2) {
        QCOMPARE(records.at(index).direction, FrameRecord::Direction::Sent);
        QCOMPARE(records.at(index).bytes, kReadParametersRequest);
        QCOMPARE(records.at(index + 1).direction, FrameRecord::Direction::Received);
    }
    QCOMPARE(int(records.last().outcome), lastOutcome);
    if (lastOutcome == int(FrameRecord::Outcome::Complete))
        QVERIFY(records.last().CheckGood());
    if (lastOutcome == int(FrameRecord::Outcome::BadCheck))
        QVERIFY(!records.last().CheckGood());
    m_port->SetFrameLog(nullptr);
}

void TestCFrameProtocol::canConfigBlockRead_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QByteArray>("rawReply");
    QTest::addColumn<bool>("accepted");

    const QByteArray block = CountingBlock(2080);
    QTest::newRow("Ostrel-X at 57600") << 2 << QByteArray() << true;
    QTest::newRow("Ostrel-B at 19200, longer than the pause") << 1 << QByteArray() << true;
    QTest::newRow("header and final byte not examined")
        << 2 << Hex("00112233") + block + Hex("44") << true;
    QTest::newRow("more than 2085 bytes")
        << 0 << Hex("F7F805FF") + block + Hex("0001020304") << true;
    QTest::newRow("2084 bytes") << 2 << Hex("F7F805FF") + block << false;
}

void TestCFrameProtocol::canConfigBlockRead()
{
    QFETCH(int, deviceType);
    QFETCH(QByteArray, rawReply);
    QFETCH(bool, accepted);
    QVERIFY(Connect(Options(deviceType)));
    QByteArray expected = CountingBlock(2080);
    std::reverse(expected.begin(), expected.end());
    if (rawReply.isEmpty()) {
        m_sim->setCanConfigBlock(expected);
    } else {
        m_sim->queueRawReply(rawReply);
        expected = rawReply.mid(4, 2080);
    }

    QByteArray block("kept on failure");
    QCOMPARE(Protocol().ReadCanConfigBlock(block), accepted);
    QCOMPARE(block, accepted ? expected : QByteArray("kept on failure"));
    QCOMPARE(m_sim->receivedFrames(), QList<QByteArray>{kReadCanConfigRequest});
}

void TestCFrameProtocol::canConfigBlockWriteIsTriedOnce_data()
{
    QTest::addColumn<bool>("wrongAck");
    QTest::newRow("acknowledged") << false;
    QTest::newRow("answered wrongly") << true;
}

void TestCFrameProtocol::canConfigBlockWriteIsTriedOnce()
{
    QFETCH(bool, wrongAck);
    SimOptions options = Options(2);
    options.wrongAck = wrongAck;
    QVERIFY(Connect(options));
    const QByteArray block = CountingBlock(2080);
    QCOMPARE(Protocol().WriteCanConfigBlock(block), !wrongAck);
    QCOMPARE(m_sim->receivedFrames(), QList<QByteArray>{CFrameProtocol::BuildFrame(0x04, block)});
}

void TestCFrameProtocol::impossibleRequestsSendNothing()
{
    QVERIFY(Connect(Options(2)));
    CFrameProtocol protocol = Protocol();
    QVERIFY(!protocol.WriteParameterBlock(CountingBlock(27)));
    QVERIFY(!protocol.WriteParameterBlock(CountingBlock(29)));
    QVERIFY(!protocol.WriteCanConfigBlock(CountingBlock(2079)));
    QVERIFY(!protocol.WriteCanConfigBlock(QByteArray()));

    m_port->Close();
    QByteArray block;
    QVERIFY(!protocol.Handshake(ModelAt(2)));
    QVERIFY(!protocol.ReadParameterBlock(block));
    QVERIFY(!protocol.ReadCanConfigBlock(block));
    QVERIFY(!protocol.WriteParameterBlock(CountingBlock(28)));
    QVERIFY(!protocol.WriteCanConfigBlock(CountingBlock(2080)));
    QVERIFY(block.isEmpty());
    QCOMPARE(m_sim->rawReceived(), QByteArray());
}

void TestCFrameProtocol::tricklingRepliesEndByTheirDeadline_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("trickleMs");
    QTest::addColumn<int>("deadlineMs");

    const int pauseMs = 500;
    QTest::newRow("CAN block, Ostrel-B, a byte every 30 ms")
        << 1 << "readCanConfig" << 30 << pauseMs + CFrameProtocol::CanConfigReadBudgetMs(19200);
    QTest::newRow("CAN block, Ostrel-X, a byte every 900 ms")
        << 2 << "readCanConfig" << 900 << pauseMs + CFrameProtocol::CanConfigReadBudgetMs(57600);
    QTest::newRow("parameter block, a byte every 100 ms") << 2 << "readParameters" << 100 << 1100;
    QTest::newRow("acknowledgement, a byte every 200 ms") << 2 << "handshake" << 200 << 4 * 650;
}

// A line that keeps delivering a byte now and then never holds an exchange
// past its deadline; what arrives by then is judged as a short reply.
void TestCFrameProtocol::tricklingRepliesEndByTheirDeadline()
{
    QFETCH(int, deviceType);
    QFETCH(QString, operation);
    QFETCH(int, trickleMs);
    QFETCH(int, deadlineMs);
    SimOptions options = Options(deviceType);
    options.trickleMs = trickleMs;
    QVERIFY(Connect(options));

    QByteArray block;
    QElapsedTimer clock;
    clock.start();
    bool answered = true;
    if (operation == "readCanConfig")
        answered = Protocol().ReadCanConfigBlock(block);
    else if (operation == "readParameters")
        answered = Protocol().ReadParameterBlock(block);
    else
        answered = Protocol().Handshake(ModelAt(deviceType));
    QVERIFY(!answered);
    QVERIFY2(clock.elapsed() < deadlineMs + 400, qPrintable(QString::number(clock.elapsed())));
}

QTEST_GUILESS_MAIN(TestCFrameProtocol)
#include "tst_CFrameProtocol.moc"
