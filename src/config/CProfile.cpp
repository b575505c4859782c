#include "CProfile.h"

#include "ArmCanFields.h"
#include "CanFields.h"
#include "ParameterDefaults.h"
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

void Write(QSettings& settings, const char* name, const QVariant& value)
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
    // A missing key yields the value the defaults command would set.
    CanFields canDefaults;
    SerialFields serialDefaults;
    TranFields tranDefaults;
    ApplyParameterDefaults(tranDefaults, serialDefaults, canDefaults);

    const QSettings& s = m_settings;
    can.m_nBaudrate = ReadInt(s, "CanBaudrate", canDefaults.m_nBaudrate);
    can.m_strBTR[0] = ReadText(s, "CanBTR0", canDefaults.m_strBTR[0]);
    can.m_strBTR[1] = ReadText(s, "CanBTR1", canDefaults.m_strBTR[1]);
    can.m_nFrameType = ReadInt(s, "CanFrameType", canDefaults.m_nFrameType);
    can.m_nFilterMode = ReadInt(s, "CanFiterMode", canDefaults.m_nFilterMode);
    can.m_strSendID = ReadText(s, "CanID", canDefaults.m_strSendID);
    can.m_strAcptCode = ReadText(s, "CanAcptCode", canDefaults.m_strAcptCode);
    can.m_strAcptMask = ReadText(s, "CanAcptMask", canDefaults.m_strAcptMask);

    serial.m_nBaudrate = ReadInt(s, "SerialBaudrate", serialDefaults.m_nBaudrate);
    serial.m_nParity = ReadInt(s, "SerialParity", serialDefaults.m_nParity);
    serial.m_nDataBit = ReadInt(s, "SerialDataBit", serialDefaults.m_nDataBit);
    serial.m_nStopBit = ReadInt(s, "SerialStopBit", serialDefaults.m_nStopBit);
    serial.m_nFlowCtrl = ReadInt(s, "SerialFlowCtrl", serialDefaults.m_nFlowCtrl);
    serial.m_nLineMode = ReadInt(s, "SerialMode", serialDefaults.m_nLineMode);

    tran.m_nMode = ReadInt(s, "TranMode", tranDefaults.m_nMode);
    tran.m_nDirection = ReadInt(s, "TranDir", tranDefaults.m_nDirection);
    tran.m_nFrameSpace = ReadInt(s, "TranSpace", tranDefaults.m_nFrameSpace);
    tran.m_bForwardID = ReadInt(s, "TranID", tranDefaults.m_bForwardID);
    tran.m_bForwardInfo = ReadInt(s, "TranInfo", tranDefaults.m_bForwardInfo);
    tran.m_nIdOffset = ReadInt(s, "TranIdBase", tranDefaults.m_nIdOffset);
    tran.m_nIdLength = ReadInt(s, "TranLength", tranDefaults.m_nIdLength);

    ProfileSelection selection;
    selection.deviceType = ReadInt(s, "DeviceType", selection.deviceType);
    selection.configPort = ReadInt(s, "ConfigPort", selection.configPort);
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
    Write(s, "CanBaudrate", can.m_nBaudrate);
    Write(s, "CanBTR0", can.m_strBTR[0]);
    Write(s, "CanBTR1", can.m_strBTR[1]);
    Write(s, "CanFrameType", can.m_nFrameType);
    Write(s, "CanFiterMode", can.m_nFilterMode);
    Write(s, "CanID", can.m_strSendID);
    Write(s, "CanAcptCode", can.m_strAcptCode);
    Write(s, "CanAcptMask", can.m_strAcptMask);

    Write(s, "SerialBaudrate", serial.m_nBaudrate);
    Write(s, "SerialParity", serial.m_nParity);
    Write(s, "SerialDataBit", serial.m_nDataBit);
    Write(s, "SerialStopBit", serial.m_nStopBit);
    Write(s, "SerialFlowCtrl", serial.m_nFlowCtrl);
    Write(s, "SerialMode", serial.m_nLineMode);

    Write(s, "TranMode", tran.m_nMode);
    Write(s, "TranDir", tran.m_nDirection);
    Write(s, "TranSpace", tran.m_nFrameSpace);
    Write(s, "TranID", tran.m_bForwardID);
    Write(s, "TranInfo", tran.m_bForwardInfo);
    Write(s, "TranIdBase", tran.m_nIdOffset);
    Write(s, "TranLength", tran.m_nIdLength);

    Write(s, "DeviceType", selection.deviceType);
    Write(s, "ConfigPort", selection.configPort);
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
