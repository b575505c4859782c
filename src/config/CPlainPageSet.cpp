#include "CPlainPageSet.h"

#include "CArmCanConfig.h"
#include "CProfile.h"
#include "CanPageRules.h"
#include "ParameterBlockCodec.h"

CPlainPageSet::CPlainPageSet(int deviceType, int configPort) : m_configPort(configPort)
{
    SetDeviceType(deviceType);
}

void CPlainPageSet::LoadProfile(const CProfile& profile)
{
    const ProfileSelection selection = profile.Load(m_can, m_serial, m_tran);
    SetDeviceType(CProfile::ConfineDeviceType(selection.deviceType));
    m_configPort = CProfile::ConfinePortIndex(selection.configPort);
    profile.LoadArmCanBaud(m_armCan);
    m_armCan.m_strCanID = QString::fromLatin1(CArmCanConfig::kDefaultCanId);
    if (m_canOpen)
        RefreshControls(Page::Can);
    if (m_armCanOpen) {
        FillFromBlock();
        m_armCan.m_bFilterEnabled = false;
    }
}

void CPlainPageSet::SetDeviceType(int deviceType)
{
    m_deviceType = deviceType;
    m_armCanOpen = deviceType == ParameterBlockCodec::kArmDeviceType;
    m_canOpen = !m_armCanOpen;
}

void CPlainPageSet::SetOpen(Page page, bool open)
{
    if (page == Page::Can)
        m_canOpen = open;
    else if (page == Page::ArmCan)
        m_armCanOpen = open;
}

bool CPlainPageSet::IsOpen(Page page) const
{
    switch (page) {
    case Page::Can:
        return m_canOpen;
    case Page::ArmCan:
        return m_armCanOpen;
    case Page::Tran:
    case Page::Serial:
        break;
    }
    return true;
}

void CPlainPageSet::RefreshControls(Page page)
{
    if (page == Page::Can)
        CanPageRules::RefreshFields(m_can);
}

void CPlainPageSet::CollectIntoBlock()
{
    CArmCanConfig::CollectIntoBlock(m_armCan);
}

void CPlainPageSet::FillFromBlock()
{
    CArmCanConfig::FillFromBlock(m_armCan);
}
