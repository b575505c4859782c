#pragma once

#include "FrameRecord.h"

#include <QList>

#include <functional>
#include <mutex>

// The frames of a connection, newest last, at most kCapacity of them: the
// oldest go first. Written on the thread of the exchange, read from any.
class CFrameLog
{
public:
    static constexpr int kCapacity = 500;

    void Add(FrameRecord record);
    QList<FrameRecord> Records() const;
    void Clear();
    // Told of each record as it is added, on the exchange's thread; set while
    // no exchange runs.
    void SetListener(std::function<void(const FrameRecord&)> listener);

private:
    mutable std::mutex m_mutex;
    QList<FrameRecord> m_records;
    std::function<void(const FrameRecord&)> m_listener;
};
