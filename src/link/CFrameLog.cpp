#include "CFrameLog.h"

void CFrameLog::Add(FrameRecord record)
{
    std::function<void(const FrameRecord&)> listener;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_records.size() >= kCapacity)
            m_records.removeFirst();
        m_records.append(record);
        listener = m_listener;
    }
    if (listener)
        listener(record);
}

QList<FrameRecord> CFrameLog::Records() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

void CFrameLog::Clear()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_records.clear();
}

void CFrameLog::SetListener(std::function<void(const FrameRecord&)> listener)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = std::move(listener);
}
