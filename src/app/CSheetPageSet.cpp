#include "CSheetPageSet.h"

#include "CKelvaneSheet.h"

CSheetPageSet::CSheetPageSet(CKelvaneSheet& sheet) : m_sheet(sheet) {}

ConverterModel CSheetPageSet::Model() const
{
    return m_sheet.Selector().Model();
}

int CSheetPageSet::ConfigPort() const
{
    return m_sheet.Selector().PortIndex();
}

TranFields& CSheetPageSet::Tran()
{
    return m_sheet.TranPage();
}

SerialFields& CSheetPageSet::Serial()
{
    return m_sheet.SerialPage();
}

CanFields& CSheetPageSet::Can()
{
    return m_sheet.CanPage();
}

ArmCanFields& CSheetPageSet::ArmCan()
{
    return m_sheet.CanConfigPage();
}

bool CSheetPageSet::IsOpen(Page page) const
{
    switch (page) {
    case Page::Can:
        return m_sheet.IsCanPageOpen();
    case Page::ArmCan:
        return m_sheet.IsCanConfigPageOpen();
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
    m_sheet.CanConfigPage().CollectIntoBlock();
}

void CSheetPageSet::FillFromBlock()
{
    m_sheet.CanConfigPage().FillFromBlock();
}
