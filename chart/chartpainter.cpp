#include "chart/chart.h"
#include "chart/chartstyle.h"
#include "chart/overlays.h"
#include "data/parsedtimes.h"
#include "stats/density.h"
#include "stats/timestatistics.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScopeGuard>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <future>
#include <optional>
#include <vector>

using namespace ChartStyle;

namespace {

constexpr qreal frameRadius = 10.0;
constexpr int tickHalfLength = 2;
constexpr int tickLabelGap = 5;
constexpr qreal tickLabelWidth = 20.0;
constexpr qreal tickLabelHeight = 10.0;
// Room left between neighbouring tick labels, and the closest that unlabelled ticks may stand.
constexpr double tickLabelSpace = 4.0;
constexpr double minimumTickDistance = 3.0;
constexpr int titleLeft = 10;
// The least room between a cut title and the statistics beside it.
constexpr int titleGap = 8;
constexpr int curvePenWidth = 4;

// The smallest step, in whole seconds, that puts labels at least this many seconds apart: steps
// a clock reader counts in, then whole minutes.
double labelStep(double seconds)
{
    for (double step : {1.0, 2.0, 5.0, 10.0, 15.0, 20.0, 30.0, 60.0}) {
        if (step >= seconds)
            return step;
    }
    return 60.0 * std::ceil(seconds / 60.0);
}

// The plot's pixels on the device, a 200 % screen or export included, as an image to fill.
class DevicePixels
{
public:
    DevicePixels(const QPainter &painter, const QRect &area)
        : area(area)
        , scale(std::max(painter.deviceTransform().m11(), 1.0))
        , image(area.size() * scale, QImage::Format_ARGB32_Premultiplied)
    {
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
    }

    bool isNull() const { return image.isNull(); }
    int x(qreal logicalX) const
    {
        return std::clamp(int(std::lround((logicalX - area.left()) * scale)), 0, image.width());
    }
    qreal y(qreal logicalY) const { return (logicalY - area.top()) * scale; }
    void fillSpan(int left, int right, int row, QRgb pixel)
    {
        if (row < 0 || row >= image.height())
            return;
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        std::fill(line + left, line + right, pixel);
    }
    void drawOn(QPainter &painter) const { painter.drawImage(area.topLeft(), image); }

private:
    QRect area;
    qreal scale;
    QImage image;
};

// A curve of a point per pixel, where its points stand in the plot.
class PixelCurvePoints
{
public:
    PixelCurvePoints(const std::vector<float> &values, int plotWidth, int plotHeight)
        : values(values)
        , plotHeight(plotHeight)
        , step(values.size() > 1 ? qreal(plotWidth) / qreal(values.size() - 1) : 0.0)
    { }

    std::size_t size() const { return values.size(); }
    qreal axisY() const { return plotHeight + plotTop; }
    // A point that did not normalise (a curve without area) lies on the axis.
    QPointF at(std::size_t i) const
    {
        const qreal y = (1.0 - qreal(values[i])) * plotHeight + plotTop;
        return QPointF(plotLeft + qreal(i) * step, std::isfinite(y) ? y : axisY());
    }

private:
    const std::vector<float> &values;
    int plotHeight;
    qreal step;
};

QRgb premultiplied(const QColor &color, qreal alpha)
{
    QColor c = color;
    c.setAlphaF(float(color.alphaF() * alpha));
    return qPremultiply(c.rgba());
}

// The column under each step filled to the step's mean height at half opacity, its top pixel
// covered in part.
void fillColumns(DevicePixels &pixels, const PixelCurvePoints &points, const QColor &color)
{
    const QRgb fill = premultiplied(color, 0.5);
    const int bottom = int(std::lround(pixels.y(points.axisY())));
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPointF a = points.at(i - 1);
        const QPointF b = points.at(i);
        const int left = pixels.x(a.x());
        const int right = pixels.x(b.x());
        const qreal top = std::max(pixels.y((a.y() + b.y()) / 2), 0.0);
        const int firstFull = int(std::ceil(top));
        if (firstFull > 0 && firstFull - top > 0)
            pixels.fillSpan(left, right, firstFull - 1,
                            premultiplied(color, 0.5 * (firstFull - top)));
        for (int row = firstFull; row < bottom; ++row)
            pixels.fillSpan(left, right, row, fill);
    }
}

// The box the pen would cover around each step, opaque, from the axis at the left end to the
// axis at the right.
void strokeSteps(DevicePixels &pixels, const PixelCurvePoints &points, const QColor &color,
                 int plotWidth, int penWidth)
{
    const int half = penWidth / 2;
    const QRgb opaque = premultiplied(color, 1.0);
    // The heights round in device pixels: a 200 % screen shows them to half a pixel.
    const auto penBox = [&](QPointF a, QPointF b) {
        const int left = pixels.x(std::floor(std::min(a.x(), b.x())) - half);
        const int right = pixels.x(std::ceil(std::max(a.x(), b.x())) + half);
        const int top = int(std::floor(pixels.y(std::min(a.y(), b.y()) - half)));
        const int end = int(std::ceil(pixels.y(std::max(a.y(), b.y()) + half)));
        for (int row = std::max(top, 0); row < end; ++row)
            pixels.fillSpan(left, right, row, opaque);
    };
    QPointF previous(plotLeft, points.axisY());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPointF point = points.at(i);
        penBox(previous, point);
        previous = point;
    }
    penBox(previous, QPointF(plotLeft + plotWidth, points.axisY()));
}

void drawFrame(QPainter &painter, const ChartScene &scene)
{
    const PainterState state(painter);
    const int width = scene.size.width();
    const int height = scene.size.height();
    painter.setPen(pen(scene.primaryColor, frameLineWidth));
    painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
    painter.drawRoundedRect(
        QRect(frameInset, frameInset, width - 2 * frameInset, height - 2 * frameInset), frameRadius,
        frameRadius, Qt::AbsoluteSize);
}

// A curve of a point per pixel is a comb of steep spikes, on which the antialiasing rasteriser
// spends tens of milliseconds a paint. It is drawn instead into an image of the device's own
// pixels: first the columns under the steps, then the pen around them.
void drawPixelCurve(QPainter &painter, const std::vector<float> &values, const QColor &color,
                    int plotWidth, int plotHeight)
{
    const int half = curvePenWidth / 2;
    DevicePixels pixels(painter,
                        QRect(plotLeft - half, plotTop - half, plotWidth + curvePenWidth,
                              plotHeight + curvePenWidth));
    if (pixels.isNull())
        return;
    const PixelCurvePoints points(values, plotWidth, plotHeight);
    fillColumns(pixels, points, color);
    strokeSteps(pixels, points, color, plotWidth, curvePenWidth);
    pixels.drawOn(painter);
}

// One list's curve over the plot, filled at half opacity and outlined, with its quartile markers.
struct CurveStyle
{
    QColor color;
    bool withQuartiles;
};

void drawCurve(QPainter &painter, const ChartScene &scene, const KernelDensity::Curve &curve,
               const CurveStyle &style, const QFont &quartileFont,
               std::vector<QRectF> &quartileLabels, const std::vector<QRectF> &keepClear)
{
    const PainterState state(painter);
    const int plotWidth = scene.size.width() - horizontalInset;
    const int plotHeight = scene.size.height() - verticalInset;

    if (curve.onePerPixel) {
        drawPixelCurve(painter, curve.values, style.color, plotWidth, plotHeight);
    } else {
        const QPainterPath outline
            = Chart::curveOutline(curve.values, plotWidth, plotHeight, curveMargin);
        painter.setOpacity(0.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QBrush(style.color, Qt::SolidPattern));
        painter.drawPath(outline);

        painter.setOpacity(1.0);
        painter.setPen(pen(style.color, curvePenWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    }

    if (style.withQuartiles)
        Chart::drawQuartileMarkers(painter, curve.values, plotWidth, plotHeight, quartileFont,
                                   &quartileLabels, keepClear);
}

// What a paint computes from one list: its curve, and its statistics where the panel shows them.
struct ListFigures
{
    KernelDensity::Curve curve;
    std::optional<TimeStatistics> statistics;
};

ListFigures figuresOf(const TimeList &times, const ChartScene &scene, Chart::TimeRange range)
{
    ListFigures figures;
    if (times.isEmpty())
        return figures;
    const int plotWidth = scene.size.width() - horizontalInset;
    figures.curve = KernelDensity::curve(times, range.low, range.high, scene.kernelWidth, plotWidth,
                                         scene.finePoints);
    if (scene.statistics)
        figures.statistics = SummaryStatistics::of(times);
    return figures;
}

// From this many times in each list a thread of its own pays: the first paint after a paste sorts
// both lists, and later paints sum their densities.
constexpr qsizetype timesWorthAThread = 100'000;

struct SceneFigures
{
    ListFigures primary;
    ListFigures secondary;
};

// Two long lists are computed side by side, the second on a thread of the global pool, whose
// threads outlive the paint and keep the memory they sorted in for the next list. Without a
// free thread the second list waits for the first.
SceneFigures figuresOf(const ChartScene &scene, Chart::TimeRange range)
{
    const auto secondaryFigures = [&] {
        return figuresOf(scene.secondaryTimes, scene, range);
    };
    std::promise<ListFigures> promise;
    std::future<ListFigures> secondary;
    if (std::min(scene.primaryTimes.size(), scene.secondaryTimes.size()) >= timesWorthAThread
        && QThreadPool::globalInstance()->tryStart([&] {
               try {
                   promise.set_value(secondaryFigures());
               } catch (...) {
                   promise.set_exception(std::current_exception());
               }
           }))
        secondary = promise.get_future();
    // The other thread reads the scene: it finishes before this returns, even by an exception.
    const auto waitForSecondary = qScopeGuard([&secondary] {
        if (secondary.valid())
            secondary.wait();
    });
    ListFigures primary = figuresOf(scene.primaryTimes, scene, range);
    return {std::move(primary), secondary.valid() ? secondary.get() : secondaryFigures()};
}

// The second list behind the first; labels of either keep clear of those drawn before and of the
// rectangles in keepClear.
void drawCurves(QPainter &painter, const ChartScene &scene, const SceneFigures &figures,
                const QFont &quartileFont, const std::vector<QRectF> &keepClear)
{
    std::vector<QRectF> quartileLabels;
    if (!scene.secondaryTimes.isEmpty())
        drawCurve(painter, scene, figures.secondary.curve,
                  {scene.secondaryColor, scene.secondaryQuartiles}, quartileFont, quartileLabels,
                  keepClear);
    if (!scene.primaryTimes.isEmpty())
        drawCurve(painter, scene, figures.primary.curve,
                  {scene.primaryColor, scene.primaryQuartiles}, quartileFont, quartileLabels,
                  keepClear);
}

void drawAxis(QPainter &painter, const ChartScene &scene, Chart::TimeRange range,
              const QFont &tickFont)
{
    const PainterState state(painter);
    const int width = scene.size.width();
    const int plotWidth = width - horizontalInset;
    const int axisY = scene.size.height() - verticalInset + plotTop;

    painter.setPen(pen(Qt::black, 3));
    painter.drawLine(plotLeft, axisY, width - plotLeft, axisY);

    painter.setPen(pen(Qt::black, 1));
    painter.setFont(tickFont);
    // The end labels have the most digits; the digits of a font stand equally wide.
    const double widestLabel
        = std::max(textWidth(tickFont, painter.device(), QString::number(range.low, 'f', 0)),
                   textWidth(tickFont, painter.device(), QString::number(range.high, 'f', 0)));
    for (const Chart::AxisTick &tick :
         Chart::axisTicks(range.low, range.high, plotWidth, widestLabel)) {
        const int xi = int(tick.x);
        painter.drawLine(xi, axisY - tickHalfLength, xi, axisY + tickHalfLength);
        if (!tick.label.isNull()) {
            painter.drawText(QRectF(tick.x - tickLabelWidth / 2, axisY + tickLabelGap,
                                    tickLabelWidth, tickLabelHeight),
                             Qt::AlignCenter | Qt::TextDontClip, tick.label);
        }
    }
}

// In capitals at the top left; where the statistics stand beside it, a title that would run into
// their column is cut with "…" before it. Gives where the title stands.
QRectF drawTitle(QPainter &painter, const ChartScene &scene, const QFont &titleFont,
                 std::optional<int> panelLeft)
{
    const PainterState state(painter);
    painter.setFont(titleFont);
    painter.setPen(pen(Qt::black, 3));
    QString title = scene.title.toUpper();
    // Measured as the painter draws it: metrics of their own would make the font cache's glyphs
    // depend on what was measured before.
    const QFontMetrics metrics = painter.fontMetrics();
    if (panelLeft) {
        const int room = *panelLeft - titleGap - titleLeft;
        if (metrics.horizontalAdvance(title) > room)
            title = metrics.elidedText(title, Qt::ElideRight, std::max(room, 0));
    }
    painter.drawText(titleLeft, metrics.height(), title);
    return title.isEmpty() ? QRectF()
                           : QRectF(titleLeft, metrics.height() - metrics.ascent(),
                                    metrics.horizontalAdvance(title), metrics.height());
}

// "OH: 118 times, 2026-11-01 to 2026-11-30".
QString keyText(const ListLabel &label, const TimeList &times, bool primary)
{
    QString text = label.shownName(primary) + QStringLiteral(": ") + timesCount(times.size());
    if (!label.period.isEmpty())
        text += QStringLiteral(", ") + label.period;
    return text;
}

void drawKey(QPainter &painter, const ChartScene &scene, const SceneFigures &figures,
             const QFont &font, const std::vector<QRectF> &avoid)
{
    std::vector<Overlays::KeyRow> rows;
    std::vector<Overlays::PlottedCurve> curves;
    const int plotWidth = scene.size.width() - horizontalInset;
    const int plotHeight = scene.size.height() - verticalInset;
    const struct
    {
        const TimeList &times;
        const ListLabel &label;
        const ListFigures &figures;
        QColor color;
        bool primary;
    } lists[]
        = {{scene.primaryTimes, scene.primaryLabel, figures.primary, scene.primaryColor, true},
           {scene.secondaryTimes, scene.secondaryLabel, figures.secondary, scene.secondaryColor,
            false}};
    for (const auto &list : lists) {
        if (list.times.isEmpty())
            continue;
        rows.push_back({list.color, keyText(list.label, list.times, list.primary)});
        curves.push_back({&list.figures.curve.values, plotWidth, plotHeight});
    }
    // Inside the frame and above the axis.
    const qreal inside = frameInnerEdge + 4.0;
    const QRectF area(inside, inside, scene.size.width() - 2 * inside,
                      plotHeight + plotTop - 2.0 - inside);
    Overlays::drawKey(painter, rows, font, area, avoid, curves);
}

} // namespace

namespace Chart {

TimeRange timeRange(const ChartScene &scene)
{
    float fastest = 3.4028235e38f;
    float slowest = 0.0f;
    for (const TimeList *times : {&scene.primaryTimes, &scene.secondaryTimes}) {
        for (float time : *times) {
            if (time < fastest)
                fastest = time;
            if (time > slowest)
                slowest = time;
        }
    }
    return {std::floor(fastest), std::ceil((slowest - fastest) * scene.trimShare + fastest)};
}

QPainterPath curveOutline(const std::vector<float> &values, int width, int height, int margin)
{
    const float lastIndex = float(values.size() - 1);
    QPainterPath path;
    path.moveTo(0.0, double(height));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const float x = float(i) / lastIndex * float(width);
        const float y = (1.0f - values[i]) * float(height);
        // A zero density normalises to NaN; QPainterPath would drop such points with a warning.
        if (std::isfinite(x) && std::isfinite(y))
            path.lineTo(double(x), double(y));
    }
    path.lineTo(double(width), double(height));
    path.translate(2.0 * margin, 4.0 * margin);
    return path;
}

std::vector<AxisTick> axisTicks(float low, float high, int plotWidth, double widestLabel)
{
    // A spread beyond the float range makes high infinite: there is no whole second to count.
    if (!(high >= low) || !std::isfinite(high))
        return {};
    const double seconds = double(high) - double(low);
    // A plot of no width counts as one pixel, so the step stays finite.
    const double secondsPerPixel = seconds / std::max(plotWidth, 1);
    const double step = labelStep((widestLabel + tickLabelSpace) * secondsPerPixel);
    // Labels stand on whole multiples of the step; a plot too narrow for two labels shows one
    // at its start. Adding 0 turns -0 into 0.
    double firstLabel = std::ceil(double(low) / step) * step + 0.0;
    if (!(firstLabel <= double(high)))
        firstLabel = double(low);
    const auto labels = qint64(std::floor((double(high) - firstLabel) / step)) + 1;
    // A tick per whole second while they stand apart, else ticks only under the labels. Counting
    // with an integer keeps the loop finite where a float stepped by 1 would stall (from 2^24 on).
    const bool everySecond = seconds > 0.0 && plotWidth / seconds >= minimumTickDistance;
    const qint64 count = everySecond ? qint64(seconds) + 1 : labels;

    std::vector<AxisTick> ticks;
    ticks.reserve(std::size_t(std::max<qint64>(count, 0)));
    for (qint64 i = 0; i < count; ++i) {
        const double second = everySecond ? double(low) + double(i) : firstLabel + double(i) * step;
        const bool labelled
            = !everySecond || (second >= firstLabel && std::fmod(second - firstLabel, step) == 0.0);
        const float t = float(second);
        // All times on one whole second: the one tick stands at the left end.
        const float x = seconds > 0.0 ? (t - low) / (high - low) * float(plotWidth) + plotLeft
                                      : float(plotLeft);
        ticks.push_back({x, labelled ? QString::number(t, 'f', 0) : QString()});
    }
    return ticks;
}

void paint(QPainter &painter, const ChartScene &scene)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont base = painter.font();

    drawFrame(painter, scene);
    const bool hasTimes = !scene.primaryTimes.isEmpty() || !scene.secondaryTimes.isEmpty();
    // Below 40 x 70 pixels there is no plot area left: frame and title only.
    const bool hasPlot
        = scene.size.width() >= horizontalInset && scene.size.height() >= verticalInset;
    std::optional<Overlays::StatisticsPanel> panel;
    std::vector<QRectF> panelBounds;
    std::optional<SceneFigures> figures;
    if (hasTimes && hasPlot) {
        const TimeRange range = timeRange(scene);
        figures = figuresOf(scene, range);
        // Measured before the curves, so that their quartile labels keep off it.
        if (scene.statistics) {
            std::vector<TimeStatistics> blocks;
            for (const ListFigures *list : {&figures->primary, &figures->secondary}) {
                if (list->statistics)
                    blocks.push_back(*list->statistics);
            }
            panel = Overlays::statisticsPanel(painter, blocks, scene.size.width(),
                                              chartFont(base, 12));
            panelBounds.push_back(Overlays::bounds(painter, *panel));
        }
        drawCurves(painter, scene, *figures, chartFont(base, 20, 100), panelBounds);
        drawAxis(painter, scene, range, chartFont(base, 12, 700));
    }
    const QRectF title = drawTitle(painter, scene, chartFont(base, 25, 700),
                                   panel ? std::optional<int>(panel->left) : std::nullopt);
    if (panel) {
        const PainterState state(painter);
        Overlays::draw(painter, *panel);
    }
    if (scene.key && figures) {
        std::vector<QRectF> avoid;
        if (!title.isNull())
            avoid.push_back(title);
        avoid.insert(avoid.end(), panelBounds.begin(), panelBounds.end());
        drawKey(painter, scene, *figures, chartFont(base, 11), avoid);
    }
}

QPixmap render(const ChartScene &scene)
{
    const QRect display(QPoint(0, 0), scene.size);
    QPixmap image(display.size() * scene.devicePixelRatio);
    image.setDevicePixelRatio(scene.devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // An image's viewport counts its device pixels; the chart is laid out in the scene's own.
    painter.setViewport(display);
    painter.setWindow(display);
    paint(painter, scene);
    painter.end();
    return image;
}

} // namespace Chart

QString ListLabel::shownName(bool primary) const
{
    if (!name.trimmed().isEmpty())
        return noteName(name);
    return primary ? QCoreApplication::translate("Chart", "First list")
                   : QCoreApplication::translate("Chart", "Second list");
}
