#pragma once

#include "CSheetPage.h"
#include "ConverterModel.h"
#include "SerialFields.h"

#include <QWidget>

#include <memory>

class QComboBox;
namespace Ui {
class CSerialPage;
}

// Tab "串口参数".
class CSerialPage : public QWidget, public SerialFields, public CSheetPage
{
    Q_OBJECT
public:
    explicit CSerialPage(QWidget* parent = nullptr, PageControls controls = PageControls::Now);
    ~CSerialPage() override;

    void BuildControls() override;
    bool HasControls() const override { return m_ui != nullptr; }

    void OnInitDialog() override;
    void UpdateData(bool saveAndValidate);
    void ConfigureForDevice(ConverterModel model);
    void OnEnable(bool enabled) override;
    void StoreControls() override { UpdateData(true); }
    void ShowFields() override { UpdateData(false); }

    QComboBox* ModeList() const;     // m_comboMode
    QComboBox* BaudrateList() const; // m_comboBaudrate

private:
    std::unique_ptr<Ui::CSerialPage> m_ui;
    bool m_ostrelX = false;
};
