#include "CKelvaneDlg.h"

#include "CPortList.h"
#include "ResourcePicture.h"
#include "ui_CKelvaneDlg.h"

#include <QColor>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QPalette>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

namespace {

QString ConnectText(bool connected)
{
    return connected ? CKelvaneDlg::tr("断开设备(&C)") : CKelvaneDlg::tr("连接设备(&C)");
}

// Why nothing is there to open, for the tooltip of a greyed slot.
QString Absence(const PortSlot& slot)
{
    if (slot.path.isEmpty() || !QFileInfo::exists(slot.path))
        return CKelvaneDlg::tr("没有这个设备：适配器未插入，或用“…”指定另一个设备。");
    return CKelvaneDlg::tr("系统没有报告这里有串口（没有相应的硬件）。用“…”指定另一个设备。");
}

int Confine(int index, const QComboBox& list)
{
    return index >= 0 && index < list.count() ? index : 0;
}

ConverterModel ModelAt(int index)
{
    return ConverterModels::FromDeviceType(index).value_or(ConverterModel::OstrelA);
}

// The banner's own colours and the subtitle's small type. Set as palette and
// font rather than a style sheet, which would put the band's widgets under a
// style of its own and cost the window's start for two colours.
void StyleBanner(QWidget& strip, QWidget& subtitle)
{
    QPalette stripColours = strip.palette();
    stripColours.setColor(QPalette::Window, QColor(0x0b, 0x2f, 0x47));
    strip.setPalette(stripColours);
    strip.setAutoFillBackground(true);
    QPalette subtitleColours = subtitle.palette();
    subtitleColours.setColor(QPalette::WindowText, QColor(0xcf, 0xe6, 0xf5));
    subtitle.setPalette(subtitleColours);
    QFont small = subtitle.font();
    small.setPixelSize(11);
    subtitle.setFont(small);
}

} // namespace

CKelvaneDlg::CKelvaneDlg(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CKelvaneDlg>())
{
    m_ui->setupUi(this);
    StyleBanner(*m_ui->bannerStrip, *m_ui->bannerSubtitle);
    ShowBanner();
    // activated, not currentIndexChanged: only the user's choice swaps pages,
    // never the selection that UpdateData sets.
    connect(m_ui->deviceList, &QComboBox::activated, this, &CKelvaneDlg::OnDeviceChanged);
    connect(m_ui->connectButton, &QPushButton::clicked, this, &CKelvaneDlg::OnConnect);
    connect(m_ui->portList, &QComboBox::currentIndexChanged, this, &CKelvaneDlg::ShowChosenPath);
    connect(m_ui->portList, &CPortList::Opening, this, &CKelvaneDlg::PortListOpening);
    connect(m_ui->assignPortButton, &QToolButton::clicked, this,
            [this] { Q_EMIT AssignPortRequested(m_ui->portList->currentIndex()); });
}

CKelvaneDlg::~CKelvaneDlg() = default;

void CKelvaneDlg::ShowBanner()
{
    m_ui->banner->setPixmap(
        ResourcePicture::Pixmap(QStringLiteral(":/images/banner.png"), devicePixelRatioF()));
}

// Moved to a screen of another density, the window draws the banner anew from
// the picture made for it.
void CKelvaneDlg::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    QWindow* const shownIn = window()->windowHandle();
    if (shownIn == nullptr || shownIn == m_watchedWindow)
        return;
    m_watchedWindow = shownIn;
    connect(shownIn, &QWindow::screenChanged, this, &CKelvaneDlg::ShowBanner);
}

ConverterModel CKelvaneDlg::Model() const
{
    return ModelAt(m_ui->deviceList->currentIndex());
}

int CKelvaneDlg::PortIndex() const
{
    return Confine(m_ui->portList->currentIndex(), *m_ui->portList);
}

void CKelvaneDlg::Select(ConverterModel model, int portIndex)
{
    m_ui->deviceList->setCurrentIndex(ConverterModels::DeviceTypeOf(model));
    m_ui->portList->setCurrentIndex(Confine(portIndex, *m_ui->portList));
}

void CKelvaneDlg::ShowPortSlots(const QList<PortSlot>& portSlots)
{
    for (const PortSlot& slot : portSlots) {
        const bool present = slot.IsPresent();
        QString details = slot.Details();
        if (!present)
            details += (details.isEmpty() ? QString() : QStringLiteral("\n")) + Absence(slot);
        m_ui->portList->ShowDevice(slot.index, slot.Summary(), details, !present);
    }
    ShowChosenPath();
}

void CKelvaneDlg::ShowChosenPath()
{
    m_ui->portList->setToolTip(m_ui->portList->currentData(Qt::ToolTipRole).toString());
}

void CKelvaneDlg::SetConnected(bool connected)
{
    m_ui->connectButton->setText(ConnectText(connected));
    m_ui->deviceList->setEnabled(!connected);
    m_ui->portList->setEnabled(!connected);
    m_ui->assignPortButton->setEnabled(!connected);
}

void CKelvaneDlg::OnConnect()
{
    Q_EMIT ConnectRequested(Model(), PortIndex());
}

void CKelvaneDlg::OnDeviceChanged()
{
    Q_EMIT DeviceChosen(Model());
}
