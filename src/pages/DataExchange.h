#pragma once

class QCheckBox;
class QComboBox;
class QLineEdit;
class QString;

// Moves one page field to its control (save false) or back (save true), the
// way every page's UpdateData does. A list without a selection gives -1, and
// an index outside the list clears its selection.
namespace DataExchange {
void Exchange(bool save, QComboBox* list, int& index);
void Exchange(bool save, QLineEdit* edit, QString& text);
void Exchange(bool save, QCheckBox* check, int& flag);
} // namespace DataExchange
