#include "COutputFile.h"

#include "CExitSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(COutputFile)
};

// A reader that takes no more than this is waited for; one that does not read
// at all (a FIFO whose reader stopped) does not hold the writer up.
constexpr int kWriteThroughMs = 5000;
constexpr int kReaderGraceMs = 300;
constexpr int kReaderPollMs = 10;

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const QByteArray& file)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(file)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool COutputFile::OwnedByUs(const QFileInfo& file)
{
    return file.ownerId() == ::getuid();
}

bool COutputFile::Open()
{
    const QByteArray name = QFile::encodeName(m_path);
    struct stat status
    {};
    const bool exists = ::stat(name.constData(), &status) == 0;
    if (!exists && errno != ENOENT)
        return Fail(errno);
    if (exists && S_ISDIR(status.st_mode))
        return Fail(EISDIR);
    if (exists && !S_ISREG(status.st_mode)) {
        // Not blocking: opening a FIFO nobody reads would wait for a reader.
        // One that is just starting gets a moment.
        const QDeadlineTimer grace(kReaderGraceMs);
        for (;;) {
            m_fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            if (m_fd >= 0 || errno != ENXIO || !S_ISFIFO(status.st_mode))
                break;
            if (grace.hasExpired())
                return Fail(Text::tr("没有程序从这个管道读取"));
            QThread::msleep(kReaderPollMs);
        }
        return m_fd >= 0 || Fail(errno);
    }
    const QString canonical = QFileInfo(m_path).canonicalFilePath();
    m_target = exists && !canonical.isEmpty() ? QFile::encodeName(canonical) : name;
    RemoveStaleTemporaries(QFile::decodeName(m_target));
    QByteArray pattern = m_target + ".XXXXXX";
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0)
        return Fail(errno);
    m_temporary = pattern;
    CExitSignals::SetPendingFile(m_temporary);
    if (::fchmod(m_fd, exists ? (status.st_mode & 07777) : NewFileMode()) != 0)
        return Fail(errno);
    return true;
}

bool COutputFile::Write(const QByteArray& bytes)
{
    if (m_fd < 0)
        return false;
    return WriteThrough(bytes.constData(), size_t(bytes.size()));
}

bool COutputFile::WriteThrough(const char* next, size_t left)
{
    while (left > 0) {
        const ssize_t written = ::write(m_fd, next, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{m_fd, POLLOUT, 0};
            const int polled = ::poll(&ready, 1, kWriteThroughMs);
            if (polled < 0 && errno == EINTR)
                continue;
            if (polled == 0)
                return Fail(Text::tr("读取方 %1 秒内没有再接收数据").arg(kWriteThroughMs / 1000));
            continue;
        }
        if (written <= 0)
            return Fail(written < 0 ? errno : ENOSPC);
        next += written;
        left -= size_t(written);
    }
    return true;
}

bool COutputFile::Commit()
{
    if (m_fd < 0)
        return false;
    if (m_temporary.isEmpty()) {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 || Fail(errno);
    }
    // A full disk may show only here, when the system allocates the blocks.
    if (::fsync(m_fd) != 0)
        return Fail(errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        return Fail(errno);
    if (std::rename(m_temporary.constData(), m_target.constData()) != 0)
        return Fail(errno);
    CExitSignals::SetPendingFile({});
    m_temporary.clear();
    SyncFolder(m_target);
    return true;
}

void COutputFile::Discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        CExitSignals::SetPendingFile({});
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}
