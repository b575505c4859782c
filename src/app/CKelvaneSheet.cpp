#include "CKelvaneSheet.h"

#include "CArmCanConfig.h"
#include "CBusyCursor.h"
#include "CConfigCommands.h"
#include "CFrameProtocol.h"
#include "CMessageSink.h"
#include "CSheetPageSet.h"
#include "PortNames.h"
#include "ui_CKelvaneSheet.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QSettings>

namespace {

QString CanTabTitle()
{
    return QStringLiteral("CAN参数");
}

} // namespace

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CKelvaneSheet>()), m_messages(messages),
      m_selector(*this, this), m_tranPage(messages, this), m_serialPage(this), m_canPage(this),
      m_canCfgPage(messages, this)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    m_ui->sheetLayout->insertWidget(0, &m_selector);
    m_canCfgPage.hide();

    connect(m_ui->tabs, &QTabWidget::currentChanged, this, &CKelvaneSheet::OnCurrentTabChanged);
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
    if (m_selector.m_nDeviceType != 2) {
        m_canPage.UpdateData(false);
    }
    m_selector.ShowPortPaths(m_profile.Settings());

    m_canCfgPage.SetSerialPort(&m_port);
    m_canCfgPage.m_strCanID = QString::fromLatin1(CArmCanConfig::kDefaultCanId);

    m_initialised = true;
    if (QWidget* canTab = m_ui->tabs->widget(2); canTab != nullptr && !IsPageOpen(*canTab)) {
        CreatePageWindow(*canTab);
    }
}

void CKelvaneSheet::LoadProfile()
{
    const ProfileSelection selection = m_profile.Load(m_canPage, m_serialPage, m_tranPage);
    m_selector.m_nDeviceType = selection.deviceType;
    m_selector.m_nPortIndex = selection.configPort;
    SwitchPages(selection.deviceType == 2);
    m_canCfgPage.LoadArmCanBaud(m_profile.Settings());
}

void CKelvaneSheet::SwitchPages(bool type2)
{
    const int active = m_ui->tabs->currentIndex();
    QWidget& leaving = type2 ? static_cast<QWidget&>(m_canPage) : m_canCfgPage;
    QWidget& coming = type2 ? static_cast<QWidget&>(m_canCfgPage) : m_canPage;
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
    m_serialPage.ConfigureForDevice(type2);
    m_tranPage.ConfigureForDevice(type2);
    m_ui->tabs->setCurrentIndex(active);
}

void CKelvaneSheet::OnCurrentTabChanged(int index)
{
    QWidget* page = m_ui->tabs->widget(index);
    if (page != nullptr && !IsPageOpen(*page)) {
        CreatePageWindow(*page);
    }
}

void CKelvaneSheet::CreatePageWindow(QWidget& page)
{
    m_openPages.insert(&page);
    if (&page == &m_canCfgPage) {
        // The page sets its own controls from the port's state; the page as
        // a whole follows the connection like every other, so nothing on it
        // can be edited before a converter is connected.
        m_canCfgPage.setEnabled(m_port.IsOpen());
        m_canCfgPage.OnInitDialog();
        return;
    }
    page.setEnabled(false);
    if (&page == &m_tranPage) {
        m_tranPage.OnInitDialog();
    } else if (&page == &m_serialPage) {
        m_serialPage.OnInitDialog();
    } else if (&page == &m_canPage) {
        m_canPage.OnInitDialog();
    }
    // A page swapped in while disconnected gets its window only when first
    // shown, which may be after the connect has enabled the others.
    if (m_port.IsOpen()) {
        EnablePage(page, true);
    }
}

bool CKelvaneSheet::IsPageOpen(const QWidget& page) const
{
    return m_openPages.contains(&page);
}

void CKelvaneSheet::EnablePages(bool enabled)
{
    EnablePage(m_tranPage, enabled);
    EnablePage(m_serialPage, enabled);
    EnableCanPages(enabled);
    if (IsPageOpen(m_canCfgPage)) {
        m_canCfgPage.EnableControls(enabled);
    }
}

void CKelvaneSheet::EnableCanPages(bool enabled)
{
    EnablePage(m_canPage, enabled);
    EnablePage(m_canCfgPage, enabled);
}

void CKelvaneSheet::EnablePage(QWidget& page, bool enabled)
{
    if (!IsPageOpen(page)) {
        return;
    }
    page.setEnabled(enabled);
    // The CAN configuration page takes no notice of the notification; its
    // controls follow EnableControls instead.
    if (&page == &m_tranPage) {
        m_tranPage.OnEnable(enabled);
    } else if (&page == &m_serialPage) {
        m_serialPage.OnEnable(enabled);
    } else if (&page == &m_canPage) {
        m_canPage.OnEnable(enabled);
    }
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
    QString failure;
    {
        const CBusyCursor busy;
        if (!m_port.Open(path, CFrameProtocol::ConfigBaudRate(deviceType), 8, 0, 0)) {
            failure = QStringLiteral("当前串口不可用！");
        } else if (!CFrameProtocol(m_port).Handshake(deviceType)) {
            m_port.Close();
            failure = QStringLiteral("设备未连接！");
        }
    }
    if (failure.isEmpty()) {
        return true;
    }
    m_messages.ShowMessage(QStringLiteral("配置"), failure);
    return false;
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
