#pragma once

#include "CConfigVerification.h"
#include "CEncodedConfig.h"
#include "CHeldMessages.h"
#include "CPlainPageSet.h"
#include "DetectedPort.h"
#include "ExitStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>

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
    // present: the serial ports the system reports, for the messages.
    CPortTask(Job job, const QString& port, const QString& devicePath, const CPlainPageSet& pages,
              const CEncodedConfig& config, CProfile& profile, const QList<DetectedPort>& present);

    // The connect flow with its message shown, as an exit status.
    static ExitStatus Connect(CSerialComm& port, int deviceType, const QString& devicePath,
                              const QList<DetectedPort>& present, CMessageSink& messages);

    // Where the task tells its steps while it runs; none by default.
    void SetProgress(CTerminalProgress* progress) { m_progress = progress; }
    void Run();
    // Runs every task, each on its own thread, and returns once all are done.
    static void RunAll(std::vector<CPortTask>& tasks);

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
};
