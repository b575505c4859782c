#pragma once

#include <QString>

class CSerialComm;

// Follows ports' tasks as they come along. Every call comes on the thread of
// the task it speaks of, so one observer of several tasks is called from
// several threads at once.
class CPortTaskObserver
{
public:
    enum class Step
    {
        Connecting,
        Writing,
        Verifying,
    };

    virtual ~CPortTaskObserver() = default;

    // The task's own serial port, before its first exchange, for an observer
    // that follows the long replies.
    virtual void Observe(CSerialComm& serial, const QString& port) = 0;
    virtual void Stepped(const QString& port, Step step) = 0;
    // The task's result, messages and differences are final.
    virtual void Finished(const QString& port) = 0;
};
