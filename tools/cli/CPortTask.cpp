#include "CPortTask.h"

#include "CConfigCommands.h"
#include "CSerialComm.h"
#include "CSystemPortDetector.h"
#include "CTerminalProgress.h"
#include "ConnectFlow.h"
#include "FlowMessages.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <thread>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CPortTask)
};

// One line, the detail after the text.
QString MessageText(const UserMessage& message)
{
    QString text = message.caption + QStringLiteral(": ") + message.text;
    if (!message.detail.isEmpty())
        text +=
            QLatin1Char(' ') + QString(message.detail).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

CPortTask::CPortTask(Job job, const QString& port, const QString& devicePath,
                     const Configuration& config, const CEncodedConfig& encoded, CProfile& profile,
                     const QList<DetectedPort>& present)
    : m_job(job), m_port(port), m_devicePath(devicePath), m_pages(config), m_config(encoded),
      m_profile(&profile), m_present(present)
{}

void CPortTask::Run()
{
    m_status = Serve();
    if (m_status != ExitStatus::Success)
        Reach(Stage::Failed);
    else if (m_job == Job::Connect)
        Reach(Stage::Connected);
    else if (m_job == Job::Write)
        Reach(Stage::Written);
    else
        Reach(Stage::Verified);
    if (m_progress)
        m_progress->PortDone(m_port);
}

void CPortTask::RunAll(std::vector<CPortTask>& tasks)
{
    std::vector<std::thread> threads;
    threads.reserve(tasks.size());
    for (CPortTask& task : tasks)
        threads.emplace_back([&task] { task.Run(); });
    for (std::thread& thread : threads)
        thread.join();
}

ExitStatus CPortTask::Connect(CSerialComm& port, ConverterModel model, const QString& devicePath,
                              const PresentPorts& present, CMessageSink& messages)
{
    const ConnectFlow::Outcome outcome = ConnectFlow::Connect(port, model, devicePath);
    if (outcome != ConnectFlow::Outcome::Connected) {
        const auto message = ConnectFlow::Diagnose(outcome, port, model, devicePath, present());
        messages.ShowMessage(message.value());
    }
    return StatusOf(outcome);
}

ExitStatus CPortTask::StatusOf(ConnectFlow::Outcome outcome)
{
    switch (outcome) {
    case ConnectFlow::Outcome::Connected:
        return ExitStatus::Success;
    case ConnectFlow::Outcome::PortUnavailable:
        return ExitStatus::PortUnavailable;
    case ConnectFlow::Outcome::NoConverter:
    case ConnectFlow::Outcome::HungUp:
        break;
    }
    return ExitStatus::NotConnected;
}

ExitStatus CPortTask::Serve()
{
    CSerialComm port;
    const auto present = [this] {
        return m_present.isEmpty() ? CSystemPortDetector().DetectPorts() : m_present;
    };
    if (m_progress)
        m_progress->Observe(port, m_port);
    Step(FlowMessages::Connecting());
    const ExitStatus connected = Connect(port, m_pages.Model(), m_devicePath, present, m_messages);
    if (connected != ExitStatus::Success || m_job == Job::Connect)
        return connected;
    const ExitStatus status = Exchange(port);
    // As the window does when the adapter goes while it talks.
    if (status == ExitStatus::CommunicationError && port.HasHungUp())
        m_messages.ShowMessage(ConnectFlow::HungUpMessage(m_devicePath));
    return status;
}

void CPortTask::Step(const QString& text)
{
    if (m_progress)
        m_progress->Step(m_port, text);
}

ExitStatus CPortTask::Exchange(CSerialComm& port)
{
    if (m_job == Job::Verify) {
        Step(FlowMessages::Reading());
        return Verify(port);
    }
    Step(FlowMessages::Writing());
    Reach(Stage::Writing);
    // The identifier check has spoken once for every port, before any was
    // opened; its replacement is in the pages, so the write's own check
    // passes silently.
    Reach(Stage::Writing);
    const CommandOutcome written =
        CConfigCommands(m_pages, port, *m_profile, m_messages).WriteConfig();
    if (written != CommandOutcome::Succeeded)
        return ExitStatus::CommunicationError;
    Reach(Stage::Written);
    if (m_job != Job::WriteAndVerify)
        return ExitStatus::Success;
    Step(FlowMessages::Reading());
    return Verify(port);
}

ExitStatus CPortTask::Verify(CSerialComm& port)
{
    Reach(Stage::Verifying);
    switch (
        CConfigVerification::Verify(port, m_pages.Model(), m_config, m_messages, m_differences)) {
    case CConfigVerification::Outcome::Agrees:
        m_messages.ShowMessage(Text::tr("校验"), Text::tr("转换器中的配置与文档一致"));
        return ExitStatus::Success;
    case CConfigVerification::Outcome::Differs:
        m_messages.ShowMessage(Text::tr("校验"),
                               m_differences.size() == 1
                                   ? Text::tr("有 1 个键不同")
                                   : Text::tr("有 %1 个键不同").arg(m_differences.size()));
        return ExitStatus::Differs;
    case CConfigVerification::Outcome::Failed:
        break;
    }
    return ExitStatus::CommunicationError;
}

QByteArray CPortTask::Line() const
{
    QStringList texts;
    for (const UserMessage& message : Messages())
        texts.append(MessageText(message));
    for (const KeyDifference& difference : m_differences)
        texts.append(difference.Line());
    const QString result = m_status == ExitStatus::Success
                               ? QStringLiteral("ok")
                               : QStringLiteral("failed %1").arg(int(m_status));
    return (m_port + QLatin1Char('\t') + result + QLatin1Char('\t') +
            texts.join(QStringLiteral("; ")) + QLatin1Char('\n'))
        .toUtf8();
}

QByteArray CPortTask::JsonLine() const
{
    QJsonArray messages;
    for (const UserMessage& message : Messages())
        messages.append(MessageText(message));
    QJsonArray differences;
    for (const KeyDifference& difference : m_differences) {
        differences.append(QJsonObject{{QStringLiteral("key"), difference.key},
                                       {QStringLiteral("expected"), difference.expected},
                                       {QStringLiteral("got"), difference.got}});
    }
    const QJsonObject line{
        {QStringLiteral("port"), m_port},
        {QStringLiteral("device"), m_devicePath},
        {QStringLiteral("status"), int(m_status)},
        {QStringLiteral("result"),
         m_status == ExitStatus::Success ? QStringLiteral("ok") : QStringLiteral("failed")},
        {QStringLiteral("messages"), messages},
        {QStringLiteral("differences"), differences},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}
