#include "CCanPage.h"

#include "CanPageRules.h"
#include "DataExchange.h"
#include "ResourcePicture.h"
#include "ui_CCanPage.h"

#include <initializer_list>

namespace {

constexpr int kBtrLength = 2;
constexpr int kFourByteLength = 11;
constexpr int kTwoByteLength = 5;

} // namespace

using DataExchange::Exchange;

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
}

CCanPage::~CCanPage() = default;

void CCanPage::OnInitDialog()
{
    UpdateData(false);
    RefreshControls();
}

void CCanPage::UpdateData(bool saveAndValidate)
{
    const bool save = saveAndValidate;
    Exchange(save, m_ui->baudrateList, m_nBaudrate);
    Exchange(save, m_ui->btr0Edit, m_strBTR[0]);
    Exchange(save, m_ui->btr1Edit, m_strBTR[1]);
    Exchange(save, m_ui->frameTypeList, m_nFrameType);
    Exchange(save, m_ui->filterModeList, m_nFilterMode);
    Exchange(save, m_ui->sendIdEdit, m_strSendID);
    Exchange(save, m_ui->acptCodeEdit, m_strAcptCode);
    Exchange(save, m_ui->acptCodeDual1Edit, m_strAcptCodeDual[0]);
    Exchange(save, m_ui->acptCodeDual2Edit, m_strAcptCodeDual[1]);
    Exchange(save, m_ui->acptMaskEdit, m_strAcptMask);
    Exchange(save, m_ui->acptMaskDual1Edit, m_strAcptMaskDual[0]);
    Exchange(save, m_ui->acptMaskDual2Edit, m_strAcptMaskDual[1]);
    Exchange(save, m_ui->customMaskCheck, m_bCustomMask);
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
