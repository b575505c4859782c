#pragma once

#include "BitTiming.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class CBitTimingPanel;
}

// Beside a bit-rate control: what the value gives in words, one bit drawn,
// and the button that asks for the calculator.
class CBitTimingPanel : public QWidget
{
    Q_OBJECT
public:
    explicit CBitTimingPanel(QWidget* parent = nullptr);
    ~CBitTimingPanel() override;

    // None: the value as typed is no register value.
    void ShowTiming(const std::optional<BitTiming>& timing);
    QString Text() const;
    std::optional<BitTiming> Timing() const;

Q_SIGNALS:
    void CalculatorAsked();

private:
    std::unique_ptr<Ui::CBitTimingPanel> m_ui;
};
