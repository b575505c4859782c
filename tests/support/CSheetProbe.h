#pragma once

#include "CKelvaneSheet.h"

// What the window tests look at inside the sheet, which the sheet hands to
// nobody else: its pages' fields, its selector and its profile.
class CSheetProbe
{
public:
    static CTranPage& TranPage(CKelvaneSheet& sheet) { return sheet.m_tranPage; }
    static CSerialPage& SerialPage(CKelvaneSheet& sheet) { return sheet.m_serialPage; }
    static CCanPage& CanPage(CKelvaneSheet& sheet) { return sheet.m_canPage; }
    static CPageArmCfgCan& CanConfigPage(CKelvaneSheet& sheet) { return sheet.m_canCfgPage; }
    static const CKelvaneDlg& Selector(CKelvaneSheet& sheet) { return sheet.m_selector; }
    static const CProfile& Profile(CKelvaneSheet& sheet) { return sheet.m_profile; }
};
