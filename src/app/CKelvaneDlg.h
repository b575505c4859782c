#pragma once

#include "PortNames.h"

#include <QWidget>

#include <memory>

namespace Ui {
class CKelvaneDlg;
}

// The band above the sheet's tabs: the converter model, the PC's serial port
// and the connect button. Only while disconnected can the model and port be
// changed. It asks for a connect or a model change by its signals and is
// told the outcome through SetConnected.
class CKelvaneDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CKelvaneDlg(QWidget* parent = nullptr);
    ~CKelvaneDlg() override;

    // true: list selections into the members; false: members into the lists.
    // A member outside its list (only a damaged profile holds one) is first
    // confined to the list's first entry, so the lists always show a
    // selection and nothing later indexes past them.
    void UpdateData(bool saveAndValidate);
    // Tells, on each port list entry, which device it opens.
    void ShowPortSlots(const QList<PortSlot>& portSlots);

    // The button and the lists as for a connected or disconnected converter,
    // then the members into the lists.
    void SetConnected(bool connected);

    void OnConnect();
    void OnDeviceChanged();

    int m_nDeviceType = 0; // the model list's index, as ConverterModel numbers it
    int m_nPortIndex = 0;  // 0 "COM1" .. 7 "COM8"

Q_SIGNALS:
    // The connect button: connect when disconnected, else disconnect.
    void ConnectRequested(int deviceType, int portIndex);
    // The user chose another model.
    void DeviceChosen(int deviceType);
    // The port list is about to open: a moment to resolve the slots again.
    void PortListOpening();
    // The "…" button: the user wants to name the device of this slot.
    void AssignPortRequested(int portIndex);

private:
    void ShowChosenPath();

    std::unique_ptr<Ui::CKelvaneDlg> m_ui;
};
