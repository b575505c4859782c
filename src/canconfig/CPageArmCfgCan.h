#pragma once

#include "ArmCanFields.h"
#include "FilterRow.h"

#include <QWidget>

#include <memory>

class CMessageSink;
class CSerialComm;
class QSettings;
namespace Ui {
class CPageArmCfgCan;
}

// Tab "CAN参数" of device type 2: bit timing, frame type, CAN ID and the
// acceptance filter list. The logic lives in CArmCanConfig; the page moves
// its controls into the fields, calls it and shows the outcome.
class CPageArmCfgCan : public QWidget, public ArmCanFields
{
    Q_OBJECT
public:
    explicit CPageArmCfgCan(CMessageSink& messages, QWidget* parent = nullptr);
    ~CPageArmCfgCan() override;

    void SetSerialPort(const CSerialComm* port);
    // Each time the sheet creates the page's window; the constructor runs it
    // once too, so a page is complete before the sheet first shows it.
    void OnInitDialog();
    // Storing takes m_strCanID, m_strStartID, m_strEndID and the mirrored
    // control states (register text, frame type selection, filtering box);
    // showing pushes the three texts only, the rest is FillFromBlock's job.
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
    void FillBaudList();
    void FillKindList();
    void SetUpFilterList();
    void ShowRows(const QList<FilterRow>& rows);
    void InsertRow(int index, const FilterRow& row);
    void SelectRow(int index);
    void PushTexts();
    bool IsConnected() const;
    void ShowMessage(const QString& text);

    std::unique_ptr<Ui::CPageArmCfgCan> m_ui;
    CMessageSink& m_messages;
    const CSerialComm* m_port = nullptr;
};
