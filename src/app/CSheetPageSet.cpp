#include "CSheetPageSet.h"

#include "CKelvaneSheet.h"

CSheetPageSet::CSheetPageSet(CKelvaneSheet& sheet) : m_sheet(sheet) {}

ConverterModel CSheetPageSet::Model() const
{
    return m_sheet.m_selector.Model();
}

int CSheetPageSet::ConfigPort() const
{
    return m_sheet.m_selector.PortIndex();
}

TranFields& CSheetPageSet::Tran()
{
    return m_sheet.m_tranPage;
}

SerialFields& CSheetPageSet::Serial()
{
    return m_sheet.m_serialPage;
}

CanFields& CSheetPageSet::Can()
{
    return m_sheet.m_canPage;
}

ArmCanFields& CSheetPageSet::ArmCan()
{
    return m_sheet.m_canCfgPage;
}

bool CSheetPageSet::IsOpen(Page page) const
{
    switch (page) {
    case Page::Can:
        return m_sheet.IsPageOpen(m_sheet.m_canPage);
    case Page::ArmCan:
        return m_sheet.IsPageOpen(m_sheet.m_canCfgPage);
    case Page::Tran:
    case Page::Serial:
        break;
    }
    return true;
}

void CSheetPageSet::StoreControls(Page page)
{
    m_sheet.SheetPage(page).StoreControls();
}

void CSheetPageSet::ShowFields(Page page)
{
    m_sheet.SheetPage(page).ShowFields();
}

void CSheetPageSet::RefreshControls(Page page)
{
    m_sheet.SheetPage(page).RefreshControls();
}

void CSheetPageSet::CollectIntoBlock()
{
    m_sheet.BuildPages();
    m_sheet.m_canCfgPage.CollectIntoBlock();
}

void CSheetPageSet::FillFromBlock()
{
    m_sheet.BuildPages();
    m_sheet.m_canCfgPage.FillFromBlock();
}
