#include "CHexEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>

namespace {

constexpr char16_t kBackspace = 0x08;
constexpr char16_t kCopy = 0x03;  // Ctrl+C
constexpr char16_t kPaste = 0x16; // Ctrl+V

// Whether the key types a character that the filter refuses. Keys that only
// move or delete (cursor keys, Delete) and the dialog keys (Tab, Enter,
// Escape) type nothing here and are left to the line edit.
bool IsRefusedKey(const QKeyEvent& event)
{
    const int key = event.key();
    if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        const auto controlCode = static_cast<char16_t>(key - Qt::Key_A + 1);
        return !CHexEdit::IsAcceptedChar(QChar(controlCode));
    }
    const QString text = event.text();
    if (key == Qt::Key_Backspace || text.isEmpty() ||
        text.front().category() == QChar::Other_Control)
        return false;
    return !std::all_of(text.cbegin(), text.cend(), CHexEdit::IsAcceptedChar);
}

} // namespace

CHexEdit::CHexEdit(QWidget* parent) : QLineEdit(parent)
{
    // Composed input would reach the text without a key event to filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QLineEdit::textChanged, this, &CHexEdit::FitLimit);
}

void CHexEdit::SetInputLimit(int limit)
{
    m_inputLimit = limit;
    FitLimit();
}

void CHexEdit::SetTextUncut(const QString& text)
{
    if (m_inputLimit > 0)
        setMaxLength(std::max(m_inputLimit, static_cast<int>(text.size())));
    setText(text);
}

// Deleting from an over-long text lowers the bound with it, so typing stays
// refused until the text is back within the limit.
void CHexEdit::FitLimit()
{
    if (m_inputLimit <= 0)
        return;
    setMaxLength(std::max(m_inputLimit, static_cast<int>(text().size())));
}

bool CHexEdit::IsAcceptedChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f') ||
           u == u' ' || u == kBackspace || u == kCopy || u == kPaste;
}

void CHexEdit::keyPressEvent(QKeyEvent* event)
{
    if (IsRefusedKey(*event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CHexEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    if (!std::all_of(committed.cbegin(), committed.cend(), IsAcceptedChar)) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}
