#include "FuzzCheck.h"
#include "HexText.h"

#include <QString>

// The hexadecimal byte texts of the CAN page: any text parses without
// reading past it, and the system's own texts read back as their value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const int groups = 1 + data[0] % 4;
    const quint32 value =
        quint32(data[1]) << 24 | quint32(data[2]) << 16 | quint32(data[3]) << 8 | data[4];
    const quint32 mask = groups == 4 ? 0xFFFFFFFFu : (1u << (8 * groups)) - 1;

    const QString text = QString::fromUtf8(BytesOf(data + 5, size - 5));
    const quint32 parsed = HexText::Parse(text, groups);
    Require((parsed & ~mask) == 0);

    const QString formatted = HexText::Format(value & mask, groups);
    Require(formatted.size() == 3 * groups - 1);
    Require(HexText::Parse(formatted, groups) == (value & mask));
    Require(HexText::Parse(formatted.toLower(), groups) == (value & mask));
    const QString compact = HexText::FormatCompact(value & mask, groups);
    Require(compact.size() == 2 * groups);
    Require(HexText::Parse(formatted + text, groups) == (value & mask));
    return 0;
}
