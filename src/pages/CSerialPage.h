#pragma once

#include "SerialFields.h"

#include <QWidget>

#include <memory>

class QComboBox;
namespace Ui {
class CSerialPage;
}

// Tab "串口参数".
class CSerialPage : public QWidget, public SerialFields
{
    Q_OBJECT
public:
    explicit CSerialPage(QWidget* parent = nullptr);
    ~CSerialPage() override;

    void OnInitDialog();
    bool UpdateData(bool saveAndValidate);
    void ConfigureForDevice(bool type2);
    void OnEnable(bool enabled);

    QComboBox* ModeList() const;     // m_comboMode
    QComboBox* BaudrateList() const; // m_comboBaudrate

private:
    std::unique_ptr<Ui::CSerialPage> m_ui;
    bool m_type2 = false;
};
