#include "COutputFile.h"

#include "CExitSignals.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <io.h>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(COutputFile)
};

} // namespace

// The folder is the user's own choice; Windows gives no owner to compare.
bool COutputFile::OwnedByUs(const QFileInfo&)
{
    return true;
}

// Written as on POSIX: a temporary file beside the target, flushed to the
// disk and moved over the target only once every byte was written, and
// registered so that Ctrl+C removes it. A device ("NUL", "COM3") is written
// through.
bool COutputFile::Open()
{
    const QFileInfo info(m_path);
    if (info.isDir())
        return Fail(Text::tr("是一个文件夹"));
    if (info.exists() && !info.isFile()) {
        m_file = std::make_unique<QFile>(m_path);
        if (!m_file->open(QIODevice::WriteOnly))
            return Fail(m_file->errorString());
        return true;
    }
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    m_target = target.toUtf8();
    RemoveStaleTemporaries(target);
    QTemporaryFile temporary(target + QStringLiteral(".XXXXXX"));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        return Fail(temporary.errorString());
    const QString name = temporary.fileName();
    temporary.close();
    m_temporary = name.toUtf8();
    CExitSignals::SetPendingFile(m_temporary);
    m_file = std::make_unique<QFile>(name);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate))
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
    if (!m_file->flush())
        return Fail(m_file->errorString());
    if (m_temporary.isEmpty()) {
        m_file.reset();
        return true;
    }
    // A full disk may show only here, when the system allocates the blocks.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(m_file->handle()));
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle))
        return Fail(QString::fromLocal8Bit(std::strerror(EIO)));
    m_file->close();
    m_file.reset();
    const std::wstring from = QString::fromUtf8(m_temporary).toStdWString();
    const std::wstring to = QString::fromUtf8(m_target).toStdWString();
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(QStringLiteral("MoveFileEx: %1").arg(GetLastError()));
    CExitSignals::SetPendingFile({});
    m_temporary.clear();
    return true;
}

void COutputFile::Discard()
{
    m_file.reset();
    if (!m_temporary.isEmpty()) {
        CExitSignals::SetPendingFile({});
        QFile::remove(QString::fromUtf8(m_temporary));
        m_temporary.clear();
    }
}
