#pragma once

#include <QScrollArea>
#include <QSize>

// A scroll area that asks for its page's whole size, but never for more than
// the screen it is on has room for once `reserved` is set aside. Inside a
// fixed-size sheet this keeps the sheet exactly as large as its page on an
// ordinary screen, and on the screen at a large scale factor, with its
// buttons, which lie outside the area, still reachable.
class CFittingScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit CFittingScrollArea(QWidget* parent = nullptr);

    // Room kept for what lies around the area: the rest of the window and
    // its frame. Called once the page is in place.
    void SetReserved(const QSize& reserved);
    // Takes the page's size as it is now, for a window about to be shown.
    void TakePageSize();
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSize m_reserved;
};
