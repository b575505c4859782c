#include "CPageSetCopy.h"

namespace {

constexpr CPageSet::Page kPages[] = {CPageSet::Page::Tran, CPageSet::Page::Serial,
                                     CPageSet::Page::Can, CPageSet::Page::ArmCan};

int IndexOf(CPageSet::Page page)
{
    return static_cast<int>(page);
}

} // namespace

CPageSetCopy::CPageSetCopy(CPageSet& pages) : CPlainPageSet(pages.Fields(), pages.ConfigPort())
{
    for (const Page page : kPages)
        m_open[IndexOf(page)] = pages.IsOpen(page);
}

void CPageSetCopy::ApplyTo(CPageSet& pages)
{
    pages.SetFields(Config());
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
    CPlainPageSet::RefreshControls(page);
    m_steps.append({Step::Refresh, page});
}

void CPageSetCopy::FillFromBlock()
{
    CPlainPageSet::FillFromBlock();
    m_steps.append({Step::FillFromBlock, Page::ArmCan});
}
