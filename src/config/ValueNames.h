#pragma once

#include "ConverterModel.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the window's lists show for the positions a list key holds, so that
// a document may name a value as the window does ("115200", "250 K") and the
// command line can say what a position means. The texts are the pages' own,
// translated alike.
namespace ValueNames {
// A list key's texts in the user's language, by position; empty for a key
// that is no list.
QStringList Of(const QString& key, ConverterModel model);
// The position of a text in the user's language or the tool's own; blanks
// and letter case do not count ("250K" is "250 K").
std::optional<int> PositionOf(const QString& key, const QString& text, ConverterModel model);
// "4 (9600)"; the position alone where it has no text.
QString Described(const QString& key, int position, ConverterModel model);
} // namespace ValueNames
