#include "COutputFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>

namespace {

// Files older than this are not ours: they are left by runs that ended.
const QDateTime kProcessStarted = QDateTime::currentDateTimeUtc();

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
            entry.lastModified().toUTC() >= kProcessStarted || !OwnedByUs(entry))
            continue;
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
