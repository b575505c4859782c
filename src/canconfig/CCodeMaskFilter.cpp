#include "CCodeMaskFilter.h"

namespace {

constexpr quint32 kStandardBits = 0x7FF;
constexpr quint32 kExtendedBits = 0x1FFFFFFF;
// Dual mode compares ID.28 to ID.13 of an extended frame.
constexpr int kDualExtendedShift = 13;

} // namespace

CCodeMaskFilter::CCodeMaskFilter(const std::array<quint8, 4>& code,
                                 const std::array<quint8, 4>& mask, bool dual)
    : m_code(code), m_mask(mask), m_dual(dual)
{}

// count bytes from first, most significant first.
quint32 CCodeMaskFilter::Field(const std::array<quint8, 4>& bytes, int first, int count) const
{
    quint32 value = 0;
    for (int index = first; index < first + count; ++index)
        value = value << 8 | bytes[std::size_t(index)];
    return value;
}

CCodeMaskFilter::Match CCodeMaskFilter::Test(const CanFrameId& frame, int filter) const
{
    quint32 code = 0;
    quint32 mask = 0;
    quint32 id = frame.id;
    quint32 bits = frame.extended ? kExtendedBits : kStandardBits;
    int shift = 0;
    if (!m_dual) {
        code = Field(m_code, 0, 4);
        mask = Field(m_mask, 0, 4);
        shift = frame.extended ? 3 : 21; // ID.28 or ID.10 in the top bit
    } else {
        const int first = filter == 1 ? 2 : 0;
        code = Field(m_code, first, 2);
        mask = Field(m_mask, first, 2);
        if (frame.extended) {
            id >>= kDualExtendedShift;
            bits = kExtendedBits >> kDualExtendedShift;
        } else {
            shift = 5;
        }
    }
    const quint32 codeId = code >> shift & bits;
    const quint32 compared = ~(mask >> shift) & bits;
    Match match;
    const int back = m_dual && frame.extended ? kDualExtendedShift : 0;
    match.compared = compared << back;
    match.differing = ((id ^ codeId) & compared) << back;
    match.accepted = match.differing == 0;
    return match;
}

bool CCodeMaskFilter::Accepts(const CanFrameId& frame) const
{
    for (int filter = 0; filter < FilterCount(); ++filter)
        if (Test(frame, filter).accepted)
            return true;
    return false;
}
