#include "CBitTimingView.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kCellsTop = 6; // room for the SJW bracket above
constexpr int kCellHeight = 12;
constexpr int kMarkerBelow = 4; // the sample point mark reaches below the cells

} // namespace

CBitTimingView::CBitTimingView(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CBitTimingView::SetTiming(const std::optional<BitTiming>& timing)
{
    m_timing = timing;
    setToolTip(timing ? tr("同步 1 + 段 1 %1 + 段 2 %2 个时间份额，SJW %3")
                            .arg(timing->segment1)
                            .arg(timing->segment2)
                            .arg(timing->sjw)
                      : QString());
    update();
}

QSize CBitTimingView::sizeHint() const
{
    return {240, minimumSizeHint().height()};
}

QSize CBitTimingView::minimumSizeHint() const
{
    return {100, kCellsTop + kCellHeight + kMarkerBelow + 1};
}

void CBitTimingView::paintEvent(QPaintEvent* /*event*/)
{
    if (!m_timing)
        return;
    QPainter painter(this);
    const int quanta = m_timing->Quanta();
    const double cell = double(width() - 1) / quanta;
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor segment1 = highlight.lighter(160);
    QColor segment2 = highlight.lighter(120);
    const QColor sync = palette().color(QPalette::Mid);
    painter.setPen(palette().color(QPalette::WindowText));
    for (int quantum = 0; quantum < quanta; ++quantum) {
        const QColor fill = quantum == 0                    ? sync
                            : quantum <= m_timing->segment1 ? segment1
                                                            : segment2;
        const QRectF rect(quantum * cell, kCellsTop, cell, kCellHeight);
        painter.fillRect(rect, fill);
        painter.drawRect(rect);
    }
    // The sample point, where segment 1 ends.
    const double sample = (1 + m_timing->segment1) * cell;
    QPen marker(palette().color(QPalette::WindowText), 2);
    painter.setPen(marker);
    painter.drawLine(QPointF(sample, kCellsTop - 2),
                     QPointF(sample, kCellsTop + kCellHeight + kMarkerBelow));
    // A resynchronisation moves it by up to SJW quanta either way.
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    const double reach = m_timing->sjw * cell;
    const double left = qMax(cell, sample - reach);
    const double right = qMin(quanta * cell, sample + reach);
    painter.drawLine(QPointF(left, 2), QPointF(right, 2));
    painter.drawLine(QPointF(left, 0), QPointF(left, 4));
    painter.drawLine(QPointF(right, 0), QPointF(right, 4));
}
