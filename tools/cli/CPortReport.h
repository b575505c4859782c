#pragma once

#include "CPortTask.h"
#include "ExitStatus.h"
#include "PortOutcome.h"

#include <QByteArray>

// How the command line tells a port's task: its exit status, and the line
// it prints for the port when it serves several.
class CPortReport
{
public:
    CPortReport() = delete;

    // A plain switch, safe from a signal handler.
    static ExitStatus StatusOf(CPortTask::Result result) noexcept;
    // The task's outcome with its exit status.
    static PortOutcome OutcomeOf(const CPortTask& task);
    // "port<TAB>result<TAB>messages", the key lines among the messages;
    // result is "ok", or the outcome's name and the exit status ("failed 4").
    static QByteArray Line(const CPortTask& task);
    // The same as one compact JSON object.
    static QByteArray JsonLine(const CPortTask& task);
};
