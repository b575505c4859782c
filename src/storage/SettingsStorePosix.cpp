#include "SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

// On Linux the native store is this file; QSettings reads it as it is
// constructed, and opening a FIFO for reading waits for a writer.
QString NativeFile(const QString& name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + name + QStringLiteral(".conf");
}

bool IsUnreadable(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CProfile)
};

bool IsUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(bytes);
    Q_UNUSED(decoded);
    return !utf8.hasError();
}

// A line without "=" holds no value: a clean save drops it, losing nothing.
bool HoldsValueNotUtf8(const QByteArray& bytes)
{
    if (IsUtf8(bytes))
        return false;
    for (const QByteArray& line : bytes.split('\n'))
        if (line.contains('=') && !IsUtf8(line))
            return true;
    return false;
}

// Why the profile file is left alone, if it is: too large to be ours (a
// parse of tens of megabytes would hold the window for minutes), or holding
// what the store would not write back as it was (bytes that are not UTF-8
// come back as U+FFFD, so a [Ports] entry would name another path).
std::optional<CProfile::Untouched> Examine(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    if (info.size() > CProfile::kMaxFileBytes)
        return CProfile::Untouched{
            true, Text::tr("配置文件 %1 大于 %2 KiB，不是本工具写的：本次使用默认值，"
                           "也不会改写该文件。")
                      .arg(path)
                      .arg(CProfile::kMaxFileBytes / 1024)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (!HoldsValueNotUtf8(file.read(CProfile::kMaxFileBytes + 1)))
        return std::nullopt;
    return CProfile::Untouched{false,
                               Text::tr("配置文件 %1 含有不是 UTF-8 的字节，本工具无法原样保存："
                                        "本次不会改写该文件。")
                                   .arg(path)};
}
} // namespace

std::unique_ptr<QSettings> SettingsStore::Open(const QString& organization,
                                               const QString& application,
                                               std::optional<CProfile::Untouched>& untouched)
{
    const QString own = NativeFile(organization + QLatin1Char('/') + application);
    untouched = Examine(own);
    // Below a file that is not a directory nothing can be read or created.
    if (IsUnreadable(own) || (untouched && untouched->unread))
        return std::make_unique<QSettings>(own + QStringLiteral("/unusable"), QSettings::IniFormat);
    if (IsUnreadable(NativeFile(organization)))
        return std::make_unique<QSettings>(own, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization,
                                       application);
}

bool SettingsStore::IsFileStore(const QSettings&)
{
    return true;
}
