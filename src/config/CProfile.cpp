#include "CProfile.h"

#include "ArmCanFields.h"
#include "CanFields.h"
#include "SafeSettingsSync.h"
#include "SerialFields.h"
#include "TranFields.h"

#include <QCoreApplication>
#include <QVariant>

#include <limits>
#include <optional>

namespace {

constexpr int kDeviceTypeCount = 3;
constexpr int kPortCount = 8;

QString Key(const char* name)
{
    return QStringLiteral("Kelvane/") + QLatin1String(name);
}

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

int ReadInt(const QSettings& settings, const char* name, int fallback)
{
    return int(ToInt32(settings.value(Key(name))).value_or(quint32(fallback)));
}

QString ReadText(const QSettings& settings, const char* name, const QString& fallback)
{
    const QVariant value = settings.value(Key(name));
    return value.typeId() == QMetaType::QString ? value.toString() : fallback;
}

void WriteInt(QSettings& settings, const char* name, int value)
{
    settings.setValue(Key(name), value);
}

void WriteText(QSettings& settings, const char* name, const QString& value)
{
    settings.setValue(Key(name), value);
}

} // namespace

QString CProfile::OrganizationName()
{
    return QStringLiteral("应用程序向导生成的本地应用程序");
}

CProfile::CProfile(const QString& applicationName) : CProfile(applicationName, false) {}

CProfile::CProfile(const QString& applicationName, bool readOnly)
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, OrganizationName(),
                 ApplicationName(applicationName)),
      m_readOnly(readOnly)
{
    m_settings.setAtomicSyncRequired(true);
}

CProfile CProfile::ReadOnly(const QString& applicationName)
{
    return CProfile(applicationName, true);
}

ProfileSelection CProfile::Load(CanFields& can, SerialFields& serial, TranFields& tran) const
{
    const QSettings& s = m_settings;
    can.m_nBaudrate = ReadInt(s, "CanBaudrate", 10);
    can.m_strBTR[0] = ReadText(s, "CanBTR0", QStringLiteral("00"));
    can.m_strBTR[1] = ReadText(s, "CanBTR1", QStringLiteral("14"));
    can.m_nFrameType = ReadInt(s, "CanFrameType", 0);
    can.m_nFilterMode = ReadInt(s, "CanFiterMode", 1);
    can.m_strSendID = ReadText(s, "CanID", QStringLiteral("00 00 00 00"));
    can.m_strAcptCode = ReadText(s, "CanAcptCode", QStringLiteral("00 00 00 00"));
    can.m_strAcptMask = ReadText(s, "CanAcptMask", QStringLiteral("FF FF FF FF"));

    serial.m_nBaudrate = ReadInt(s, "SerialBaudrate", 4);
    serial.m_nParity = ReadInt(s, "SerialParity", 0);
    serial.m_nDataBit = ReadInt(s, "SerialDataBit", 3);
    serial.m_nStopBit = ReadInt(s, "SerialStopBit", 0);
    serial.m_nFlowCtrl = ReadInt(s, "SerialFlowCtrl", 2);
    serial.m_nLineMode = ReadInt(s, "SerialMode", 0);

    tran.m_nMode = ReadInt(s, "TranMode", 0);
    tran.m_nDirection = ReadInt(s, "TranDir", 0);
    tran.m_nFrameSpace = ReadInt(s, "TranSpace", 2);
    tran.m_bForwardID = ReadInt(s, "TranID", 0);
    tran.m_bForwardInfo = ReadInt(s, "TranInfo", 0);
    tran.m_nIdOffset = ReadInt(s, "TranIdBase", 0);
    tran.m_nIdLength = ReadInt(s, "TranLength", 1);

    ProfileSelection selection;
    selection.deviceType = ReadInt(s, "DeviceType", 2);
    selection.configPort = ReadInt(s, "ConfigPort", 0);
    return selection;
}

void CProfile::LoadArmCanBaud(ArmCanFields& armCan) const
{
    armCan.m_dwBtr = ReadArmCanBaud(m_settings);
}

bool CProfile::Save(const CanFields& can, const SerialFields& serial, const TranFields& tran,
                    const ProfileSelection& selection)
{
    if (m_readOnly)
        return true;
    QSettings& s = m_settings;
    WriteInt(s, "CanBaudrate", can.m_nBaudrate);
    WriteText(s, "CanBTR0", can.m_strBTR[0]);
    WriteText(s, "CanBTR1", can.m_strBTR[1]);
    WriteInt(s, "CanFrameType", can.m_nFrameType);
    WriteInt(s, "CanFiterMode", can.m_nFilterMode);
    WriteText(s, "CanID", can.m_strSendID);
    WriteText(s, "CanAcptCode", can.m_strAcptCode);
    WriteText(s, "CanAcptMask", can.m_strAcptMask);

    WriteInt(s, "SerialBaudrate", serial.m_nBaudrate);
    WriteInt(s, "SerialParity", serial.m_nParity);
    WriteInt(s, "SerialDataBit", serial.m_nDataBit);
    WriteInt(s, "SerialStopBit", serial.m_nStopBit);
    WriteInt(s, "SerialFlowCtrl", serial.m_nFlowCtrl);
    WriteInt(s, "SerialMode", serial.m_nLineMode);

    WriteInt(s, "TranMode", tran.m_nMode);
    WriteInt(s, "TranDir", tran.m_nDirection);
    WriteInt(s, "TranSpace", tran.m_nFrameSpace);
    WriteInt(s, "TranID", tran.m_bForwardID);
    WriteInt(s, "TranInfo", tran.m_bForwardInfo);
    WriteInt(s, "TranIdBase", tran.m_nIdOffset);
    WriteInt(s, "TranLength", tran.m_nIdLength);

    WriteInt(s, "DeviceType", selection.deviceType);
    WriteInt(s, "ConfigPort", selection.configPort);
    return Flush();
}

bool CProfile::SaveArmCanBaud(const ArmCanFields& armCan)
{
    if (m_readOnly)
        return true;
    WriteArmCanBaud(m_settings, armCan.m_dwBtr);
    return Flush();
}

quint32 CProfile::ReadArmCanBaud(const QSettings& settings)
{
    return ToInt32(settings.value(Key("ArmCanBaud"))).value_or(ArmCanFields::kDefaultBtr);
}

void CProfile::WriteArmCanBaud(QSettings& settings, quint32 btr)
{
    settings.setValue(Key("ArmCanBaud"), btr);
}

int CProfile::ConfineDeviceType(int deviceType)
{
    return deviceType >= 0 && deviceType < kDeviceTypeCount ? deviceType : 0;
}

int CProfile::ConfinePortIndex(int portIndex)
{
    return portIndex >= 0 && portIndex < kPortCount ? portIndex : 0;
}

bool CProfile::Flush()
{
    return SafeSettingsSync::Sync(m_settings);
}
