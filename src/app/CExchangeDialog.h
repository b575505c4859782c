#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CExchangeDialog;
}

// Shown over the window while an exchange takes longer than a moment: the
// step under way, the bytes of a long reply received so far (a busy bar where
// nothing is counted) and a Cancel button, which Escape and the dialog's own
// close button press as well. It never closes itself: whoever started the
// exchange hides it once the exchange has ended. It takes the keyboard focus
// whenever it shows, so that Escape reaches it, window manager or not.
class CExchangeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CExchangeDialog(QWidget* parent = nullptr);
    ~CExchangeDialog() override;

    // A fresh exchange: its step, nothing counted, Cancel available.
    void Begin(const QString& step);
    void ShowProgress(int received, int expected);

public Q_SLOTS:
    void reject() override;

Q_SIGNALS:
    void CancelRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TakeFocus();

    std::unique_ptr<Ui::CExchangeDialog> m_ui;
};
