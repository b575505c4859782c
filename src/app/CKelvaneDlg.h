#pragma once

#include <QWidget>

#include <memory>

class CKelvaneSheet;
class QSettings;
namespace Ui {
class CKelvaneDlg;
}

// The band above the sheet's tabs: the converter model, the PC's serial port
// and the connect button. Only while disconnected can the model and port be
// changed.
class CKelvaneDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CKelvaneDlg(CKelvaneSheet& sheet, QWidget* parent = nullptr);
    ~CKelvaneDlg() override;

    // true: list selections into the members; false: members into the lists.
    // A member outside its list (only a damaged profile holds one) is first
    // confined to the list's first entry, so the lists always show a
    // selection and nothing later indexes past them.
    void UpdateData(bool saveAndValidate);
    // Tells, on each port list entry, which device it opens.
    void ShowPortPaths(const QSettings& profile);

    void OnConnect();
    void OnDeviceChanged();

    int m_nDeviceType = 0; // 0 "Ostrel-A", 1 "Ostrel-B", 2 "Ostrel-X"
    int m_nPortIndex = 0;  // 0 "COM1" .. 7 "COM8"

private:
    void ShowChosenPath();

    std::unique_ptr<Ui::CKelvaneDlg> m_ui;
    CKelvaneSheet& m_sheet;
};
