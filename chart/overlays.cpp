#include "chart/overlays.h"
#include "chart/chart.h"
#include "chart/chartstyle.h"
#include "stats/timestatistics.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
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

constexpr qreal keyPadding = 6.0;
constexpr qreal keySwatch = 12.0;
constexpr qreal keySwatchGap = 6.0;
constexpr qreal keyClearance = 4.0;
// The key takes at most this share of the plot's width; longer names are cut.
constexpr qreal keyShareOfWidth = 0.6;

// How far a key standing at box hides the curves: the depth it reaches below each point's top,
// summed over the points under it.
qreal coverage(const QRectF &box, const std::vector<Overlays::PlottedCurve> &curves)
{
    qreal covered = 0.0;
    for (const Overlays::PlottedCurve &curve : curves) {
        const std::vector<float> &values = *curve.values;
        if (values.size() < 2)
            continue;
        const qreal step = qreal(curve.plotWidth) / qreal(values.size() - 1);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const qreal x = plotLeft + qreal(i) * step;
            const qreal top = (1.0 - qreal(values[i])) * curve.plotHeight + plotTop;
            if (x >= box.left() && x <= box.right() && std::isfinite(top))
                covered += std::max(0.0, box.bottom() - top);
        }
    }
    return covered;
}

} // namespace

std::vector<Chart::QuartileMarker> Chart::quartileMarkers(const std::vector<float> &values,
                                                          int plotWidth)
{
    const std::size_t n = values.size();
    std::vector<float> runningSums(n);
    float running = 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        running += values[i];
        runningSums[i] = running;
    }
    std::vector<QuartileMarker> markers;
    if (n == 0)
        return markers;
    const double total = runningSums.back();
    for (const QuartileLevel &level : quartileLevels) {
        // NaN sums reach no level, so a curve of NaNs gets no markers.
        for (std::size_t i = 0; i < n; ++i) {
            if (double(runningSums[i]) >= total * level.fraction) {
                // The divisor is the point count, not the 255 gaps of the curve.
                markers.push_back(
                    {float(i) / float(n) * float(plotWidth), i, QString::fromLatin1(level.label)});
                break;
            }
        }
    }
    return markers;
}

void Chart::drawQuartileMarkers(QPainter &painter, const std::vector<float> &values, int plotWidth,
                                int plotHeight, const QFont &quartileFont,
                                std::vector<QRectF> *drawnLabels,
                                const std::vector<QRectF> &keepClear)
{
    const std::vector<QuartileMarker> markers = quartileMarkers(values, plotWidth);
    if (markers.empty())
        return;

    painter.setPen(pen(Qt::black, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.setFont(quartileFont);
    const int axisY = plotHeight + plotTop;
    for (const QuartileMarker &marker : markers) {
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
    for (const QuartileMarker &marker : markers) {
        const QString &text = marker.label;
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
        // The panel hangs from the top of the frame, so a label that reaches it has no place on
        // its line clear of both the panel and the labels below: it is left out rather than drawn
        // across the figures, and its dashed line still stands.
        if (std::any_of(keepClear.begin(), keepClear.end(),
                        [&](const QRectF &other) { return other.intersects(label); }))
            continue;
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

QRectF Overlays::bounds(const QPainter &painter, const StatisticsPanel &panel)
{
    const QFontMetricsF metrics(panel.font, painter.device());
    qreal widest = 0;
    for (const QString &text : panel.lines)
        widest = std::max(widest, textWidth(panel.font, painter.device(), text));
    const qreal lineHeight = QFontMetrics(panel.font, painter.device()).height();
    const qreal top = statisticsTop - metrics.ascent();
    const qreal bottom = statisticsTop + (panel.lines.size() - 1) * lineHeight + metrics.descent();
    return QRectF(panel.left, top, widest, bottom - top);
}

void Overlays::drawKey(QPainter &painter, const std::vector<KeyRow> &rows, const QFont &font,
                       const QRectF &area, const std::vector<QRectF> &avoid,
                       const std::vector<PlottedCurve> &curves)
{
    if (rows.empty())
        return;
    const QFontMetricsF metrics(font, painter.device());
    const qreal lineHeight = std::max(metrics.height(), keySwatch);
    const qreal room
        = std::max(0.0, area.width() * keyShareOfWidth - 2 * keyPadding - keySwatch - keySwatchGap);
    QStringList texts;
    qreal widest = 0;
    for (const KeyRow &row : rows) {
        texts << metrics.elidedText(row.text, Qt::ElideRight, room);
        widest = std::max(widest, metrics.horizontalAdvance(texts.back()));
    }
    const QSizeF size(2 * keyPadding + keySwatch + keySwatchGap + widest,
                      2 * keyPadding + qreal(rows.size()) * lineHeight);

    // Below the top or below each thing to avoid.
    std::vector<qreal> tops {area.top()};
    for (const QRectF &other : avoid)
        tops.push_back(other.bottom() + keyClearance);
    // From the right, where a distribution of times has its thin tail, in steps of a few pixels.
    std::vector<qreal> lefts;
    for (qreal left = area.right() - size.width(); left > area.left(); left -= 8.0)
        lefts.push_back(left);
    lefts.push_back(area.left());
    QRectF best;
    qreal bestCost = std::numeric_limits<qreal>::infinity();
    for (qreal top : tops) {
        for (qreal left : lefts) {
            const QRectF box(QPointF(left, top), size);
            if (!area.contains(box))
                continue;
            qreal cost = coverage(box, curves);
            // Text over text is the worst place, but a key always finds one.
            for (const QRectF &other : avoid) {
                const QRectF overlap
                    = other.adjusted(-keyClearance, -keyClearance, keyClearance, keyClearance)
                          .intersected(box);
                if (!overlap.isEmpty())
                    cost += 1e9 * (1.0 + overlap.width() * overlap.height());
            }
            if (cost < bestCost) {
                bestCost = cost;
                best = box;
            }
        }
    }
    if (best.isNull())
        best = QRectF(area.topLeft(), size);

    const PainterState state(painter);
    painter.setPen(pen(QColor(0x80, 0x80, 0x80), 1));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRoundedRect(best, 4.0, 4.0);
    painter.setFont(font);
    qreal y = best.top() + keyPadding;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QRectF swatch(best.left() + keyPadding, y + (lineHeight - keySwatch) / 2, keySwatch,
                            keySwatch);
        QColor fill = rows[i].color;
        fill.setAlphaF(fill.alphaF() * 0.5f);
        painter.setPen(pen(rows[i].color, 2));
        painter.setBrush(fill);
        painter.drawRect(swatch.adjusted(1, 1, -1, -1));
        painter.setPen(pen(Qt::black, 1));
        painter.drawText(QPointF(swatch.right() + keySwatchGap,
                                 y + (lineHeight - metrics.height()) / 2 + metrics.ascent()),
                         texts[qsizetype(i)]);
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
