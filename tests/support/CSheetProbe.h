#pragma once

#include "CKelvaneSheet.h"

// What the window tests look at inside the sheet, which the sheet hands to
// nobody else: its pages' fields, its selector and its profile.
class CSheetProbe
{
public:
    // Each with its controls, as after the sheet's first frame.
    static CTranPage& TranPage(CKelvaneSheet& sheet) { return Built(sheet).Tran(); }
    static CSerialPage& SerialPage(CKelvaneSheet& sheet) { return Built(sheet).Serial(); }
    static CCanPage& CanPage(CKelvaneSheet& sheet) { return Built(sheet).Can(); }
    static CPageArmCfgCan& CanConfigPage(CKelvaneSheet& sheet) { return Built(sheet).CanConfig(); }
    static bool PagesBuilt(const CKelvaneSheet& sheet) { return sheet.m_pages.IsBuilt(); }
    static QString TabsFittedFor(const CKelvaneSheet& sheet)
    {
        return sheet.m_pages.TabsFittedFor();
    }
    static const CKelvaneDlg& Selector(CKelvaneSheet& sheet) { return sheet.m_selector; }
    static const CProfile& Profile(CKelvaneSheet& sheet) { return sheet.m_profile; }

private:
    static CSheetPages& Built(CKelvaneSheet& sheet)
    {
        sheet.m_pages.Build();
        return sheet.m_pages;
    }
};
