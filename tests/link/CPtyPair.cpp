#include "CPtyPair.h"

#include <QDeadlineTimer>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

CPtyPair::CPtyPair()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
}

CPtyPair::~CPtyPair()
{
    HangUp();
    if (m_slave >= 0)
        ::close(m_slave);
}

void CPtyPair::Send(const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + sent, bytes.size() - sent);
        if (n <= 0)
            return;
        sent += n;
    }
}

QByteArray CPtyPair::Receive(int count, int quietMs)
{
    QByteArray received;
    while (received.size() < count) {
        pollfd watch{m_master, POLLIN, 0};
        if (::poll(&watch, 1, quietMs) <= 0)
            break;
        char chunk[4096];
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        received.append(chunk, n);
    }
    return received;
}

bool CPtyPair::WaitForPending(int count, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        int pending = 0;
        if (::ioctl(m_slave, FIONREAD, &pending) == 0 && pending >= count)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(2);
    }
}

void CPtyPair::HangUp()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}
