#include "CTranPage.h"

#include "CDigitsValidator.h"
#include "CMessageSink.h"
#include "DataExchange.h"
#include "ResourcePicture.h"
#include "ui_CTranPage.h"

#include <QCoreApplication>
#include <QStringList>

#include <initializer_list>

namespace {

enum Mode
{
    Transparent = 0,
    TransparentWithId = 1,
    ThirdMode = 2, // MODBUS for types 0 and 1, format conversion for type 2
};

QStringList ModeItems(ConverterModel model)
{
    return {CTranPage::tr("透明转换"), CTranPage::tr("透明带标识转换"),
            model == ConverterModel::OstrelX ? CTranPage::tr("格式转换")
                                             : CTranPage::tr("MODBUS转换")};
}

} // namespace

using DataExchange::Exchange;

CTranPage::CTranPage(CMessageSink& messages, QWidget* parent, PageControls controls)
    : QWidget(parent), m_messages(messages)
{
    if (controls == PageControls::Now)
        BuildControls();
}

void CTranPage::BuildControls()
{
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::CTranPage>();
    m_ui->setupUi(this);
    m_ui->iconLabel->setPixmap(ResourcePicture::Pixmap(QStringLiteral(":/icons/page.png")));
    for (QLineEdit* edit : {m_ui->frameSpaceEdit, m_ui->idOffsetEdit, m_ui->idLengthEdit})
        edit->setValidator(new CDigitsValidator(edit));
    m_ui->frameSpaceUpDown->SetBuddy(m_ui->frameSpaceEdit);
    m_ui->idOffsetUpDown->SetBuddy(m_ui->idOffsetEdit);
    m_ui->idLengthUpDown->SetBuddy(m_ui->idLengthEdit);
    UpdateData(false);

    connect(m_ui->modeList, &QComboBox::activated, this, &CTranPage::RefreshControls);
}

CTranPage::~CTranPage() = default;

void CTranPage::OnInitDialog()
{
    UpdateData(false);
    m_ui->frameSpaceUpDown->SetRange(2, 10);
    m_ui->idOffsetUpDown->SetRange(0, 7);
    m_ui->idLengthUpDown->SetRange(1, 4);

    m_ui->modeList->clear();
    m_ui->modeList->addItems(ModeItems(ConverterModel::OstrelA));
    m_ui->modeList->setCurrentIndex(-1);
    RefreshControls();
}

bool CTranPage::UpdateData(bool saveAndValidate)
{
    const bool save = saveAndValidate;
    Exchange(save, m_ui->modeList, m_nMode);
    Exchange(save, m_ui->directionList, m_nDirection);
    if (!ExchangeInteger(save, m_ui->frameSpaceEdit, m_nFrameSpace))
        return false;
    Exchange(save, m_ui->forwardIdCheck, m_bForwardID);
    Exchange(save, m_ui->forwardInfoCheck, m_bForwardInfo);
    return ExchangeInteger(save, m_ui->idOffsetEdit, m_nIdOffset) &&
           ExchangeInteger(save, m_ui->idLengthEdit, m_nIdLength);
}

bool CTranPage::ExchangeInteger(bool saveAndValidate, QLineEdit* edit, int& value)
{
    if (!saveAndValidate) {
        edit->setText(QString::number(value));
        return true;
    }
    bool ok = false;
    const int typed = edit->text().toInt(&ok);
    if (!ok) {
        m_messages.ShowMessage(QCoreApplication::applicationName(),
                               QStringLiteral("Please enter an integer."));
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    value = typed;
    return true;
}

void CTranPage::RefreshControls()
{
    // A refused number keeps its field's previous value, which the closing
    // exchange puts back; the mode comes first and is always taken.
    const bool taken = UpdateData(true);
    ApplyModeRules();
    QLineEdit* refused = taken ? nullptr : FirstEditWithoutInteger();
    UpdateData(false);
    // The edit may have been disabled when it was refused and enabled by the
    // mode just taken, so the focus is placed once more.
    if (refused) {
        refused->setFocus();
        refused->selectAll();
    }
}

void CTranPage::ApplyModeRules()
{
    if (m_nMode != Transparent && m_nMode != TransparentWithId && m_nMode != ThirdMode)
        return;
    const bool numbers = m_nMode == TransparentWithId;
    for (QWidget* edit : {m_ui->frameSpaceEdit, m_ui->idOffsetEdit, m_ui->idLengthEdit})
        edit->setEnabled(numbers);
    const bool forwarding = m_nMode == Transparent;
    m_ui->forwardIdCheck->setEnabled(forwarding);
    m_ui->forwardInfoCheck->setEnabled(forwarding);
    // Leaving the third mode gives the labels back, so they never stay grey
    // next to fields that are in use.
    const bool labels = m_nMode != ThirdMode;
    for (QWidget* label : {m_ui->idPositionLabel, m_ui->idOffsetLabel, m_ui->idLengthLabel,
                           m_ui->frameSpaceLabel, m_ui->frameSpaceUnitLabel})
        label->setEnabled(labels);
}

QLineEdit* CTranPage::FirstEditWithoutInteger() const
{
    for (QLineEdit* edit : {m_ui->frameSpaceEdit, m_ui->idOffsetEdit, m_ui->idLengthEdit}) {
        bool ok = false;
        edit->text().toInt(&ok);
        if (!ok)
            return edit;
    }
    return nullptr;
}

void CTranPage::ConfigureForDevice(ConverterModel model)
{
    const int noted = m_ui->modeList->currentIndex();
    m_ui->modeList->clear();
    m_ui->modeList->addItems(ModeItems(model));
    m_ui->modeList->setCurrentIndex(noted < 0 ? 0 : noted);
}

void CTranPage::OnEnable(bool enabled)
{
    const std::initializer_list<QWidget*> controls{
        m_ui->modeList,         m_ui->directionList, m_ui->frameSpaceEdit, m_ui->forwardIdCheck,
        m_ui->forwardInfoCheck, m_ui->idOffsetEdit,  m_ui->idLengthEdit,
    };
    for (QWidget* control : controls)
        control->setEnabled(enabled);
    if (enabled)
        RefreshControls();
}

void CTranPage::StoreControls()
{
    UpdateData(true);
}

void CTranPage::ShowFields()
{
    UpdateData(false);
    RefreshControls();
}

QComboBox* CTranPage::ModeList() const
{
    return m_ui->modeList;
}
