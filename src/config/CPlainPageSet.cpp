#include "CPlainPageSet.h"

#include "CArmCanConfig.h"
#include "CProfile.h"
#include "CanPageRules.h"
#include "ConverterModel.h"

CPlainPageSet::CPlainPageSet(int deviceType, int configPort)
    : m_deviceType(deviceType), m_configPort(configPort)
{}

void CPlainPageSet::LoadProfile(const CProfile& profile)
{
    const ProfileSelection selection = profile.Load(m_can, m_serial, m_tran);
    m_deviceType = CProfile::ConfineDeviceType(selection.deviceType);
    m_configPort = CProfile::ConfinePortIndex(selection.configPort);
    profile.LoadArmCanBaud(m_armCan);
    m_armCan.m_strCanID = QString::fromLatin1(CArmCanConfig::kDefaultCanId);
    if (IsOpen(Page::Can))
        RefreshControls(Page::Can);
    if (IsOpen(Page::ArmCan)) {
        FillFromBlock();
        m_armCan.m_bFilterEnabled = false;
    }
}

bool CPlainPageSet::IsOpen(Page page) const
{
    const bool canConfigPage = ConverterModels::HasCanConfigPage(m_deviceType);
    switch (page) {
    case Page::Can:
        return !canConfigPage;
    case Page::ArmCan:
        return canConfigPage;
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
