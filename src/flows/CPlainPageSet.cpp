#include "CPlainPageSet.h"

#include "CArmCanConfig.h"
#include "CProfile.h"
#include "CanPageRules.h"

CPlainPageSet::CPlainPageSet(ConverterModel model, int configPort) : m_configPort(configPort)
{
    m_config.model = model;
}

CPlainPageSet::CPlainPageSet(const Configuration& config, int configPort)
    : m_config(config), m_configPort(configPort)
{}

void CPlainPageSet::LoadProfile(const CProfile& profile)
{
    const ProfileSelection selection = profile.Load(Can(), Serial(), Tran());
    m_config.model = selection.model;
    m_configPort = CProfile::ConfinePortIndex(selection.configPort);
    profile.LoadArmCan(ArmCan());
    if (IsOpen(Page::Can))
        RefreshControls(Page::Can);
    if (IsOpen(Page::ArmCan))
        FillFromBlock();
}

bool CPlainPageSet::IsOpen(Page page) const
{
    const bool canConfigPage = m_config.HasCanConfigPage();
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
        CanPageRules::RefreshFields(Can());
}

void CPlainPageSet::CollectIntoBlock()
{
    CArmCanConfig::CollectIntoBlock(ArmCan());
}

void CPlainPageSet::FillFromBlock()
{
    CArmCanConfig::FillFromBlock(ArmCan());
}
