#pragma once

#include <QLineEdit>

// A line edit that lets the user type only hexadecimal digits and blanks.
// It filters typed characters only: pasted text and editing keys pass.
class CHexEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CHexEdit(QWidget* parent = nullptr);

    static bool IsAcceptedChar(QChar c);

    // The longest text the user may type or paste. Unlike a plain maximum
    // length it never cuts a longer text the program puts in (a hand-edited
    // profile, say): that text stays whole and only typing more is refused.
    void SetInputLimit(int limit);
    void SetTextUncut(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void FitLimit();

    int m_inputLimit = 0; // 0: the plain maximum length applies
};
