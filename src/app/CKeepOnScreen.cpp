#include "CKeepOnScreen.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// Long enough for a window manager to frame and place the window.
constexpr qint64 kOpeningMs = 2000;

int Confined(int start, int length, int roomStart, int roomLength)
{
    // A window larger than the room keeps its top left edge, with the title bar, in view.
    if (length >= roomLength)
        return roomStart;
    return qBound(roomStart, start, roomStart + roomLength - length);
}

} // namespace

CKeepOnScreen::CKeepOnScreen(QWidget& window) : m_window(window)
{
    window.installEventFilter(this);
}

CKeepOnScreen::~CKeepOnScreen()
{
    m_window.removeEventFilter(this);
}

bool CKeepOnScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window) {
        switch (event->type()) {
        case QEvent::Show:
            m_sinceShown.start();
            QTimer::singleShot(0, this, &CKeepOnScreen::Fit);
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (m_sinceShown.isValid() && m_sinceShown.elapsed() < kOpeningMs)
                QTimer::singleShot(0, this, &CKeepOnScreen::Fit);
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CKeepOnScreen::Fit()
{
    const QScreen* screen = m_window.screen();
    if (screen == nullptr || !m_window.isVisible())
        return;
    const QRect room = screen->availableGeometry();
    const QRect frame = m_window.frameGeometry();
    if (room.contains(frame))
        return;
    // A top-level window's position is that of its frame.
    m_window.move(Confined(frame.x(), frame.width(), room.x(), room.width()),
                  Confined(frame.y(), frame.height(), room.y(), room.height()));
}
