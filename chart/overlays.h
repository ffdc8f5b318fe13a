#pragma once

#include "stats/timestatistics.h"

#include <QFont>
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

} // namespace Overlays
