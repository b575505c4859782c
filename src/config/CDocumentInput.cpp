#include "CDocumentInput.h"

#include "CConfigDocument.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
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

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString TooLarge()
{
    return Text::tr("大于 %1 MiB，配置文档不会这么大")
        .arg(CConfigDocument::kMaxBytes / (1024 * 1024));
}

QString NotAFile()
{
    return Text::tr("既不是普通文件也不是管道");
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
    const int fd = standardInput
                       ? STDIN_FILENO
                       : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(SystemError(errno));
    const CDescriptor descriptor(fd, !standardInput);
    if (::fstat(fd, &status) != 0)
        return Fail(SystemError(errno));
    if (!IsReadable(status))
        return Fail(NotAFile());
    if (S_ISREG(status.st_mode) && status.st_size > CConfigDocument::kMaxBytes)
        return Fail(TooLarge());

    QByteArray bytes;
    for (;;) {
        const qsizetype before = bytes.size();
        bytes.resize(before + kChunk);
        const ssize_t count = ::read(fd, bytes.data() + before, kChunk);
        if (count < 0 && errno == EINTR) {
            bytes.resize(before);
            continue;
        }
        if (count < 0)
            return Fail(SystemError(errno));
        bytes.resize(before + count);
        if (bytes.size() > CConfigDocument::kMaxBytes)
            return Fail(TooLarge());
        if (count == 0)
            return bytes;
    }
}

std::optional<QByteArray> CDocumentInput::Fail(const QString& error)
{
    m_error = error;
    return std::nullopt;
}
