#pragma once

#include "CanFrameId.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class CFilterTestPanel;
}

// An identifier to try against the filter on the page, and the answer. The
// page computes the answer; the panel only asks and shows.
class CFilterTestPanel : public QWidget
{
    Q_OBJECT
public:
    explicit CFilterTestPanel(QWidget* parent = nullptr);
    ~CFilterTestPanel() override;

    // None while the edit holds no identifier.
    std::optional<CanFrameId> Frame() const;
    void ShowVerdict(bool accepted, const QString& reason);
    void ShowNoIdentifier();
    QString Answer() const;

Q_SIGNALS:
    void FrameChanged();

private:
    std::unique_ptr<Ui::CFilterTestPanel> m_ui;
};
