#include "ParameterBlockCodec.h"

#include "BlockSizes.h"
#include "HexText.h"

#include <QtEndian>

namespace {

constexpr int kBlockSize = BlockSizes::kParameterBlock;

// The Ostrel-X codes the serial line, the line mode and its identifier its
// own way.
bool CodesAsOstrelX(ConverterModel model)
{
    return model == ConverterModel::OstrelX;
}

enum Offset : int
{
    kSerialBaud = 0,
    kDataBits = 1,
    kStopBits = 2,
    kParity = 3,
    kCanBaud = 4,
    kBtr0 = 5,
    kBtr1 = 6,
    kFilterOrLineMode = 7,
    kAcceptCode = 8,
    kAcceptMask = 12,
    kTranMode = 16,
    kTranDirection = 17,
    kFrameSpace = 18,
    kForwardInfo = 19,
    kForwardId = 20,
    kFrameType = 21,
    kIdentifier = 22,
    kIdLength = 26,
    kIdOffset = 27,
};

// Serial bit-rate lists: ten entries for types 0 and 1, coded from the top.
constexpr int kShortBaudListTop = 10;
constexpr int kFixedDataBits = 8;
constexpr int kFixedStopBits = 1;
constexpr int kDualFilterMode = 0;

constexpr int kStandardShift = 21;
constexpr int kExtendedShift = 3;
constexpr quint32 kStandardDontCare = 0x001FFFFF;
constexpr quint32 kExtendedDontCare = 0x00000007;
constexpr int kDualStandardShift = 5;
constexpr quint16 kDualStandardDontCare = 0x001F;

struct Layout
{
    bool extended;
    bool dual;
    int Shift() const { return extended ? kExtendedShift : kStandardShift; }
    int HalfShift() const { return extended ? 0 : kDualStandardShift; }
};

Layout LayoutOf(const CanFields& can)
{
    return {can.m_nFrameType != 0, can.m_nFilterMode == kDualFilterMode};
}

char Low8(int value)
{
    return char(quint8(value & 0xFF));
}

int ByteAt(const QByteArray& block, int offset)
{
    return quint8(block.at(offset));
}

void PutBig32(QByteArray& block, int offset, quint32 value)
{
    qToBigEndian(value, block.data() + offset);
}

void PutBig16(QByteArray& block, int offset, quint16 value)
{
    qToBigEndian(value, block.data() + offset);
}

quint32 Big32(const QByteArray& block, int offset)
{
    return qFromBigEndian<quint32>(block.constData() + offset);
}

quint16 Big16(const QByteArray& block, int offset)
{
    return qFromBigEndian<quint16>(block.constData() + offset);
}

quint16 Half(const QString& text)
{
    return quint16(HexText::Parse(text, 2));
}

void EncodeAcceptance(const CanFields& can, QByteArray& block)
{
    const Layout layout = LayoutOf(can);
    if (!layout.dual) {
        const int shift = layout.Shift();
        const quint32 dontCare = layout.extended ? kExtendedDontCare : kStandardDontCare;
        PutBig32(block, kAcceptCode, HexText::Parse(can.m_strAcptCode, 4) << shift);
        PutBig32(block, kAcceptMask, (HexText::Parse(can.m_strAcptMask, 4) << shift) | dontCare);
        return;
    }
    const int shift = layout.HalfShift();
    const quint16 dontCare = layout.extended ? 0 : kDualStandardDontCare;
    const auto code = [&](int i) { return quint16(Half(can.m_strAcptCodeDual[i]) << shift); };
    const auto mask = [&](int i) {
        return quint16((Half(can.m_strAcptMaskDual[i]) << shift) | dontCare);
    };
    PutBig16(block, kAcceptCode, code(1));
    PutBig16(block, kAcceptCode + 2, code(0));
    PutBig16(block, kAcceptMask, mask(1));
    PutBig16(block, kAcceptMask + 2, mask(0));
}

void DecodeAcceptance(const QByteArray& block, CanFields& can)
{
    const Layout layout = LayoutOf(can);
    if (!layout.dual) {
        const int shift = layout.Shift();
        can.m_strAcptCode = HexText::Format(Big32(block, kAcceptCode) >> shift, 4);
        can.m_strAcptMask = HexText::Format(Big32(block, kAcceptMask) >> shift, 4);
    } else {
        const int shift = layout.HalfShift();
        const auto half = [&](int offset) {
            return HexText::Format(Big16(block, offset) >> shift, 2);
        };
        can.m_strAcptCodeDual = {half(kAcceptCode + 2), half(kAcceptCode)};
        can.m_strAcptMaskDual = {half(kAcceptMask + 2), half(kAcceptMask)};
        can.m_strAcptCode = can.m_strAcptCodeDual[0] + QLatin1Char(' ') + can.m_strAcptCodeDual[1];
        can.m_strAcptMask = can.m_strAcptMaskDual[0] + QLatin1Char(' ') + can.m_strAcptMaskDual[1];
    }
    can.m_bCustomMask = can.m_strAcptMask == QLatin1String("00 00 00 00") ? 0 : 1;
}

void EncodeSerial(bool ostrelX, const SerialFields& serial, QByteArray& block)
{
    block[kSerialBaud] =
        Low8(ostrelX ? serial.m_nBaudrate + 1 : kShortBaudListTop - serial.m_nBaudrate);
    block[kDataBits] = Low8(ostrelX ? serial.m_nDataBit : kFixedDataBits);
    block[kStopBits] = Low8(ostrelX ? serial.m_nStopBit : kFixedStopBits);
    block[kParity] = Low8(serial.m_nParity);
}

void EncodeTran(const TranFields& tran, QByteArray& block)
{
    block[kTranMode] = Low8(tran.m_nMode + 1);
    block[kTranDirection] = Low8(tran.m_nDirection);
    block[kFrameSpace] = Low8(tran.m_nFrameSpace);
    block[kForwardInfo] = Low8(tran.m_bForwardInfo);
    block[kForwardId] = Low8(tran.m_bForwardID);
    block[kIdLength] = Low8(tran.m_nIdLength);
    block[kIdOffset] = Low8(tran.m_nIdOffset);
}

void DecodeTran(const QByteArray& block, TranFields& tran)
{
    tran.m_nMode = ByteAt(block, kTranMode) - 1;
    tran.m_nDirection = ByteAt(block, kTranDirection);
    tran.m_nFrameSpace = ByteAt(block, kFrameSpace);
    tran.m_bForwardInfo = ByteAt(block, kForwardInfo);
    tran.m_bForwardID = ByteAt(block, kForwardId);
    tran.m_nIdLength = ByteAt(block, kIdLength);
    tran.m_nIdOffset = ByteAt(block, kIdOffset);
}

} // namespace

ParameterBlockEncoding EncodeParameterBlock(const Configuration& config)
{
    const TranFields& tran = config.tran;
    const SerialFields& serial = config.serial;
    const CanFields& can = config.can;
    const ArmCanFields& armCan = config.armCan;
    const bool ostrelX = CodesAsOstrelX(config.model);
    ParameterBlockEncoding encoding;
    const int armFrameType = config.HasCanConfigPage() ? armCan.m_nFrameTypeSel : 0;
    if (ostrelX) {
        encoding.canIdCheck = CanIdCheck::CheckCanId(armCan.m_strCanID, armFrameType != 0);
        if (!encoding.canIdCheck.accepted)
            return encoding;
    } else {
        encoding.canIdCheck.accepted = true;
    }

    QByteArray block(kBlockSize, '\0');
    EncodeSerial(ostrelX, serial, block);
    block[kCanBaud] = Low8(can.m_nBaudrate);
    block[kBtr0] = char(HexText::Parse(can.m_strBTR[0], 1));
    block[kBtr1] = char(HexText::Parse(can.m_strBTR[1], 1));
    block[kFilterOrLineMode] = Low8(ostrelX ? serial.m_nLineMode + 1 : can.m_nFilterMode);
    EncodeAcceptance(can, block);
    EncodeTran(tran, block);
    block[kFrameType] = Low8(ostrelX ? armFrameType : can.m_nFrameType);
    if (ostrelX) {
        qToLittleEndian(HexText::Parse(encoding.canIdCheck.canId, 4), block.data() + kIdentifier);
    } else {
        const int shift = LayoutOf(can).Shift();
        PutBig32(block, kIdentifier, HexText::Parse(can.m_strSendID, 4) << shift);
    }
    encoding.block = block;
    return encoding;
}

bool DecodeParameterBlock(const QByteArray& block, Configuration& config)
{
    if (block.size() != kBlockSize)
        return false;
    TranFields& tran = config.tran;
    SerialFields& serial = config.serial;
    CanFields& can = config.can;
    ArmCanFields& armCan = config.armCan;
    const bool ostrelX = CodesAsOstrelX(config.model);
    const int baudCode = ByteAt(block, kSerialBaud);
    serial.m_nBaudrate = ostrelX ? baudCode - 1 : kShortBaudListTop - baudCode;
    if (ostrelX) {
        serial.m_nDataBit = ByteAt(block, kDataBits);
        serial.m_nStopBit = ByteAt(block, kStopBits);
    }
    serial.m_nParity = ByteAt(block, kParity);
    can.m_nBaudrate = ByteAt(block, kCanBaud);
    can.m_strBTR = {HexText::Format(ByteAt(block, kBtr0), 1),
                    HexText::Format(ByteAt(block, kBtr1), 1)};
    if (ostrelX)
        serial.m_nLineMode = ByteAt(block, kFilterOrLineMode) - 1;
    else
        can.m_nFilterMode = ByteAt(block, kFilterOrLineMode);
    can.m_nFrameType = ByteAt(block, kFrameType) != 0 ? 1 : 0;
    DecodeAcceptance(block, can);
    DecodeTran(block, tran);
    if (ostrelX) {
        armCan.m_strCanID =
            HexText::FormatCompact(qFromLittleEndian<quint32>(block.constData() + kIdentifier), 4);
    } else {
        const int shift = LayoutOf(can).Shift();
        can.m_strSendID = HexText::Format(Big32(block, kIdentifier) >> shift, 4);
    }
    return true;
}
