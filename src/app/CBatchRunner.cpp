#include "CBatchRunner.h"

#include <QThread>

CBatchRunner::CBatchRunner(QObject* parent) : QObject(parent) {}

CBatchRunner::~CBatchRunner()
{
    if (!IsRunning())
        return;
    Cancel();
    m_thread->wait();
}

void CBatchRunner::Start(std::vector<CPortTask> tasks)
{
    if (IsRunning())
        return;
    m_tasks = std::move(tasks);
    for (CPortTask& task : m_tasks)
        task.SetObserver(this);
    m_thread.reset(QThread::create([this] { CPortTask::RunAll(m_tasks); }));
    connect(m_thread.get(), &QThread::finished, this, &CBatchRunner::OnThreadFinished,
            Qt::QueuedConnection);
    m_thread->start();
}

void CBatchRunner::Cancel()
{
    if (!IsRunning())
        return;
    for (CPortTask& task : m_tasks)
        task.Cancel();
}

// The ports' names are the batch's rows: no two tasks share one.
int CBatchRunner::IndexOf(const QString& port) const
{
    for (std::size_t index = 0; index < m_tasks.size(); ++index)
        if (m_tasks[index].Port() == port)
            return int(index);
    return -1;
}

void CBatchRunner::Stepped(const QString& port, Step step)
{
    Q_EMIT StepTaken(IndexOf(port), int(step));
}

void CBatchRunner::Finished(const QString& port)
{
    Q_EMIT PortDone(IndexOf(port));
}

void CBatchRunner::OnThreadFinished()
{
    if (!IsRunning())
        return;
    m_thread->wait();
    m_thread.reset();
    Q_EMIT AllDone();
}
