#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class CSerialComm;
class QThread;

// Runs a session's converter exchanges, one at a time, on a thread of their
// own, so that the window keeps painting. From Start until the end is handed
// back the worker owns the port: the window's thread only cancels it.
// After a cancel the converter may still be sending; the next exchange first
// lets that reply run out.
class CExchangeRunner : public QObject
{
    Q_OBJECT
public:
    explicit CExchangeRunner(CSerialComm& port, QObject* parent = nullptr);
    // Cancels the exchange under way and waits for its worker.
    ~CExchangeRunner() override;

    bool IsRunning() const { return m_thread != nullptr; }
    // work runs on the worker; done, on this object's thread once work has
    // returned and the port is the caller's again.
    void Start(std::function<void()> work, std::function<void()> done);
    // Ends the exchange under way within moments: its waits return at once.
    void Cancel();
    // Whether the exchange that has just ended was cancelled.
    bool WasCancelled() const { return m_wasCancelled; }
    // Cancels and waits for the worker without handing back its end, for a
    // window that is going away.
    void Abandon();

    // The long reply's bytes received so far, of expected; expected is 0
    // while no reply is being counted.
    int Received() const { return m_received.load(); }
    int Expected() const { return m_expected.load(); }

private:
    void OnWorkerFinished();

    CSerialComm& m_port;
    std::unique_ptr<QThread> m_thread;
    std::function<void()> m_done;
    std::atomic<int> m_received{0};
    std::atomic<int> m_expected{0};
    bool m_wasCancelled = false;
    bool m_drainFirst = false;
};
