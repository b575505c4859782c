#include "CFrameProtocol.h"

#include "CFrameLog.h"

#include "CSerialComm.h"
#include "ConverterModel.h"

#include <QDateTime>
#include <QScopeGuard>

#include <chrono>
#include <cstring>

namespace {

constexpr quint8 kStart1 = 0xF7;
constexpr quint8 kStart2 = 0xF8;
constexpr quint8 kAckLength = 0x13;
constexpr quint8 kReadRequestPayload = 0xAA;
constexpr quint8 kLongPayloadLength = 0xFF;

using Command = CFrameProtocol::Command;

constexpr quint8 CodeOf(Command command)
{
    return static_cast<quint8>(command);
}

constexpr int kAttempts = 4;
constexpr int kHeaderSize = 4;

constexpr int kAckSize = 5;
constexpr int kAckReadChunk = 32;
constexpr int kAckReadTimeoutMs = 500;

constexpr int kHandshakeWriteTimeoutMs = 120;
constexpr int kParameterWriteTimeoutMs = 500;
constexpr int kParameterRequestTimeoutMs = 100;
constexpr int kParameterReplySize = kHeaderSize + CFrameProtocol::kParameterBlockSize + 1;
constexpr int kParameterReadChunk = 64;
constexpr int kParameterReadTimeoutMs = 1000;

constexpr int kCanConfigWriteTimeoutMs = 2000;
constexpr int kCanConfigReplySize = kHeaderSize + CFrameProtocol::kCanConfigBlockSize + 1;
constexpr int kCanConfigReadTimeoutMs = 2000;

// A line quiet this long has finished the reply of an abandoned exchange,
// the converter's pause before the CAN configuration block included.
constexpr int kQuietLineMs = 100;
// Before a handshake the line counts as quiet after this many character
// times without a byte; never less than this many milliseconds, the finest
// wait a read can make out.
constexpr int kQuietCharacters = 8;
constexpr int kQuietFloorMs = 2;
constexpr int kDrainChunk = 256;

using Clock = std::chrono::steady_clock;

struct Collection
{
    // The bytes the wanted frame begins with. Whatever comes before them is
    // the rest of something earlier and is passed over.
    QByteArray start;
    int wanted; // the whole frame, from its start
    int chunk;
    int timeoutMs;
    int budgetMs;          // for the whole collection, however the bytes trickle in
    bool observed = false; // the port's reply observer hears of every read
    // The frame may come without its start: then it is the first `wanted`
    // bytes, whatever they hold.
    bool startOptional = false;
};

// Ten bit times a byte: start bit, eight data bits, stop bit.
int WireMs(int bytes, quint32 bitRate)
{
    if (bitRate == 0)
        return 0;
    return static_cast<int>((qint64(bytes) * 10 * 1000 + bitRate - 1) / bitRate);
}

// A reply that has begun within the time-out gets twice its wire time to
// finish; a line that keeps trickling past that fails as a short reply does.
int ReplyBudgetMs(int timeoutMs, int bytes, quint32 bitRate)
{
    return timeoutMs + 2 * WireMs(bytes, bitRate);
}

struct Collected
{
    QByteArray reply;   // from the wanted frame's start on; empty when none came
    int passedOver = 0; // bytes that came before it, or instead of it
    // The budget ran out while bytes were still coming, as opposed to a line
    // that fell quiet for a whole read's time-out.
    bool outOfTime = false;
};

// The first offset from `from` on where `bytes` agree with `start` as far as
// they go, so that a start cut off by the end of what has arrived is kept;
// bytes.size() when there is none.
qsizetype StartOf(const QByteArray& bytes, const QByteArray& start, qsizetype from)
{
    for (qsizetype at = from; at < bytes.size(); ++at) {
        const qsizetype length = qMin(start.size(), bytes.size() - at);
        if (std::memcmp(bytes.constData() + at, start.constData(), size_t(length)) == 0)
            return at;
    }
    return bytes.size();
}

bool BeginsFrame(const QByteArray& bytes)
{
    return bytes.size() >= 2 && quint8(bytes.at(0)) == kStart1 && quint8(bytes.at(1)) == kStart2;
}

// Whether a reply the budget ran out on was still arriving. A reply that
// began late on a busy machine and then stopped is cut off, not slow: only a
// byte within a whole read's time-out of the last one says the line is still
// sending. The byte is not kept; the reply has failed either way.
bool StillComing(CSerialComm& port, const Collection& rule, Clock::time_point lastByteAt)
{
    const auto quietMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastByteAt).count();
    if (quietMs >= rule.timeoutMs)
        return false;
    char byte = 0;
    return port.Read(&byte, 1, static_cast<int>(rule.timeoutMs - quietMs)) > 0;
}

// Collects a reply as reads hand back whatever has arrived: a reply usually
// takes several. Bytes before the wanted frame's start are passed over, so
// the tail of an abandoned reply still on the line does not count as the
// answer. Ends when the frame is complete, when a read brings nothing or when
// the budget is spent; also when the converter answered with a whole frame
// of another kind, which is a wrong reply, not a leftover.
Collected Collect(CSerialComm& port, const Collection& rule)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(rule.budgetMs);
    QByteArray bytes; // from the first byte that may still be the frame's start
    QByteArray chunk(rule.chunk, '\0');
    qsizetype at = 0;
    int passedOver = 0;
    bool otherFrame = false;
    int last = 0;
    bool outOfTime = false;
    const auto found = [&] { return at + rule.start.size() <= bytes.size(); };
    const auto complete = [&] {
        if (found())
            return bytes.size() - at >= rule.wanted;
        return (rule.startOptional || otherFrame) && bytes.size() >= rule.wanted;
    };
    if (rule.observed)
        port.NoteReply(0, rule.wanted);
    Clock::time_point lastByteAt = Clock::now();
    do {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            outOfTime = !bytes.isEmpty() || passedOver > 0;
            break;
        }
        // Never more than the frame needs: what follows it is left to the
        // next request, which discards it.
        const qsizetype needed = (found() ? at : 0) + rule.wanted - bytes.size();
        const int room = int(qBound(qsizetype(1), needed, qsizetype(rule.chunk)));
        const int timeoutMs = static_cast<int>(qMin<qint64>(rule.timeoutMs, left));
        last = port.Read(chunk.data(), room, timeoutMs);
        // A read cut short by the deadline says nothing about the line.
        outOfTime = last == 0 && (!bytes.isEmpty() || passedOver > 0) && timeoutMs < rule.timeoutMs;
        const bool first = bytes.isEmpty() && passedOver == 0;
        bytes.append(chunk.constData(), last);
        if (last > 0)
            lastByteAt = Clock::now();
        if (first && BeginsFrame(bytes) && StartOf(bytes, rule.start, 0) != 0)
            otherFrame = true;
        at = StartOf(bytes, rule.start, at);
        if (!rule.startOptional && !otherFrame && at > 0) {
            passedOver += int(at);
            bytes.remove(0, at);
            at = 0;
        }
        if (rule.observed && last > 0)
            port.NoteReply(int(qMin<qsizetype>(bytes.size() - (found() ? at : 0), rule.wanted)),
                           rule.wanted);
    } while (!complete() && last > 0);
    Collected collected;
    if (found() && bytes.size() - at >= rule.wanted) {
        collected.reply = bytes.mid(at, rule.wanted);
        collected.passedOver = passedOver + int(at);
    } else if ((rule.startOptional || otherFrame) && bytes.size() >= rule.wanted) {
        collected.reply = bytes.left(rule.wanted);
    } else if (rule.startOptional || otherFrame) {
        collected.reply = bytes;
    } else if (at < bytes.size()) {
        // The frame began but did not finish: a reply cut off.
        collected.reply = bytes.mid(at);
        collected.passedOver = passedOver + int(at);
    } else {
        collected.passedOver = passedOver + int(bytes.size());
    }
    collected.outOfTime = outOfTime && !port.IsCancelled() && StillComing(port, rule, lastByteAt);
    return collected;
}

// Reads and drops what the line still brings until no byte has come for
// quietMs, or until boundMs have passed.
void AwaitQuietLine(CSerialComm& port, int quietMs, int boundMs)
{
    const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(boundMs);
    char scrap[kDrainChunk];
    while (Clock::now() < limit && port.Read(scrap, kDrainChunk, quietMs) > 0) {
    }
}

void Send(CSerialComm& port, const QByteArray& frame, int timeoutMs)
{
    if (CFrameLog* log = port.FrameLog())
        log->Add({QDateTime::currentMSecsSinceEpoch(), FrameRecord::Direction::Sent,
                  FrameRecord::Outcome::Complete, frame, int(frame.size()), 0});
    port.Write(frame.constData(), static_cast<int>(frame.size()), timeoutMs);
}

bool StartsWith(const QByteArray& reply, std::initializer_list<quint8> expected)
{
    if (reply.size() < static_cast<qsizetype>(expected.size()))
        return false;
    qsizetype at = 0;
    for (const quint8 byte : expected)
        if (static_cast<quint8>(reply.at(at++)) != byte)
            return false;
    return true;
}

QByteArray Header(Command command, quint8 length)
{
    QByteArray header;
    for (const quint8 byte : {kStart1, kStart2, CodeOf(command), length})
        header.append(static_cast<char>(byte));
    return header;
}

QByteArray Acknowledgement(quint8 code)
{
    QByteArray ack;
    for (const quint8 byte : {kStart1, kStart2, code, kAckLength, quint8(code ^ 0x1C)})
        ack.append(static_cast<char>(byte));
    return ack;
}

QByteArray ReadRequest(Command command)
{
    return CFrameProtocol::BuildFrame(command,
                                      QByteArray(1, static_cast<char>(kReadRequestPayload)));
}

} // namespace

CFrameProtocol::CFrameProtocol(CSerialComm& port) : m_port(port) {}

quint32 CFrameProtocol::ConfigBaudRate(ConverterModel model)
{
    return ConverterModels::Facts(model).configBaudRate;
}

quint8 CFrameProtocol::CheckByte(const QByteArray& data)
{
    quint8 check = 0;
    for (const char byte : data)
        check ^= static_cast<quint8>(byte);
    return check;
}

QByteArray CFrameProtocol::BuildFrame(quint8 code, const QByteArray& payload)
{
    const auto length = payload.size() >= kLongPayloadLength ? kLongPayloadLength
                                                             : static_cast<quint8>(payload.size());
    QByteArray frame;
    frame.reserve(kHeaderSize + payload.size() + 1);
    frame.append(static_cast<char>(kStart1));
    frame.append(static_cast<char>(kStart2));
    frame.append(static_cast<char>(code));
    frame.append(static_cast<char>(length));
    frame.append(payload);
    frame.append(static_cast<char>(CheckByte(frame)));
    return frame;
}

QByteArray CFrameProtocol::BuildFrame(Command command, const QByteArray& payload)
{
    return BuildFrame(CodeOf(command), payload);
}

QByteArray CFrameProtocol::HandshakeRequest(ConverterModel model)
{
    const auto modelCode = static_cast<char>(ConverterModels::Facts(model).handshakeCode);
    return BuildFrame(Command::Handshake,
                      QByteArray::fromRawData("\x20\x05", 2) + modelCode + '\x01');
}

int CFrameProtocol::CanConfigReadBudgetMs(quint32 bitRate)
{
    return qMax(kCanConfigReadTimeoutMs, 2 * WireMs(kCanConfigReplySize, bitRate));
}

bool CFrameProtocol::IsAcknowledgement(const QByteArray& reply, quint8 code)
{
    return StartsWith(reply,
                      {kStart1, kStart2, code, kAckLength, static_cast<quint8>(code ^ 0x1C)});
}

CFrameProtocol::ReplyVerdict CFrameProtocol::JudgeParameterReply(const QByteArray& reply)
{
    if (!StartsWith(reply,
                    {kStart1, kStart2, CodeOf(Command::ReadParameters), kParameterBlockSize}))
        return ReplyVerdict::AskAgain;
    // Once the header is right a damaged reply is not asked for again.
    const int checkAt = kParameterReplySize - 1;
    if (reply.size() < kParameterReplySize ||
        static_cast<quint8>(reply.at(checkAt)) != CheckByte(reply.left(checkAt)))
        return ReplyVerdict::Refused;
    return ReplyVerdict::Accepted;
}

bool CFrameProtocol::IsCanConfigReply(const QByteArray& reply)
{
    return reply.size() == kCanConfigReplySize;
}

void CFrameProtocol::LogReply(const QByteArray& reply, int expected, int passedOver) const
{
    CFrameLog* log = m_port.FrameLog();
    if (log == nullptr)
        return;
    FrameRecord::Outcome outcome = FrameRecord::Outcome::Complete;
    switch (m_failure.kind) {
    case Failure::Kind::None:
        break;
    case Failure::Kind::NoReply:
        outcome = FrameRecord::Outcome::NoReply;
        break;
    case Failure::Kind::CutOff:
        outcome = FrameRecord::Outcome::CutOff;
        break;
    case Failure::Kind::TooSlow:
        outcome = FrameRecord::Outcome::TooSlow;
        break;
    case Failure::Kind::BadCheck:
        outcome = FrameRecord::Outcome::BadCheck;
        break;
    case Failure::Kind::WrongReply:
        outcome = FrameRecord::Outcome::WrongReply;
        break;
    }
    log->Add({QDateTime::currentMSecsSinceEpoch(), FrameRecord::Direction::Received, outcome, reply,
              expected, passedOver});
}

void CFrameProtocol::NoteShortOrWrong(const QByteArray& reply, int expected, bool outOfTime,
                                      int allowedMs, int passedOver)
{
    const auto received = static_cast<int>(reply.size());
    // Bytes that were not the reply's are something else on the line, never
    // a silent converter.
    if (received == 0 && passedOver > 0)
        m_failure = {Failure::Kind::WrongReply, passedOver, expected};
    else if (received == 0)
        m_failure = {Failure::Kind::NoReply, 0, expected};
    else if (received < expected && outOfTime)
        m_failure = {Failure::Kind::TooSlow, received, expected, allowedMs};
    else if (received < expected)
        m_failure = {Failure::Kind::CutOff, received, expected};
    else
        m_failure = {Failure::Kind::WrongReply, received, expected};
}

bool CFrameProtocol::WaitAck(quint8 expectedCode)
{
    const int budgetMs = ReplyBudgetMs(kAckReadTimeoutMs, kAckSize, m_port.BaudRate());
    const Collected collected = Collect(m_port, {Acknowledgement(expectedCode), kAckSize,
                                                 kAckReadChunk, kAckReadTimeoutMs, budgetMs});
    if (IsAcknowledgement(collected.reply, expectedCode)) {
        m_failure = {};
        LogReply(collected.reply.left(kAckSize), kAckSize, collected.passedOver);
        return true;
    }
    NoteShortOrWrong(collected.reply, kAckSize, collected.outOfTime, budgetMs,
                     collected.passedOver);
    LogReply(collected.reply, kAckSize, collected.passedOver);
    return false;
}

bool CFrameProtocol::Handshake(ConverterModel model)
{
    return SendUntilAcknowledged(HandshakeRequest(model), kHandshakeWriteTimeoutMs, kAttempts);
}

bool CFrameProtocol::HandshakeOnce(ConverterModel model)
{
    return SendUntilAcknowledged(HandshakeRequest(model), kHandshakeWriteTimeoutMs, 1);
}

bool CFrameProtocol::WriteParameterBlock(const QByteArray& block)
{
    if (block.size() != kParameterBlockSize)
        return false;
    return SendUntilAcknowledged(BuildFrame(Command::WriteParameters, block),
                                 kParameterWriteTimeoutMs, kAttempts);
}

bool CFrameProtocol::SendUntilAcknowledged(const QByteArray& request, int writeTimeoutMs,
                                           int attempts)
{
    m_failure = {};
    if (!m_port.IsOpen())
        return false;
    const auto code = static_cast<quint8>(request.at(2));
    const bool handshake = code == CodeOf(Command::Handshake);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // A converter may still be sending the reply to an exchange its last
        // peer gave up (an interrupted command, a pulled cable): the
        // handshake waits until that has ended rather than take its bytes
        // for an answer.
        if (handshake)
            AwaitQuietLine(m_port, QuietGapMs(m_port.BaudRate()),
                           WireMs(kCanConfigReplySize, m_port.BaudRate()));
        Send(m_port, request, writeTimeoutMs);
        if (WaitAck(code))
            return true;
    }
    return false;
}

bool CFrameProtocol::ReadParameterBlock(QByteArray& block)
{
    m_failure = {};
    if (!m_port.IsOpen())
        return false;
    const QByteArray request = ReadRequest(Command::ReadParameters);
    const Collection rule{
        Header(Command::ReadParameters, kParameterBlockSize), kParameterReplySize,
        kParameterReadChunk, kParameterReadTimeoutMs,
        ReplyBudgetMs(kParameterReadTimeoutMs, kParameterReplySize, m_port.BaudRate())};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Send(m_port, request, kParameterRequestTimeoutMs);
        const Collected collected = Collect(m_port, rule);
        const QByteArray& reply = collected.reply;
        // The verdict first, so that the log says what became of the reply.
        const ReplyVerdict verdict = JudgeParameterReply(reply);
        const auto logged =
            qScopeGuard([&] { LogReply(reply, kParameterReplySize, collected.passedOver); });
        switch (verdict) {
        case ReplyVerdict::AskAgain:
            // Fewer bytes than a header may be the start of a reply cut off.
            if (reply.size() < kHeaderSize)
                NoteShortOrWrong(reply, kParameterReplySize, collected.outOfTime, rule.budgetMs,
                                 collected.passedOver);
            else
                m_failure = {Failure::Kind::WrongReply, int(reply.size()), kParameterReplySize};
            continue;
        case ReplyVerdict::Refused:
            if (reply.size() < kParameterReplySize)
                NoteShortOrWrong(reply, kParameterReplySize, collected.outOfTime, rule.budgetMs);
            else
                m_failure = {Failure::Kind::BadCheck, kParameterReplySize, kParameterReplySize};
            return false;
        case ReplyVerdict::Accepted:
            // An earlier attempt's reason no longer holds.
            m_failure = {};
            block = reply.mid(kHeaderSize, kParameterBlockSize);
            return true;
        }
    }
    return false;
}

bool CFrameProtocol::WriteCanConfigBlock(const QByteArray& block)
{
    m_failure = {};
    if (!m_port.IsOpen() || block.size() != kCanConfigBlockSize)
        return false;
    Send(m_port, BuildFrame(Command::WriteCanConfig, block), kCanConfigWriteTimeoutMs);
    return WaitAck(CodeOf(Command::WriteCanConfig));
}

bool CFrameProtocol::ReadCanConfigBlock(QByteArray& block)
{
    m_failure = {};
    if (!m_port.IsOpen())
        return false;
    Send(m_port, ReadRequest(Command::ReadCanConfig), kCanConfigWriteTimeoutMs);
    // A cancel or a hang-up cuts the pause short; the read then ends at once.
    m_port.Pause(CFrameProtocol::kCanConfigPauseMs);
    // At 19200 bit/s the reply alone outlasts the pause, so reading goes on
    // while it keeps arriving, up to twice its wire time.
    const int budgetMs = CanConfigReadBudgetMs(m_port.BaudRate());
    // Converters are known by the reply's length alone; one that begins as
    // the others' does is found after whatever came before it.
    Collection rule{Header(Command::ReadCanConfig, kLongPayloadLength),
                    kCanConfigReplySize,
                    kCanConfigReplySize,
                    kCanConfigReadTimeoutMs,
                    budgetMs,
                    true};
    rule.startOptional = true;
    const Collected collected = Collect(m_port, rule);
    if (!IsCanConfigReply(collected.reply)) {
        NoteShortOrWrong(collected.reply, kCanConfigReplySize, collected.outOfTime, budgetMs,
                         collected.passedOver);
        LogReply(collected.reply, kCanConfigReplySize, collected.passedOver);
        return false;
    }
    LogReply(collected.reply, kCanConfigReplySize, collected.passedOver);
    block = collected.reply.mid(kHeaderSize, kCanConfigBlockSize);
    return true;
}

void CFrameProtocol::DrainAbandonedReply()
{
    // The longest reply at its bit rate, with the pause that precedes it.
    AwaitQuietLine(m_port, kQuietLineMs,
                   CanConfigReadBudgetMs(m_port.BaudRate()) + CFrameProtocol::kCanConfigPauseMs);
}

int CFrameProtocol::QuietGapMs(quint32 bitRate)
{
    return qMax(kQuietFloorMs, WireMs(kQuietCharacters, bitRate));
}
