#include "CPageSetCopy.h"

#include "CArmCanConfig.h"
#include "CanPageRules.h"

namespace {

constexpr CPageSet::Page kPages[] = {CPageSet::Page::Tran, CPageSet::Page::Serial,
                                     CPageSet::Page::Can, CPageSet::Page::ArmCan};

int IndexOf(CPageSet::Page page)
{
    return static_cast<int>(page);
}

} // namespace

CPageSetCopy::CPageSetCopy(CPageSet& pages)
    : m_tran(pages.Tran()), m_serial(pages.Serial()), m_can(pages.Can()), m_armCan(pages.ArmCan()),
      m_deviceType(pages.DeviceType()), m_configPort(pages.ConfigPort())
{
    for (const Page page : kPages)
        m_open[IndexOf(page)] = pages.IsOpen(page);
}

void CPageSetCopy::ApplyTo(CPageSet& pages) const
{
    pages.Tran() = m_tran;
    pages.Serial() = m_serial;
    pages.Can() = m_can;
    pages.ArmCan() = m_armCan;
    for (const Shown& shown : m_steps) {
        switch (shown.step) {
        case Step::Show:
            pages.ShowFields(shown.page);
            break;
        case Step::Refresh:
            pages.RefreshControls(shown.page);
            break;
        case Step::FillFromBlock:
            // Filling again from the same block gives the same fields.
            pages.FillFromBlock();
            break;
        }
    }
}

bool CPageSetCopy::IsOpen(Page page) const
{
    return m_open[IndexOf(page)];
}

void CPageSetCopy::ShowFields(Page page)
{
    m_steps.append({Step::Show, page});
}

void CPageSetCopy::RefreshControls(Page page)
{
    if (page == Page::Can)
        CanPageRules::RefreshFields(m_can);
    m_steps.append({Step::Refresh, page});
}

void CPageSetCopy::CollectIntoBlock()
{
    CArmCanConfig::CollectIntoBlock(m_armCan);
}

void CPageSetCopy::FillFromBlock()
{
    CArmCanConfig::FillFromBlock(m_armCan);
    m_steps.append({Step::FillFromBlock, Page::ArmCan});
}
