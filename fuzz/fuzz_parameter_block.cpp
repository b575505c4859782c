#include "Configuration.h"
#include "FuzzCheck.h"
#include "ParameterBlockCodec.h"

// Whatever block a converter reports, what the pages show from it is written
// back as the same block, once the Ostrel-X identifier check has had its say;
// and showing that block again changes nothing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    QByteArray block = BytesOf(data + 1, size - 1);
    Configuration first;
    first.model = ConverterModels::FromDeviceType(data[0] % 3).value_or(ConverterModel::OstrelA);
    // The Ostrel-X frame type byte follows the CAN configuration page's list;
    // as shown after a read, that list holds the converter's frame type.
    constexpr int kFrameTypeOffset = 21;
    first.armCan.m_nFrameTypeSel =
        block.size() > kFrameTypeOffset && block.at(kFrameTypeOffset) != 0;
    if (!DecodeParameterBlock(block, first)) {
        Require(block.size() != 28);
        return 0;
    }
    const ParameterBlockEncoding encoded = EncodeParameterBlock(first);
    if (!encoded.Accepted())
        return 0;
    Require(encoded.block.size() == 28);

    Configuration second = first;
    Require(DecodeParameterBlock(encoded.block, second));
    const ParameterBlockEncoding again = EncodeParameterBlock(second);
    Require(again.block == encoded.block);
    Require(second.tran.m_nFrameSpace == first.tran.m_nFrameSpace);
    Require(second.serial.m_nParity == first.serial.m_nParity);
    Require(second.can.m_strAcptCode == first.can.m_strAcptCode);
    Require(second.can.m_strAcptMask == first.can.m_strAcptMask);
    if (!encoded.canIdCheck.replaced)
        Require(second.armCan.m_strCanID.compare(first.armCan.m_strCanID, Qt::CaseInsensitive) ==
                0);
    return 0;
}
