#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// The signals that end a program by default (SIGHUP when its terminal or
// session goes, SIGINT, SIGQUIT, SIGTERM at logout or from kill) must not
// leave a serial port behind in exclusive mode, or an ordinary user could not
// open it again until the device is reopened. Whatever ends the program, every
// open port gets its line settings back and loses its exclusive mode, a
// half-written output file is removed, and the exit status is 128 + signal.
// SIGKILL cannot be handled; the next save to the same file removes what it
// leaves. On Windows the console's Ctrl+C, Ctrl+Break, close, logoff and
// shutdown events end the command line the same way (as SIGINT, SIGHUP and
// SIGTERM); the window ends there with the session as Qt closes it.
class CExitSignals : public QObject
{
    Q_OBJECT
public:
    // For a program without an event loop to come back to (the command line):
    // each of the signals ends it at once.
    static void EndAtOnce();

    // For the window: the first signal is reported by Requested on this
    // object's thread, so that the window closes as its close button would;
    // a second one, should the window not get round to it, ends at once.
    explicit CExitSignals(QObject* parent = nullptr);
    ~CExitSignals() override;
    CExitSignals(const CExitSignals&) = delete;
    CExitSignals& operator=(const CExitSignals&) = delete;

    // The temporary file an output is written to until it is committed;
    // empty once it is committed or removed.
    static void SetPendingFile(const QByteArray& path);

    // Run by the handler before the program ends, so it must be
    // async-signal-safe; null for none.
    using LastWords = void (*)(int signal) noexcept;
    static void SetLastWords(LastWords words);

    // Gives every open serial port its line settings back and takes its
    // exclusive mode away; run by the handler, so async-signal-safe too.
    using ReleasePorts = void (*)() noexcept;
    static void SetReleasePorts(ReleasePorts release);

Q_SIGNALS:
    void Requested(int signal);

private:
    void OnNotified();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};
