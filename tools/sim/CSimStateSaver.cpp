#include "CSimStateSaver.h"

#include "CSimStateFile.h"

#include <QtDebug>

CSimStateSaver::~CSimStateSaver()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CSimStateSaver::save(const QString& path, const SimBlocks& blocks)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pending = Request{path, blocks};
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_changed.notify_all();
}

void CSimStateSaver::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending && !m_saving; });
}

void CSimStateSaver::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending)
            return;
        const Request request = *std::exchange(m_pending, std::nullopt);
        m_saving = true;
        lock.unlock();
        // Written to a temporary file and renamed over the old one, so that
        // a crash leaves one whole state or the other.
        if (!CSimStateFile::Save(request.path, request.blocks))
            qWarning("ostrel-sim: cannot save the state to %s", qPrintable(request.path));
        lock.lock();
        m_saving = false;
        m_changed.notify_all();
    }
}
