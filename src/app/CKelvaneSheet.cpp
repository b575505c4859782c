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
#include "CSheetPageSet.h"
#include "Configuration.h"
#include "ConnectFlow.h"
#include "ConverterModel.h"
#include "FlowMessages.h"
#include "ResourcePicture.h"
#include "ui_CKelvaneSheet.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
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

} // namespace

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, QWidget* parent)
    : CKelvaneSheet(messages, m_systemPorts, parent)
{}

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, const CPortDetector& detector, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CKelvaneSheet>()), m_messages(messages),
      m_detector(detector),
      m_portSlots(m_profile, m_profileSaver, detector, messages, m_selector, *this),
      m_files(m_profile, m_profileSaver, *this), m_selector(this),
      m_pages(messages, *this, [this] { return m_selector.Model(); }), m_runner(m_port)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    m_ui->contentLayout->insertWidget(0, &m_selector);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int buttonRows = FitButtonRows();
    m_ui->sheetScroll->SetReserved(QSize(kFrameAllowance, buttonRows + titleBar + kFrameAllowance));
    m_pages.AddTo(*m_ui->tabs);
    connect(&m_pages, &CSheetPages::PagesChanged, this, &CKelvaneSheet::UpdateMarks);
    connect(&m_selector, &CKelvaneDlg::ConnectRequested, this, &CKelvaneSheet::OnConnectRequested);
    connect(&m_selector, &CKelvaneDlg::DeviceChosen, this, &CKelvaneSheet::OnDeviceChosen);
    connect(&m_selector, &CKelvaneDlg::PortListOpening, &m_portSlots, &CPortSlots::Show);
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

    m_pages.FitTabs(m_profile);
    InitDialog();
    m_ui->sheetScroll->TakePageSize();
}

void CKelvaneSheet::AddShortcut(const QKeySequence& keys, QAbstractButton& button)
{
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, &button, &QAbstractButton::click);
}

CKelvaneSheet::~CKelvaneSheet()
{
    m_runner.Abandon();
    ClosePort();
}

CSheetPageSet CKelvaneSheet::PageSet()
{
    return CSheetPageSet(m_pages, m_selector);
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

void CKelvaneSheet::InitDialog()
{
    CSheetPages::NoDefaultButtons(*this);
    m_pages.OpenTabs();

    // The other pages have no controls yet: Build shows their fields.
    m_pages.Tran().UpdateData(true);
    LoadProfile();
    m_pages.Tran().UpdateData(false);

    m_pages.CanConfig().m_strCanID = QString::fromLatin1(CArmCanConfig::kDefaultCanId);
    m_pages.Started();
}

void CKelvaneSheet::LoadProfile()
{
    const ProfileSelection selection =
        m_profile.Load(m_pages.Can(), m_pages.Serial(), m_pages.Tran());
    m_selector.Select(selection.model, selection.configPort);
    m_pages.Switch(selection.model);
    m_profile.LoadArmCanBaud(m_pages.CanConfig());
}

void CKelvaneSheet::OnConnectRequested(ConverterModel model, int portIndex)
{
    if (!IsExchanging())
        ToggleConnection(model, portIndex);
}

void CKelvaneSheet::ApplyConnectionState(bool connected)
{
    EnableCommandButtons(connected);
    m_pages.SetConnected(connected);
    m_selector.SetConnected(connected);
    m_pages.EnableOpen();
}

void CKelvaneSheet::OnAssignPortRequested(int portIndex)
{
    if (!IsExchanging())
        m_portSlots.Ask(portIndex);
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
    m_pages.Switch(model);
    m_pages.RefreshCanPages();
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
    // The system's ports are asked for only when the slot needs them, or
    // for the message of a failed connect.
    const CPortSlots::Target target = m_portSlots.TargetOf(portIndex);
    const QString path = target.path;
    const bool needed = target.detectedNeeded;
    const QList<DetectedPort> detected = target.detected;
    const QList<PortSlot> portSlots = target.portSlots;
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
    CSheetPageSet sheetPages = PageSet();
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
                CSheetPageSet pages = PageSet();
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
    CSheetPageSet pages = PageSet();
    CConfigCommands(pages, m_port, m_profile, m_messages).RestoreDefaults();
    UpdateMarks();
}

void CKelvaneSheet::OnRead()
{
    if (IsExchanging() || !m_port.IsOpen())
        return;
    CSheetPageSet pages = PageSet();
    CConfigCommands::StoreForRead(pages);
    RunCommand(FlowMessages::Reading(),
               [](CConfigCommands& commands) { return commands.ReadConfig(); });
}

void CKelvaneSheet::OnWrite()
{
    if (IsExchanging() || !m_port.IsOpen())
        return;
    CSheetPageSet pages = PageSet();
    CConfigCommands::StoreForWrite(pages);
    RunCommand(FlowMessages::Writing(),
               [](CConfigCommands& commands) { return commands.WriteConfig(); });
}

void CKelvaneSheet::OnExport()
{
    if (IsExchanging())
        return;
    const QString chosen = m_files.Choose(FileChoice::Export, m_selector.Model());
    if (chosen.isEmpty())
        return;
    const QString path = CFileChoice::WithDocumentSuffix(chosen);
    CSheetPageSet pages = PageSet();
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
    const QString path = m_files.Choose(FileChoice::Import, m_selector.Model());
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
            CSheetPageSet pages = PageSet();
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
    CSheetPageSet pages = PageSet();
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
        m_selector.Model(), m_portSlots.Resolve(detected), detected,
        m_port.IsOpen() ? m_connectedPath : QString(),
        [this] {
            CSheetPageSet pages = PageSet();
            return CDocumentTransfer::Export(pages, m_messages);
        },
        m_messages, this);
    dialog->SetFolderKeeper([this](const QString& folder) {
        CProfile folderSave = CProfile::Deferred();
        folderSave.SaveConfigFolder(folder);
        m_profileSaver.Commit(folderSave);
    });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Not modal: a modal dialog's owner never hears of its close button,
    // and closing the window during a run must ask whether to cancel it.
    // The window takes no other input while the dialog is open.
    (new CInputBlock(*this))->setParent(dialog);
    dialog->show();
}

void CKelvaneSheet::RememberConverter(const Configuration& held)
{
    m_converterHolds = held;
    UpdateMarks();
}

void CKelvaneSheet::UpdateMarks()
{
    CSheetPageSet pages = PageSet();
    const QStringList keys = m_converterHolds
                                 ? CFieldMarks::DifferingKeys(pages.Fields(), *m_converterHolds)
                                 : QStringList();
    m_markedKeys = CFieldMarks::Apply(
        keys, [this](CPageSet::Page page) { return m_pages.OpenWidget(page); }, *m_ui->tabs);
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
    m_pages.Build();
    // A size kept from an earlier run is checked against the pages as they
    // are now; another font or density than the one remembered shows here.
    if (m_pages.CheckFittedTabs())
        m_ui->sheetScroll->TakePageSize();
    // Until now the system shows its own: the executable's on Windows, a
    // generic one on X11.
    setWindowIcon(ResourcePicture::Icon(QStringLiteral(":/icons/kelvane.png")));
    m_portSlots.Show();
    if (const std::optional<CProfile::Untouched>& untouched = m_profile.LeftUntouched())
        m_messages.ShowMessage(FlowMessages::WarningCaption(), untouched->why);
}

void CKelvaneSheet::closeEvent(QCloseEvent* event)
{
    // A signal ends the run without asking.
    if (auto* batch = findChild<CBatchDialog*>(); batch && !batch->LetOwnerClose(m_endedBy == 0)) {
        event->ignore();
        return;
    }
    if (IsExchanging()) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    ClosePort();
    m_pages.RememberTabsSize(m_profileSaver);
    done(QDialog::Rejected);
    event->accept();
}
