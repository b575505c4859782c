#include "SafeSettingsSync.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>

#include <cstdio>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace {

bool IsFileStore(const QSettings& settings)
{
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return settings.format() != QSettings::NativeFormat;
#else
    Q_UNUSED(settings);
    return true;
#endif
}

QString BackupName(const QString& path)
{
    return path + QStringLiteral(".bak");
}

bool KeepPrevious(const QString& path, const QString& backup)
{
    QFile::remove(backup);
#if defined(Q_OS_UNIX)
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(backup).constData()) == 0)
        return true;
#endif
    return QFile::copy(path, backup);
}

bool Restore(const QString& backup, const QString& path)
{
    return std::rename(QFile::encodeName(backup).constData(),
                       QFile::encodeName(path).constData()) == 0;
}

QString Canonical(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return QStringLiteral("list:") + value.toStringList().join(QChar(0));
    return value.toString();
}

// The keys and values the store's own file should hold. A store also reads
// the files it falls back on (an organisation-wide one), but writes none of
// their keys into its own.
QMap<QString, QString> OwnValues(QSettings& settings)
{
    const bool fallbacks = settings.fallbacksEnabled();
    settings.setFallbacksEnabled(false);
    QMap<QString, QString> values;
    for (const QString& key : settings.allKeys())
        values.insert(key, Canonical(settings.value(key)));
    settings.setFallbacksEnabled(fallbacks);
    return values;
}

// Parsed from a copy under a fresh name, so that Qt's cache of the file it
// has just written cannot stand in for what is really on disk.
bool FileMatches(QSettings& settings)
{
    QFile written(settings.fileName());
    if (!written.open(QIODevice::ReadOnly))
        return false;
    QTemporaryFile copy;
    if (!copy.open() || copy.write(written.readAll()) != written.size() || !copy.flush())
        return false;
    copy.close();

    const QSettings reread(copy.fileName(), QSettings::IniFormat);
    if (reread.status() != QSettings::NoError)
        return false;
    QMap<QString, QString> found;
    for (const QString& key : reread.allKeys())
        found.insert(key, Canonical(reread.value(key)));
    return found == OwnValues(settings);
}

} // namespace

namespace SafeSettingsSync {

bool Sync(QSettings& settings)
{
    if (!IsFileStore(settings)) {
        settings.sync();
        return settings.status() == QSettings::NoError;
    }
    const QString path = settings.fileName();
    const QString backup = BackupName(path);
    const bool hadFile = QFileInfo::exists(path);
    const bool kept = hadFile && KeepPrevious(path, backup);

    settings.sync();
    const bool written = settings.status() == QSettings::NoError && FileMatches(settings);
    if (written) {
        QFile::remove(backup);
        return true;
    }
    if (kept)
        Restore(backup, path);
    else if (!hadFile)
        QFile::remove(path);
    return false;
}

} // namespace SafeSettingsSync
