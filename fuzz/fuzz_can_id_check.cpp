#include "CanIdCheck.h"
#include "FuzzCheck.h"
#include "HexDigit.h"

#include <QString>

#include <algorithm>

// The Ostrel-X identifier check: whatever was typed, an accepted identifier
// is eight hexadecimal digits within its frame type's limit, and a second
// check of it finds nothing more to replace.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool extended = data[0] & 1;
    const QString typed = QString::fromUtf8(BytesOf(data + 1, size - 1));
    const CanIdCheckResult result = CanIdCheck::CheckCanId(typed, extended);
    Require(!result.messages.isEmpty() || (result.accepted && !result.replaced));
    if (!result.accepted) {
        Require(result.messages.size() == 1);
        return 0;
    }
    Require(result.canId.size() == 8);
    Require(std::all_of(result.canId.cbegin(), result.canId.cend(), HexDigit::Is));
    const quint32 id = result.canId.toUInt(nullptr, 16);
    if (!result.replaced)
        Require(result.canId == typed);
    if (extended && result.canId.at(0) < QLatin1Char('2'))
        Require(id <= 0x1FFFFFFF);
    const CanIdCheckResult again = CanIdCheck::CheckCanId(result.canId, extended);
    Require(again.accepted && !again.replaced && again.canId == result.canId);
    return 0;
}
