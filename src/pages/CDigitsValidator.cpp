#include "CDigitsValidator.h"

#include <algorithm>

CDigitsValidator::CDigitsValidator(QObject* parent) : QValidator(parent) {}

QValidator::State CDigitsValidator::validate(QString& input, int&) const
{
    const bool digits = std::all_of(input.cbegin(), input.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    return digits ? Acceptable : Invalid;
}
