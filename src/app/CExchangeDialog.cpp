#include "CExchangeDialog.h"

#include "ui_CExchangeDialog.h"

#include <QEvent>
#include <QPushButton>
#include <QWindow>

CExchangeDialog::CExchangeDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CExchangeDialog>())
{
    m_ui->setupUi(this);
    // Not modal to the platform: a window blocked by a modal dialog drops the
    // user's close, which must instead be kept for the exchange's end. The
    // window keeps its input away by itself meanwhile.
    setWindowModality(Qt::NonModal);
    // In the tool's own words, whatever Qt's own translations say.
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &CExchangeDialog::reject);
}

CExchangeDialog::~CExchangeDialog() = default;

void CExchangeDialog::Begin(const QString& step)
{
    // The title names the step too, so a task bar or a window list tells a
    // running exchange from the tool's message boxes.
    setWindowTitle(step);
    m_ui->stepLabel->setText(step);
    ShowProgress(0, 0);
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setEnabled(true);
}

void CExchangeDialog::ShowProgress(int received, int expected)
{
    if (expected <= 0) {
        m_ui->progressBar->setRange(0, 0);
        m_ui->progressBar->setTextVisible(false);
        return;
    }
    m_ui->progressBar->setRange(0, expected);
    m_ui->progressBar->setValue(qMin(received, expected));
    m_ui->progressBar->setFormat(tr("已收到 %1 / %2 字节").arg(received).arg(expected));
    m_ui->progressBar->setTextVisible(true);
}

void CExchangeDialog::reject()
{
    // The exchange ends within moments; a second press would change nothing.
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setEnabled(false);
    Q_EMIT CancelRequested();
}

void CExchangeDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    TakeFocus();
    // Without a window manager nothing gives the focus to a new window, and
    // asking for it before the window is mapped is not always heard: it is
    // asked for again once the window is on the screen.
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
}

bool CExchangeDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        TakeFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void CExchangeDialog::TakeFocus()
{
    activateWindow();
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setFocus(Qt::ActiveWindowFocusReason);
}
