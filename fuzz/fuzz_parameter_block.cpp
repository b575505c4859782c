#include "ArmCanFields.h"
#include "CanFields.h"
#include "FuzzCheck.h"
#include "ParameterBlockCodec.h"
#include "SerialFields.h"
#include "TranFields.h"

namespace {

struct Fields
{
    TranFields tran;
    SerialFields serial;
    CanFields can;
    ArmCanFields arm;

    bool Decode(int deviceType, const QByteArray& block)
    {
        return DecodeParameterBlock(deviceType, block, tran, serial, can, arm);
    }
    ParameterBlockEncoding Encode(int deviceType) const
    {
        return EncodeParameterBlock(deviceType, tran, serial, can, arm, true);
    }
};

} // namespace

// Whatever block a converter reports, what the pages show from it is written
// back as the same block, once the Ostrel-X identifier check has had its say;
// and showing that block again changes nothing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int deviceType = data[0] % 4;
    QByteArray block = BytesOf(data + 1, size - 1);
    Fields first;
    // The Ostrel-X frame type byte follows the CAN configuration page's list;
    // as shown after a read, that list holds the converter's frame type.
    constexpr int kFrameTypeOffset = 21;
    first.arm.m_nFrameTypeSel = block.size() > kFrameTypeOffset && block.at(kFrameTypeOffset) != 0;
    if (!first.Decode(deviceType, block)) {
        Require(block.size() != 28);
        return 0;
    }
    const ParameterBlockEncoding encoded = first.Encode(deviceType);
    if (!encoded.Accepted())
        return 0;
    Require(encoded.block.size() == 28);

    Fields second = first;
    Require(second.Decode(deviceType, encoded.block));
    const ParameterBlockEncoding again = second.Encode(deviceType);
    Require(again.block == encoded.block);
    Require(second.tran.m_nFrameSpace == first.tran.m_nFrameSpace);
    Require(second.serial.m_nParity == first.serial.m_nParity);
    Require(second.can.m_strAcptCode == first.can.m_strAcptCode);
    Require(second.can.m_strAcptMask == first.can.m_strAcptMask);
    if (!encoded.canIdCheck.replaced)
        Require(second.arm.m_strCanID.compare(first.arm.m_strCanID, Qt::CaseInsensitive) == 0);
    return 0;
}
