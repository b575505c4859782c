#include "CCanPage.h"

#include "CBitTiming.h"
#include "CBitTimingDialog.h"
#include "CBitTimingPanel.h"
#include "CFilterTestPanel.h"
#include "CFilterTester.h"
#include "CanPageRules.h"
#include "Configuration.h"
#include "DataExchange.h"
#include "ResourcePicture.h"
#include "ui_CCanPage.h"

#include <initializer_list>

namespace {

constexpr int kBtrLength = 2;
constexpr int kFourByteLength = 11;
constexpr int kTwoByteLength = 5;

} // namespace

CCanPage::CCanPage(QWidget* parent, PageControls controls) : QWidget(parent)
{
    if (controls == PageControls::Now)
        BuildControls();
}

void CCanPage::BuildControls()
{
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::CCanPage>();
    m_ui->setupUi(this);
    m_ui->iconLabel->setPixmap(ResourcePicture::Pixmap(QStringLiteral(":/icons/page.png")));
    UpdateData(false);

    for (QComboBox* list : {m_ui->baudrateList, m_ui->frameTypeList, m_ui->filterModeList})
        connect(list, &QComboBox::activated, this, &CCanPage::RefreshControls);
    connect(m_ui->customMaskCheck, &QCheckBox::clicked, this, &CCanPage::OnCustomMask);
    m_ui->btr0Edit->SetInputLimit(kBtrLength);
    m_ui->btr1Edit->SetInputLimit(kBtrLength);
    for (CHexEdit* edit : {m_ui->sendIdEdit, m_ui->acptCodeEdit, m_ui->acptMaskEdit})
        edit->SetInputLimit(kFourByteLength);
    for (CHexEdit* edit : {m_ui->acptCodeDual1Edit, m_ui->acptCodeDual2Edit,
                           m_ui->acptMaskDual1Edit, m_ui->acptMaskDual2Edit})
        edit->SetInputLimit(kTwoByteLength);
    AddHelpers();
}

// The bit timing under the bit-rate controls and the filter tester under the
// filter, both following the controls as they are typed.
void CCanPage::AddHelpers()
{
    m_timingPanel = new CBitTimingPanel(this);
    QGridLayout* general = m_ui->generalGrid;
    general->addWidget(m_timingPanel, general->rowCount(), 0, 1, general->columnCount());
    m_filterTest = new CFilterTestPanel(this);
    QGridLayout* identifier = m_ui->identifierGrid;
    identifier->addWidget(m_filterTest, identifier->rowCount(), 0, 1, identifier->columnCount());
    // The calculator comes where the bit-rate rows end.
    QWidget* calculator = m_timingPanel->findChild<QWidget*>(QStringLiteral("calculatorButton"));
    setTabOrder(m_ui->frameTypeList, calculator);
    setTabOrder(calculator, m_ui->sendIdEdit);

    for (CHexEdit* edit : {m_ui->btr0Edit, m_ui->btr1Edit})
        connect(edit, &QLineEdit::textChanged, this, &CCanPage::ShowTiming);
    connect(m_timingPanel, &CBitTimingPanel::CalculatorAsked, this, &CCanPage::OnCalculator);
    for (CHexEdit* edit :
         {m_ui->acptCodeEdit, m_ui->acptMaskEdit, m_ui->acptCodeDual1Edit, m_ui->acptCodeDual2Edit,
          m_ui->acptMaskDual1Edit, m_ui->acptMaskDual2Edit})
        connect(edit, &QLineEdit::textChanged, this, &CCanPage::ShowVerdict);
    for (QComboBox* list : {m_ui->frameTypeList, m_ui->filterModeList})
        connect(list, &QComboBox::currentIndexChanged, this, &CCanPage::ShowVerdict);
    connect(m_ui->customMaskCheck, &QCheckBox::toggled, this, &CCanPage::ShowVerdict);
    connect(m_filterTest, &CFilterTestPanel::FrameChanged, this, &CCanPage::ShowVerdict);
    ShowTiming();
    ShowVerdict();
}

std::optional<BitTiming> CCanPage::TimingOnPage() const
{
    std::array<quint8, 2> bytes{};
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        const QString text = (index == 0 ? m_ui->btr0Edit : m_ui->btr1Edit)->text().trimmed();
        bool ok = false;
        const uint value = text.toUInt(&ok, 16);
        if (!ok || text.size() > kBtrLength || value > 0xFF)
            return std::nullopt;
        bytes[index] = quint8(value);
    }
    return CBitTiming::ExplainClassic(bytes[0], bytes[1]);
}

void CCanPage::ShowTiming()
{
    m_timingPanel->ShowTiming(TimingOnPage());
}

void CCanPage::OnCalculator()
{
    CBitTimingDialog dialog(CanController::Classic, TimingOnPage(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const std::optional<BitTiming> chosen = dialog.Chosen())
        PutTiming(*chosen);
}

void CCanPage::PutTiming(const BitTiming& timing)
{
    m_ui->baudrateList->setCurrentIndex(CanPageRules::kCustomBaudrate);
    m_ui->btr0Edit->setText(
        QStringLiteral("%1").arg(timing.value >> 8 & 0xFF, 2, 16, QLatin1Char('0')).toUpper());
    m_ui->btr1Edit->setText(
        QStringLiteral("%1").arg(timing.value & 0xFF, 2, 16, QLatin1Char('0')).toUpper());
    RefreshControls();
}

CanFields CCanPage::FieldsOnControls() const
{
    CanFields fields = *this;
    Exchange(true, *m_ui, fields);
    return fields;
}

void CCanPage::ShowVerdict()
{
    const std::optional<CanFrameId> frame = m_filterTest->Frame();
    if (!frame) {
        m_filterTest->ShowNoIdentifier();
        return;
    }
    Configuration config = Configuration::Defaults(ConverterModel::OstrelA);
    config.can = FieldsOnControls();
    const CFilterTester::Verdict verdict = CFilterTester::Test(config, *frame);
    m_filterTest->ShowVerdict(verdict.accepted, verdict.reason);
}

CCanPage::~CCanPage() = default;

void CCanPage::OnInitDialog()
{
    UpdateData(false);
    RefreshControls();
}

void CCanPage::UpdateData(bool saveAndValidate)
{
    Exchange(saveAndValidate, *m_ui, *this);
}

void CCanPage::Exchange(bool save, Ui::CCanPage& ui, CanFields& fields)
{
    using DataExchange::Exchange;
    Exchange(save, ui.baudrateList, fields.m_nBaudrate);
    Exchange(save, ui.btr0Edit, fields.m_strBTR[0]);
    Exchange(save, ui.btr1Edit, fields.m_strBTR[1]);
    Exchange(save, ui.frameTypeList, fields.m_nFrameType);
    Exchange(save, ui.filterModeList, fields.m_nFilterMode);
    Exchange(save, ui.sendIdEdit, fields.m_strSendID);
    Exchange(save, ui.acptCodeEdit, fields.m_strAcptCode);
    Exchange(save, ui.acptCodeDual1Edit, fields.m_strAcptCodeDual[0]);
    Exchange(save, ui.acptCodeDual2Edit, fields.m_strAcptCodeDual[1]);
    Exchange(save, ui.acptMaskEdit, fields.m_strAcptMask);
    Exchange(save, ui.acptMaskDual1Edit, fields.m_strAcptMaskDual[0]);
    Exchange(save, ui.acptMaskDual2Edit, fields.m_strAcptMaskDual[1]);
    Exchange(save, ui.customMaskCheck, fields.m_bCustomMask);
}

void CCanPage::RefreshControls()
{
    UpdateData(true);

    EnableBtr();
    // With no bit rate selected the BTR texts are left as they are.
    CanPageRules::ApplyPresetBtr(*this);
    ShowFilterLayout();

    UpdateData(false);
    OnCustomMask();
}

void CCanPage::ShowFields()
{
    UpdateData(false);
    ShowControlStates();
}

void CCanPage::ShowControlStates()
{
    EnableBtr();
    ShowFilterLayout();
    EnableMask();
}

void CCanPage::EnableBtr()
{
    const bool custom = m_nBaudrate == CanPageRules::kCustomBaudrate;
    m_ui->btr0Edit->setEnabled(custom);
    m_ui->btr1Edit->setEnabled(custom);
}

void CCanPage::ShowFilterLayout()
{
    const bool dual = m_nFilterMode == 0;
    m_ui->acptCodeEdit->setVisible(!dual);
    m_ui->acptMaskEdit->setVisible(!dual);
    for (QLineEdit* edit : {m_ui->acptCodeDual1Edit, m_ui->acptCodeDual2Edit,
                            m_ui->acptMaskDual1Edit, m_ui->acptMaskDual2Edit})
        edit->setVisible(dual);
    m_ui->acptCodeLabel->setBuddy(dual ? m_ui->acptCodeDual1Edit : m_ui->acptCodeEdit);
    m_ui->acptMaskLabel->setBuddy(dual ? m_ui->acptMaskDual1Edit : m_ui->acptMaskEdit);
}

void CCanPage::EnableMask()
{
    const bool custom = m_bCustomMask != 0;
    for (QLineEdit* edit : {m_ui->acptMaskEdit, m_ui->acptMaskDual1Edit, m_ui->acptMaskDual2Edit})
        edit->setEnabled(custom);
}

void CCanPage::OnCustomMask()
{
    UpdateData(true);

    CanPageRules::ApplyCustomMask(*this);
    EnableMask();

    UpdateData(false);
}

void CCanPage::OnEnable(bool enabled)
{
    const std::initializer_list<QWidget*> controls{
        m_ui->baudrateList,    m_ui->btr0Edit,          m_ui->btr1Edit,
        m_ui->frameTypeList,   m_ui->filterModeList,    m_ui->sendIdEdit,
        m_ui->acptCodeEdit,    m_ui->acptCodeDual1Edit, m_ui->acptCodeDual2Edit,
        m_ui->acptMaskEdit,    m_ui->acptMaskDual1Edit, m_ui->acptMaskDual2Edit,
        m_ui->customMaskCheck,
    };
    for (QWidget* control : controls)
        control->setEnabled(enabled);
    if (enabled) {
        RefreshControls();
        OnCustomMask();
    }
}

QString CCanPage::PresetBtr0(int index)
{
    return CanPageRules::PresetBtr0(index);
}

QString CCanPage::PresetBtr1(int index)
{
    return CanPageRules::PresetBtr1(index);
}
