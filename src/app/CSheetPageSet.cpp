#include "CSheetPageSet.h"

#include "CKelvaneDlg.h"
#include "CSheetPages.h"

CSheetPageSet::CSheetPageSet(CSheetPages& pages, const CKelvaneDlg& selector)
    : m_pages(pages), m_selector(selector)
{}

ConverterModel CSheetPageSet::Model() const
{
    return m_selector.Model();
}

int CSheetPageSet::ConfigPort() const
{
    return m_selector.PortIndex();
}

TranFields& CSheetPageSet::Tran()
{
    return m_pages.Tran();
}

SerialFields& CSheetPageSet::Serial()
{
    return m_pages.Serial();
}

CanFields& CSheetPageSet::Can()
{
    return m_pages.Can();
}

ArmCanFields& CSheetPageSet::ArmCan()
{
    return m_pages.CanConfig();
}

bool CSheetPageSet::IsOpen(Page page) const
{
    switch (page) {
    case Page::Can:
        return m_pages.IsOpen(m_pages.Can());
    case Page::ArmCan:
        return m_pages.IsOpen(m_pages.CanConfig());
    case Page::Tran:
    case Page::Serial:
        break;
    }
    return true;
}

void CSheetPageSet::StoreControls(Page page)
{
    m_pages.Page(page).StoreControls();
}

void CSheetPageSet::ShowFields(Page page)
{
    m_pages.Page(page).ShowFields();
}

void CSheetPageSet::RefreshControls(Page page)
{
    m_pages.Page(page).RefreshControls();
}

void CSheetPageSet::CollectIntoBlock()
{
    m_pages.Build();
    m_pages.CanConfig().CollectIntoBlock();
}

void CSheetPageSet::FillFromBlock()
{
    m_pages.Build();
    m_pages.CanConfig().FillFromBlock();
}
