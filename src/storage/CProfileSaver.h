#pragma once

#include <QString>
#include <QVariantMap>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class CProfile;

// Writes the saves a deferred profile held back on a thread of its own, so
// that whoever hands them over never waits for the disk (a save locks the
// file and flushes it twice). The saves are written one at a time in the
// order they were handed over, each replacing the file whole, as
// CProfile's own saves do; those still queued when the saver goes are
// written before its destructor returns.
class CProfileSaver
{
public:
    // The profile of applicationName (empty: the application's own).
    explicit CProfileSaver(const QString& applicationName = QString());
    ~CProfileSaver();
    CProfileSaver(const CProfileSaver&) = delete;
    CProfileSaver& operator=(const CProfileSaver&) = delete;

    // Told, on the saver's own thread, why a save could not be written (a
    // read-only folder, a full disk, a file grown past what a start reads),
    // so that the user learns the values were not remembered.
    using FailureHandler = std::function<void(const QString& why)>;
    void SetFailureHandler(FailureHandler handler);

    // Told, on the saver's own thread, whether one save was written and if
    // not why; that save's failure goes here rather than to the handler. A
    // save that holds nothing is told at once, on the caller's thread.
    using Done = std::function<void(bool written, const QString& why)>;

    // Both return at once.
    void Commit(const CProfile& deferred);
    void Commit(const CProfile& deferred, Done done);
    // Whether every save handed over has been written (or has failed).
    bool IsIdle() const;

private:
    void Work();

    const QString m_applicationName;
    FailureHandler m_failed;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    struct Save
    {
        QVariantMap held;
        Done done;
    };
    std::deque<Save> m_queue;
    bool m_writing = false;
    bool m_ending = false;
    std::thread m_thread;
};
