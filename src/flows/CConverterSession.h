#pragma once

#include "Configuration.h"
#include "ConverterModel.h"
#include "DetectedPort.h"
#include "UserMessage.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class CExchangeRunner;
class CFrameLog;
class CPageSet;
class CPortHangupWatch;
class CProfileSaver;
class CSerialComm;

// The window's one connection to a converter: the port, the worker its
// exchanges run on, the watch that notices the line going between them, the
// path connected to and what the converter was last found to hold.
//
// Every exchange (connect, read, write, verify) runs on the worker, a
// command over a copy of the pages' fields, and so does an import, which
// reads a file; the window's thread only starts it and takes its end. Its fields reach the
// pages and its profile saves the saver once it has ended, just before
// Finished tells the end in one report. A cancelled exchange leaves the
// pages and the profile as they were. A line that goes away, during an
// exchange or between them, lets the port go and is told once.
class CConverterSession : public QObject
{
    Q_OBJECT
public:
    enum class Job
    {
        Connect,
        Read,
        Write,
        Verify,
        Import,
    };

    // How an exchange ended, as the window tells it.
    struct Report
    {
        Job job = Job::Connect;
        bool succeeded = false;
        // To be told in their order.
        QList<UserMessage> messages;
        // The cancel the user asked for, which needs no box to confirm it.
        std::optional<UserMessage> cancelled;
        // The line went away and the port is let go: told after the rest.
        std::optional<UserMessage> hungUp;
        // A failed connect: the model of the converter that answered instead.
        std::optional<ConverterModel> otherModel;
    };

    // pages: the window's, which the commands work on; saver: where their
    // profile saves go; detector: the serial ports present, the system's
    // unless given.
    CConverterSession(CPageSet& pages, CProfileSaver& saver,
                      const CPortDetector* detector = nullptr, QObject* parent = nullptr);
    // Cancels the exchange under way, waits for it and lets the port go.
    ~CConverterSession() override;

    const CPortDetector& Detector() const { return m_detector; }
    bool IsConnected() const;
    bool IsExchanging() const;
    const QString& ConnectedPath() const { return m_connectedPath; }
    // What the converter holds, as the last read, write or verify found it;
    // none since the last connect.
    const std::optional<Configuration>& Held() const { return m_held; }
    // The frames of the connection in words, one line each, a failed
    // connect's included; each connect starts them afresh.
    QString FrameLogText() const;

    // Each starts its exchange and returns at once, Finished following; none
    // starts (false) while another runs, nor a command without a connection.
    // detected: the ports present when the caller has asked for them;
    // otherwise they are asked for only to explain a failed connect.
    bool Connect(ConverterModel model, const QString& path,
                 const std::optional<QList<DetectedPort>>& detected);
    bool Read();
    bool Write();
    // Reads what the converter holds into Held, the pages left as they are.
    bool Verify();
    // A document file put on the pages for their model.
    bool Import(const QString& path);
    // Lets the port go at once, sending nothing; not while an exchange runs.
    void Disconnect();
    // Ends the exchange under way within moments: its waits return at once.
    void Cancel();

    // Async-signal-safe, for a handler that ends the process: every open
    // port gets its line settings back and loses its exclusive mode.
    static void ReleaseAllForSignal() noexcept;

Q_SIGNALS:
    // The long reply's bytes received so far, of expected (0 while none is
    // being counted), every moment while an exchange runs.
    void Progress(int received, int expected);
    // The line went away between exchanges; the port is let go.
    void HungUp(const UserMessage& message);
    void Finished(const CConverterSession::Report& report);

private:
    using Work = std::function<void()>;
    using End = std::function<Report()>;
    void Run(Work work, End end);
    void OnWatchHungUp();
    void ClosePort();
    bool RunCommand(Job kind);

    CPageSet& m_pages;
    CProfileSaver& m_saver;
    std::unique_ptr<CPortDetector> m_systemPorts;
    const CPortDetector& m_detector;
    std::unique_ptr<CFrameLog> m_frameLog; // before the port, which writes into it
    std::unique_ptr<CSerialComm> m_port;
    std::unique_ptr<CPortHangupWatch> m_hangupWatch;
    // Declared after the port, which its worker uses, so it goes first.
    std::unique_ptr<CExchangeRunner> m_runner;
    QTimer m_pollProgress;
    QString m_connectedPath;
    std::optional<Configuration> m_held;
};
