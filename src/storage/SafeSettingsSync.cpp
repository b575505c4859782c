#include "SafeSettingsSync.h"

#include "COutputFile.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>

namespace {

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

// Qt's reader drops a byte-order mark wherever a run of text starts (at a
// value's start, after an escape or a comma), so a value holding one would
// read back as another. It is an invisible mark a text editor left, and goes.
QVariant WithoutByteOrderMarks(const QVariant& value)
{
    const QChar mark(0xFEFF);
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().remove(mark);
    case QMetaType::QStringList: {
        QStringList items = value.toStringList();
        for (QString& item : items)
            item.remove(mark);
        return items;
    }
    default:
        return value;
    }
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

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(SafeSettingsSync)
};

using SafeSettingsSync::Result;

Result Fail(QString* why, const QString& text, Result result = Result::Failed)
{
    if (why != nullptr)
        *why = text;
    return result;
}

Result WriteFile(QSettings& settings, const QVariantMap& changes, qint64 maxFileBytes, QString* why)
{
    const QString path = settings.fileName();
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return Fail(why, Text::tr("%1 不是普通文件。").arg(path));
    QVariantMap values = OwnValues(settings);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        if (it->isValid())
            values.insert(it.key(), *it);
        else
            values.remove(it.key());
    for (QVariant& value : values)
        value = WithoutByteOrderMarks(value);

    const QString unwritable = Text::tr("无法写入 %1：%2").arg(path);
    if (!QDir().mkpath(target.path()))
        return Fail(why, unwritable.arg(Text::tr("无法创建文件夹 %1").arg(target.path())));
    COutputFile::RemoveStaleTemporaries(path);
    QTemporaryFile fresh(path + QStringLiteral(".XXXXXX"));
    if (!fresh.open())
        return Fail(why, unwritable.arg(fresh.errorString()));
    fresh.close();
    {
        QSettings writer(fresh.fileName(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            writer.setValue(it.key(), *it);
        writer.sync();
        if (writer.status() != QSettings::NoError)
            return Fail(why, unwritable.arg(Text::tr("写入中断（磁盘已满？）")));
    }
    // The next start would refuse a file over the bound, port map and all.
    if (maxFileBytes > 0 && QFileInfo(fresh.fileName()).size() > maxFileBytes)
        return Fail(why,
                    Text::tr("保存后的 %1 会大于 %2 KiB，下次启动将无法读取，所以没有保存。")
                        .arg(path)
                        .arg(maxFileBytes / 1024),
                    Result::TooLarge);
    if (!FileHolds(fresh.fileName(), values))
        return Fail(why, unwritable.arg(Text::tr("写入的内容读回时不一致")));
    if (target.exists())
        QFile::setPermissions(fresh.fileName(), QFile::permissions(path));
    if (std::rename(QFile::encodeName(fresh.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        return Fail(why, unwritable.arg(qt_error_string(errno)));
    fresh.setAutoRemove(false);
    settings.sync();
    return Result::Written;
}

} // namespace

namespace SafeSettingsSync {

Result Write(QSettings& settings, const QVariantMap& changes, qint64 maxFileBytes, QString* why)
{
    if (SettingsStore::IsFileStore(settings))
        return WriteFile(settings, changes, maxFileBytes, why);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        if (it->isValid())
            settings.setValue(it.key(), *it);
        else
            settings.remove(it.key());
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return Fail(why, Text::tr("无法写入 %1。").arg(settings.fileName()));
    return Result::Written;
}

} // namespace SafeSettingsSync
