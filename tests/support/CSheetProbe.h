#pragma once

#include "CKelvaneSheet.h"

// What the window tests look at inside the sheet, which the sheet hands to
// nobody else: its pages' fields, its selector and its profile.
class CSheetProbe
{
public:
    // Each with its controls, as after the sheet's first frame.
    static CTranPage& TranPage(CKelvaneSheet& sheet) { return Built(sheet).m_tranPage; }
    static CSerialPage& SerialPage(CKelvaneSheet& sheet) { return Built(sheet).m_serialPage; }
    static CCanPage& CanPage(CKelvaneSheet& sheet) { return Built(sheet).m_canPage; }
    static CPageArmCfgCan& CanConfigPage(CKelvaneSheet& sheet) { return Built(sheet).m_canCfgPage; }
    static bool PagesBuilt(const CKelvaneSheet& sheet) { return sheet.m_pagesBuilt; }
    static QString TabsFittedFor(const CKelvaneSheet& sheet) { return sheet.m_tabsFittedFor; }
    static const CKelvaneDlg& Selector(CKelvaneSheet& sheet) { return sheet.m_selector; }
    static const CProfile& Profile(CKelvaneSheet& sheet) { return sheet.m_profile; }

private:
    static CKelvaneSheet& Built(CKelvaneSheet& sheet)
    {
        sheet.BuildPages();
        return sheet;
    }
};
