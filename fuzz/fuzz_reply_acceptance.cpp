#include "CFrameProtocol.h"
#include "FuzzCheck.h"

namespace {

constexpr int kParameterReplySize = 4 + CFrameProtocol::kParameterBlockSize + 1;

void JudgeAcknowledgement(const QByteArray& reply, quint8 code)
{
    if (!CFrameProtocol::IsAcknowledgement(reply, code))
        return;
    Require(reply.size() >= 5);
    QByteArray header = QByteArray::fromHex("F7F8");
    header.append(char(code)).append(char(0x13));
    Require(reply.left(4) == header);
    Require(quint8(reply.at(4)) == quint8(code ^ 0x1C));
}

// An accepted reply carries its header and check byte, and the block taken
// from it comes back accepted when framed again.
void JudgeParameterReply(const QByteArray& reply)
{
    using Verdict = CFrameProtocol::ReplyVerdict;
    const Verdict verdict = CFrameProtocol::JudgeParameterReply(reply);
    if (verdict == Verdict::AskAgain)
        return;
    Require(reply.startsWith(QByteArray::fromHex("F7F8031C")));
    if (verdict == Verdict::Refused)
        return;
    Require(reply.size() >= kParameterReplySize);
    const QByteArray frame = reply.left(kParameterReplySize);
    Require(CFrameProtocol::CheckByte(frame) == 0);
    const QByteArray block = reply.mid(4, CFrameProtocol::kParameterBlockSize);
    Require(CFrameProtocol::BuildFrame(CFrameProtocol::Command::ReadParameters, block) == frame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray reply = BytesOf(data + 1, size - 1);
    JudgeAcknowledgement(reply, data[0]);
    JudgeParameterReply(reply);
    Require(CFrameProtocol::IsCanConfigReply(reply) ==
            (reply.size() == 4 + CFrameProtocol::kCanConfigBlockSize + 1));

    // Whatever block a converter holds, its own reply frame is accepted.
    QByteArray block = reply.left(CFrameProtocol::kParameterBlockSize);
    block.resize(CFrameProtocol::kParameterBlockSize, '\0');
    const QByteArray framed =
        CFrameProtocol::BuildFrame(CFrameProtocol::Command::ReadParameters, block);
    Require(CFrameProtocol::JudgeParameterReply(QByteArray(framed).append(reply)) ==
            CFrameProtocol::ReplyVerdict::Accepted);
    return 0;
}
