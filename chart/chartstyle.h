#pragma once

#include <QBrush>
#include <QColor>
#include <QPen>

namespace ChartStyle {

// Plot area inside the viewport: 20 px left and right, the peak 40 px from the top, the axis
// 30 px from the bottom. The curve path is built at the origin and moved by 2 and 4 margins.
constexpr int curveMargin = 10;
constexpr int plotLeft = 2 * curveMargin;
constexpr int plotTop = 4 * curveMargin;
constexpr int horizontalInset = 40;
constexpr int verticalInset = 70;

inline QPen pen(const QColor &color, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    return QPen(QBrush(color), width, style, Qt::SquareCap, Qt::BevelJoin);
}

} // namespace ChartStyle
