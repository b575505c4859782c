#pragma once

#include <QComboBox>

class QTreeView;

// The port list of the selector band: "COM1".."COM8" when closed; opened, it
// shows beside each slot the device it reaches. It announces its opening
// first, so that the slots can be resolved again before the user looks.
class CPortList : public QComboBox
{
    Q_OBJECT
public:
    explicit CPortList(QWidget* parent = nullptr);

    // The second column and the tooltip of one slot; an absent device is
    // shown greyed, still to be chosen (and named anew with "…").
    void ShowDevice(int index, const QString& summary, const QString& details, bool absent);
    void showPopup() override;

Q_SIGNALS:
    void Opening();

private:
    QTreeView& PopupView();

    QTreeView* m_tree = nullptr;
};
