#pragma once

#include "ArmCanFields.h"
#include "BitTiming.h"
#include "CSheetPage.h"
#include "FilterRow.h"

#include <QWidget>

#include <memory>
#include <optional>

class QLabel;

class CBitTimingPanel;
class CFilterTestPanel;
class CMessageSink;
namespace Ui {
class CPageArmCfgCan;
}

// Tab "CAN参数" of the Ostrel-X: bit timing, frame type, CAN ID and the
// acceptance filter list. The logic lives in CArmCanConfig; the page moves
// its controls into the fields, calls it and shows the outcome. The sheet
// tells it whether a converter is connected and gives it ArmCanBaud from the
// profile (m_dwBtr).
class CPageArmCfgCan : public QWidget, public ArmCanFields, public CSheetPage
{
    Q_OBJECT
public:
    explicit CPageArmCfgCan(CMessageSink& messages, QWidget* parent = nullptr,
                            PageControls controls = PageControls::Now);
    ~CPageArmCfgCan() override;

    void BuildControls() override;
    bool HasControls() const override { return m_ui != nullptr; }

    // Each time the sheet creates the page's window; making the controls runs
    // it once too, so a page is complete before the sheet first shows it. The
    // controls follow the connection as last told.
    void OnInitDialog() override;
    // Storing takes m_strCanID, m_strStartID, m_strEndID and the mirrored
    // control states (register text, frame type selection, filtering box);
    // showing pushes the three texts only, the rest is FillFromBlock's job.
    void UpdateData(bool saveAndValidate);
    void EnableControls(bool connected);
    void FillFromBlock();
    void CollectIntoBlock();

    // The controls follow the page's enabling: the sheet enables it only
    // while a converter is connected.
    void OnEnable(bool enabled) override { EnableControls(enabled); }
    void OnConnectionChanged(bool connected) override;
    void StoreControls() override { UpdateData(true); }
    void ShowFields() override { UpdateData(false); }

    void OnBaudChange();
    void OnFilterEnable();
    void OnKindChange();
    void OnAddFilter();
    void OnDeleteFilter();

    // The register edit's text, explained; none while it holds no value.
    std::optional<BitTiming> TimingOnPage() const;
    // A value from the calculator: custom bit rate with its register value.
    void PutTiming(const BitTiming& timing);
    CBitTimingPanel* TimingPanel() const { return m_timingPanel; }
    CFilterTestPanel* FilterTestPanel() const { return m_filterTest; }
    QString TableUse() const;

private:
    void AddHelpers();
    void ShowTiming();
    void OnCalculator();
    void ShowVerdict();
    void ShowTableUse();
    void FillBaudList();
    void FillKindList();
    void SetUpFilterList();
    void ShowRows(const QList<FilterRow>& rows);
    void InsertRow(int index, const FilterRow& row);
    void SelectRow(int index);
    void PushTexts();
    void ShowMessage(const QString& text);

    std::unique_ptr<Ui::CPageArmCfgCan> m_ui;
    CMessageSink& m_messages;
    bool m_connected = false;
    CBitTimingPanel* m_timingPanel = nullptr;
    CFilterTestPanel* m_filterTest = nullptr;
    QLabel* m_tableUse = nullptr;
};
