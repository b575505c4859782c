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
    if (deferred.Held().isEmpty())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(deferred.Held());
        // Started with the first save: most runs of the window save nothing
        // before their first read.
        if (!m_thread.joinable())
            m_thread = std::thread(&CProfileSaver::Work, this);
    }
    m_wake.notify_one();
}

bool CProfileSaver::CommitNow(const CProfile& deferred)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_writing; });
    // Held while writing, so that the worker cannot write beside it: two
    // writers would each replace the file with their own view of it.
    return CProfile(m_applicationName).CommitHeld(deferred.Held());
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
        const QVariantMap held = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        lock.unlock();
        // Its own store, read afresh: the file may have changed since the
        // window read it, and a store is used by one thread at a time.
        CProfile profile(m_applicationName);
        const bool written = profile.CommitHeld(held);
        lock.lock();
        if (!written && m_failed)
            m_failed(profile.SaveFailure());
        m_writing = false;
        m_idle.notify_all();
    }
}
