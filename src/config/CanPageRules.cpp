#include "CanPageRules.h"

#include "CanFields.h"

#include <array>

namespace {

struct BtrPair
{
    const char* btr0;
    const char* btr1;
};

constexpr std::array<BtrPair, CanPageRules::kLastPreset> kPresets{{
    {"BF", "FF"}, // 5 K
    {"31", "1C"}, // 10 K
    {"18", "1C"}, // 20 K
    {"87", "FF"}, // 40 K
    {"09", "1C"}, // 50 K
    {"83", "FF"}, // 80 K
    {"04", "1C"}, // 100 K
    {"03", "1C"}, // 125 K
    {"81", "FA"}, // 200 K
    {"01", "1C"}, // 250 K
    {"80", "FA"}, // 400 K
    {"00", "1C"}, // 500 K
    {"80", "B6"}, // 666 K
    {"00", "16"}, // 800 K
    {"00", "14"}, // 1000 K
}};

} // namespace

namespace CanPageRules {

bool HasPreset(int baudIndex)
{
    return baudIndex > kCustomBaudrate && baudIndex <= kLastPreset;
}

QString PresetBtr0(int baudIndex)
{
    return HasPreset(baudIndex) ? QString::fromLatin1(kPresets[baudIndex - 1].btr0) : QString();
}

QString PresetBtr1(int baudIndex)
{
    return HasPreset(baudIndex) ? QString::fromLatin1(kPresets[baudIndex - 1].btr1) : QString();
}

void ApplyPresetBtr(CanFields& fields)
{
    if (!HasPreset(fields.m_nBaudrate))
        return;
    fields.m_strBTR[0] = PresetBtr0(fields.m_nBaudrate);
    fields.m_strBTR[1] = PresetBtr1(fields.m_nBaudrate);
}

void ApplyCustomMask(CanFields& fields)
{
    const bool custom = fields.m_bCustomMask != 0;
    fields.m_strAcptMask = custom ? QStringLiteral("FF FF FF FF") : QStringLiteral("00 00 00 00");
    const QString half = custom ? QStringLiteral("FF FF") : QStringLiteral("00 00");
    fields.m_strAcptMaskDual = {half, half};
}

void RefreshFields(CanFields& fields)
{
    ApplyPresetBtr(fields);
    ApplyCustomMask(fields);
}

void Settle(CanFields& fields)
{
    ApplyPresetBtr(fields);
    if (fields.m_bCustomMask == 0)
        ApplyCustomMask(fields);
}

} // namespace CanPageRules
