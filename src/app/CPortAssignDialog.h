#pragma once

#include "DetectedPort.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CPortAssignDialog;
}

// Names the device a COM slot leads to: one of the ports the system reports
// (by its stable by-id name where it has one) or any path typed in. An empty
// path gives the slot back to the automatic choice.
class CPortAssignDialog : public QDialog
{
    Q_OBJECT
public:
    CPortAssignDialog(const QString& slotName, const QString& currentPath,
                      const QList<DetectedPort>& detected, QWidget* parent = nullptr);
    ~CPortAssignDialog() override;

    QString Path() const;

private:
    void OnPortChosen();

    std::unique_ptr<Ui::CPortAssignDialog> m_ui;
};
