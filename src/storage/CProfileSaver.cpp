#include "CProfileSaver.h"

#include "CProfile.h"

#include <utility>

CProfileSaver::CProfileSaver(const QString& applicationName) : m_applicationName(applicationName) {}

CProfileSaver::~CProfileSaver()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void CProfileSaver::SetFailureHandler(FailureHandler handler)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_failed = std::move(handler);
}

void CProfileSaver::Commit(const CProfile& deferred)
{
    Commit(deferred, Done());
}

void CProfileSaver::Commit(const CProfile& deferred, Done done)
{
    if (deferred.Held().isEmpty()) {
        if (done)
            done(true, QString());
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back({deferred.Held(), std::move(done)});
        // Started with the first save: most runs of the window save nothing
        // before their first read.
        if (!m_thread.joinable())
            m_thread = std::thread(&CProfileSaver::Work, this);
    }
    m_wake.notify_one();
}

bool CProfileSaver::IsIdle() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && !m_writing;
}

void CProfileSaver::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_ending || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        const Save save = std::move(m_queue.front());
        m_queue.pop_front();
        const FailureHandler failed = m_failed;
        m_writing = true;
        lock.unlock();
        // Its own store, read afresh: the file may have changed since the
        // window read it, and a store is used by one thread at a time.
        CProfile profile(m_applicationName);
        const bool written = profile.CommitHeld(save.held);
        // Told unlocked, so that whoever hears may hand over another save.
        if (save.done)
            save.done(written, written ? QString() : profile.SaveFailure());
        else if (!written && failed)
            failed(profile.SaveFailure());
        lock.lock();
        m_writing = false;
    }
}
