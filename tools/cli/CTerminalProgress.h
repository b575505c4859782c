#pragma once

#include "CPortTaskObserver.h"

#include <QString>

#include <chrono>
#include <list>
#include <mutex>

class CFrameLog;

class CSerialComm;

// One line on standard error telling what the exchanges under way are doing:
// the port and its step, the bytes of the CAN configuration block received so
// far, and for several ports how many are done. It is rewritten in place and
// cleared before anything else is printed and at the end. Nothing at all when
// standard error is not a terminal, so that scripts see what they always saw.
// Safe to call from the threads of several ports.
class CTerminalProgress : public CPortTaskObserver
{
public:
    CTerminalProgress();
    ~CTerminalProgress() override;
    CTerminalProgress(const CTerminalProgress&) = delete;
    CTerminalProgress& operator=(const CTerminalProgress&) = delete;

    bool IsShown() const { return m_shown; }
    // With more than one port the line counts them.
    void SetPortCount(int count);
    void Step(const QString& port, const QString& step);
    // The long replies of serial, as the step of port.
    void Observe(CSerialComm& serial, const QString& port) override;
    void PortDone(const QString& port);
    void Stepped(const QString& port, CPortTaskObserver::Step step) override;
    void Finished(const QString& port) override { PortDone(port); }
    void Clear();
    // Observed ports also print each frame on standard error as it goes over
    // the line (--trace), terminal or not.
    void SetTracing(bool tracing) { m_tracing = tracing; }

private:
    void Trace(const QString& port, const QString& line);
    using Clock = std::chrono::steady_clock;

    void Received(const QString& port, int received, int expected);
    void Draw();
    void Erase();

    const bool m_shown;
    std::mutex m_lock;
    QString m_port;
    QString m_step;
    int m_received = 0;
    int m_expected = 0;
    int m_portCount = 0;
    int m_portsDone = 0;
    int m_drawnColumns = 0;
    Clock::time_point m_drawnAt{};
    bool m_tracing = false;
    std::list<CFrameLog> m_logs; // one per observed port, for as long as they talk
};
