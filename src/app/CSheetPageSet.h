#pragma once

#include "CPageSet.h"

class CKelvaneDlg;
class CSheetPages;

// The sheet's own pages and selector, as the read, write and defaults
// commands work on them. Showing a page's fields also enables and lays out
// its controls for the values shown, without changing any value, so that a
// page filled from the converter can be edited as its values call for.
class CSheetPageSet : public CPageSet
{
public:
    CSheetPageSet(CSheetPages& pages, const CKelvaneDlg& selector);

    ConverterModel Model() const override;
    int ConfigPort() const override;

    TranFields& Tran() override;
    SerialFields& Serial() override;
    CanFields& Can() override;
    ArmCanFields& ArmCan() override;

    bool IsOpen(Page page) const override;
    void StoreControls(Page page) override;
    void ShowFields(Page page) override;
    void RefreshControls(Page page) override;
    void CollectIntoBlock() override;
    void FillFromBlock() override;

private:
    CSheetPages& m_pages;
    const CKelvaneDlg& m_selector;
};
