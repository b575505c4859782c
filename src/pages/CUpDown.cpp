#include "CUpDown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

CUpDown::CUpDown(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(AddArrow(Qt::UpArrow, QStringLiteral("upButton"), 1));
    layout->addWidget(AddArrow(Qt::DownArrow, QStringLiteral("downButton"), -1));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QToolButton* CUpDown::AddArrow(Qt::ArrowType arrow, const QString& name, int steps)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // The focus belongs in the buddy, where the typed value is.
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    connect(button, &QToolButton::clicked, this, [this, steps] { StepBy(steps); });
    return button;
}

void CUpDown::SetBuddy(QLineEdit* buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy) {
        m_buddy->installEventFilter(this);
        FollowBuddyEnabled();
    }
}

void CUpDown::SetRange(int minimum, int maximum)
{
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
}

void CUpDown::StepBy(int steps)
{
    if (!m_buddy)
        return;
    bool ok = false;
    const int current = m_buddy->text().toInt(&ok);
    // Widen before adding so that a typed INT_MAX cannot overflow.
    const long long wanted = ok ? static_cast<long long>(current) + steps : m_minimum;
    const long long value = std::clamp<long long>(wanted, m_minimum, m_maximum);
    m_buddy->setText(QString::number(value));
}

bool CUpDown::eventFilter(QObject* watched, QEvent* event)
{
    // Cast first: a buddy being destroyed is no longer a line edit, and
    // comparing it with the guarded pointer would cast it as if it were.
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && edit == m_buddy.data()) {
        if (event->type() == QEvent::EnabledChange) {
            FollowBuddyEnabled();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                StepBy(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CUpDown::FollowBuddyEnabled()
{
    setEnabled(m_buddy->isEnabledTo(m_buddy->parentWidget()));
}
