#include "app/timesdistributiondialog.h"
#include "chart/chartstyle.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include <array>

using namespace ChartStyle;

namespace {

struct QuartileLevel
{
    double fraction;
    const char *label;
};

constexpr std::array<QuartileLevel, 3> quartileLevels {
    {{0.25, "25%"}, {0.5, "50%"}, {0.75, "75%"}}};

// Labels sit 24 px left of their line and 15 px above the axis, in a box they overflow.
constexpr qreal quartileLabelLeft = -14.0;
constexpr int quartileLabelAbove = 20;
constexpr qreal quartileLabelWidth = 20.0;
constexpr qreal quartileLabelHeight = 10.0;

constexpr int statisticsFromRight = 100;
constexpr int statisticsTop = 20;

} // namespace

void TimesDistributionDialog::drawQuartileMarkers(QPainter &painter,
                                                  const std::vector<float> &values, int plotWidth,
                                                  int plotHeight, const QFont &quartileFont)
{
    const std::size_t n = values.size();
    if (n == 0)
        return;

    std::vector<float> runningSums(n);
    float running = 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        running += values[i];
        runningSums[i] = running;
    }
    const double total = runningSums.back();

    struct Marker
    {
        float offset;
        std::size_t index;
        const char *label;
    };
    std::vector<Marker> markers;
    for (const QuartileLevel &level : quartileLevels) {
        // NaN sums reach no level, so a curve of NaNs gets no markers.
        for (std::size_t i = 0; i < n; ++i) {
            if (double(runningSums[i]) >= total * level.fraction) {
                // The divisor is the point count, not the 255 gaps of the curve.
                markers.push_back({float(i) / float(n) * float(plotWidth), i, level.label});
                break;
            }
        }
    }

    painter.setPen(pen(Qt::black, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.setFont(quartileFont);
    const int axisY = plotHeight + plotTop;
    for (const Marker &marker : markers) {
        const int x = int(marker.offset + float(plotLeft));
        const int top = int((1.0f - values[marker.index]) * float(plotHeight) + float(plotTop));
        painter.drawLine(x, top, x, axisY);
    }
    for (const Marker &marker : markers) {
        painter.drawText(QRectF(quartileLabelLeft + marker.offset, plotHeight + quartileLabelAbove,
                                quartileLabelWidth, quartileLabelHeight),
                         Qt::AlignCenter | Qt::TextDontClip, QString::fromLatin1(marker.label));
    }
}

void TimesDistributionDialog::drawStatisticsPanel(QPainter &painter, const TimeList &primaryTimes,
                                                  const TimeList &secondaryTimes, int width,
                                                  const QFont &statsFont)
{
    static const QStringList labels {QStringLiteral("Best"), QStringLiteral("Worst"),
                                     QStringLiteral("Average"), QStringLiteral("Median"),
                                     QStringLiteral("MoXAo5")};

    painter.setPen(pen(Qt::black, 1));
    painter.setFont(statsFont);
    const int lineHeight = painter.fontMetrics().height();
    const int x = width - statisticsFromRight;
    int y = statisticsTop;
    const auto line = [](std::size_t i, float value) -> QString {
        return labels[qsizetype(i % 5)] + QStringLiteral(": ") + QString::number(value, 'f', 2);
    };

    const TimeList &first = primaryTimes.isEmpty() ? secondaryTimes : primaryTimes;
    const TimeStatistics firstBlock = computeStatistics(first);
    for (std::size_t i = 0; i < firstBlock.size(); ++i) {
        painter.drawText(x, y, line(i, firstBlock[i]));
        y += lineHeight;
    }

    if (primaryTimes.isEmpty() || secondaryTimes.isEmpty())
        return;
    // Advancing before each line leaves one empty line between the blocks.
    const TimeStatistics secondBlock = computeStatistics(secondaryTimes);
    for (std::size_t i = 0; i < secondBlock.size(); ++i) {
        y += lineHeight;
        painter.drawText(x, y, line(i, secondBlock[i]));
    }
}
