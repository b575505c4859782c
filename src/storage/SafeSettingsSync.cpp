#include "SafeSettingsSync.h"

#include "COutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>

#include <cstdio>

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

// A list written from one kind may read back as the other: a value that
// looked like "@Variant(...)" is held as a variant list, read back as texts.
QString Canonical(const QVariant& value)
{
    const int type = value.typeId();
    if (type != QMetaType::QStringList && type != QMetaType::QVariantList)
        return value.toString();
    QStringList items;
    for (const QVariant& item : value.toList())
        items << Canonical(item);
    return QStringLiteral("list:") + items.join(QChar(0));
}

// A key as a store writes it: "a//b/" and "a/b" are one key.
QString WrittenKey(const QString& key)
{
    return key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

// The keys and values the store's own file holds, under the names they are
// written with; where a damaged file spells one key twice, the later wins, as
// it would in the store. A store also reads the files it falls back on (an
// organisation-wide one), but writes none of their keys into its own. A line
// "=value" reads as an empty key, which no store can write; it is the one
// thing a clean file leaves out.
QVariantMap OwnValues(QSettings& settings)
{
    const bool fallbacks = settings.fallbacksEnabled();
    settings.setFallbacksEnabled(false);
    QVariantMap values;
    for (const QString& key : settings.allKeys()) {
        const QString written = WrittenKey(key);
        if (!written.isEmpty())
            values.insert(written, settings.value(key));
    }
    settings.setFallbacksEnabled(fallbacks);
    return values;
}

// Parsed from a copy under a fresh name, so that Qt's cache of the file it
// has just written cannot stand in for what is really on disk.
bool FileHolds(const QString& path, const QVariantMap& values)
{
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly))
        return false;
    QTemporaryFile copy;
    if (!copy.open() || copy.write(written.readAll()) != written.size() || !copy.flush())
        return false;
    copy.close();

    const QSettings reread(copy.fileName(), QSettings::IniFormat);
    if (reread.status() != QSettings::NoError || reread.allKeys().size() != values.size())
        return false;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (!reread.contains(it.key()) || Canonical(reread.value(it.key())) != Canonical(*it))
            return false;
    return true;
}

bool WriteFile(QSettings& settings, const QVariantMap& changes)
{
    const QString path = settings.fileName();
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return false;
    QVariantMap values = OwnValues(settings);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        if (it->isValid())
            values.insert(it.key(), *it);
        else
            values.remove(it.key());

    if (!QDir().mkpath(target.path()))
        return false;
    COutputFile::RemoveStaleTemporaries(path);
    QTemporaryFile fresh(path + QStringLiteral(".XXXXXX"));
    if (!fresh.open())
        return false;
    fresh.close();
    {
        QSettings writer(fresh.fileName(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            writer.setValue(it.key(), *it);
        writer.sync();
        if (writer.status() != QSettings::NoError)
            return false;
    }
    if (!FileHolds(fresh.fileName(), values))
        return false;
    if (target.exists())
        QFile::setPermissions(fresh.fileName(), QFile::permissions(path));
    if (std::rename(QFile::encodeName(fresh.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        return false;
    fresh.setAutoRemove(false);
    settings.sync();
    return true;
}

} // namespace

namespace SafeSettingsSync {

bool Write(QSettings& settings, const QVariantMap& changes)
{
    if (IsFileStore(settings))
        return WriteFile(settings, changes);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        if (it->isValid())
            settings.setValue(it.key(), *it);
        else
            settings.remove(it.key());
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace SafeSettingsSync
