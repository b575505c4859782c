#pragma once

#include <QByteArray>
#include <QString>

// Both ends of a pseudo-terminal: the port under test opens slavePath(), the
// test plays the far end on the master. The slave stays open here too, so the
// test can watch the line settings and what is waiting on the port's side.
class CPtyPair
{
public:
    CPtyPair();
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    bool IsValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int slaveFd() const { return m_slave; }

    void Send(const QByteArray& bytes);
    // Everything that arrives at the master until `count` bytes are in or
    // nothing comes for `quietMs`.
    QByteArray Receive(int count, int quietMs);
    // Waits until `count` bytes are waiting on the port's side.
    bool WaitForPending(int count, int timeoutMs) const;
    void HangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
