#include "CSheetPageSet.h"

#include "CKelvaneSheet.h"

CSheetPageSet::CSheetPageSet(CKelvaneSheet& sheet) : m_sheet(sheet) {}

int CSheetPageSet::DeviceType() const
{
    return m_sheet.Selector().m_nDeviceType;
}

int CSheetPageSet::ConfigPort() const
{
    return m_sheet.Selector().m_nPortIndex;
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
    ExchangeData(page, true);
}

void CSheetPageSet::ShowFields(Page page)
{
    ExchangeData(page, false);
    // Fields from the converter may call for other controls than those the
    // page enabled for its previous values; neither call changes a value.
    if (page == Page::Tran) {
        m_sheet.TranPage().RefreshControls();
    } else if (page == Page::Can) {
        m_sheet.CanPage().ShowControlStates();
    }
}

void CSheetPageSet::ExchangeData(Page page, bool saveAndValidate)
{
    // A refused entry has already shown its prompt, and the command goes on
    // with the fields as they are, so the result is of no further use.
    switch (page) {
    case Page::Tran:
        m_sheet.TranPage().UpdateData(saveAndValidate);
        break;
    case Page::Serial:
        m_sheet.SerialPage().UpdateData(saveAndValidate);
        break;
    case Page::Can:
        m_sheet.CanPage().UpdateData(saveAndValidate);
        break;
    case Page::ArmCan:
        m_sheet.CanConfigPage().UpdateData(saveAndValidate);
        break;
    }
}

void CSheetPageSet::RefreshControls(Page page)
{
    if (page == Page::Tran) {
        m_sheet.TranPage().RefreshControls();
    } else if (page == Page::Can) {
        m_sheet.CanPage().RefreshControls();
    }
}

void CSheetPageSet::CollectIntoBlock()
{
    m_sheet.CanConfigPage().CollectIntoBlock();
}

void CSheetPageSet::FillFromBlock()
{
    m_sheet.CanConfigPage().FillFromBlock();
}
