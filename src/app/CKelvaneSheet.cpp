#include "CKelvaneSheet.h"

#include "CBatchDialog.h"
#include "CBusyCursor.h"
#include "CButtonRows.h"
#include "CConfigCommands.h"
#include "CConfigFile.h"
#include "CDocumentTransfer.h"
#include "CFieldMarks.h"
#include "CFrameLogDialog.h"
#include "CInputBlock.h"
#include "CMessageSink.h"
#include "Configuration.h"
#include "ConverterModel.h"
#include "FlowMessages.h"
#include "ResourcePicture.h"
#include "ui_CKelvaneSheet.h"

#include <QCloseEvent>
#include <QDir>
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

// An exchange still running after this long shows its progress dialog: one
// expected to end within about a second (an Ostrel-X read takes half of it)
// shows none, rather than a dialog that flashes for a few milliseconds.
constexpr int kProgressDelayMs = 1000;
// A dialog once shown stays this long at least, long enough to be read,
// unless the user cancelled.
constexpr int kProgressShownMs = 800;

} // namespace

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, QWidget* parent)
    : CKelvaneSheet(messages, static_cast<const CPortDetector*>(nullptr), parent)
{}

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, const CPortDetector& detector, QWidget* parent)
    : CKelvaneSheet(messages, &detector, parent)
{}

CKelvaneSheet::CKelvaneSheet(CMessageSink& messages, const CPortDetector* detector, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CKelvaneSheet>()), m_messages(messages),
      m_session(m_pageSet, m_profileSaver, detector),
      m_portSlots(m_profile, m_profileSaver, m_session.Detector(), messages, m_selector, *this),
      m_files(m_profile, m_profileSaver, *this), m_selector(this),
      m_pages(messages, *this, [this] { return m_selector.Model(); }),
      m_pageSet(m_pages, m_selector)
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
    connect(&m_portSlots, &CPortSlots::Moved, this, [this](const QString& moves) {
        ShowStatus({FlowMessages::Caption(), moves});
    });
    connect(&m_selector, &CKelvaneDlg::AssignPortRequested, this,
            &CKelvaneSheet::OnAssignPortRequested);
    connect(&m_session, &CConverterSession::HungUp, this, &CKelvaneSheet::OnPortHungUp);
    connect(&m_session, &CConverterSession::Finished, this, &CKelvaneSheet::OnExchangeFinished);
    connect(&m_session, &CConverterSession::Progress, this, [this](int received, int expected) {
        ExchangeDialog().ShowProgress(received, expected);
    });
    connect(m_ui->defaultsButton, &QPushButton::clicked, this, &CKelvaneSheet::OnDefaults);
    connect(m_ui->readButton, &QPushButton::clicked, this, &CKelvaneSheet::OnRead);
    connect(m_ui->writeButton, &QPushButton::clicked, this, &CKelvaneSheet::OnWrite);
    connect(m_ui->exportButton, &QToolButton::clicked, this, &CKelvaneSheet::OnExport);
    connect(m_ui->importButton, &QToolButton::clicked, this, &CKelvaneSheet::OnImport);
    connect(m_ui->verifyButton, &QPushButton::clicked, this, &CKelvaneSheet::OnVerify);
    connect(m_ui->batchButton, &QToolButton::clicked, this, &CKelvaneSheet::OnBatch);
    connect(m_ui->switchModelButton, &QToolButton::clicked, this,
            &CKelvaneSheet::OnSwitchModelAndConnect);
    // A button's mnemonic replaces any shortcut set on it, so the documented
    // Ctrl+S and Ctrl+O live beside their buttons.
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), *m_ui->exportButton);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), *m_ui->importButton);
    // The frames of the connection, for when a converter does not answer.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated, this,
            [this] { CFrameLogDialog(m_session.FrameLogText(), m_messages, this).exec(); });
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
        m_progressShown.start();
    });

    m_pages.FitTabs(m_profile);
    InitDialog();
    m_ui->sheetScroll->TakePageSize();
}

void CKelvaneSheet::AddShortcut(const QKeySequence& keys, QAbstractButton& button)
{
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, &button, &QAbstractButton::click);
}

CKelvaneSheet::~CKelvaneSheet() = default;

int CKelvaneSheet::FitButtonRows()
{
    const int room = screen()->availableGeometry().width() - kFrameAllowance;
    return CButtonRows::Fit(
        *m_ui->sheetLayout, *m_ui->buttonRow,
        {m_ui->exportButton, m_ui->importButton, m_ui->batchButton},
        {m_ui->defaultsButton, m_ui->readButton, m_ui->verifyButton, m_ui->writeButton}, room);
}

void CKelvaneSheet::InitDialog()
{
    CSheetPages::NoDefaultButtons(*this);
    m_pages.OpenTabs();

    // The other pages have no controls yet: Build shows their fields.
    m_pages.Tran().UpdateData(true);
    LoadProfile();
    m_pages.Tran().UpdateData(false);

    m_pages.Started();
}

void CKelvaneSheet::LoadProfile()
{
    const ProfileSelection selection =
        m_profile.Load(m_pages.Can(), m_pages.Serial(), m_pages.Tran());
    m_selector.Select(selection.model, selection.configPort);
    m_pages.Switch(selection.model);
    m_profile.LoadArmCan(m_pages.CanConfig());
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

void CKelvaneSheet::OnPortHungUp(const UserMessage& message)
{
    ApplyConnectionState(false);
    m_messages.ShowMessage(message);
}

void CKelvaneSheet::OnDeviceChosen(ConverterModel model)
{
    if (IsExchanging())
        return;
    m_pages.Switch(model);
    m_pages.RefreshCanPages();
}

// After a connect another model answered, one press switches to that model
// and connects; the offer goes with the next connect.
void CKelvaneSheet::OfferModel(std::optional<ConverterModel> model)
{
    m_offeredModel = model;
    if (model)
        m_ui->switchModelButton->setText(
            tr("改用 %1 连接").arg(ConverterModels::DisplayName(*model)));
    m_ui->switchModelButton->setVisible(model.has_value());
}

void CKelvaneSheet::OnSwitchModelAndConnect()
{
    if (!m_offeredModel || IsExchanging() || m_session.IsConnected())
        return;
    const ConverterModel model = *m_offeredModel;
    OfferModel(std::nullopt);
    m_selector.Select(model, m_selector.PortIndex());
    OnDeviceChosen(model);
    Connect(model, m_selector.PortIndex());
}

void CKelvaneSheet::ToggleConnection(ConverterModel model, int portIndex)
{
    if (m_session.IsConnected()) {
        m_session.Disconnect();
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
    if (!m_session.Connect(model, target.path,
                           target.detectedNeeded ? std::optional(target.detected) : std::nullopt))
        return;
    BeginExchange(FlowMessages::Connecting());
    if (target.detectedNeeded)
        m_selector.ShowPortSlots(target.portSlots);
}

void CKelvaneSheet::BeginExchange(const QString& step)
{
    ShowStatus({});
    m_inputBlock = std::make_unique<CInputBlock>(*this);
    m_busyCursor = std::make_unique<CBusyCursor>();
    ExchangeDialog().Begin(step);
    m_showProgress.start();
}

void CKelvaneSheet::OnExchangeFinished(const CConverterSession::Report& report)
{
    m_showProgress.stop();
    const qint64 shownLeft =
        m_progressShown.isValid() ? kProgressShownMs - m_progressShown.elapsed() : qint64(0);
    m_progressShown.invalidate();
    if (shownLeft > 0 && !report.cancelled && !m_closeRequested) {
        m_endingLater = true;
        QTimer::singleShot(shownLeft, this, [this, report] {
            m_endingLater = false;
            OnExchangeFinished(report);
        });
        return;
    }
    if (m_exchangeDialog && m_exchangeDialog->isVisible()) {
        const bool active = m_exchangeDialog->isActiveWindow();
        m_exchangeDialog->hide();
        // Not every platform gives the activation back to the dialog's owner.
        if (active)
            activateWindow();
    }
    m_busyCursor.reset();
    m_inputBlock.reset();
    if (report.succeeded)
        UpdateMarks();
    // The user asked for the cancel and needs no box to confirm it.
    if (report.cancelled)
        ShowStatus(*report.cancelled);
    for (const UserMessage& message : report.messages)
        m_messages.ShowMessage(message);
    if (report.job == CConverterSession::Job::Connect) {
        ApplyConnectionState(report.succeeded);
        OfferModel(report.otherModel);
    }
    if (report.job == CConverterSession::Job::Verify && report.succeeded) {
        const int count = int(m_markedKeys.size());
        // Agreement is a success, and its box says so with its icon.
        m_messages.ShowMessage(
            UserMessage(tr("校验"),
                        count == 0 ? tr("页面上的值与转换器中的一致")
                                   : tr("有 %n 个字段与转换器中的不同", nullptr, count),
                        m_markedKeys.join(QStringLiteral(", ")),
                        count == 0 ? UserMessage::Kind::Success : UserMessage::Kind::Warning));
    }
    // No box for an import the pages show; the line beside the buttons names
    // the file, so that it can be found again.
    if (report.job == CConverterSession::Job::Import && report.succeeded)
        ShowStatus({FlowMessages::Caption(),
                    tr("已从 %1 导入").arg(QDir::toNativeSeparators(m_importedPath))});
    if (report.hungUp)
        OnPortHungUp(*report.hungUp);
    Q_EMIT ExchangeFinished();
    if (std::exchange(m_closeRequested, false))
        close();
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
    m_session.Cancel();
}

void CKelvaneSheet::ShowStatus(const UserMessage& message)
{
    const QString text =
        message.detail.isEmpty() ? message.text : message.text + QLatin1Char(' ') + message.detail;
    m_ui->statusLabel->setText(text);
    m_ui->statusLabel->setToolTip(text);
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
    CConfigCommands::RestoreDefaults(m_pageSet);
    UpdateMarks();
}

void CKelvaneSheet::OnRead()
{
    if (m_session.Read())
        BeginExchange(FlowMessages::Reading());
}

void CKelvaneSheet::OnWrite()
{
    if (m_session.Write())
        BeginExchange(FlowMessages::Writing());
}

void CKelvaneSheet::OnExport()
{
    if (IsExchanging())
        return;
    const QString chosen = m_files.Choose(FileChoice::Export, m_selector.Model());
    if (chosen.isEmpty())
        return;
    const QString path = CFileChoice::WithDocumentSuffix(chosen);
    const std::optional<QByteArray> text = CDocumentTransfer::Export(m_pageSet, m_messages);
    if (!text)
        return;
    if (const std::optional<QString> error = CConfigFile::Save(path, *text)) {
        m_messages.ShowMessage(FlowMessages::RefusalCaption(), *error);
        return;
    }
    // No box for a success the user can see has happened; the line beside the
    // buttons names the file, so that it can be found again.
    ShowStatus({FlowMessages::Caption(), tr("已导出到 %1").arg(QDir::toNativeSeparators(path))});
}

void CKelvaneSheet::OnImport()
{
    if (IsExchanging())
        return;
    const QString path = m_files.Choose(FileChoice::Import, m_selector.Model());
    if (!path.isEmpty() && m_session.Import(path)) {
        m_importedPath = path;
        BeginExchange(tr("正在导入…"));
    }
}

void CKelvaneSheet::OnVerify()
{
    if (m_session.Verify())
        BeginExchange(FlowMessages::Reading());
}

void CKelvaneSheet::OnBatch()
{
    if (IsExchanging())
        return;
    const QList<DetectedPort> detected = m_session.Detector().DetectPorts();
    auto* dialog = new CBatchDialog(
        m_selector.Model(), m_portSlots.Resolve(detected), detected,
        m_session.IsConnected() ? m_session.ConnectedPath() : QString(),
        [this] { return CDocumentTransfer::Export(m_pageSet, m_messages); }, m_messages, this);
    dialog->SetFolderKeeper([this](const QString& folder) { m_files.KeepFolder(folder); });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Not modal: a modal dialog's owner never hears of its close button,
    // and closing the window during a run must ask whether to cancel it.
    // The window takes no other input while the dialog is open.
    (new CInputBlock(*this))->setParent(dialog);
    dialog->show();
}

void CKelvaneSheet::UpdateMarks()
{
    const std::optional<Configuration>& held = m_session.Held();
    const QStringList keys =
        held ? CFieldMarks::DifferingKeys(m_pageSet.Fields(), *held) : QStringList();
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
    m_session.Disconnect();
    m_pages.RememberTabsSize(m_profileSaver);
    done(QDialog::Rejected);
    event->accept();
}
