#include "chart/overlays.h"
#include "chart/chart.h"
#include "chart/chartstyle.h"
#include "stats/timestatistics.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

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
constexpr qreal quartileLabelGap = 4.0;

constexpr int statisticsFromRight = 100;
constexpr int statisticsTop = 20;

} // namespace

void Chart::drawQuartileMarkers(QPainter &painter, const std::vector<float> &values, int plotWidth,
                                int plotHeight, const QFont &quartileFont,
                                std::vector<QRectF> *drawnLabels)
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
    // A label that would touch one already drawn climbs by whole lines, keeping its x, so the
    // dashed line below it still tells whose it is.
    std::vector<QRectF> ownLabels;
    std::vector<QRectF> &drawn = drawnLabels ? *drawnLabels : ownLabels;
    // At least a pixel, so a climb always ends above the labels drawn before.
    const int lineHeight = std::max(1, painter.fontMetrics().height());
    for (const Marker &marker : markers) {
        const QString text = QString::fromLatin1(marker.label);
        QRectF box(quartileLabelLeft + marker.offset, plotHeight + quartileLabelAbove,
                   quartileLabelWidth, quartileLabelHeight);
        const qreal width = textWidth(quartileFont, painter.device(), text);
        QRectF label(box.center().x() - width / 2, box.center().y() - lineHeight / 2.0, width,
                     lineHeight);
        // Standing 24 px left of its line, a label near the axis's left end would run under the
        // frame and lose its first digit: it moves right just enough to be read whole.
        if (const qreal overhang = frameInnerEdge - label.left(); overhang > 0) {
            box.translate(overhang, 0);
            label.translate(overhang, 0);
        }
        // Labels closer than a few pixels read as one word ("25%50%"): that counts as touching.
        const auto touches = [&](const QRectF &other) {
            return other.intersects(label.adjusted(-quartileLabelGap, 0, quartileLabelGap, 0));
        };
        while (std::any_of(drawn.begin(), drawn.end(), touches)) {
            box.translate(0, -lineHeight);
            label.translate(0, -lineHeight);
        }
        drawn.push_back(label);
        painter.drawText(box, Qt::AlignCenter | Qt::TextDontClip, text);
    }
}

Overlays::StatisticsPanel Overlays::statisticsPanel(const QPainter &painter,
                                                    const std::vector<TimeStatistics> &blocks,
                                                    int width, const QFont &font)
{
    QStringList lines;
    for (const TimeStatistics &statistics : blocks) {
        // An empty line separates the blocks.
        if (!lines.isEmpty())
            lines.append(QString());
        const std::pair<QLatin1StringView, float> fields[]
            = {{QLatin1StringView("Best"), statistics.best()},
               {QLatin1StringView("Worst"), statistics.worst()},
               {QLatin1StringView("Average"), statistics.average()},
               {QLatin1StringView("Median"), statistics.median()},
               {QLatin1StringView("MoXAo5"), statistics.meanOfAveragesOfFive()}};
        for (const auto &[label, value] : fields)
            lines.append(label + QStringLiteral(": ") + QString::number(value, 'f', 2));
    }

    // The panel moves left only as far as its widest line needs to end inside the frame.
    qreal widest = 0;
    for (const QString &text : std::as_const(lines))
        widest = std::max(widest, textWidth(font, painter.device(), text));
    const qreal innerEdge = width - frameInnerEdge;
    const int left = std::min(width - statisticsFromRight, int(std::floor(innerEdge - widest)));
    return {lines, font, left};
}

void Overlays::draw(QPainter &painter, const StatisticsPanel &panel)
{
    painter.setPen(pen(Qt::black, 1));
    painter.setFont(panel.font);
    const int lineHeight = painter.fontMetrics().height();
    int y = statisticsTop;
    for (const QString &text : panel.lines) {
        if (!text.isEmpty())
            painter.drawText(panel.left, y, text);
        y += lineHeight;
    }
}

void Chart::drawStatisticsPanel(QPainter &painter, const TimeList &primaryTimes,
                                const TimeList &secondaryTimes, int width, const QFont &statsFont)
{
    // Each list that holds times has a block; with none, the empty first list shows its zeros.
    std::vector<TimeStatistics> blocks;
    for (const TimeList *times : {&primaryTimes, &secondaryTimes}) {
        if (!times->isEmpty())
            blocks.push_back(SummaryStatistics::of(*times));
    }
    if (blocks.empty())
        blocks.push_back(SummaryStatistics::of(primaryTimes));
    Overlays::draw(painter, Overlays::statisticsPanel(painter, blocks, width, statsFont));
}
