#pragma once

#include "BitTiming.h"

#include <QWidget>

#include <optional>

// One bit drawn as its time quanta: the sync quantum, segment 1 and
// segment 2, the sample point marked where segment 1 ends and the SJW shown
// as the reach of a resynchronisation around it. Empty without a timing.
class CBitTimingView : public QWidget
{
    Q_OBJECT
public:
    explicit CBitTimingView(QWidget* parent = nullptr);

    void SetTiming(const std::optional<BitTiming>& timing);
    const std::optional<BitTiming>& Timing() const { return m_timing; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<BitTiming> m_timing;
};
