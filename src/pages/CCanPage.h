#pragma once

#include "BitTiming.h"
#include "CSheetPage.h"
#include "CanFields.h"

#include <QWidget>

#include <memory>
#include <optional>

class CBitTimingPanel;
class CFilterTestPanel;

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

    // The BTR pair as typed, explained; none while it is no pair of bytes.
    std::optional<BitTiming> TimingOnPage() const;
    // A value from the calculator: custom bit rate with its pair.
    void PutTiming(const BitTiming& timing);
    CBitTimingPanel* TimingPanel() const { return m_timingPanel; }
    CFilterTestPanel* FilterTestPanel() const { return m_filterTest; }

private:
    void AddHelpers();
    void ShowTiming();
    void OnCalculator();
    void ShowVerdict();
    // The fields as the controls hold them now, the page's own untouched.
    CanFields FieldsOnControls() const;
    static void Exchange(bool save, Ui::CCanPage& ui, CanFields& fields);

    void EnableBtr();
    void ShowFilterLayout();
    void EnableMask();

    std::unique_ptr<Ui::CCanPage> m_ui;
    CBitTimingPanel* m_timingPanel = nullptr;
    CFilterTestPanel* m_filterTest = nullptr;
};
