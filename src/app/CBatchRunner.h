#pragma once

#include "CPortTask.h"
#include "CPortTaskObserver.h"

#include <QObject>

#include <memory>
#include <vector>

class QThread;

// Runs a batch's tasks, each on a thread and a connection of its own, away
// from the window's thread, and tells each step there as it comes. A task
// may be read once its PortDone has arrived.
class CBatchRunner : public QObject, private CPortTaskObserver
{
    Q_OBJECT
public:
    explicit CBatchRunner(QObject* parent = nullptr);
    // Cancels the tasks under way and waits for them.
    ~CBatchRunner() override;

    bool IsRunning() const { return m_thread != nullptr; }
    void Start(std::vector<CPortTask> tasks);
    // Every task's waits end at once.
    void Cancel();
    const std::vector<CPortTask>& Tasks() const { return m_tasks; }

Q_SIGNALS:
    void StepTaken(int index, int step);
    void PortDone(int index);
    void AllDone();

private:
    void Observe(CSerialComm&, const QString&) override {}
    void Stepped(const QString& port, Step step) override;
    void Finished(const QString& port) override;
    int IndexOf(const QString& port) const;
    void OnThreadFinished();

    std::vector<CPortTask> m_tasks;
    std::unique_ptr<QThread> m_thread;
};
