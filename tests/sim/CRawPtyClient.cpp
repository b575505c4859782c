#include "CRawPtyClient.h"

#include <QDeadlineTimer>
#include <QFile>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

bool CRawPtyClient::open(const QString& path)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(m_fd, TCSANOW, &settings) == 0 && ::tcflush(m_fd, TCIFLUSH) == 0;
}

void CRawPtyClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool CRawPtyClient::write(const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(m_fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

QByteArray CRawPtyClient::read(int count, int timeoutMs)
{
    QByteArray received;
    const QDeadlineTimer deadline(timeoutMs);
    while (received.size() < count && !deadline.hasExpired())
        received.append(readSome(int(deadline.remainingTime())));
    return received;
}

QByteArray CRawPtyClient::readUntilQuiet(int quietMs)
{
    QByteArray received;
    for (QByteArray some = readSome(quietMs); !some.isEmpty(); some = readSome(quietMs))
        received.append(some);
    return received;
}

QByteArray CRawPtyClient::readSome(int timeoutMs)
{
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0 || (fd.revents & POLLIN) == 0)
        return {};
    std::array<char, 4096> buffer{};
    const ssize_t count = ::read(m_fd, buffer.data(), buffer.size());
    return count > 0 ? QByteArray(buffer.data(), count) : QByteArray();
}
