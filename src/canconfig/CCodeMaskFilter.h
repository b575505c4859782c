#pragma once

#include "CanFrameId.h"

#include <QtGlobal>

#include <array>

// The acceptance filter of the Ostrel-A and -B's CAN controller, as its four
// code and four mask bytes set it (a mask bit of 1: the bit is not compared).
// The controller lines the bytes up with the frame it receives: in single
// mode one filter over the whole identifier, in dual mode two filters, each
// over a standard identifier or the upper 16 bits of an extended one. Only
// identifier bits are looked at: the tester asks about data frames with any
// data, and the tool always leaves the remote bit and data bits uncompared.
class CCodeMaskFilter
{
public:
    CCodeMaskFilter(const std::array<quint8, 4>& code, const std::array<quint8, 4>& mask,
                    bool dual);

    struct Match
    {
        bool accepted = false;
        // Identifier bits (bit n = ID.n) that are compared and differ.
        quint32 differing = 0;
        // Identifier bits that the filter compares at all.
        quint32 compared = 0;
    };
    // Single mode: one match; dual mode: filter 1 (code bytes 0-1), then
    // filter 2 (bytes 2-3).
    Match Test(const CanFrameId& frame, int filter = 0) const;
    int FilterCount() const { return m_dual ? 2 : 1; }
    bool Accepts(const CanFrameId& frame) const;

private:
    quint32 Field(const std::array<quint8, 4>& bytes, int first, int count) const;

    std::array<quint8, 4> m_code;
    std::array<quint8, 4> m_mask;
    bool m_dual;
};
