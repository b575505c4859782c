#include "CExchangeRunner.h"

#include "CFrameProtocol.h"
#include "CSerialComm.h"

#include <QThread>

#include <utility>

CExchangeRunner::CExchangeRunner(CSerialComm& port, QObject* parent) : QObject(parent), m_port(port)
{
    m_port.SetReplyObserver([this](int received, int expected) {
        m_received.store(received);
        m_expected.store(expected);
    });
}

CExchangeRunner::~CExchangeRunner()
{
    Abandon();
    m_port.SetReplyObserver({});
}

void CExchangeRunner::Start(std::function<void()> work, std::function<void()> done)
{
    if (IsRunning())
        return;
    m_received.store(0);
    m_expected.store(0);
    m_wasCancelled = false;
    m_done = std::move(done);
    const bool drainFirst = std::exchange(m_drainFirst, false);
    m_thread.reset(QThread::create([this, drainFirst, work = std::move(work)] {
        if (drainFirst && m_port.IsOpen())
            CFrameProtocol(m_port).DrainAbandonedReply();
        work();
    }));
    connect(m_thread.get(), &QThread::finished, this, &CExchangeRunner::OnWorkerFinished,
            Qt::QueuedConnection);
    m_thread->start();
}

void CExchangeRunner::Cancel()
{
    if (IsRunning())
        m_port.Cancel();
}

void CExchangeRunner::Abandon()
{
    if (!IsRunning())
        return;
    m_port.Cancel();
    m_thread->wait();
    m_thread.reset();
    m_port.ClearCancel();
    m_done = {};
}

void CExchangeRunner::OnWorkerFinished()
{
    if (!IsRunning())
        return;
    m_thread->wait();
    m_thread.reset();
    m_wasCancelled = m_port.IsCancelled();
    m_drainFirst = m_wasCancelled;
    // The hang-up watch reads the port between exchanges; a cancelled port
    // would answer it nothing.
    m_port.ClearCancel();
    std::exchange(m_done, {})();
}
