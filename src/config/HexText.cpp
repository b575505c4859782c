#include "HexText.h"

#include "HexDigit.h"

#include <QStringList>

namespace {

QString ByteText(quint32 value, int index, int groups)
{
    const quint32 byte = (value >> (8 * (groups - 1 - index))) & 0xFFu;
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

namespace HexText {

quint32 Parse(const QString& text, int groups)
{
    quint32 value = 0;
    qsizetype pos = 0;
    for (int group = 0; group < groups; ++group) {
        while (pos < text.size() && text.at(pos).isSpace())
            ++pos;
        int byte = 0;
        int digits = 0;
        while (digits < 2 && pos < text.size() && HexDigit::Value(text.at(pos)) >= 0) {
            byte = byte * 16 + HexDigit::Value(text.at(pos));
            ++pos;
            ++digits;
        }
        if (digits == 0)
            break;
        value |= quint32(byte) << (8 * (groups - 1 - group));
    }
    return value;
}

QString Format(quint32 value, int groups)
{
    QStringList parts;
    for (int i = 0; i < groups; ++i)
        parts << ByteText(value, i, groups);
    return parts.join(QLatin1Char(' '));
}

QString FormatCompact(quint32 value, int groups)
{
    QString text;
    for (int i = 0; i < groups; ++i)
        text += ByteText(value, i, groups);
    return text;
}

} // namespace HexText
