#pragma once

#include "CSheetPage.h"
#include "ConverterModel.h"
#include "TranFields.h"

#include <QWidget>

#include <memory>

class CMessageSink;
class QComboBox;
class QLineEdit;
namespace Ui {
class CTranPage;
}

// Tab "转换参数".
class CTranPage : public QWidget, public TranFields, public CSheetPage
{
    Q_OBJECT
public:
    explicit CTranPage(CMessageSink& messages, QWidget* parent = nullptr,
                       PageControls controls = PageControls::Now);
    ~CTranPage() override;

    void BuildControls() override;
    bool HasControls() const override { return m_ui != nullptr; }

    void OnInitDialog() override; // once, when the sheet first shows the page
    // true: controls to fields (false when an integer edit holds none, after
    // the prompt); false: fields to controls.
    bool UpdateData(bool saveAndValidate);
    void RefreshControls() override;
    void ConfigureForDevice(ConverterModel model);
    void OnEnable(bool enabled) override;
    void StoreControls() override;
    void ShowFields() override;

    QComboBox* ModeList() const; // m_comboMode

private:
    bool ExchangeInteger(bool saveAndValidate, QLineEdit* edit, int& value);
    void ApplyModeRules();
    QLineEdit* FirstEditWithoutInteger() const;

    std::unique_ptr<Ui::CTranPage> m_ui;
    CMessageSink& m_messages;
};
