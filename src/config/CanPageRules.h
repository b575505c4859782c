#pragma once

#include <QString>

struct CanFields;

// The rules by which the CAN page of device types 0 and 1 rewrites its own
// fields. The page applies them to its controls; the command line and the
// tests apply them to plain fields, so both share this one table.
namespace CanPageRules {
constexpr int kCustomBaudrate = 0;
constexpr int kLastPreset = 15;

// The bus-timing register texts of a preset bit-rate index (1..15) at a
// 16 MHz controller clock; empty for the custom entry and for any index
// outside the list.
QString PresetBtr0(int baudIndex);
QString PresetBtr1(int baudIndex);
bool HasPreset(int baudIndex);

// Replaces m_strBTR by the preset pair of m_nBaudrate; custom and unknown
// indices keep the texts as they are.
void ApplyPresetBtr(CanFields& fields);
// All-ones masks with the custom-mask box ticked, all-zeros without.
void ApplyCustomMask(CanFields& fields);
// What the page's rules do to the fields: preset pair, then mask rule.
void RefreshFields(CanFields& fields);
// What the page's controls let the fields hold, for values that did not come
// through them (a document): a preset's pair, and the zero masks of a clear
// custom-mask box. A ticked box keeps its masks, as the user may edit them.
void Settle(CanFields& fields);
} // namespace CanPageRules
