#include "CProfile.h"

#include "ArmCanFields.h"
#include "Configuration.h"
#include "ConverterModel.h"
#include "ParameterDefaults.h"
#include "ParameterKeys.h"
#include "PortNames.h"
#include "SafeSettingsSync.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QVariant>

#include <limits>
#include <memory>
#include <optional>

namespace {

QString Key(const char* name)
{
    return QStringLiteral("Kelvane/") + QLatin1String(name);
}

const char* const kConfigFolderKey = "Files/ConfigFolder";

QString ApplicationName(const QString& explicitName)
{
    return explicitName.isEmpty() ? QCoreApplication::applicationName() : explicitName;
}

// Integer keys hold a 32-bit value, which the file may show signed or unsigned.
std::optional<quint32> ToInt32(const QVariant& value)
{
    bool ok = false;
    qlonglong number = 0;
    switch (value.typeId()) {
    case QMetaType::QString:
        number = value.toString().trimmed().toLongLong(&ok, 10);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        number = value.toLongLong(&ok);
        break;
    case QMetaType::ULongLong:
        ok = value.toULongLong() <= std::numeric_limits<quint32>::max();
        number = qlonglong(value.toULongLong());
        break;
    default:
        return std::nullopt;
    }
    if (!ok || number < std::numeric_limits<qint32>::min() ||
        number > qlonglong(std::numeric_limits<quint32>::max()))
        return std::nullopt;
    return quint32(number);
}

// As a save writes it back: without the byte-order marks an editor may have
// left, which the store cannot keep (SafeSettingsSync).
QString Visible(QString text)
{
    return text.remove(QChar(0xFEFF));
}

int ReadInt(const QSettings& settings, const char* name, int fallback)
{
    return int(ToInt32(settings.value(Key(name))).value_or(quint32(fallback)));
}

QString ReadText(const QSettings& settings, const char* name, const QString& fallback)
{
    const QVariant value = settings.value(Key(name));
    return value.typeId() == QMetaType::QString ? Visible(value.toString()) : fallback;
}

void Put(QVariantMap& changes, const char* name, const QVariant& value)
{
    changes.insert(Key(name), value);
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
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
#endif

std::unique_ptr<QSettings> OpenStore(const QString& applicationName,
                                     std::optional<CProfile::Untouched>& untouched)
{
    const QString organization = CProfile::OrganizationName();
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString own = NativeFile(organization + QLatin1Char('/') + applicationName);
    untouched = Examine(own);
    // Below a file that is not a directory nothing can be read or created.
    if (IsUnreadable(own) || (untouched && untouched->unread))
        return std::make_unique<QSettings>(own + QStringLiteral("/unusable"), QSettings::IniFormat);
    if (IsUnreadable(NativeFile(organization)))
        return std::make_unique<QSettings>(own, QSettings::IniFormat);
#else
    Q_UNUSED(untouched);
#endif
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization,
                                       applicationName);
}

} // namespace

QString CProfile::OrganizationName()
{
    return QStringLiteral("应用程序向导生成的本地应用程序");
}

CProfile::CProfile(const QString& applicationName) : CProfile(applicationName, false) {}

CProfile::CProfile(const QString& applicationName, bool readOnly)
    : m_settings(OpenStore(ApplicationName(applicationName), m_untouched)), m_readOnly(readOnly)
{
    m_settings->setAtomicSyncRequired(true);
}

CProfile CProfile::ReadOnly(const QString& applicationName)
{
    return CProfile(applicationName, true);
}

CProfile CProfile::Deferred(const QString& applicationName)
{
    CProfile profile(applicationName, false);
    profile.m_deferred = true;
    return profile;
}

bool CProfile::CommitTo(CProfile& target) const
{
    return target.CommitHeld(m_held);
}

bool CProfile::CommitHeld(const QVariantMap& held)
{
    return held.isEmpty() || WriteKeys(held);
}

bool CProfile::WriteKeys(const QVariantMap& changes)
{
    if (m_readOnly)
        return true;
    if (!m_deferred) {
        if (m_untouched) {
            m_saveFailure = m_untouched->why;
            return false;
        }
        return Store(changes);
    }
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        m_held.insert(it.key(), it.value());
    return true;
}

bool CProfile::Store(const QVariantMap& changes)
{
    switch (SafeSettingsSync::Write(*m_settings, changes, kMaxFileBytes, &m_saveFailure)) {
    case SafeSettingsSync::Result::Written:
        return true;
    case SafeSettingsSync::Result::TooLarge:
        // Saved, the file would be one the next start refuses; it stays as
        // it was, and so do later saves.
        m_untouched = Untouched{false, m_saveFailure};
        return false;
    case SafeSettingsSync::Result::Failed:
        break;
    }
    return false;
}

ProfileSelection CProfile::Load(CanFields& can, SerialFields& serial, TranFields& tran) const
{
    // A missing key yields the value the defaults command would set.
    Configuration factory;
    ApplyParameterDefaults(factory.tran, factory.serial, factory.can);
    const ParameterFields fields{can, serial, tran};
    for (const ParameterKey& key : ParameterKeys::All())
        if (key.integer)
            key.integer(fields) = ReadInt(*m_settings, key.name, key.integer(factory.Parameters()));
        else
            key.text(fields) = ReadText(*m_settings, key.name, key.text(factory.Parameters()));

    ProfileSelection selection;
    // Outside the selector's list (only a damaged profile holds that) the
    // first model is taken.
    const int stored = ReadInt(*m_settings, ParameterKeys::kDeviceType,
                               ConverterModels::DeviceTypeOf(selection.model));
    selection.model = ConverterModels::FromDeviceType(stored).value_or(ConverterModel::OstrelA);
    selection.configPort = ReadInt(*m_settings, ParameterKeys::kConfigPort, selection.configPort);
    return selection;
}

void CProfile::LoadArmCanBaud(ArmCanFields& armCan) const
{
    armCan.m_dwBtr = ReadArmCanBaud(*m_settings);
}

bool CProfile::Save(CanFields can, SerialFields serial, TranFields tran,
                    const ProfileSelection& selection)
{
    const ParameterFields fields{can, serial, tran};
    QVariantMap changes;
    for (const ParameterKey& key : ParameterKeys::All())
        if (key.integer)
            Put(changes, key.name, key.integer(fields));
        else
            Put(changes, key.name, key.text(fields));
    Put(changes, ParameterKeys::kDeviceType, ConverterModels::DeviceTypeOf(selection.model));
    Put(changes, ParameterKeys::kConfigPort, selection.configPort);
    return WriteKeys(changes);
}

bool CProfile::SaveArmCanBaud(const ArmCanFields& armCan)
{
    QVariantMap changes;
    Put(changes, ParameterKeys::kArmCanBaud, armCan.m_dwBtr);
    return WriteKeys(changes);
}

QString CProfile::ConfigFolder() const
{
    return Visible(m_settings->value(QLatin1String(kConfigFolderKey)).toString());
}

bool CProfile::SaveConfigFolder(const QString& folder)
{
    return WriteKeys({{QLatin1String(kConfigFolderKey), folder}});
}

quint32 CProfile::ReadArmCanBaud(const QSettings& settings)
{
    return ToInt32(settings.value(Key(ParameterKeys::kArmCanBaud)))
        .value_or(ArmCanFields::kDefaultBtr);
}

void CProfile::WriteArmCanBaud(QSettings& settings, quint32 btr)
{
    SafeSettingsSync::Write(settings, {{Key(ParameterKeys::kArmCanBaud), btr}});
}

bool CProfile::SavePortPath(int portIndex, const QString& path)
{
    return WriteKeys({{PortKey(portIndex), path.isEmpty() ? QVariant() : QVariant(path)}});
}

QString CProfile::PortKey(int portIndex)
{
    return QStringLiteral("Ports/") + PortNames::DisplayName(portIndex);
}

PortMap CProfile::LoadPortMap() const
{
    PortMap portMap;
    for (int index = 0; index < PortNames::kPortCount; ++index)
        portMap.paths.at(std::size_t(index)) =
            Visible(m_settings->value(PortKey(index)).toString());
    return portMap;
}

void CProfile::Reload()
{
    // Every save is flushed at once, so there is nothing pending to lose.
    m_settings->sync();
}

int CProfile::ConfinePortIndex(int portIndex)
{
    return portIndex >= 0 && portIndex < PortNames::kPortCount ? portIndex : 0;
}
