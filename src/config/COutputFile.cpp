#include "COutputFile.h"

#include "CExitSignals.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Files older than this are not ours: they are left by runs that ended.
const QDateTime kProcessStarted = QDateTime::currentDateTimeUtc();

#ifndef Q_OS_WIN
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
#endif

} // namespace

COutputFile::COutputFile(const QString& path) : m_path(path) {}

COutputFile::~COutputFile()
{
    Discard();
}

std::optional<QString> COutputFile::WriteWhole(const QString& path, const QByteArray& bytes)
{
    COutputFile file(path);
    if (file.Open() && file.Write(bytes) && file.Commit())
        return std::nullopt;
    return file.ErrorString();
}

void COutputFile::RemoveStaleTemporaries(const QString& target)
{
    const QFileInfo info(target);
    const QRegularExpression own(QStringLiteral("^%1(\\.[A-Za-z0-9]{6})+(\\.lock)?$")
                                     .arg(QRegularExpression::escape(info.fileName())));
    const QDir folder = info.absoluteDir();
    for (const QFileInfo& entry : folder.entryInfoList({info.fileName() + QStringLiteral(".*")},
                                                       QDir::Files | QDir::Hidden)) {
        if (entry.isSymLink() || !own.match(entry.fileName()).hasMatch() ||
            entry.lastModified().toUTC() >= kProcessStarted)
            continue;
#ifndef Q_OS_WIN
        if (entry.ownerId() != ::getuid())
            continue;
#endif
        QFile::remove(entry.filePath());
    }
}

bool COutputFile::Fail(int error)
{
    return Fail(QString::fromLocal8Bit(std::strerror(error)));
}

bool COutputFile::Fail(const QString& error)
{
    m_error = error;
    Discard();
    return false;
}

#ifndef Q_OS_WIN

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

#else

// QSaveFile writes a temporary file beside the target and, on commit, flushes
// it to the disk (FlushFileBuffers) before moving it over the target; a
// device ("NUL", "COM3") is written through.
bool COutputFile::Open()
{
    const QFileInfo info(m_path);
    if (info.isDir())
        return Fail(Text::tr("是一个文件夹"));
    m_file = std::make_unique<QSaveFile>(m_path);
    if (info.exists() && !info.isFile())
        m_file->setDirectWriteFallback(true);
    else
        RemoveStaleTemporaries(m_path);
    if (!m_file->open(QIODevice::WriteOnly))
        return Fail(m_file->errorString());
    return true;
}

bool COutputFile::Write(const QByteArray& bytes)
{
    if (!m_file)
        return false;
    if (m_file->write(bytes) != bytes.size())
        return Fail(m_file->errorString());
    return true;
}

bool COutputFile::Commit()
{
    if (!m_file)
        return false;
    if (!m_file->commit())
        return Fail(m_file->errorString());
    m_file.reset();
    return true;
}

void COutputFile::Discard()
{
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
}

#endif
