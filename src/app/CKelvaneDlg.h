#pragma once

#include "ConverterModel.h"
#include "PortNames.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QWindow;

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

    // The model and port the lists show.
    ConverterModel Model() const;
    int PortIndex() const; // 0 "COM1" .. 7 "COM8"
    // Shows them; a port index outside the list (only a damaged profile holds
    // one) shows the list's first entry, so the lists always show a selection.
    void Select(ConverterModel model, int portIndex);
    // Tells, on each port list entry, which device it opens.
    void ShowPortSlots(const QList<PortSlot>& portSlots);

    // The button and the lists as for a connected or disconnected converter.
    void SetConnected(bool connected);

Q_SIGNALS:
    // The connect button: connect when disconnected, else disconnect.
    void ConnectRequested(ConverterModel model, int portIndex);
    // The user chose another model.
    void DeviceChosen(ConverterModel model);
    // The port list is about to open: a moment to resolve the slots again.
    void PortListOpening();
    // The "…" button: the user wants to name the device of this slot.
    void AssignPortRequested(int portIndex);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowBanner();
    void ShowChosenPath();
    void OnConnect();
    void OnDeviceChanged();

    std::unique_ptr<Ui::CKelvaneDlg> m_ui;
    QPointer<QWindow> m_watchedWindow;
};
