#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrows that steps the integer in a buddy line edit, as the
// up-down controls next to the conversion page's number fields. The arrows
// (and the Up/Down keys in the buddy) stay within the range; whatever the
// user types into the buddy is left alone. The arrows follow the buddy's
// enabled state.
class CUpDown : public QWidget
{
    Q_OBJECT
public:
    explicit CUpDown(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* buddy);
    void SetRange(int minimum, int maximum);
    void StepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* AddArrow(Qt::ArrowType arrow, const QString& name, int steps);
    void FollowBuddyEnabled();

    QPointer<QLineEdit> m_buddy;
    int m_minimum = 0;
    int m_maximum = 100;
};
