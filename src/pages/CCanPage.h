#pragma once

#include "CSheetPage.h"
#include "CanFields.h"

#include <QWidget>

#include <memory>

namespace Ui {
class CCanPage;
}

// Tab "CAN参数" of device types 0 and 1.
class CCanPage : public QWidget, public CanFields, public CSheetPage
{
    Q_OBJECT
public:
    explicit CCanPage(QWidget* parent = nullptr, PageControls controls = PageControls::Now);
    ~CCanPage() override;

    void BuildControls() override;
    bool HasControls() const override { return m_ui != nullptr; }

    // Runs each time the sheet creates the page's window (first show, and
    // again whenever the page is swapped back in).
    void OnInitDialog() override;
    void UpdateData(bool saveAndValidate);
    void RefreshControls() override;
    // Enables and lays out the controls as RefreshControls does, from the
    // fields, but leaves every text alone: for values from the converter,
    // which the BTR and mask rules would overwrite.
    void ShowControlStates();
    void OnCustomMask();
    void OnEnable(bool enabled) override;
    void StoreControls() override { UpdateData(true); }
    // Values from the converter keep their texts: the states only.
    void ShowFields() override;

    static QString PresetBtr0(int index); // "" for 0 and out-of-range indices
    static QString PresetBtr1(int index);

private:
    void EnableBtr();
    void ShowFilterLayout();
    void EnableMask();

    std::unique_ptr<Ui::CCanPage> m_ui;
};
