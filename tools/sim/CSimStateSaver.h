#pragma once

#include "CSimConverter.h"

#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Saves the simulated converter's blocks on a thread of its own, so that a
// write is acknowledged before its file reaches the disk, as a converter
// answers before it has programmed its memory: hundreds of simulators
// syncing at once must not hold up their answers. Saves asked for while one
// is under way fold into one of the latest blocks.
class CSimStateSaver
{
public:
    CSimStateSaver() = default;
    // Finishes the save asked for last.
    ~CSimStateSaver();
    CSimStateSaver(const CSimStateSaver&) = delete;
    CSimStateSaver& operator=(const CSimStateSaver&) = delete;

    void save(const QString& path, const SimBlocks& blocks);
    // Returns once every save asked for so far has ended, written or failed.
    void finish();

private:
    struct Request
    {
        QString path;
        SimBlocks blocks;
    };

    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Request> m_pending;
    bool m_saving = false;
    bool m_stopping = false;
    // Started by the first save: a simulator without a state file has none.
    std::thread m_thread;
};
