#include "CKelvaneSheet.h"

#include "CArmCanConfig.h"
#include "CBusyCursor.h"
#include "CConfigCommands.h"
#include "CMessageSink.h"
#include "CSheetPageSet.h"
#include "ConnectFlow.h"
#include "ConverterModel.h"
#include "PortNames.h"
#include "ui_CKelvaneSheet.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QSettings>
#include <QStyle>

namespace {

// Window frames are drawn by the window manager and not known before the
// window is shown; this is ample for common ones.
constexpr int kFrameAllowance = 16;

QString CanTabTitle()
{
    return QStringLiteral("CAN参数");
}

} // namespace

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CKelvaneSheet>()), m_messages(messages),
      m_selector(this), m_tranPage(messages, this), m_serialPage(this), m_canPage(this),
      m_canCfgPage(messages, this)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    m_ui->contentLayout->insertWidget(0, &m_selector);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    m_ui->sheetScroll->SetReserved(
        QSize(kFrameAllowance, m_ui->buttonRow->sizeHint().height() + titleBar + kFrameAllowance));
    m_canCfgPage.hide();

    connect(m_ui->tabs, &QTabWidget::currentChanged, this, &CKelvaneSheet::OnCurrentTabChanged);
    connect(&m_selector, &CKelvaneDlg::ConnectRequested, this, &CKelvaneSheet::OnConnectRequested);
    connect(&m_selector, &CKelvaneDlg::DeviceChosen, this, &CKelvaneSheet::OnDeviceChosen);
    connect(m_ui->defaultsButton, &QPushButton::clicked, this, &CKelvaneSheet::OnDefaults);
    connect(m_ui->readButton, &QPushButton::clicked, this, &CKelvaneSheet::OnRead);
    connect(m_ui->writeButton, &QPushButton::clicked, this, &CKelvaneSheet::OnWrite);

    AddPage(m_tranPage, QStringLiteral("转换参数"));
    AddPage(m_serialPage, QStringLiteral("串口参数"));
    AddPage(m_canPage, CanTabTitle());
    InitDialog();
}

CKelvaneSheet::~CKelvaneSheet()
{
    ClosePort();
    // The pages die before the tab widget does, and each one leaving its tab
    // must not reach back into this half-destroyed sheet.
    disconnect(m_ui->tabs, nullptr, this, nullptr);
}

void CKelvaneSheet::AddPage(QWidget& page, const QString& title)
{
    m_ui->tabs->addTab(&page, title);
}

void CKelvaneSheet::InitDialog()
{
    // Enter would otherwise press whichever button has the focus, on the
    // pages as well.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    for (int index = m_ui->tabs->count() - 1; index >= 0; --index) {
        m_ui->tabs->setCurrentIndex(index);
        m_ui->tabs->widget(index)->setEnabled(false);
    }

    m_selector.UpdateData(true);
    m_tranPage.UpdateData(true);
    m_serialPage.UpdateData(true);
    m_canPage.UpdateData(true);
    LoadProfile();
    m_selector.UpdateData(false);
    m_tranPage.UpdateData(false);
    m_serialPage.UpdateData(false);
    if (!ConverterModels::HasCanConfigPage(m_selector.m_nDeviceType)) {
        m_canPage.UpdateData(false);
    }
    m_selector.ShowPortPaths(m_profile.Settings());

    m_canCfgPage.m_strCanID = QString::fromLatin1(CArmCanConfig::kDefaultCanId);

    m_initialised = true;
    if (QWidget& canTab = ShownCanPage(); !IsPageOpen(canTab)) {
        CreatePageWindow(canTab);
    }
}

void CKelvaneSheet::LoadProfile()
{
    const ProfileSelection selection = m_profile.Load(m_canPage, m_serialPage, m_tranPage);
    m_selector.m_nDeviceType = selection.deviceType;
    m_selector.m_nPortIndex = selection.configPort;
    SwitchPages(selection.deviceType);
    m_profile.LoadArmCanBaud(m_canCfgPage);
}

void CKelvaneSheet::SwitchPages(int deviceType)
{
    const int active = m_ui->tabs->currentIndex();
    const bool canConfigPage = ConverterModels::HasCanConfigPage(deviceType);
    QWidget& leaving = canConfigPage ? static_cast<QWidget&>(m_canPage) : m_canCfgPage;
    QWidget& coming = canConfigPage ? static_cast<QWidget&>(m_canCfgPage) : m_canPage;
    const int leavingIndex = m_ui->tabs->indexOf(&leaving);
    if (leavingIndex >= 0) {
        m_ui->tabs->removeTab(leavingIndex);
        m_openPages.remove(&leaving);
        AddPage(coming, CanTabTitle());
        // The page gets its window at once rather than when first shown: the
        // commands act only on pages with a window, and a write must not send
        // the type-2 frame type as standard, nor skip the CAN configuration
        // block, just because its tab was never looked at.
        if (m_initialised) {
            CreatePageWindow(coming);
        }
    }
    const ConverterModel model =
        ConverterModels::FromDeviceType(deviceType).value_or(ConverterModel::OstrelA);
    m_serialPage.ConfigureForDevice(model);
    m_tranPage.ConfigureForDevice(model);
    m_ui->tabs->setCurrentIndex(active);
}

void CKelvaneSheet::OnCurrentTabChanged(int index)
{
    QWidget* page = m_ui->tabs->widget(index);
    if (page != nullptr && !IsPageOpen(*page)) {
        CreatePageWindow(*page);
    }
}

void CKelvaneSheet::CreatePageWindow(QWidget& widget)
{
    CSheetPage* page = PageOf(widget);
    if (page == nullptr) {
        return;
    }
    m_openPages.insert(&widget);
    widget.setEnabled(false);
    page->OnInitDialog();
    // A page swapped in while disconnected gets its window only when first
    // shown, which may be after the connect has enabled the others.
    if (m_port.IsOpen()) {
        EnablePage(widget, true);
    }
}

bool CKelvaneSheet::IsPageOpen(const QWidget& page) const
{
    return m_openPages.contains(&page);
}

std::array<CKelvaneSheet::PageEntry, 4> CKelvaneSheet::Pages()
{
    return {{{&m_tranPage, &m_tranPage},
             {&m_serialPage, &m_serialPage},
             {&m_canPage, &m_canPage},
             {&m_canCfgPage, &m_canCfgPage}}};
}

CSheetPage* CKelvaneSheet::PageOf(const QWidget& widget)
{
    for (const PageEntry& entry : Pages()) {
        if (entry.widget == &widget) {
            return entry.page;
        }
    }
    return nullptr;
}

CSheetPage& CKelvaneSheet::SheetPage(CPageSet::Page page)
{
    switch (page) {
    case CPageSet::Page::Tran:
        return m_tranPage;
    case CPageSet::Page::Serial:
        return m_serialPage;
    case CPageSet::Page::Can:
        return m_canPage;
    case CPageSet::Page::ArmCan:
        break;
    }
    return m_canCfgPage;
}

QWidget& CKelvaneSheet::ShownCanPage()
{
    if (m_ui->tabs->indexOf(&m_canCfgPage) >= 0) {
        return m_canCfgPage;
    }
    return m_canPage;
}

void CKelvaneSheet::EnablePages(bool enabled)
{
    for (const PageEntry& entry : Pages()) {
        EnablePage(*entry.widget, enabled);
    }
}

void CKelvaneSheet::EnableCanPages(bool enabled)
{
    EnablePage(m_canPage, enabled);
    EnablePage(m_canCfgPage, enabled);
}

void CKelvaneSheet::EnablePage(QWidget& widget, bool enabled)
{
    CSheetPage* page = PageOf(widget);
    if (page == nullptr || !IsPageOpen(widget)) {
        return;
    }
    widget.setEnabled(enabled);
    page->OnEnable(enabled);
}

void CKelvaneSheet::OnConnectRequested(int deviceType, int portIndex)
{
    const bool connected = ToggleConnection(deviceType, portIndex);
    for (const PageEntry& entry : Pages()) {
        entry.page->OnConnectionChanged(connected);
    }
    m_selector.SetConnected(connected);
    EnablePages(connected);
}

void CKelvaneSheet::OnDeviceChosen(int deviceType)
{
    SwitchPages(deviceType);
    EnableCanPages(m_port.IsOpen());
}

bool CKelvaneSheet::ToggleConnection(int deviceType, int portIndex)
{
    bool connected = false;
    if (m_port.IsOpen()) {
        m_port.Close();
    } else {
        connected = Connect(deviceType, portIndex);
    }
    EnableCommandButtons(connected);
    return connected;
}

bool CKelvaneSheet::Connect(int deviceType, int portIndex)
{
    const QString path = PortNames::DevicePath(portIndex, &m_profile.Settings());
    ConnectFlow::Outcome outcome = ConnectFlow::Outcome::Connected;
    {
        const CBusyCursor busy;
        outcome = ConnectFlow::Connect(m_port, deviceType, path);
    }
    if (const std::optional<UserMessage> message = ConnectFlow::MessageOf(outcome)) {
        m_messages.ShowMessage(message->caption, message->text);
        return false;
    }
    return true;
}

void CKelvaneSheet::ClosePort()
{
    if (m_port.IsOpen()) {
        m_port.Close();
    }
}

void CKelvaneSheet::EnableCommandButtons(bool enabled)
{
    m_ui->defaultsButton->setEnabled(enabled);
    m_ui->readButton->setEnabled(enabled);
    m_ui->writeButton->setEnabled(enabled);
}

void CKelvaneSheet::OnDefaults()
{
    CSheetPageSet pages(*this);
    CConfigCommands(pages, m_port, m_profile, m_messages).RestoreDefaults();
}

void CKelvaneSheet::OnRead()
{
    CSheetPageSet pages(*this);
    const CBusyCursor busy;
    CConfigCommands(pages, m_port, m_profile, m_messages).ReadConfig();
}

void CKelvaneSheet::OnWrite()
{
    CSheetPageSet pages(*this);
    const CBusyCursor busy;
    CConfigCommands(pages, m_port, m_profile, m_messages).WriteConfig();
}

void CKelvaneSheet::reject() {}

void CKelvaneSheet::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CKelvaneSheet::closeEvent(QCloseEvent* event)
{
    ClosePort();
    done(QDialog::Rejected);
    event->accept();
}
