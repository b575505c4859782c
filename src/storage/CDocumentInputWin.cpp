#include "CDocumentInput.h"

#include "CConfigDocument.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kChunk = 64 * 1024;

} // namespace

// Windows offers no FIFO in its file system: a regular file, or standard input.
std::optional<QByteArray> CDocumentInput::Read(const QString& path)
{
    QFile file;
    if (path == QLatin1String("-")) {
        if (!file.open(stdin, QIODevice::ReadOnly))
            return Fail(file.errorString());
    } else {
        const QFileInfo info(path);
        if (!info.exists())
            return Fail(SystemError(ENOENT));
        if (!info.isFile())
            return Fail(NotAFile());
        if (info.size() > CConfigDocument::kMaxBytes)
            return Fail(TooLarge());
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return Fail(file.errorString());
    }
    QByteArray bytes = file.read(CConfigDocument::kMaxBytes + 1);
    if (bytes.size() > CConfigDocument::kMaxBytes)
        return Fail(TooLarge());
    return bytes;
}
