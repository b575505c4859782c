#pragma once

#include "ConverterModel.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the pages show for the values a key holds, so that a document may
// name a value as the window does ("115200", "250 K", "偶校验" or "Even") and
// the command line can say what a value means. The texts are the key
// schema's.
namespace ValueNames {
// A list key's texts in the user's language, by position; the rate names of
// a register; empty for any other key.
QStringList Of(const QString& key, ConverterModel model);
// The position of a list's text in Chinese, in English or in the user's
// language, whatever that is; blanks and letter case do not count ("250K" is
// "250 K").
std::optional<int> PositionOf(const QString& key, const QString& text, ConverterModel model);
// The value a text names: a list's position, or the register value of a
// rate the page names ("250K").
std::optional<qint64> ValueOf(const QString& key, const QString& text, ConverterModel model);
// "4 (9600)", "3850251 (125K, 75%)"; the value alone where it has no text.
QString Described(const QString& key, qint64 value, ConverterModel model);
} // namespace ValueNames
