#include "COutputFile.h"

#include "CInterruptGuard.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

COutputFile::COutputFile(const QString& path) : m_path(path) {}

COutputFile::~COutputFile()
{
    Discard();
}

bool COutputFile::Open()
{
    const QByteArray name = QFile::encodeName(m_path);
    struct stat status
    {};
    const bool exists = ::stat(name.constData(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        m_fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        return m_fd >= 0 || Fail(errno);
    }
    const QString canonical = QFileInfo(m_path).canonicalFilePath();
    m_target = exists && !canonical.isEmpty() ? QFile::encodeName(canonical) : name;
    QByteArray pattern = m_target + ".XXXXXX";
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0)
        return Fail(errno);
    m_temporary = pattern;
    CInterruptGuard::SetPendingFile(m_temporary);
    if (::fchmod(m_fd, exists ? (status.st_mode & 07777) : NewFileMode()) != 0)
        return Fail(errno);
    return true;
}

bool COutputFile::Write(const QByteArray& bytes)
{
    if (m_fd < 0)
        return false;
    const char* next = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(m_fd, next, left);
        if (written < 0 && errno == EINTR)
            continue;
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
    if (::fsync(m_fd) != 0)
        return Fail(errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        return Fail(errno);
    if (std::rename(m_temporary.constData(), m_target.constData()) != 0)
        return Fail(errno);
    CInterruptGuard::SetPendingFile({});
    m_temporary.clear();
    return true;
}

bool COutputFile::Fail(int error)
{
    m_error = QString::fromLocal8Bit(std::strerror(error));
    Discard();
    return false;
}

void COutputFile::Discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        CInterruptGuard::SetPendingFile({});
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}
