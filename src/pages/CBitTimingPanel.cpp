#include "CBitTimingPanel.h"

#include "CBitTiming.h"
#include "ui_CBitTimingPanel.h"

CBitTimingPanel::CBitTimingPanel(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CBitTimingPanel>())
{
    m_ui->setupUi(this);
    connect(m_ui->calculatorButton, &QPushButton::clicked, this, &CBitTimingPanel::CalculatorAsked);
}

CBitTimingPanel::~CBitTimingPanel() = default;

void CBitTimingPanel::ShowTiming(const std::optional<BitTiming>& timing)
{
    m_ui->bitView->SetTiming(timing);
    if (!timing) {
        m_ui->timingText->setText(tr("不是寄存器值"));
        return;
    }
    QString text = CBitTiming::Sentence(*timing);
    for (const QString& warning : CBitTiming::Warnings(*timing))
        text += QLatin1Char('\n') + tr("注意：%1").arg(warning);
    m_ui->timingText->setText(text);
}

QString CBitTimingPanel::Text() const
{
    return m_ui->timingText->text();
}

std::optional<BitTiming> CBitTimingPanel::Timing() const
{
    return m_ui->bitView->Timing();
}
