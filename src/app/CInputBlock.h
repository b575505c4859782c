#pragma once

#include <QObject>

class QWidget;

// While it lives, one window and its children take no clicks, keys, wheel
// turns or shortcuts from the user, yet keep painting and can still be moved
// and closed: the window is modal to the exchange it waits for, while other
// windows (its progress dialog, message boxes) take input as usual.
class CInputBlock : public QObject
{
    Q_OBJECT
public:
    explicit CInputBlock(QWidget& window);
    ~CInputBlock() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
};
