#pragma once

#include <QChar>

// One hexadecimal digit in either case, as every hex text of the tool takes it.
namespace HexDigit {
// -1 for anything that is not a digit.
constexpr int Value(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

constexpr bool Is(QChar c)
{
    return Value(c) >= 0;
}
} // namespace HexDigit
