#pragma once

#include <QtGlobal>

#include <array>

// Acceptance part of the CAN configuration block: filter mode, the five
// section offsets of the look-up table and the table itself (2072 bytes).
struct CanAcceptance
{
    static constexpr int kTableSize = 2048;
    static constexpr quint32 kFilteringOn = 0;
    static constexpr quint32 kFilteringOff = 2;

    quint32 filterMode = kFilteringOff;
    quint32 stdIndividualStart = 0;
    quint32 stdGroupStart = 0;
    quint32 extIndividualStart = 0;
    quint32 extGroupStart = 0;
    quint32 tableEnd = 0;
    std::array<quint8, kTableSize> table{};

    friend bool operator==(const CanAcceptance& a, const CanAcceptance& b)
    {
        return a.filterMode == b.filterMode && a.stdIndividualStart == b.stdIndividualStart &&
               a.stdGroupStart == b.stdGroupStart && a.extIndividualStart == b.extIndividualStart &&
               a.extGroupStart == b.extGroupStart && a.tableEnd == b.tableEnd && a.table == b.table;
    }
};
