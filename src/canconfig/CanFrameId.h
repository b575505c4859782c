#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// An identifier as a CAN frame carries it: 11 bits in a standard frame, 29 in
// an extended one.
struct CanFrameId
{
    static constexpr quint32 kStandardMax = 0x7FF;
    static constexpr quint32 kExtendedMax = 0x1FFFFFFF;

    quint32 id = 0;
    bool extended = false;

    // Hexadecimal, 0x optional; an identifier above 7FF is always extended.
    // None for anything else or an identifier wider than 29 bits.
    static std::optional<CanFrameId> Parse(const QString& text, bool extended)
    {
        QString digits = text.trimmed();
        if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            digits = digits.mid(2);
        bool ok = false;
        const qulonglong value = digits.toULongLong(&ok, 16);
        if (!ok || digits.isEmpty() || value > kExtendedMax)
            return std::nullopt;
        return CanFrameId{quint32(value), extended || value > kStandardMax};
    }
};
