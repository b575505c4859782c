#include "CPortTask.h"

#include "CConfigCommands.h"
#include "CConfigVerification.h"
#include "CSerialComm.h"
#include "CSystemPortDetector.h"
#include "ExchangeEnd.h"
#include "FlowMessages.h"

#include <QCoreApplication>

#include <thread>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CPortTask)
};

} // namespace

CPortTask::CPortTask(Job job, const QString& port, const QString& devicePath,
                     const Configuration& config, const CEncodedConfig& encoded, CProfile& profile,
                     const QList<DetectedPort>& present)
    : m_job(job), m_port(port), m_devicePath(devicePath), m_pages(config), m_config(encoded),
      m_profile(&profile), m_present(present), m_serial(std::make_unique<CSerialComm>())
{}

CPortTask::CPortTask(CPortTask&&) noexcept = default;
CPortTask& CPortTask::operator=(CPortTask&&) noexcept = default;
CPortTask::~CPortTask() = default;

void CPortTask::Run()
{
    m_result = Serve();
    m_serial->Close();
    if (m_result != Result::Succeeded)
        Reach(Stage::Failed);
    else if (m_job == Job::Connect)
        Reach(Stage::Connected);
    else if (m_job == Job::Write)
        Reach(Stage::Written);
    else
        Reach(Stage::Verified);
    if (m_observer)
        m_observer->Finished(m_port);
}

void CPortTask::Cancel()
{
    m_serial->Cancel();
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

CPortTask::Result CPortTask::Connect(CSerialComm& port, ConverterModel model,
                                     const QString& devicePath, const PresentPorts& present,
                                     CMessageSink& messages)
{
    const ConnectFlow::Outcome outcome = ConnectFlow::Connect(port, model, devicePath);
    if (outcome != ConnectFlow::Outcome::Connected) {
        const auto message = ConnectFlow::Diagnose(outcome, port, model, devicePath, present());
        messages.ShowMessage(message.value());
    }
    return ResultOf(outcome);
}

CPortTask::Result CPortTask::ResultOf(ConnectFlow::Outcome outcome)
{
    switch (outcome) {
    case ConnectFlow::Outcome::Connected:
        return Result::Succeeded;
    case ConnectFlow::Outcome::PortUnavailable:
        return Result::PortUnavailable;
    case ConnectFlow::Outcome::NoConverter:
    case ConnectFlow::Outcome::HungUp:
        break;
    }
    return Result::NotConnected;
}

CPortTask::Result CPortTask::Serve()
{
    if (m_observer)
        m_observer->Observe(*m_serial, m_port);
    Step(CPortTaskObserver::Step::Connecting);
    const Result connected = ConnectPort();
    if (connected != Result::Succeeded || m_job == Job::Connect)
        return connected;
    const Result result = Exchange();
    // As the window tells it when the adapter goes while it talks.
    if (result == Result::CommunicationFailed)
        ExchangeEnd::Settle(ExchangeEnd::Of(*m_serial), m_messages, m_devicePath);
    return result;
}

// The connect flow, and when no converter answered, whether one of another
// model does; a cancelled connect asks nothing more.
CPortTask::Result CPortTask::ConnectPort()
{
    const ConverterModel model = m_pages.Model();
    const ConnectFlow::Outcome outcome = ConnectFlow::Connect(*m_serial, model, m_devicePath);
    if (outcome == ConnectFlow::Outcome::Connected)
        return Result::Succeeded;
    if (outcome == ConnectFlow::Outcome::NoConverter && !m_serial->IsCancelled())
        m_answering = ConnectFlow::AnsweringModel(*m_serial, m_devicePath, model);
    if (ExchangeEnd::Of(*m_serial) == ExchangeEnd::Cause::Cancelled) {
        m_answering.reset();
        m_messages.ShowMessage(FlowMessages::Caption(), FlowMessages::ConnectCancelled());
        return Result::Cancelled;
    }
    const QList<DetectedPort> present =
        m_present.isEmpty() ? CSystemPortDetector().DetectPorts() : m_present;
    m_messages.ShowMessage(
        ConnectFlow::MessageOf(outcome, *m_serial, model, m_devicePath, present, m_answering)
            .value());
    return ResultOf(outcome);
}

void CPortTask::Step(CPortTaskObserver::Step step)
{
    if (m_observer)
        m_observer->Stepped(m_port, step);
}

CPortTask::Result CPortTask::Exchange()
{
    if (m_job == Job::Verify) {
        Step(CPortTaskObserver::Step::Verifying);
        return Verify();
    }
    Step(CPortTaskObserver::Step::Writing);
    // The identifier check has spoken once for every port, before any was
    // opened; its replacement is in the pages, so the write's own check
    // passes silently.
    Reach(Stage::Writing);
    switch (CConfigCommands(m_pages, *m_serial, *m_profile, m_messages).WriteConfig()) {
    case CommandOutcome::Succeeded:
        break;
    case CommandOutcome::Cancelled:
        return Result::Cancelled;
    case CommandOutcome::Failed:
    case CommandOutcome::NotConnected:
        return Result::CommunicationFailed;
    }
    Reach(Stage::Written);
    if (m_job != Job::WriteAndVerify)
        return Result::Succeeded;
    Step(CPortTaskObserver::Step::Verifying);
    return Verify();
}

CPortTask::Result CPortTask::Verify()
{
    Reach(Stage::Verifying);
    CHeldMessages verdict;
    const CConfigVerification::Outcome outcome =
        CConfigVerification::Verify(*m_serial, m_pages.Model(), m_config, verdict, m_differences);
    // A cancel is no fault of the line.
    if (outcome == CConfigVerification::Outcome::Failed &&
        ExchangeEnd::Of(*m_serial) == ExchangeEnd::Cause::Cancelled) {
        m_messages.ShowMessage(Text::tr("校验"), Text::tr("校验已取消！"));
        return Result::Cancelled;
    }
    verdict.ReplayTo(m_messages);
    switch (outcome) {
    case CConfigVerification::Outcome::Agrees:
        m_messages.ShowMessage(Text::tr("校验"), Text::tr("转换器中的配置与文档一致"));
        return Result::Succeeded;
    case CConfigVerification::Outcome::Differs:
        m_messages.ShowMessage(Text::tr("校验"),
                               m_differences.size() == 1
                                   ? Text::tr("有 1 个键不同")
                                   : Text::tr("有 %1 个键不同").arg(m_differences.size()));
        return Result::Differs;
    case CConfigVerification::Outcome::Failed:
        break;
    }
    return Result::CommunicationFailed;
}
