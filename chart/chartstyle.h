#pragma once

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>

class QFont;
class QPaintDevice;
class QString;

namespace ChartStyle {

// Plot area inside the viewport: 20 px left and right, the peak 40 px from the top, the axis
// 30 px from the bottom. The curve path is built at the origin and moved by 2 and 4 margins.
constexpr int curveMargin = 10;
constexpr int plotLeft = 2 * curveMargin;
constexpr int plotTop = 4 * curveMargin;
constexpr int horizontalInset = 40;
constexpr int verticalInset = 70;
// The frame's outline stands 5 px inside the viewport, drawn 4 px wide.
constexpr int frameInset = 5;
constexpr int frameLineWidth = 4;
// How far the frame's inner edge stands from the viewport's edge.
constexpr qreal frameInnerEdge = frameInset + frameLineWidth / 2.0;

inline QPen pen(const QColor &color, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    return QPen(QBrush(color), width, style, Qt::SquareCap, Qt::BevelJoin);
}

// Each step of the chart leaves the painter as it found it: pen, brush, font and opacity stay the
// step's own.
class PainterState
{
public:
    explicit PainterState(QPainter &painter)
        : painter(painter)
    {
        painter.save();
    }
    ~PainterState() { painter.restore(); }
    PainterState(const PainterState &) = delete;
    PainterState &operator=(const PainterState &) = delete;

private:
    QPainter &painter;
};

// The chart's typeface at a size and weight, on the painter's font. The family is a preference,
// not a limit: characters it lacks (a CJK title, an emoji) come from Qt's fallback fonts, so no
// style strategy may turn font merging off here.
QFont chartFont(const QFont &base, int pointSize, int weight = -1);

// The advance of text in a font on a device. Labels come back paint after paint, so their widths
// are remembered rather than measured again.
qreal textWidth(const QFont &font, const QPaintDevice *device, const QString &text);

} // namespace ChartStyle
