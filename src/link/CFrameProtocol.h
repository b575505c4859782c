#pragma once

#include "BlockSizes.h"
#include "ConverterModel.h"

#include <QByteArray>
#include <QtGlobal>

class CSerialComm;

// The converter's request/reply protocol over an open CSerialComm. Every
// operation returns whether the converter accepted or answered; none shows
// a message.
class CFrameProtocol
{
public:
    static constexpr int kParameterBlockSize = BlockSizes::kParameterBlock;
    static constexpr int kCanConfigBlockSize = BlockSizes::kCanConfigBlock;
    // How long the converter needs before it takes the CAN configuration
    // block in or sends it: after acknowledging the parameter block, and
    // after a request for the block.
    static constexpr int kCanConfigPauseMs = 500;

    // The request codes; an acknowledgement repeats the code it answers.
    enum class Command : quint8
    {
        WriteParameters = 0x01,
        Handshake = 0x02,
        ReadParameters = 0x03,
        WriteCanConfig = 0x04,
        ReadCanConfig = 0x05,
    };

    // Why the last operation failed, as far as the bytes received tell.
    struct Failure
    {
        enum class Kind
        {
            None,       // the last operation succeeded, or sent nothing
            NoReply,    // nothing arrived
            CutOff,     // the reply stopped after `received` of `expected` bytes
            TooSlow,    // still arriving when the `allowedMs` given to it ran out
            BadCheck,   // the whole reply arrived with a wrong check byte
            WrongReply, // something arrived, but not the reply asked for
        };
        Kind kind = Kind::None;
        int received = 0;
        int expected = 0;
        int allowedMs = 0;
    };

    explicit CFrameProtocol(CSerialComm& port);

    // Each attempt first waits until the line has been quiet for
    // QuietGapMs, at most as long as the longest reply takes on the wire, and
    // drops what came meanwhile.
    bool Handshake(ConverterModel model);
    // A single handshake attempt, for asking which model answers.
    bool HandshakeOnce(ConverterModel model);
    bool WaitAck(quint8 expectedCode);
    bool WriteParameterBlock(const QByteArray& block);
    bool ReadParameterBlock(QByteArray& block);
    bool WriteCanConfigBlock(const QByteArray& block);
    // The CAN configuration block read tells the port's reply observer how
    // much of its reply has arrived.
    bool ReadCanConfigBlock(QByteArray& block);
    // Reads and drops what the converter still sends for an exchange that was
    // given up (a cancel), until the line has been quiet for a moment or the
    // longest reply would have ended; a later request's reply is then not
    // preceded by the rest of the old one.
    void DrainAbandonedReply();

    // Configuration-port bit rate of a model.
    static quint32 ConfigBaudRate(ConverterModel model);
    // What a parameter block read makes of the bytes received: a wrong
    // header asks again, a short or damaged reply fails at once.
    enum class ReplyVerdict
    {
        AskAgain,
        Refused,
        Accepted,
    };

    // Whether the bytes of a reply begin with the acknowledgement of `code`;
    // whatever follows is left to the next request. A reply is looked for
    // from its frame start on: bytes before it are the rest of something
    // earlier.
    static bool IsAcknowledgement(const QByteArray& reply, quint8 code);
    static ReplyVerdict JudgeParameterReply(const QByteArray& reply);
    // A CAN configuration block reply is judged by its length alone.
    static bool IsCanConfigReply(const QByteArray& reply);

    // How long after its pause the CAN configuration block read waits for
    // the whole reply at this bit rate: twice the reply's wire time, never
    // less than the single read's 2000 ms.
    static int CanConfigReadBudgetMs(quint32 bitRate);
    // How long the line must bring nothing before a handshake at this bit
    // rate: a few character times.
    static int QuietGapMs(quint32 bitRate);
    // XOR of every byte of data.
    static quint8 CheckByte(const QByteArray& data);
    // F7 F8 code length payload check; length is 0xFF for a 2080-byte payload.
    static QByteArray BuildFrame(quint8 code, const QByteArray& payload);
    static QByteArray BuildFrame(Command command, const QByteArray& payload);
    static QByteArray HandshakeRequest(ConverterModel model);

    const Failure& LastFailure() const { return m_failure; }

private:
    // Up to four attempts, each writing the request and awaiting its acknowledgement.
    bool SendUntilAcknowledged(const QByteArray& request, int writeTimeoutMs, int attempts);
    // Notes what a reply that was not accepted looked like; outOfTime: its
    // bytes were still coming when the allowedMs given to it ran out.
    // passedOver: bytes that came before the reply's start, or instead of it.
    void NoteShortOrWrong(const QByteArray& reply, int expected, bool outOfTime = false,
                          int allowedMs = 0, int passedOver = 0);
    // Records a reply in the port's frame log, if it has one, as the last
    // failure (or success) judged it.
    void LogReply(const QByteArray& reply, int expected, int passedOver) const;

    CSerialComm& m_port;
    Failure m_failure;
};
