#include "CConverterSession.h"

#include "CFrameLog.h"
#include "FrameLogText.h"

#include "CConfigCommands.h"
#include "CConfigDocument.h"
#include "CConfigFile.h"
#include "CDocumentTransfer.h"
#include "CExchangeRunner.h"
#include "CHeldMessages.h"
#include "CPageSetCopy.h"
#include "CPortHangupWatch.h"
#include "CProfile.h"
#include "CProfileSaver.h"
#include "CSerialComm.h"
#include "CSystemPortDetector.h"
#include "ConnectFlow.h"
#include "ExchangeEnd.h"
#include "FlowMessages.h"

#include <QFileInfo>

#include <memory>
#include <utility>

namespace {

constexpr int kProgressPollMs = 100;

// A command on a copy of the pages' fields, with a profile whose saves are
// held back for the saver and messages held back for the window.
struct CommandJob
{
    explicit CommandJob(CPageSet& pages) : pages(pages), profile(CProfile::Deferred()) {}
    CPageSetCopy pages;
    CProfile profile;
    CHeldMessages messages;
    CommandOutcome outcome = CommandOutcome::Failed;
    ExchangeEnd::Cause cause = ExchangeEnd::Cause::Fault;
};

// A command's end as the window tells it: a cancel beside the buttons, a
// line gone with its own message.
CConverterSession::Report CommandReport(CConverterSession::Job kind, CommandOutcome outcome,
                                        ExchangeEnd::Cause cause, QList<UserMessage> messages,
                                        const QString& devicePath)
{
    CConverterSession::Report report;
    report.job = kind;
    report.succeeded = outcome == CommandOutcome::Succeeded;
    if (outcome == CommandOutcome::Cancelled && !messages.isEmpty())
        report.cancelled = messages.takeLast();
    else if (outcome == CommandOutcome::Failed)
        ExchangeEnd::Settle(cause, messages, devicePath);
    report.messages = std::move(messages);
    return report;
}

} // namespace

CConverterSession::CConverterSession(CPageSet& pages, CProfileSaver& saver,
                                     const CPortDetector* detector, QObject* parent)
    : QObject(parent), m_pages(pages), m_saver(saver),
      m_systemPorts(detector != nullptr ? nullptr : std::make_unique<CSystemPortDetector>()),
      m_detector(detector != nullptr ? *detector : *m_systemPorts),
      m_frameLog(std::make_unique<CFrameLog>()), m_port(std::make_unique<CSerialComm>()),
      m_hangupWatch(std::make_unique<CPortHangupWatch>()),
      m_runner(std::make_unique<CExchangeRunner>(*m_port))
{
    m_port->SetFrameLog(m_frameLog.get());
    connect(m_hangupWatch.get(), &CPortHangupWatch::HungUp, this,
            &CConverterSession::OnWatchHungUp);
    m_pollProgress.setInterval(kProgressPollMs);
    connect(&m_pollProgress, &QTimer::timeout, this,
            [this] { Q_EMIT Progress(m_runner->Received(), m_runner->Expected()); });
}

CConverterSession::~CConverterSession()
{
    m_runner->Abandon();
    ClosePort();
}

QString CConverterSession::FrameLogText() const
{
    return ::FrameLogText::Lines(m_frameLog->Records());
}

bool CConverterSession::IsConnected() const
{
    return m_port->IsOpen();
}

bool CConverterSession::IsExchanging() const
{
    return m_runner->IsRunning();
}

void CConverterSession::Cancel()
{
    m_runner->Cancel();
}

void CConverterSession::ReleaseAllForSignal() noexcept
{
    CSerialComm::ReleaseAllForSignal();
}

bool CConverterSession::Connect(ConverterModel model, const QString& path,
                                const std::optional<QList<DetectedPort>>& detected)
{
    if (IsExchanging() || IsConnected())
        return false;
    m_frameLog->Clear();
    struct Job
    {
        ConnectFlow::Outcome outcome = ConnectFlow::Outcome::NoConverter;
        std::optional<UserMessage> failure;
        std::optional<ConverterModel> otherModel;
    };
    auto job = std::make_shared<Job>();
    Run(
        [this, job, model, path, detected] {
            job->outcome = ConnectFlow::Connect(*m_port, model, path);
            // Finding out why can take its own exchanges (asking the other
            // models), so it stays off the window's thread too; a cancelled
            // connect has nothing to explain.
            if (job->outcome != ConnectFlow::Outcome::Connected && !m_port->IsCancelled())
                job->failure = ConnectFlow::Diagnose(
                    job->outcome, *m_port, model, path,
                    detected ? *detected : m_detector.DetectPorts(), &job->otherModel);
        },
        [this, job, path] {
            Report report;
            report.job = CConverterSession::Job::Connect;
            if (job->outcome != ConnectFlow::Outcome::Connected && m_runner->WasCancelled()) {
                report.cancelled =
                    UserMessage{FlowMessages::Caption(), FlowMessages::ConnectCancelled()};
            } else if (job->failure) {
                report.messages.append(*job->failure);
                report.otherModel = job->otherModel;
            } else {
                m_connectedPath = path;
                // Another converter may be on the line now.
                m_held.reset();
                report.succeeded = true;
            }
            return report;
        });
    return true;
}

bool CConverterSession::Read()
{
    return RunCommand(Job::Read);
}

bool CConverterSession::Write()
{
    return RunCommand(Job::Write);
}

bool CConverterSession::RunCommand(Job kind)
{
    if (IsExchanging() || !IsConnected())
        return false;
    if (kind == Job::Read)
        CConfigCommands::StoreForRead(m_pages);
    else
        CConfigCommands::StoreForWrite(m_pages);
    auto job = std::make_shared<CommandJob>(m_pages);
    Run(
        [this, job, kind] {
            CConfigCommands commands(job->pages, *m_port, job->profile, job->messages);
            job->outcome = kind == Job::Read ? commands.ReadConfig() : commands.WriteConfig();
            job->cause = ExchangeEnd::Of(*m_port);
        },
        [this, job, kind] {
            // A cancelled command leaves the pages and the profile as they were.
            if (job->outcome != CommandOutcome::Cancelled) {
                job->pages.ApplyTo(m_pages);
                m_saver.Commit(job->profile);
                if (job->outcome == CommandOutcome::Succeeded)
                    m_held = m_pages.Fields();
            }
            return CommandReport(kind, job->outcome, job->cause, job->messages.Held(),
                                 m_connectedPath);
        });
    return true;
}

bool CConverterSession::Verify()
{
    if (IsExchanging() || !IsConnected())
        return false;
    // What the converter holds goes into a copy: the pages keep their values.
    CConfigCommands::StoreForWrite(m_pages);
    auto job = std::make_shared<CommandJob>(m_pages);
    Run(
        [this, job] {
            job->outcome =
                CConfigCommands(job->pages, *m_port, job->profile, job->messages).ReadConfig();
            job->cause = ExchangeEnd::Of(*m_port);
        },
        [this, job] {
            if (job->outcome == CommandOutcome::Succeeded) {
                m_held = job->pages.Fields();
                Report report;
                report.job = Job::Verify;
                report.succeeded = true;
                return report;
            }
            return CommandReport(Job::Verify, job->outcome, job->cause, job->messages.Held(),
                                 m_connectedPath);
        });
    return true;
}

bool CConverterSession::Import(const QString& path)
{
    if (IsExchanging())
        return false;
    struct Job
    {
        Configuration loaded;
        std::optional<QString> refusal;
    };
    auto job = std::make_shared<Job>();
    job->loaded.model = m_pages.Model();
    // A large document takes a while to read and parse: off the window's
    // thread, the way an exchange runs, though the converter is not asked.
    Run(
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
            Report report;
            report.job = CConverterSession::Job::Import;
            if (m_runner->WasCancelled())
                return report;
            if (job->refusal) {
                report.messages.append({FlowMessages::RefusalCaption(), *job->refusal});
                return report;
            }
            CDocumentTransfer::Show(job->loaded, m_pages);
            report.succeeded = true;
            return report;
        });
    return true;
}

void CConverterSession::Disconnect()
{
    if (!IsExchanging())
        ClosePort();
}

void CConverterSession::Run(Work work, End end)
{
    m_hangupWatch->Stop();
    m_pollProgress.start();
    m_runner->Start(std::move(work), [this, end = std::move(end)] {
        m_pollProgress.stop();
        Report report = end();
        // The line may have gone while the exchange talked: it is let go now,
        // and told once, after what the exchange itself had to say.
        if (m_port->IsOpen() && m_port->HasHungUp()) {
            ClosePort();
            report.hungUp = ConnectFlow::HungUpMessage(m_connectedPath);
        }
        Q_EMIT Finished(report);
        if (m_port->IsOpen())
            m_hangupWatch->Watch(*m_port);
    });
}

void CConverterSession::OnWatchHungUp()
{
    m_hangupWatch->Stop();
    if (!m_port->IsOpen())
        return;
    ClosePort();
    Q_EMIT HungUp(ConnectFlow::HungUpMessage(m_connectedPath));
}

void CConverterSession::ClosePort()
{
    m_hangupWatch->Stop();
    if (m_port->IsOpen())
        m_port->Close();
}
