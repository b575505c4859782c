#pragma once

#include "ArmCanFields.h"

#include <QWidget>

#include <memory>

class CMessageSink;
class CSerialComm;
class QSettings;
namespace Ui {
class CPageArmCfgCan;
}

// Tab "CAN参数" of device type 2: bit timing, frame type, CAN ID and the
// acceptance filter list.
class CPageArmCfgCan : public QWidget, public ArmCanFields
{
    Q_OBJECT
public:
    explicit CPageArmCfgCan(CMessageSink& messages, QWidget* parent = nullptr);
    ~CPageArmCfgCan() override;

    void SetSerialPort(const CSerialComm* port);
    void OnInitDialog(); // each time the sheet creates the page's window
    // Moves m_strCanID, m_strStartID, m_strEndID and the mirrored control
    // states (register text, frame type selection, filtering box) between
    // the members and the controls.
    void UpdateData(bool saveAndValidate);
    void EnableControls(bool connected);
    void FillFromBlock();
    void CollectIntoBlock();
    void LoadArmCanBaud(const QSettings& profile);
    void SaveArmCanBaud(QSettings& profile) const;

    void OnBaudChange();
    void OnFilterEnable();
    void OnKindChange();
    void OnAddFilter();
    void OnDeleteFilter();

private:
    std::unique_ptr<Ui::CPageArmCfgCan> m_ui;
    CMessageSink& m_messages;
    const CSerialComm* m_port = nullptr;
};
