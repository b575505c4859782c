#include "CFrameProtocol.h"

#include "CSerialComm.h"
#include "ConverterModel.h"

#include <chrono>

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
constexpr int kAckCapacity = 32;
constexpr int kAckReadTimeoutMs = 500;

constexpr int kHandshakeWriteTimeoutMs = 120;
constexpr int kParameterWriteTimeoutMs = 500;
constexpr int kParameterRequestTimeoutMs = 100;
constexpr int kParameterReplySize = kHeaderSize + CFrameProtocol::kParameterBlockSize + 1;
constexpr int kParameterReplyCapacity = 96;
constexpr int kParameterReadChunk = 64;
constexpr int kParameterReadTimeoutMs = 1000;

constexpr int kCanConfigWriteTimeoutMs = 2000;
constexpr int kCanConfigReplySize = kHeaderSize + CFrameProtocol::kCanConfigBlockSize + 1;
constexpr int kCanConfigReadTimeoutMs = 2000;

// A line quiet this long has finished the reply of an abandoned exchange.
constexpr int kQuietLineMs = 100;
constexpr int kDrainChunk = 256;

using Clock = std::chrono::steady_clock;

struct Collection
{
    int capacity;
    int wanted;
    int chunk;
    int timeoutMs;
    int budgetMs;          // for the whole collection, however the bytes trickle in
    bool observed = false; // the port's reply observer hears of every read
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
    QByteArray reply;
    // The budget ran out while bytes were still coming, as opposed to a line
    // that fell quiet for a whole read's time-out.
    bool outOfTime = false;
};

// Appends reads until `wanted` bytes are in, a read brings nothing or the
// budget is spent; a read hands back whatever has arrived, so a reply usually
// takes several.
Collected Collect(CSerialComm& port, const Collection& rule)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(rule.budgetMs);
    QByteArray reply(rule.capacity, '\0');
    int received = 0;
    int last = 0;
    bool outOfTime = false;
    if (rule.observed)
        port.NoteReply(received, rule.wanted);
    do {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            outOfTime = received > 0;
            break;
        }
        const int room = qMin(rule.chunk, rule.capacity - received);
        const int timeoutMs = static_cast<int>(qMin<qint64>(rule.timeoutMs, left));
        last = port.Read(reply.data() + received, room, timeoutMs);
        // A read cut short by the deadline says nothing about the line.
        outOfTime = last == 0 && received > 0 && timeoutMs < rule.timeoutMs;
        received += last;
        if (rule.observed && last > 0)
            port.NoteReply(received, rule.wanted);
    } while (received < rule.wanted && last > 0);
    reply.truncate(received);
    return {reply, outOfTime && !port.IsCancelled()};
}

void Send(CSerialComm& port, const QByteArray& frame, int timeoutMs)
{
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

void CFrameProtocol::NoteShortOrWrong(const QByteArray& reply, int expected, bool outOfTime,
                                      int allowedMs)
{
    const auto received = static_cast<int>(reply.size());
    if (received == 0)
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
    const Collected collected =
        Collect(m_port, {kAckCapacity, kAckSize, kAckCapacity, kAckReadTimeoutMs, budgetMs});
    if (IsAcknowledgement(collected.reply, expectedCode)) {
        m_failure = {};
        return true;
    }
    NoteShortOrWrong(collected.reply, kAckSize, collected.outOfTime, budgetMs);
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
    for (int attempt = 0; attempt < attempts; ++attempt) {
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
        kParameterReplyCapacity, kParameterReplySize, kParameterReadChunk, kParameterReadTimeoutMs,
        ReplyBudgetMs(kParameterReadTimeoutMs, kParameterReplySize, m_port.BaudRate())};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Send(m_port, request, kParameterRequestTimeoutMs);
        const Collected collected = Collect(m_port, rule);
        const QByteArray& reply = collected.reply;
        switch (JudgeParameterReply(reply)) {
        case ReplyVerdict::AskAgain:
            // Fewer bytes than a header may be the start of a reply cut off.
            if (reply.size() < kHeaderSize)
                NoteShortOrWrong(reply, kParameterReplySize, collected.outOfTime, rule.budgetMs);
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
    const Collected collected =
        Collect(m_port, {kCanConfigReplySize, kCanConfigReplySize, kCanConfigReplySize,
                         kCanConfigReadTimeoutMs, budgetMs, true});
    if (!IsCanConfigReply(collected.reply)) {
        NoteShortOrWrong(collected.reply, kCanConfigReplySize, collected.outOfTime, budgetMs);
        return false;
    }
    block = collected.reply.mid(kHeaderSize, kCanConfigBlockSize);
    return true;
}

void CFrameProtocol::DrainAbandonedReply()
{
    // The longest reply at its bit rate, with the pause that precedes it.
    const Clock::time_point limit =
        Clock::now() + std::chrono::milliseconds(CanConfigReadBudgetMs(m_port.BaudRate()) +
                                                 CFrameProtocol::kCanConfigPauseMs);
    char scrap[kDrainChunk];
    while (Clock::now() < limit && m_port.Read(scrap, kDrainChunk, kQuietLineMs) > 0) {
    }
}
