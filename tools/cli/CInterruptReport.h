#pragma once

#include "CPortTask.h"

#include <QByteArray>

#include <vector>

// While a command serves many ports at once, a signal that ends it first
// prints every port's state, one line per port in the order given, so that
// nobody has to guess which converters now hold the new configuration:
// "PORT<TAB>interrupted<TAB>STATE", or with --json one object per port with
// "port", "device", "status" (128 + signal), "result": "interrupted" and
// "state". STATE is "not started", "interrupted during the write", "written",
// "written, interrupted during the verify", "written and verified" (or for
// the other commands "connected", "interrupted during the verify",
// "verified"), or "failed N" for a port that had already failed.
class CInterruptReport
{
public:
    // The tasks must neither move nor be destroyed while the report lives.
    CInterruptReport(const std::vector<CPortTask>& tasks, bool json);
    ~CInterruptReport();
    CInterruptReport(const CInterruptReport&) = delete;
    CInterruptReport& operator=(const CInterruptReport&) = delete;

private:
    static constexpr int kFailures = 7; // "failed N" for exit statuses 0..6

    // A line is head, then the exit status (JSON only), then tail.
    struct Text
    {
        QByteArray head;
        QByteArray tail;
    };
    struct Entry
    {
        const CPortTask* task;
        std::vector<Text> stages; // by CPortTask::Stage, then the failures
    };

    static void Speak(int signal) noexcept;
    void SpeakOf(const Entry& entry, int signal) const noexcept;
    Text MakeText(const CPortTask& task, const QString& state) const;

    std::vector<Entry> m_entries;
    bool m_json;
};
