#pragma once

#include <QElapsedTimer>
#include <QObject>

class QWidget;

// Keeps a window's frame, title bar included, on its screen while it opens.
// Some window managers place a window at the position asked for and add the
// frame around it, which can push the title bar above the screen; the frame
// is known only once the window manager has framed the window, so each move
// and resize in its first moments is checked. Later moves are the user's.
class CKeepOnScreen : public QObject
{
    Q_OBJECT
public:
    // Lives no longer than the window.
    explicit CKeepOnScreen(QWidget& window);
    ~CKeepOnScreen() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fit();

    QWidget& m_window;
    QElapsedTimer m_sinceShown;
};
