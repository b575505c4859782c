#include "CFittingScrollArea.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>

CFittingScrollArea::CFittingScrollArea(QWidget* parent) : QScrollArea(parent) {}

void CFittingScrollArea::SetReserved(const QSize& reserved)
{
    m_reserved = reserved;
    // The page's layout changes with the device type; its new size must reach
    // the sheet's fixed-size layout.
    if (QWidget* page = widget()) {
        page->installEventFilter(this);
        // The page and the viewport under it lie on the window's own
        // background, which the window paints anyway; filling them as well
        // cost the first frame two more fills of nearly the whole window.
        page->setAutoFillBackground(false);
    }
    viewport()->setAutoFillBackground(false);
    updateGeometry();
}

// The page's nested layouts keep the sizes they first worked out until its
// layout is activated. Showing the page would do that only after the window
// had taken its own size from this area, so the window would open at the
// size of a page without its tabs, with scroll bars, and grow after its
// first frame.
void CFittingScrollArea::TakePageSize()
{
    if (QWidget* page = widget(); page && page->layout())
        page->layout()->activate();
    updateGeometry();
}

QSize CFittingScrollArea::sizeHint() const
{
    QWidget* page = widget();
    if (!page)
        return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    QSize wanted = page->sizeHint() + QSize(frame, frame);
    const QScreen* screen = this->screen();
    if (!screen)
        return wanted;
    const QSize room = (screen->availableGeometry().size() - m_reserved).expandedTo(QSize(1, 1));
    if (wanted.height() > room.height())
        wanted.rwidth() += verticalScrollBar()->sizeHint().width();
    if (wanted.width() > room.width())
        wanted.rheight() += horizontalScrollBar()->sizeHint().height();
    return wanted.boundedTo(room);
}

bool CFittingScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}
