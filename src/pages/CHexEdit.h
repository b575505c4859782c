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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};
