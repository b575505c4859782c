#include "CDocumentInput.h"

#include "CConfigDocument.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CDocumentInput)
};

constexpr int kChunk = 64 * 1024;

bool IsReadable(const struct stat& status)
{
    return S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode);
}

class CDescriptor
{
public:
    explicit CDescriptor(int fd, bool owned) : m_fd(fd), m_owned(owned) {}
    ~CDescriptor()
    {
        if (m_owned && m_fd >= 0)
            ::close(m_fd);
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
    bool m_owned;
};

} // namespace

std::optional<QByteArray> CDocumentInput::Read(const QString& path)
{
    const bool standardInput = path == QLatin1String("-");
    struct stat status
    {};
    // Checked before opening: opening a serial device can itself wait for
    // its carrier.
    if (!standardInput) {
        if (::stat(QFile::encodeName(path).constData(), &status) != 0)
            return Fail(SystemError(errno));
        if (!IsReadable(status))
            return Fail(NotAFile());
    }
    // Not blocking: opening a FIFO would wait for its writer.
    const int fd = standardInput ? STDIN_FILENO
                                 : ::open(QFile::encodeName(path).constData(),
                                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return Fail(SystemError(errno));
    const CDescriptor descriptor(fd, !standardInput);
    if (::fstat(fd, &status) != 0)
        return Fail(SystemError(errno));
    if (!IsReadable(status))
        return Fail(NotAFile());
    if (S_ISREG(status.st_mode) && status.st_size > CConfigDocument::kMaxBytes)
        return Fail(TooLarge());
    return ReadPipe(fd);
}

// A regular file is always ready; a pipe is waited for until the deadline.
// Before its first writer has come, a pipe polls as not ready, and after the
// last one has gone a read gives the end.
std::optional<QByteArray> CDocumentInput::ReadPipe(int fd)
{
    const QDeadlineTimer deadline = m_pipeDeadlineMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                         : QDeadlineTimer(m_pipeDeadlineMs);
    QByteArray bytes;
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled =
            ::poll(&ready, 1, deadline.isForever() ? -1 : int(deadline.remainingTime()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled < 0)
            return Fail(SystemError(errno));
        if (polled == 0) {
            return Fail(bytes.isEmpty()
                            ? Text::tr("没有程序向这个管道写入")
                            : Text::tr("管道在 %1 毫秒内没有结束").arg(m_pipeDeadlineMs));
        }
        const qsizetype before = bytes.size();
        bytes.resize(before + kChunk);
        const ssize_t count = ::read(fd, bytes.data() + before, kChunk);
        bytes.resize(before + qMax<ssize_t>(count, 0));
        if (count < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (count < 0)
            return Fail(SystemError(errno));
        if (bytes.size() > CConfigDocument::kMaxBytes)
            return Fail(TooLarge());
        if (count == 0)
            return bytes;
    }
}
