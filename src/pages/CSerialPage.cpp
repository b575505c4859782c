#include "CSerialPage.h"

#include "DataExchange.h"
#include "ui_CSerialPage.h"

#include <QStringList>

namespace {

constexpr int kLastCommonRate = 9;
constexpr int kFallbackRate = 4; // "9600" in both lists

QStringList CommonRates()
{
    return {QStringLiteral("600"),   QStringLiteral("1200"),  QStringLiteral("2400"),
            QStringLiteral("4800"),  QStringLiteral("9600"),  QStringLiteral("14400"),
            QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"),
            QStringLiteral("115200")};
}

QStringList OstrelXRates()
{
    return CommonRates() << QStringLiteral("230400") << QStringLiteral("460800")
                         << QStringLiteral("921600");
}

} // namespace

using DataExchange::Exchange;

CSerialPage::CSerialPage(QWidget* parent, PageControls controls) : QWidget(parent)
{
    if (controls == PageControls::Now)
        BuildControls();
}

void CSerialPage::BuildControls()
{
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::CSerialPage>();
    m_ui->setupUi(this);
    UpdateData(false);
    connect(m_ui->lineModeList, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_nLineMode = index; });
}

CSerialPage::~CSerialPage() = default;

void CSerialPage::OnInitDialog()
{
    UpdateData(false);
}

void CSerialPage::UpdateData(bool saveAndValidate)
{
    const bool save = saveAndValidate;
    Exchange(save, m_ui->baudrateList, m_nBaudrate);
    Exchange(save, m_ui->parityList, m_nParity);
    Exchange(save, m_ui->dataBitsList, m_nDataBit);
    Exchange(save, m_ui->stopBitsList, m_nStopBit);
    Exchange(save, m_ui->flowControlList, m_nFlowCtrl);
    Exchange(save, m_ui->lineModeList, m_nLineMode);
}

void CSerialPage::ConfigureForDevice(ConverterModel model)
{
    m_ostrelX = model == ConverterModel::OstrelX;
    m_ui->lineModeGroup->setVisible(m_ostrelX);
    m_ui->dataBitsList->setEnabled(m_ostrelX);
    m_ui->stopBitsList->setEnabled(m_ostrelX);

    QComboBox* rates = m_ui->baudrateList;
    const int noted = rates->currentIndex();
    rates->clear();
    if (m_ostrelX) {
        rates->addItems(OstrelXRates());
        rates->setCurrentIndex(noted);
    } else {
        rates->addItems(CommonRates());
        rates->setCurrentIndex(noted <= kLastCommonRate ? noted : kFallbackRate);
    }
}

void CSerialPage::OnEnable(bool enabled)
{
    m_ui->baudrateList->setEnabled(enabled);
    m_ui->parityList->setEnabled(enabled);
    m_ui->lineModeList->setEnabled(enabled);
    // The Ostrel-A and -B are sent fixed data and stop bits, so their lists
    // stay disabled rather than offer a choice that has no effect.
    m_ui->dataBitsList->setEnabled(enabled && m_ostrelX);
    m_ui->stopBitsList->setEnabled(enabled && m_ostrelX);
}

QComboBox* CSerialPage::ModeList() const
{
    return m_ui->lineModeList;
}

QComboBox* CSerialPage::BaudrateList() const
{
    return m_ui->baudrateList;
}
