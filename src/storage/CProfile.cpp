#include "CProfile.h"

#include "ArmCanFields.h"
#include "CArmCanConfig.h"
#include "CConfigDocument.h"
#include "ConfigKeys.h"
#include "Configuration.h"
#include "ConverterModel.h"
#include "ParameterDefaults.h"
#include "PortNames.h"
#include "SafeSettingsSync.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
const char* const kTabsSizeKey = "Window/TabsSize";
const char* const kTabsFittedForKey = "Window/TabsFittedFor";
// Far above any screen's room; a larger value is not the tool's.
constexpr int kLargestTabs = 16384;

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

// The keys the profile loads with the parameter pages: those of the CAN,
// serial and conversion pages it keeps. The CAN configuration page's register
// comes later, once the sheet has the pages of its model.
bool IsParameterKey(const ConfigKey& key)
{
    return key.inProfile && key.get != nullptr && key.set != nullptr && key.page != KeyPage::ArmCan;
}

// The keys the profile keeps for the CAN configuration page.
bool IsCanConfigKey(const ConfigKey& key)
{
    return key.inProfile && key.get != nullptr && key.set != nullptr && key.page == KeyPage::ArmCan;
}

// Kept as the document writes it, and taken only as the document loader
// would take it.
QJsonValue ReadFilterList(const QSettings& settings, const ConfigKey& key,
                          const QJsonValue& fallback)
{
    const QVariant value = settings.value(Key(key.name));
    if (value.typeId() != QMetaType::QString)
        return fallback;
    const QJsonDocument document = QJsonDocument::fromJson(value.toString().toUtf8());
    if (!document.isArray())
        return fallback;
    Configuration probe = Configuration::Defaults(ConverterModel::OstrelX);
    const QJsonValue list = document.array();
    if (CConfigDocument::Apply(QJsonObject{{key.Name(), list}}, probe))
        return fallback;
    return list;
}

bool HoldsText(const ConfigKey& key)
{
    return key.kind == KeyKind::HexText || key.kind == KeyKind::Text;
}

Configuration WithFields(const CanFields& can, const SerialFields& serial, const TranFields& tran)
{
    Configuration config;
    config.can = can;
    config.serial = serial;
    config.tran = tran;
    return config;
}

} // namespace

QString CProfile::OrganizationName()
{
    return QStringLiteral("应用程序向导生成的本地应用程序");
}

CProfile::CProfile(const QString& applicationName) : CProfile(applicationName, false) {}

CProfile::CProfile(const QString& applicationName, bool readOnly)
    : m_settings(
          SettingsStore::Open(OrganizationName(), ApplicationName(applicationName), m_untouched)),
      m_readOnly(readOnly)
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
    Configuration loaded = WithFields(can, serial, tran);
    for (const ConfigKey& key : ConfigKeys::All()) {
        if (!IsParameterKey(key))
            continue;
        const QJsonValue fallback = key.get(factory);
        if (HoldsText(key))
            key.set(loaded, ReadText(*m_settings, key.name, fallback.toString()));
        else
            key.set(loaded, ReadInt(*m_settings, key.name, fallback.toInt()));
    }
    can = loaded.can;
    serial = loaded.serial;
    tran = loaded.tran;

    ProfileSelection selection;
    // Outside the selector's list (only a damaged profile holds that) the
    // first model is taken.
    const int stored = ReadInt(*m_settings, ConfigKeys::kDeviceType,
                               ConverterModels::DeviceTypeOf(selection.model));
    selection.model = ConverterModels::FromDeviceType(stored).value_or(ConverterModel::OstrelA);
    selection.configPort = ReadInt(*m_settings, ConfigKeys::kConfigPort, selection.configPort);
    return selection;
}

void CProfile::LoadArmCan(ArmCanFields& armCan) const
{
    const Configuration factory = Configuration::Defaults(ConverterModel::OstrelX);
    Configuration loaded = factory;
    loaded.armCan = armCan;
    for (const ConfigKey& key : ConfigKeys::All()) {
        if (!IsCanConfigKey(key))
            continue;
        const QJsonValue fallback = key.get(factory);
        switch (key.kind) {
        case KeyKind::Register:
            key.set(loaded, qint64(ReadArmCanBaud(*m_settings)));
            break;
        case KeyKind::Flag:
            key.set(loaded, ReadInt(*m_settings, key.name, fallback.toBool() ? 1 : 0) != 0);
            break;
        case KeyKind::FilterList:
            key.set(loaded, ReadFilterList(*m_settings, key, fallback));
            break;
        default:
            if (HoldsText(key))
                key.set(loaded, ReadText(*m_settings, key.name, fallback.toString()));
            else
                key.set(loaded, ReadInt(*m_settings, key.name, fallback.toInt()));
            break;
        }
    }
    armCan = loaded.armCan;
    CArmCanConfig::CollectIntoBlock(armCan);
}

bool CProfile::Save(CanFields can, SerialFields serial, TranFields tran,
                    const ProfileSelection& selection)
{
    const Configuration saved = WithFields(can, serial, tran);
    QVariantMap changes;
    for (const ConfigKey& key : ConfigKeys::All())
        if (IsParameterKey(key))
            Put(changes, key.name,
                HoldsText(key) ? QVariant(key.get(saved).toString())
                               : QVariant(key.get(saved).toInt()));
    Put(changes, ConfigKeys::kDeviceType, ConverterModels::DeviceTypeOf(selection.model));
    Put(changes, ConfigKeys::kConfigPort, selection.configPort);
    return WriteKeys(changes);
}

bool CProfile::SaveArmCan(const ArmCanFields& armCan)
{
    Configuration saved;
    saved.armCan = armCan;
    QVariantMap changes;
    for (const ConfigKey& key : ConfigKeys::All()) {
        if (!IsCanConfigKey(key))
            continue;
        const QJsonValue value = key.get(saved);
        switch (key.kind) {
        case KeyKind::Register:
            Put(changes, key.name, armCan.m_dwBtr);
            break;
        case KeyKind::Flag:
            Put(changes, key.name, value.toBool() ? 1 : 0);
            break;
        case KeyKind::FilterList:
            Put(changes, key.name,
                QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)));
            break;
        default:
            Put(changes, key.name,
                HoldsText(key) ? QVariant(value.toString()) : QVariant(value.toInt()));
            break;
        }
    }
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

QSize CProfile::TabsSize(const QString& fittedFor) const
{
    if (m_settings->value(QLatin1String(kTabsFittedForKey)).toString() != fittedFor)
        return {};
    const QStringList sides =
        m_settings->value(QLatin1String(kTabsSizeKey)).toString().split(QLatin1Char('x'));
    if (sides.size() != 2)
        return {};
    bool widthOk = false;
    bool heightOk = false;
    const QSize size(sides[0].toInt(&widthOk), sides[1].toInt(&heightOk));
    const bool plausible = size.width() > 0 && size.height() > 0 && size.width() <= kLargestTabs &&
                           size.height() <= kLargestTabs;
    return widthOk && heightOk && plausible ? size : QSize();
}

bool CProfile::SaveTabsSize(const QSize& size, const QString& fittedFor)
{
    const QString sides =
        QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height());
    return WriteKeys(
        {{QLatin1String(kTabsSizeKey), sides}, {QLatin1String(kTabsFittedForKey), fittedFor}});
}

quint32 CProfile::ReadArmCanBaud(const QSettings& settings)
{
    return ToInt32(settings.value(Key(ConfigKeys::kArmCanBaud)))
        .value_or(ArmCanFields::kDefaultBtr);
}

void CProfile::WriteArmCanBaud(QSettings& settings, quint32 btr)
{
    SafeSettingsSync::Write(settings, {{Key(ConfigKeys::kArmCanBaud), btr}});
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
