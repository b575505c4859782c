#pragma once

#include "CConfigComparison.h"
#include "CEncodedConfig.h"
#include "CHeldMessages.h"
#include "CPlainPageSet.h"
#include "CPortTaskObserver.h"
#include "ConnectFlow.h"
#include "ConverterModel.h"
#include "DetectedPort.h"

#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CMessageSink;
class CProfile;
class CSerialComm;

// One port's share of a connect, write or verify: its own serial port, its
// own copy of the pages and its own messages, so that many ports can be
// served at once, each on a thread of its own, by the command line and the
// window's batch alike. What it touches besides is read-only: the
// configuration worked out beforehand and a read-only profile, whose saves
// do nothing.
class CPortTask
{
public:
    enum class Job
    {
        Connect,
        Write,
        Verify,
        WriteAndVerify,
    };

    enum class Result
    {
        Succeeded,
        CommunicationFailed,
        PortUnavailable,
        NotConnected,
        Differs, // the converter holds other values
        Cancelled,
    };

    // port as the user gave it, devicePath what it maps to.
    // present: the serial ports the system reports, for the messages; when
    // empty, the task asks the system itself should a message need them.
    CPortTask(Job job, const QString& port, const QString& devicePath, const Configuration& config,
              const CEncodedConfig& encoded, CProfile& profile, const QList<DetectedPort>& present);
    CPortTask(CPortTask&&) noexcept;
    CPortTask& operator=(CPortTask&&) noexcept;
    ~CPortTask();

    // The connect flow with its message shown. present is asked only when
    // the message needs the system's ports.
    using PresentPorts = std::function<QList<DetectedPort>()>;
    static Result Connect(CSerialComm& port, ConverterModel model, const QString& devicePath,
                          const PresentPorts& present, CMessageSink& messages);
    static Result ResultOf(ConnectFlow::Outcome outcome);

    // Who is told the task's steps while it runs; none by default.
    void SetObserver(CPortTaskObserver* observer) { m_observer = observer; }
    void Run();
    // Safe from any thread, before or while the task runs: its waits end at
    // once and it ends as Cancelled.
    void Cancel();
    // Runs every task, each on its own thread, and returns once all are done.
    static void RunAll(std::vector<CPortTask>& tasks);

    // How far the task has come, for the report of an interrupted command:
    // safe to read from a signal handler while the task runs. GetResult() is
    // final once the stage is Failed.
    enum class Stage : int
    {
        NotStarted, // connecting: nothing sent to the converter's configuration
        Writing,
        Written,
        Verifying,
        Verified,
        Connected,
        Failed,
    };
    Stage CurrentStage() const noexcept { return Stage(m_stage->load()); }
    Job GetJob() const { return m_job; }
    QString Port() const { return m_port; }
    QString DevicePath() const { return m_devicePath; }
    ConverterModel Model() const { return m_pages.Model(); }

    Result GetResult() const { return m_result; }
    const QList<UserMessage>& Messages() const { return m_messages.Held(); }
    const QList<KeyDifference>& Differences() const { return m_differences; }
    // The model of another kind that answered when the task's own did not.
    std::optional<ConverterModel> AnsweringModel() const { return m_answering; }

private:
    Result Serve();
    Result ConnectPort();
    // The write or verify on the connected port.
    Result Exchange();
    void Step(CPortTaskObserver::Step step);
    Result Verify();
    void Reach(Stage stage) { m_stage->store(int(stage)); }

    Job m_job;
    QString m_port;
    QString m_devicePath;
    CPlainPageSet m_pages;
    CEncodedConfig m_config;
    CProfile* m_profile;
    QList<DetectedPort> m_present;
    CHeldMessages m_messages;
    QList<KeyDifference> m_differences;
    std::optional<ConverterModel> m_answering;
    Result m_result = Result::CommunicationFailed;
    CPortTaskObserver* m_observer = nullptr;
    // Held apart so that the task stays movable; the port is there before
    // the task runs, so that a cancel can reach it at any time. It also asks,
    // closed and opened again, whether another model answers: one port's
    // descriptors per task, however many tasks run.
    std::unique_ptr<CSerialComm> m_serial;
    std::unique_ptr<std::atomic<int>> m_stage = std::make_unique<std::atomic<int>>(0);
};
