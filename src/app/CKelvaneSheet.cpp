#include "CKelvaneSheet.h"

#include "CArmCanConfig.h"
#include "CBatchDialog.h"
#include "CBusyCursor.h"
#include "CConfigCommands.h"
#include "CConfigDocument.h"
#include "CConfigFile.h"
#include "CDocumentTransfer.h"
#include "CFieldMarks.h"
#include "CHeldMessages.h"
#include "CInputBlock.h"
#include "CMessageSink.h"
#include "CPageSetCopy.h"
#include "CPortAssignDialog.h"
#include "CSheetPageSet.h"
#include "Configuration.h"
#include "ConnectFlow.h"
#include "ConverterModel.h"
#include "FlowMessages.h"
#include "PortNames.h"
#include "ResourcePicture.h"
#include "ui_CKelvaneSheet.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace {

// Window frames are drawn by the window manager and not known before the
// window is shown; this is ample for common ones.
constexpr int kFrameAllowance = 16;

// An exchange still running after this long shows its progress dialog.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressPollMs = 100;

QString TranTabTitle()
{
    return CKelvaneSheet::tr("转换参数");
}

QString SerialTabTitle()
{
    return CKelvaneSheet::tr("串口参数");
}

QString CanTabTitle()
{
    return CKelvaneSheet::tr("CAN参数");
}

// The controls under page that take the focus, in the window's focus chain.
QList<QWidget*> FocusControls(const QWidget& page)
{
    QList<QWidget*> controls;
    QWidget* const window = page.window();
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain())
        if (widget->focusPolicy() != Qt::NoFocus && page.isAncestorOf(widget))
            controls.append(widget);
    return controls;
}

// Enter would otherwise press whichever button has the focus, on the pages
// as well.
void NoDefaultButtons(const QWidget& root)
{
    for (QPushButton* button : root.findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

QString FileFilter()
{
    return CKelvaneSheet::tr("JSON 文档 (*.json);;所有文件 (*)");
}

const QLatin1String kDocumentSuffix(".json");

// A name typed without a suffix gets the document's, so that the import's
// filter lists the file; an existing file (a FIFO, a device) is taken as named.
QString WithDocumentSuffix(const QString& path)
{
    const QFileInfo file(path);
    if (!file.suffix().isEmpty() || file.exists())
        return path;
    return path + kDocumentSuffix;
}

} // namespace

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, QWidget* parent)
    : CKelvaneSheet(messages, m_systemPorts, parent)
{}

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, const CPortDetector& detector, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CKelvaneSheet>()), m_messages(messages),
      m_detector(detector), m_selector(this), m_tranPage(messages, this),
      m_serialPage(this, PageControls::Later), m_canPage(this, PageControls::Later),
      m_canCfgPage(messages, this, PageControls::Later), m_runner(m_port)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    m_ui->contentLayout->insertWidget(0, &m_selector);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int buttonRows = FitButtonRows();
    m_ui->sheetScroll->SetReserved(QSize(kFrameAllowance, buttonRows + titleBar + kFrameAllowance));
    m_canCfgPage.hide();

    connect(m_ui->tabs, &QTabWidget::currentChanged, this, &CKelvaneSheet::OnCurrentTabChanged);
    connect(&m_selector, &CKelvaneDlg::ConnectRequested, this, &CKelvaneSheet::OnConnectRequested);
    connect(&m_selector, &CKelvaneDlg::DeviceChosen, this, &CKelvaneSheet::OnDeviceChosen);
    connect(&m_selector, &CKelvaneDlg::PortListOpening, this, &CKelvaneSheet::ShowPortSlots);
    connect(&m_selector, &CKelvaneDlg::AssignPortRequested, this,
            &CKelvaneSheet::OnAssignPortRequested);
    connect(&m_hangupWatch, &CPortHangupWatch::HungUp, this, &CKelvaneSheet::OnPortHungUp);
    connect(m_ui->defaultsButton, &QPushButton::clicked, this, &CKelvaneSheet::OnDefaults);
    connect(m_ui->readButton, &QPushButton::clicked, this, &CKelvaneSheet::OnRead);
    connect(m_ui->writeButton, &QPushButton::clicked, this, &CKelvaneSheet::OnWrite);
    connect(m_ui->exportButton, &QToolButton::clicked, this, &CKelvaneSheet::OnExport);
    connect(m_ui->importButton, &QToolButton::clicked, this, &CKelvaneSheet::OnImport);
    connect(m_ui->verifyButton, &QPushButton::clicked, this, &CKelvaneSheet::OnVerify);
    connect(m_ui->batchButton, &QToolButton::clicked, this, &CKelvaneSheet::OnBatch);
    // A button's mnemonic replaces any shortcut set on it, so the documented
    // Ctrl+S and Ctrl+O live beside their buttons.
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), *m_ui->exportButton);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), *m_ui->importButton);
    // A save that failed is told after what the command showed, on the
    // window's thread; the saver speaks from its own.
    m_profileSaver.SetFailureHandler([this](const QString& why) {
        QMetaObject::invokeMethod(
            this,
            [this, why] {
                m_messages.ShowMessage(FlowMessages::WarningCaption(),
                                       FlowMessages::ValuesNotRemembered(), why);
            },
            Qt::QueuedConnection);
    });
    m_showProgress.setSingleShot(true);
    m_showProgress.setInterval(kProgressDelayMs);
    connect(&m_showProgress, &QTimer::timeout, this, [this] {
        // The dialog's Cancel button wants the ordinary pointer.
        m_busyCursor.reset();
        ExchangeDialog().show();
    });
    m_pollProgress.setInterval(kProgressPollMs);
    connect(&m_pollProgress, &QTimer::timeout, this, &CKelvaneSheet::ShowExchangeProgress);

    AddPage(m_tranPage, TranTabTitle());
    AddPage(m_serialPage, SerialTabTitle());
    AddPage(m_canPage, CanTabTitle());
    FitTabs();
    InitDialog();
    m_ui->sheetScroll->TakePageSize();
}

void CKelvaneSheet::AddShortcut(const QKeySequence& keys, QAbstractButton& button)
{
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, &button, &QAbstractButton::click);
}

// The sheet's size is fixed by its layout; were it to follow the pages of the
// model chosen, the buttons below them would move under the pointer.
void CKelvaneSheet::FitTabs()
{
    m_tabsFittedFor = TabsFittedFor();
    m_rememberedTabs = m_profile.TabsSize(m_tabsFittedFor);
    if (!m_rememberedTabs.isValid())
        m_measuredTabs = MeasureTabs();
    m_ui->tabs->setMinimumSize(m_rememberedTabs.isValid() ? m_rememberedTabs : m_measuredTabs);
}

QSize CKelvaneSheet::MeasureTabs()
{
    // Declared before the pages, so that they leave it before it goes.
    QTabWidget tabs(m_ui->tabs->parentWidget());
    tabs.hide();
    CTranPage tran(m_messages);
    CSerialPage serial;
    CCanPage can;
    CPageArmCfgCan canConfig(m_messages);
    tabs.addTab(&tran, TranTabTitle());
    tabs.addTab(&serial, SerialTabTitle());
    QSize largest;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        tran.ConfigureForDevice(facts.model);
        serial.ConfigureForDevice(facts.model);
        if (tabs.count() > 2)
            tabs.removeTab(2);
        tabs.addTab(facts.hasCanConfigPage ? static_cast<QWidget*>(&canConfig) : &can,
                    CanTabTitle());
        largest = largest.expandedTo(tabs.sizeHint());
    }
    return largest;
}

QString CKelvaneSheet::TabsFittedFor() const
{
    const QScreen* shownOn = screen();
    return QStringList{QStringLiteral(KELVANE_VERSION),
                       QString::fromLatin1(qVersion()),
                       style()->name(),
                       font().toString(),
                       TranTabTitle(),
                       QString::number(shownOn ? shownOn->logicalDotsPerInch() : 0),
                       QString::number(devicePixelRatioF())}
        .join(QLatin1Char('|'));
}

void CKelvaneSheet::RememberTabsSize()
{
    if (!m_measuredTabs.isValid() || m_measuredTabs == m_rememberedTabs)
        return;
    CProfile sizeSave = CProfile::Deferred();
    // Under the start's own key, whatever screen the window has moved to.
    sizeSave.SaveTabsSize(m_measuredTabs, m_tabsFittedFor);
    // Only a help for the next start: a failure is not the user's concern.
    m_profileSaver.Commit(sizeSave, [](bool, const QString&) {});
    m_rememberedTabs = m_measuredTabs;
}

void CKelvaneSheet::BuildPages()
{
    if (m_pagesBuilt)
        return;
    m_pagesBuilt = true;
    const ConverterModel model = m_selector.Model();
    for (const PageEntry& entry : Pages()) {
        if (entry.page->HasControls())
            continue;
        entry.page->BuildControls();
        NoDefaultButtons(*entry.widget);
        // As the start left the page built with it: for the model chosen,
        // its fields shown without changing any.
        if (entry.widget == &m_serialPage)
            m_serialPage.ConfigureForDevice(model);
        if (!IsPageOpen(*entry.widget))
            continue;
        entry.page->ShowFields();
        if (m_port.IsOpen())
            EnablePage(*entry.widget, true);
    }
    // Made last, their controls would come after the buttons in the focus
    // chain; the Tab key visits them after the first page's, as it would had
    // they been made with it.
    const QList<QWidget*> first = FocusControls(m_tranPage);
    QWidget* previous = first.isEmpty() ? nullptr : first.last();
    for (const QWidget* page :
         {static_cast<QWidget*>(&m_serialPage), static_cast<QWidget*>(&m_canPage),
          static_cast<QWidget*>(&m_canCfgPage)})
        for (QWidget* control : FocusControls(*page)) {
            if (previous)
                QWidget::setTabOrder(previous, control);
            previous = control;
        }
    UpdateMarks();
}

CKelvaneSheet::~CKelvaneSheet()
{
    m_runner.Abandon();
    ClosePort();
    // The pages die before the tab widget does, and each one leaving its tab
    // must not reach back into this half-destroyed sheet.
    disconnect(m_ui->tabs, nullptr, this, nullptr);
}

// On a screen too narrow for one row of buttons (at a large scale factor)
// the file buttons go on a row of their own above the commands. Returns the
// height the rows take.
int CKelvaneSheet::FitButtonRows()
{
    const int room = screen()->availableGeometry().width() - kFrameAllowance;
    if (m_ui->buttonRow->sizeHint().width() <= room)
        return m_ui->buttonRow->sizeHint().height();
    auto* fileRow = new QHBoxLayout;
    m_ui->sheetLayout->insertLayout(m_ui->sheetLayout->indexOf(m_ui->buttonRow), fileRow);
    QMargins margins = m_ui->buttonRow->contentsMargins();
    fileRow->setContentsMargins(margins.left(), margins.top(), margins.right(), 0);
    for (QWidget* button :
         {static_cast<QWidget*>(m_ui->exportButton), static_cast<QWidget*>(m_ui->importButton),
          static_cast<QWidget*>(m_ui->batchButton)}) {
        m_ui->buttonRow->removeWidget(button);
        fileRow->addWidget(button);
    }
    fileRow->addStretch();
    return fileRow->sizeHint().height() + m_ui->buttonRow->sizeHint().height();
}

void CKelvaneSheet::AddPage(QWidget& page, const QString& title)
{
    m_ui->tabs->addTab(&page, title);
}

void CKelvaneSheet::InitDialog()
{
    NoDefaultButtons(*this);

    for (int index = m_ui->tabs->count() - 1; index >= 0; --index) {
        m_ui->tabs->setCurrentIndex(index);
        m_ui->tabs->widget(index)->setEnabled(false);
    }

    // The other pages have no controls yet: BuildPages shows their fields.
    m_tranPage.UpdateData(true);
    LoadProfile();
    m_tranPage.UpdateData(false);

    m_canCfgPage.m_strCanID = QString::fromLatin1(CArmCanConfig::kDefaultCanId);

    m_initialised = true;
    if (QWidget& canTab = ShownCanPage(); !IsPageOpen(canTab))
        CreatePageWindow(canTab);
}

void CKelvaneSheet::LoadProfile()
{
    const ProfileSelection selection = m_profile.Load(m_canPage, m_serialPage, m_tranPage);
    m_selector.Select(selection.model, selection.configPort);
    SwitchPages(selection.model);
    m_profile.LoadArmCanBaud(m_canCfgPage);
}

void CKelvaneSheet::SwitchPages(ConverterModel model)
{
    if (m_initialised)
        BuildPages();
    const int active = m_ui->tabs->currentIndex();
    const bool canConfigPage = ConverterModels::Facts(model).hasCanConfigPage;
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
        if (m_initialised)
            CreatePageWindow(coming);
    }
    // At the start BuildPages configures the serial page once it has controls.
    if (m_serialPage.HasControls())
        m_serialPage.ConfigureForDevice(model);
    m_tranPage.ConfigureForDevice(model);
    m_ui->tabs->setCurrentIndex(active);
}

void CKelvaneSheet::OnCurrentTabChanged(int index)
{
    if (m_initialised)
        BuildPages();
    QWidget* page = m_ui->tabs->widget(index);
    if (page != nullptr && !IsPageOpen(*page))
        CreatePageWindow(*page);
}

void CKelvaneSheet::CreatePageWindow(QWidget& widget)
{
    CSheetPage* page = PageOf(widget);
    if (page == nullptr)
        return;
    m_openPages.insert(&widget);
    widget.setEnabled(false);
    // One whose controls are still to be made shows its fields then.
    if (!page->HasControls())
        return;
    page->OnInitDialog();
    // A page swapped in while disconnected gets its window only when first
    // shown, which may be after the connect has enabled the others.
    if (m_port.IsOpen())
        EnablePage(widget, true);
    if (m_initialised)
        UpdateMarks();
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
    for (const PageEntry& entry : Pages())
        if (entry.widget == &widget)
            return entry.page;
    return nullptr;
}

CSheetPage& CKelvaneSheet::SheetPage(CPageSet::Page page)
{
    BuildPages();
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
    if (m_ui->tabs->indexOf(&m_canCfgPage) >= 0)
        return m_canCfgPage;
    return m_canPage;
}

void CKelvaneSheet::EnablePages(bool enabled)
{
    for (const PageEntry& entry : Pages())
        EnablePage(*entry.widget, enabled);
}

void CKelvaneSheet::EnableCanPages(bool enabled)
{
    EnablePage(m_canPage, enabled);
    EnablePage(m_canCfgPage, enabled);
}

void CKelvaneSheet::EnablePage(QWidget& widget, bool enabled)
{
    BuildPages();
    CSheetPage* page = PageOf(widget);
    if (page == nullptr || !IsPageOpen(widget))
        return;
    widget.setEnabled(enabled);
    page->OnEnable(enabled);
}

void CKelvaneSheet::OnConnectRequested(ConverterModel model, int portIndex)
{
    if (!IsExchanging())
        ToggleConnection(model, portIndex);
}

void CKelvaneSheet::ApplyConnectionState(bool connected)
{
    EnableCommandButtons(connected);
    for (const PageEntry& entry : Pages())
        entry.page->OnConnectionChanged(connected);
    m_selector.SetConnected(connected);
    EnablePages(connected);
}

QList<PortSlot> CKelvaneSheet::ResolvePortSlots()
{
    return ResolvePortSlots(m_detector.DetectPorts());
}

QList<PortSlot> CKelvaneSheet::ResolvePortSlots(const QList<DetectedPort>& detected)
{
    return PortNames::ResolveSlots(ShownPortMap(), detected);
}

PortMap CKelvaneSheet::ShownPortMap()
{
    m_profile.Reload();
    PortMap shown = m_profile.LoadPortMap();
    for (const auto& [portIndex, pending] : m_pendingPorts)
        shown.paths.at(std::size_t(portIndex)) = pending.path;
    return shown;
}

void CKelvaneSheet::ShowPortSlots()
{
    m_selector.ShowPortSlots(ResolvePortSlots());
}

void CKelvaneSheet::OnAssignPortRequested(int portIndex)
{
    if (IsExchanging() || portIndex < 0 || portIndex >= PortNames::kPortCount)
        return;
    CPortAssignDialog dialog(PortNames::DisplayName(portIndex), ShownPortMap().PathOf(portIndex),
                             m_detector.DetectPorts(), this);
    if (dialog.exec() == QDialog::Accepted)
        AssignPort(portIndex, dialog.Path());
}

void CKelvaneSheet::AssignPort(int portIndex, const QString& path)
{
    if (portIndex < 0 || portIndex >= PortNames::kPortCount)
        return;
    CProfile portSave = CProfile::Deferred();
    portSave.SavePortPath(portIndex, path);
    const quint64 save = ++m_portSaves;
    m_pendingPorts[portIndex] = {save, path};
    m_profileSaver.Commit(portSave, [this, portIndex, save](bool written, const QString&) {
        QMetaObject::invokeMethod(
            this, [this, portIndex, save, written] { OnPortSaved(portIndex, save, written); },
            Qt::QueuedConnection);
    });
    ShowPortSlots();
}

void CKelvaneSheet::OnPortSaved(int portIndex, quint64 save, bool written)
{
    const auto pending = m_pendingPorts.find(portIndex);
    if (pending != m_pendingPorts.end() && pending->second.save == save)
        m_pendingPorts.erase(pending);
    if (written)
        return;
    m_messages.ShowMessage(FlowMessages::Caption(), FlowMessages::PortsNotSaved(),
                           m_profile.FileName());
    ShowPortSlots();
}

void CKelvaneSheet::OnPortHungUp()
{
    m_hangupWatch.Stop();
    if (!m_port.IsOpen())
        return;
    ClosePort();
    ApplyConnectionState(false);
    m_messages.ShowMessage(ConnectFlow::HungUpMessage(m_connectedPath));
}

void CKelvaneSheet::CheckPortStillThere()
{
    if (m_port.IsOpen() && m_port.HasHungUp())
        OnPortHungUp();
}

void CKelvaneSheet::OnDeviceChosen(ConverterModel model)
{
    if (IsExchanging())
        return;
    SwitchPages(model);
    EnableCanPages(m_port.IsOpen());
}

void CKelvaneSheet::ToggleConnection(ConverterModel model, int portIndex)
{
    if (m_port.IsOpen()) {
        ClosePort();
        ApplyConnectionState(false);
        return;
    }
    Connect(model, portIndex);
}

void CKelvaneSheet::Connect(ConverterModel model, int portIndex)
{
    // Asking the system for its ports takes a moment: only for a slot
    // without a [Ports] entry, or for the message of a failed connect.
    const PortMap portMap = ShownPortMap();
    const bool needed = PortNames::NeedsDetectedPorts(PortNames::DisplayName(portIndex), portMap);
    const QList<DetectedPort> detected = needed ? m_detector.DetectPorts() : QList<DetectedPort>();
    const QList<PortSlot> portSlots = PortNames::ResolveSlots(portMap, detected);
    const QString path =
        portIndex >= 0 && portIndex < portSlots.size() ? portSlots.at(portIndex).path : QString();
    auto outcome = std::make_shared<ConnectFlow::Outcome>(ConnectFlow::Outcome::NoConverter);
    auto failure = std::make_shared<std::optional<UserMessage>>();
    RunExchange(
        FlowMessages::Connecting(),
        [this, outcome, failure, model, path, needed, detected] {
            *outcome = ConnectFlow::Connect(m_port, model, path);
            // Finding out why can take its own exchanges (asking the other
            // models), so it stays off the window's thread too; a cancelled
            // connect has nothing to explain.
            if (*outcome != ConnectFlow::Outcome::Connected && !m_port.IsCancelled())
                *failure = ConnectFlow::Diagnose(*outcome, m_port, model, path,
                                                 needed ? detected : m_detector.DetectPorts());
        },
        [this, outcome, failure, path, needed, portSlots] {
            if (needed)
                m_selector.ShowPortSlots(portSlots);
            // The user asked for the cancel and needs no box to confirm it.
            if (*outcome != ConnectFlow::Outcome::Connected && m_runner.WasCancelled()) {
                *failure = UserMessage{FlowMessages::Caption(), FlowMessages::ConnectCancelled()};
                ShowStatus(**failure);
            } else if (*failure) {
                m_messages.ShowMessage(**failure);
            } else {
                m_connectedPath = path;
                // Another converter may be on the line now.
                m_converterHolds.reset();
                UpdateMarks();
            }
            ApplyConnectionState(!*failure);
        });
}

void CKelvaneSheet::RunExchange(const QString& step, std::function<void()> work,
                                std::function<void()> done)
{
    m_hangupWatch.Stop();
    ShowStatus({});
    m_inputBlock = std::make_unique<CInputBlock>(*this);
    m_busyCursor = std::make_unique<CBusyCursor>();
    ExchangeDialog().Begin(step);
    m_showProgress.start();
    m_pollProgress.start();
    m_runner.Start(std::move(work), [this, done = std::move(done)] { EndExchange(done); });
}

void CKelvaneSheet::EndExchange(const std::function<void()>& done)
{
    m_showProgress.stop();
    m_pollProgress.stop();
    if (m_exchangeDialog && m_exchangeDialog->isVisible()) {
        const bool active = m_exchangeDialog->isActiveWindow();
        m_exchangeDialog->hide();
        // Not every platform gives the activation back to the dialog's owner.
        if (active)
            activateWindow();
    }
    m_busyCursor.reset();
    m_inputBlock.reset();
    done();
    if (m_port.IsOpen())
        m_hangupWatch.Watch(m_port);
    Q_EMIT ExchangeFinished();
    if (std::exchange(m_closeRequested, false))
        close();
}

void CKelvaneSheet::ShowExchangeProgress()
{
    ExchangeDialog().ShowProgress(m_runner.Received(), m_runner.Expected());
}

// Made with the first exchange: its button's icon comes from the icon theme,
// a search of the disk the window's first frame should not wait for.
CExchangeDialog& CKelvaneSheet::ExchangeDialog()
{
    if (!m_exchangeDialog) {
        m_exchangeDialog = new CExchangeDialog(this);
        connect(m_exchangeDialog, &CExchangeDialog::CancelRequested, this,
                &CKelvaneSheet::CancelExchange);
    }
    return *m_exchangeDialog;
}

void CKelvaneSheet::CancelExchange()
{
    m_runner.Cancel();
}

void CKelvaneSheet::RunCommand(const QString& step, const Command& command)
{
    struct Job
    {
        explicit Job(CPageSet& pages) : pages(pages), profile(CProfile::Deferred()) {}
        CPageSetCopy pages;
        CProfile profile;
        CHeldMessages messages;
        CommandOutcome outcome = CommandOutcome::Failed;
    };
    CSheetPageSet sheetPages(*this);
    auto job = std::make_shared<Job>(sheetPages);
    RunExchange(
        step,
        [this, job, command] {
            CConfigCommands commands(job->pages, m_port, job->profile, job->messages);
            job->outcome = command(commands);
        },
        [this, job] {
            // A cancelled command leaves the pages and the profile as they were.
            if (job->outcome != CommandOutcome::Cancelled) {
                CSheetPageSet pages(*this);
                job->pages.ApplyTo(pages);
                m_profileSaver.Commit(job->profile);
                if (job->outcome == CommandOutcome::Succeeded)
                    RememberConverter(pages.Fields());
            }
            // A line that went away ends the command with the hang-up's own
            // message instead of "通信出错！"; a cancel the user asked for
            // is shown in the window, without a box.
            const bool hungUp = job->outcome == CommandOutcome::Failed && m_port.HasHungUp();
            const bool cancelled = job->outcome == CommandOutcome::Cancelled;
            QList<UserMessage> messages = job->messages.Held();
            if (cancelled && !messages.isEmpty())
                ShowStatus(messages.takeLast());
            if (hungUp && !messages.isEmpty())
                messages.removeLast();
            for (const UserMessage& message : std::as_const(messages))
                m_messages.ShowMessage(message);
            CheckPortStillThere();
        });
}

void CKelvaneSheet::ShowStatus(const UserMessage& message)
{
    const QString text =
        message.detail.isEmpty() ? message.text : message.text + QLatin1Char(' ') + message.detail;
    m_ui->statusLabel->setText(text);
    m_ui->statusLabel->setToolTip(text);
}

void CKelvaneSheet::ClosePort()
{
    m_hangupWatch.Stop();
    if (m_port.IsOpen())
        m_port.Close();
}

void CKelvaneSheet::EnableCommandButtons(bool enabled)
{
    m_ui->defaultsButton->setEnabled(enabled);
    m_ui->readButton->setEnabled(enabled);
    m_ui->writeButton->setEnabled(enabled);
    m_ui->verifyButton->setEnabled(enabled);
    m_ui->exportButton->setEnabled(enabled);
    m_ui->importButton->setEnabled(enabled);
}

void CKelvaneSheet::OnDefaults()
{
    if (IsExchanging())
        return;
    CSheetPageSet pages(*this);
    CConfigCommands(pages, m_port, m_profile, m_messages).RestoreDefaults();
    UpdateMarks();
}

void CKelvaneSheet::OnRead()
{
    if (IsExchanging() || !m_port.IsOpen())
        return;
    CSheetPageSet pages(*this);
    CConfigCommands::StoreForRead(pages);
    RunCommand(FlowMessages::Reading(),
               [](CConfigCommands& commands) { return commands.ReadConfig(); });
}

void CKelvaneSheet::OnWrite()
{
    if (IsExchanging() || !m_port.IsOpen())
        return;
    CSheetPageSet pages(*this);
    CConfigCommands::StoreForWrite(pages);
    RunCommand(FlowMessages::Writing(),
               [](CConfigCommands& commands) { return commands.WriteConfig(); });
}

void CKelvaneSheet::OnExport()
{
    if (IsExchanging())
        return;
    const QString chosen = ChosenFile(FileChoice::Export);
    if (chosen.isEmpty())
        return;
    const QString path = WithDocumentSuffix(chosen);
    CSheetPageSet pages(*this);
    const std::optional<QByteArray> text = CDocumentTransfer::Export(pages, m_messages);
    if (!text)
        return;
    if (const std::optional<QString> error = CConfigFile::Save(path, *text))
        m_messages.ShowMessage(FlowMessages::RefusalCaption(), *error);
}

void CKelvaneSheet::OnImport()
{
    if (IsExchanging())
        return;
    const QString path = ChosenFile(FileChoice::Import);
    if (path.isEmpty())
        return;
    struct Job
    {
        Configuration loaded;
        std::optional<QString> refusal;
    };
    auto job = std::make_shared<Job>();
    job->loaded.model = m_selector.Model();
    // A large document takes a while to read and parse: off the window's
    // thread, the way an exchange runs, though the converter is not asked.
    RunExchange(
        tr("正在导入…"),
        [job, path] {
            QByteArray text;
            if (std::optional<QString> error = CConfigFile::Load(path, text))
                job->refusal = *error;
            else if (const std::optional<DocumentRefusal> refusal =
                         CConfigDocument::Load(text, job->loaded))
                job->refusal =
                    QStringLiteral("\"%1\": %2").arg(QFileInfo(path).fileName(), refusal->text);
        },
        [this, job] {
            if (m_runner.WasCancelled())
                return;
            if (job->refusal) {
                m_messages.ShowMessage(FlowMessages::RefusalCaption(), *job->refusal);
                return;
            }
            CSheetPageSet pages(*this);
            CDocumentTransfer::Show(job->loaded, pages);
            UpdateMarks();
        });
}

void CKelvaneSheet::OnVerify()
{
    if (IsExchanging() || !m_port.IsOpen())
        return;
    struct Job
    {
        explicit Job(CPageSet& pages) : converter(pages), profile(CProfile::Deferred()) {}
        CPageSetCopy converter;
        CProfile profile;
        CHeldMessages messages;
        CommandOutcome outcome = CommandOutcome::Failed;
    };
    CSheetPageSet pages(*this);
    CConfigCommands::StoreForWrite(pages);
    auto job = std::make_shared<Job>(pages);
    RunExchange(
        FlowMessages::Reading(),
        [this, job] {
            job->outcome =
                CConfigCommands(job->converter, m_port, job->profile, job->messages).ReadConfig();
        },
        [this, job] {
            // What the converter holds goes into a copy: the pages keep their
            // values, and only its failure is told.
            if (job->outcome != CommandOutcome::Succeeded) {
                // As for a read: a line that went away speaks for itself.
                QList<UserMessage> messages = job->messages.Held();
                if (job->outcome == CommandOutcome::Failed && m_port.HasHungUp() &&
                    !messages.isEmpty())
                    messages.removeLast();
                for (const UserMessage& message : std::as_const(messages))
                    m_messages.ShowMessage(message);
                CheckPortStillThere();
                return;
            }
            RememberConverter(job->converter.Fields());
            const int count = int(m_markedKeys.size());
            m_messages.ShowMessage(tr("校验"),
                                   count == 0 ? tr("页面上的值与转换器中的一致")
                                              : tr("有 %n 个字段与转换器中的不同", nullptr, count),
                                   m_markedKeys.join(QStringLiteral(", ")));
        });
}

void CKelvaneSheet::OnBatch()
{
    if (IsExchanging())
        return;
    const QList<DetectedPort> detected = m_detector.DetectPorts();
    auto* dialog = new CBatchDialog(
        m_selector.Model(), ResolvePortSlots(detected), detected,
        m_port.IsOpen() ? m_connectedPath : QString(),
        [this] {
            CSheetPageSet pages(*this);
            return CDocumentTransfer::Export(pages, m_messages);
        },
        m_messages, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void CKelvaneSheet::RememberConverter(const Configuration& held)
{
    m_converterHolds = held;
    UpdateMarks();
}

void CKelvaneSheet::UpdateMarks()
{
    CSheetPageSet pages(*this);
    const QStringList keys = m_converterHolds
                                 ? CFieldMarks::DifferingKeys(pages.Fields(), *m_converterHolds)
                                 : QStringList();
    m_markedKeys = CFieldMarks::Apply(
        keys,
        [this](CPageSet::Page page) -> QWidget* {
            QWidget* widget = dynamic_cast<QWidget*>(&SheetPage(page));
            return widget != nullptr && IsPageOpen(*widget) ? widget : nullptr;
        },
        *m_ui->tabs);
}

QString CKelvaneSheet::ChosenFile(FileChoice choice)
{
    // The last choice may have been saved by the saver since the window read the file.
    m_profile.Reload();
    QString folder = m_profile.ConfigFolder();
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString proposal =
        choice == FileChoice::Export ? QDir(folder).filePath(ProposedExportName()) : folder;
    const QString path = ChooseFile(choice, proposal);
    if (!path.isEmpty()) {
        CProfile folderSave = CProfile::Deferred();
        folderSave.SaveConfigFolder(QFileInfo(path).absolutePath());
        m_profileSaver.Commit(folderSave);
    }
    return path;
}

QString CKelvaneSheet::ProposedExportName() const
{
    return ConverterModels::DisplayName(m_selector.Model()) + QLatin1Char('-') +
           QDate::currentDate().toString(Qt::ISODate) + kDocumentSuffix;
}

QString CKelvaneSheet::ChooseFile(FileChoice choice, const QString& proposal)
{
    if (m_chooseFile)
        return m_chooseFile(choice, proposal);
    if (choice == FileChoice::Export)
        return QFileDialog::getSaveFileName(this, tr("导出"), proposal, FileFilter());
    return QFileDialog::getOpenFileName(this, tr("导入"), proposal, FileFilter());
}

void CKelvaneSheet::EndOnSignal(int signal)
{
    m_endedBy = signal;
    close();
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

void CKelvaneSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shownBefore)
        return;
    m_shownBefore = true;
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
    else
        QTimer::singleShot(0, this, &CKelvaneSheet::OnFirstFrame);
}

// The window paints as it handles its first expose; whatever is queued then
// comes after the first frame.
bool CKelvaneSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        QTimer::singleShot(0, this, &CKelvaneSheet::OnFirstFrame);
    }
    return QDialog::eventFilter(watched, event);
}

void CKelvaneSheet::OnFirstFrame()
{
    BuildPages();
    // A size kept from an earlier run is checked against the pages as they
    // are now; another font or density than the one remembered shows here.
    if (!m_measuredTabs.isValid()) {
        m_measuredTabs = MeasureTabs();
        if (m_measuredTabs != m_rememberedTabs) {
            m_ui->tabs->setMinimumSize(m_measuredTabs);
            m_ui->sheetScroll->TakePageSize();
        }
    }
    // Until now the system shows its own: the executable's on Windows, a
    // generic one on X11.
    setWindowIcon(ResourcePicture::Icon(QStringLiteral(":/icons/kelvane.png")));
    ShowPortSlots();
    if (const std::optional<CProfile::Untouched>& untouched = m_profile.LeftUntouched())
        m_messages.ShowMessage(FlowMessages::WarningCaption(), untouched->why);
}

void CKelvaneSheet::closeEvent(QCloseEvent* event)
{
    if (IsExchanging()) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    ClosePort();
    RememberTabsSize();
    done(QDialog::Rejected);
    event->accept();
}
