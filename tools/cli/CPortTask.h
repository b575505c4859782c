#pragma once

#include "CConfigVerification.h"
#include "CEncodedConfig.h"
#include "CHeldMessages.h"
#include "CPlainPageSet.h"
#include "ConnectFlow.h"
#include "DetectedPort.h"
#include "ExitStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class CMessageSink;
class CProfile;
class CSerialComm;
class CTerminalProgress;

// One port's share of a connect, write or verify: its own serial port, its
// own copy of the pages and its own messages, so that many ports can be
// served at once, each on a thread of its own. What it touches besides is
// read-only: the configuration worked out beforehand and a read-only profile,
// whose saves do nothing.
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

    // port as the user gave it, devicePath what it maps to.
    // present: the serial ports the system reports, for the messages; when
    // empty, the task asks the system itself should a message need them.
    CPortTask(Job job, const QString& port, const QString& devicePath, const Configuration& config,
              const CEncodedConfig& encoded, CProfile& profile, const QList<DetectedPort>& present);

    // The connect flow with its message shown, as an exit status. present is
    // asked only when the message needs the system's ports.
    using PresentPorts = std::function<QList<DetectedPort>()>;
    static ExitStatus Connect(CSerialComm& port, ConverterModel model, const QString& devicePath,
                              const PresentPorts& present, CMessageSink& messages);

    static ExitStatus StatusOf(ConnectFlow::Outcome outcome);

    // Where the task tells its steps while it runs; none by default.
    void SetProgress(CTerminalProgress* progress) { m_progress = progress; }
    void Run();
    // Runs every task, each on its own thread, and returns once all are done.
    static void RunAll(std::vector<CPortTask>& tasks);

    // How far the task has come, for the report of an interrupted command:
    // safe to read from a signal handler while the task runs. Status() is
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

    ExitStatus Status() const { return m_status; }
    const QList<UserMessage>& Messages() const { return m_messages.Held(); }
    const QList<KeyDifference>& Differences() const { return m_differences; }

    // "port<TAB>result<TAB>messages", the key lines among the messages.
    QByteArray Line() const;
    // The same as one compact JSON object.
    QByteArray JsonLine() const;

private:
    ExitStatus Serve();
    // The write or verify on the connected port.
    ExitStatus Exchange(CSerialComm& port);
    void Step(const QString& text);
    ExitStatus Verify(CSerialComm& port);
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
    ExitStatus m_status = ExitStatus::CommunicationError;
    CTerminalProgress* m_progress = nullptr;
    // Held apart so that the task stays movable.
    std::unique_ptr<std::atomic<int>> m_stage = std::make_unique<std::atomic<int>>(0);
};
