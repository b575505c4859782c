#include "CBitTimingDialog.h"

#include "CBitTiming.h"
#include "ui_CBitTimingDialog.h"

#include <QPushButton>
#include <QTreeWidgetItem>

namespace {

constexpr double kDefaultSamplePoint = 87.5;
const char* const kRates[] = {"1000K",   "800K", "666.667K", "500K", "250K", "125K", "100K",
                              "83.333K", "50K",  "33.333K",  "20K",  "10K",  "5K"};

} // namespace

CBitTimingDialog::CBitTimingDialog(CanController controller,
                                   const std::optional<BitTiming>& current, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBitTimingDialog>()), m_controller(controller)
{
    m_ui->setupUi(this);
    for (const char* rate : kRates)
        m_ui->rateList->addItem(QString::fromLatin1(rate));
    m_ui->sjwSpin->setValue(CBitTiming::DefaultSjw(controller));
    if (current) {
        const double rate = CBitTiming::UsualRate(current->BitRate()).value_or(current->BitRate());
        m_ui->rateList->setCurrentText(CBitTiming::RateText(rate));
        m_ui->samplePointSpin->setValue(current->SamplePoint());
        m_ui->sjwSpin->setValue(current->sjw);
        m_ui->tripleCheck->setChecked(current->tripleSampling);
    } else {
        m_ui->rateList->setCurrentText(QStringLiteral("250K"));
        m_ui->samplePointSpin->setValue(kDefaultSamplePoint);
    }
    connect(m_ui->rateList, &QComboBox::currentTextChanged, this, &CBitTimingDialog::Propose);
    connect(m_ui->samplePointSpin, &QDoubleSpinBox::valueChanged, this, &CBitTimingDialog::Propose);
    connect(m_ui->sjwSpin, &QSpinBox::valueChanged, this, &CBitTimingDialog::Propose);
    connect(m_ui->tripleCheck, &QCheckBox::toggled, this, &CBitTimingDialog::Propose);
    connect(m_ui->proposalList, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    Propose();
}

CBitTimingDialog::~CBitTimingDialog() = default;

void CBitTimingDialog::Ask(const QString& rate, double samplePoint)
{
    m_ui->rateList->setCurrentText(rate);
    m_ui->samplePointSpin->setValue(samplePoint);
    Propose();
}

void CBitTimingDialog::Propose()
{
    m_ui->proposalList->clear();
    m_proposals.clear();
    const std::optional<double> rate = CBitTiming::ParseRate(m_ui->rateList->currentText());
    if (rate) {
        CBitTiming::Request request;
        request.bitRate = *rate;
        request.samplePoint = m_ui->samplePointSpin->value();
        request.sjw = m_ui->sjwSpin->value();
        request.tripleSampling = m_ui->tripleCheck->isChecked();
        m_proposals = CBitTiming::Propose(m_controller, request);
    }
    for (const BitTiming& timing : std::as_const(m_proposals)) {
        const QStringList warnings = CBitTiming::Warnings(timing);
        auto item = std::make_unique<QTreeWidgetItem>(
            QStringList{CBitTiming::RegisterText(timing), CBitTiming::RateText(timing.BitRate()),
                        CBitTiming::SamplePointText(timing.SamplePoint()),
                        QString::number(timing.sjw), QString::number(timing.Quanta())});
        item->setToolTip(0, CBitTiming::Sentence(timing));
        if (!warnings.isEmpty())
            item->setToolTip(1, warnings.join(QLatin1Char('\n')));
        m_ui->proposalList->addTopLevelItem(item.release());
    }
    if (!m_proposals.isEmpty())
        m_ui->proposalList->setCurrentItem(m_ui->proposalList->topLevelItem(0));
    m_ui->statusLabel->setText(!rate ? tr("请输入波特率，如 250K 或 83.333K")
                               : m_proposals.isEmpty()
                                   ? tr("没有寄存器值能在 0.5% 以内给出这个波特率")
                                   : tr("共 %1 个值，最好的在前").arg(m_proposals.size()));
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!m_proposals.isEmpty());
}

std::optional<BitTiming> CBitTimingDialog::Chosen() const
{
    const int index = m_ui->proposalList->indexOfTopLevelItem(m_ui->proposalList->currentItem());
    if (index < 0 || index >= m_proposals.size())
        return std::nullopt;
    return m_proposals.at(index);
}
