#pragma once

#include "stats/timestatistics.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QStringList>

#include <vector>

class QPainter;

// The statistics panel, measured before it is drawn so that the title can keep clear of it.
namespace Overlays {

struct StatisticsPanel
{
    QStringList lines;
    QFont font;
    // Where the text starts: 100 px left of the viewport's right edge, or further left where the
    // widest line would otherwise end outside the frame.
    int left;
};

// A block of lines for each list's statistics, the first list's first.
StatisticsPanel statisticsPanel(const QPainter &painter, const std::vector<TimeStatistics> &blocks,
                                int width, const QFont &font);
void draw(QPainter &painter, const StatisticsPanel &panel);
// Where the panel's text stands.
QRectF bounds(const QPainter &painter, const StatisticsPanel &panel);

// A row of the key: a list's colour and what it is.
struct KeyRow
{
    QColor color;
    QString text;
};

// A curve as the plot shows it: its points from the plot's left end to its right end, 1 at the
// plot's top.
struct PlottedCurve
{
    const std::vector<float> *values;
    int plotWidth;
    int plotHeight;
};

// Draws the key inside area, clear of the rectangles in avoid where it can be, at the place where
// it covers the least of the curves.
void drawKey(QPainter &painter, const std::vector<KeyRow> &rows, const QFont &font,
             const QRectF &area, const std::vector<QRectF> &avoid,
             const std::vector<PlottedCurve> &curves);

} // namespace Overlays
