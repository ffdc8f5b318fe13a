#include "app/form/timesdistributionform.h"
#include "app/timesdistributiondialog.h"
#include "chart/chartstyle.h"

#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QWidget>

#include <algorithm>
#include <cmath>
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
constexpr int curvePenWidth = 4;

QFont chartFont(const QFont &base, int pointSize, int weight = -1)
{
    QFont font(base);
    font.setFamily(QStringLiteral("Helvetica"));
    font.setPointSize(pointSize);
    if (weight >= 0)
        font.setWeight(QFont::Weight(weight));
    return font;
}

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

} // namespace

qreal ChartStyle::textWidth(const QFont &font, const QPaintDevice *device, const QString &text)
{
    struct Widths
    {
        QFont font;
        int dpi;
        QHash<QString, qreal> ofText;
    };
    // The chart uses a handful of fonts; what a paste brings (statistics, labels) is bounded
    // by dropping everything now and then.
    constexpr qsizetype maximumTexts = 256;
    thread_local std::vector<Widths> known;

    const int dpi = device->logicalDpiY();
    auto widths = std::find_if(known.begin(), known.end(),
                               [&](const Widths &w) { return w.dpi == dpi && w.font == font; });
    if (widths == known.end()) {
        if (known.size() >= 8)
            known.clear();
        known.push_back({font, dpi, {}});
        widths = known.end() - 1;
    }
    const auto found = widths->ofText.constFind(text);
    if (found != widths->ofText.constEnd())
        return *found;
    if (widths->ofText.size() >= maximumTexts)
        widths->ofText.clear();
    const qreal width = QFontMetricsF(font, device).horizontalAdvance(text);
    widths->ofText.insert(text, width);
    return width;
}

bool TimesDistributionDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (form && watched == form->display && event->type() == QEvent::Paint) {
        QPainter painter(form->display);
        paintChart(painter);
        return true;
    }
    if (form && filterInput(watched, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TimesDistributionDialog::paintChart(QPainter &painter)
{
    const int width = painter.viewport().width();
    const int height = painter.viewport().height();
    painter.setRenderHint(QPainter::Antialiasing);
    const float detail = (1.0f - float(form->sigmaSlider->value()) / 1000.0f) * 2.0f;
    const float trimFraction = float(form->trimSlider->value()) / 1000.0f;
    const bool primaryQuartiles = form->showQuartiles->isChecked();
    const bool secondaryQuartiles = form->showQuartiles2->isChecked();

    const QFont base = painter.font();
    const QFont statsFont = chartFont(base, 12);
    const QFont titleFont = chartFont(base, 25, 700);
    const QFont tickFont = chartFont(base, 12, 700);
    const QFont quartileFont = chartFont(base, 20, 100);

    painter.setPen(pen(mainColor, frameLineWidth));
    painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
    painter.drawRoundedRect(
        QRect(frameInset, frameInset, width - 2 * frameInset, height - 2 * frameInset), frameRadius,
        frameRadius, Qt::AbsoluteSize);

    const bool hasTimes = !primaryTimes.isEmpty() || !secondaryTimes.isEmpty();
    // Below 40 x 70 pixels there is no plot area left: frame and title only.
    const bool hasPlot = width >= horizontalInset && height >= verticalInset;
    if (hasTimes && hasPlot) {
        float fastest = 3.4028235e38f;
        float slowest = 0.0f;
        for (const TimeList *times : {&primaryTimes, &secondaryTimes}) {
            for (float time : *times) {
                if (time < fastest)
                    fastest = time;
                if (time > slowest)
                    slowest = time;
            }
        }
        const float low = std::floor(fastest);
        const float high = std::ceil((slowest - fastest) * trimFraction + fastest);

        std::vector<QRectF> quartileLabels;
        if (!secondaryTimes.isEmpty())
            drawCurve(painter, secondaryTimes, secondaryColor, low, high, detail,
                      secondaryQuartiles, quartileFont, quartileLabels);
        if (!primaryTimes.isEmpty())
            drawCurve(painter, primaryTimes, mainColor, low, high, detail, primaryQuartiles,
                      quartileFont, quartileLabels);
        drawAxis(painter, low, high, tickFont);
    }

    drawTitle(painter, titleFont);

    if (hasTimes && hasPlot && form->showStatsCheck->isChecked())
        drawStatisticsPanel(painter, primaryTimes, secondaryTimes, width, statsFont);
}

void TimesDistributionDialog::drawCurve(QPainter &painter, const TimeList &times,
                                        const QColor &color, float low, float high, float detail,
                                        bool withQuartiles, const QFont &quartileFont,
                                        std::vector<QRectF> &quartileLabels)
{
    const int plotWidth = painter.viewport().width() - horizontalInset;
    const int plotHeight = painter.viewport().height() - verticalInset;
    std::vector<float> values;
    const QPainterPath curve
        = densityCurve(times, low, high, detail, plotWidth, plotHeight, curveMargin, &values);

    if (values.size() == std::size_t(curvePoints)) {
        painter.setOpacity(0.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QBrush(color, Qt::SolidPattern));
        painter.drawPath(curve);

        painter.setOpacity(1.0);
        painter.setPen(pen(color, curvePenWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(curve);
    } else {
        drawPixelCurve(painter, values, color, plotWidth, plotHeight);
    }

    if (withQuartiles)
        drawQuartileMarkers(painter, values, plotWidth, plotHeight, quartileFont, &quartileLabels);
}

// A curve of a point per pixel is a comb of steep spikes, on which the antialiasing rasteriser
// spends tens of milliseconds a paint. It is drawn instead into an image of the device's own
// pixels: the column under each step filled to the step's mean height (its top pixel covered in
// part), then the box the pen would cover around each step, opaque.
void TimesDistributionDialog::drawPixelCurve(QPainter &painter, const std::vector<float> &values,
                                             const QColor &color, int plotWidth, int plotHeight)
{
    const int half = curvePenWidth / 2;
    const QRect area(plotLeft - half, plotTop - half, plotWidth + curvePenWidth,
                     plotHeight + curvePenWidth);
    // The image keeps the device's pixels, a 200 % screen or export included.
    const qreal scale = std::max(painter.deviceTransform().m11(), 1.0);
    QImage image(area.size() * scale, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return;
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    const auto deviceX = [&](qreal x) {
        return std::clamp(int(std::lround((x - area.left()) * scale)), 0, image.width());
    };
    const auto deviceY = [&](qreal y) {
        return (y - area.top()) * scale;
    };
    const auto fillSpan = [&](int left, int right, int row, QRgb pixel) {
        if (row < 0 || row >= image.height())
            return;
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        std::fill(line + left, line + right, pixel);
    };

    const qreal axisY = plotHeight + plotTop;
    const qreal step = values.size() > 1 ? qreal(plotWidth) / qreal(values.size() - 1) : 0.0;
    // A point that did not normalise (a curve without area) lies on the axis.
    const auto pointAt = [&](std::size_t i) {
        const qreal y = (1.0 - qreal(values[i])) * plotHeight + plotTop;
        return QPointF(plotLeft + qreal(i) * step, std::isfinite(y) ? y : axisY);
    };
    const auto withAlpha = [&](qreal alpha) {
        QColor c = color;
        c.setAlphaF(float(color.alphaF() * alpha));
        return qPremultiply(c.rgba());
    };
    const QRgb fill = withAlpha(0.5);
    const int bottom = int(std::lround(deviceY(axisY)));
    for (std::size_t i = 1; i < values.size(); ++i) {
        const QPointF a = pointAt(i - 1);
        const QPointF b = pointAt(i);
        const int left = deviceX(a.x());
        const int right = deviceX(b.x());
        const qreal top = std::max(deviceY((a.y() + b.y()) / 2), 0.0);
        const int firstFull = int(std::ceil(top));
        if (firstFull > 0 && firstFull - top > 0)
            fillSpan(left, right, firstFull - 1, withAlpha(0.5 * (firstFull - top)));
        for (int row = firstFull; row < bottom; ++row)
            fillSpan(left, right, row, fill);
    }

    const QRgb opaque = withAlpha(1.0);
    // The heights round in device pixels: a 200 % screen shows them to half a pixel.
    const auto penBox = [&](QPointF a, QPointF b) {
        const int left = deviceX(std::floor(std::min(a.x(), b.x())) - half);
        const int right = deviceX(std::ceil(std::max(a.x(), b.x())) + half);
        const int top = int(std::floor(deviceY(std::min(a.y(), b.y()) - half)));
        const int end = int(std::ceil(deviceY(std::max(a.y(), b.y()) + half)));
        for (int row = std::max(top, 0); row < end; ++row)
            fillSpan(left, right, row, opaque);
    };
    QPointF previous(plotLeft, axisY);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const QPointF point = pointAt(i);
        penBox(previous, point);
        previous = point;
    }
    penBox(previous, QPointF(plotLeft + plotWidth, axisY));

    painter.drawImage(area.topLeft(), image);
}

void TimesDistributionDialog::drawAxis(QPainter &painter, float low, float high,
                                       const QFont &tickFont) const
{
    const int width = painter.viewport().width();
    const int plotWidth = width - horizontalInset;
    const int axisY = painter.viewport().height() - verticalInset + plotTop;

    painter.setPen(pen(Qt::black, 3));
    painter.drawLine(plotLeft, axisY, width - plotLeft, axisY);

    painter.setPen(pen(Qt::black, 1));
    painter.setFont(tickFont);
    // A spread beyond the float range makes high infinite: there is no whole second to count.
    if (!(high >= low) || !std::isfinite(high))
        return;

    const double seconds = double(high) - double(low);
    const QString lowLabel = QString::number(low, 'f', 0);
    const QString highLabel = QString::number(high, 'f', 0);
    // The end labels have the most digits; the digits of a font stand equally wide.
    const double widestLabel = std::max(textWidth(tickFont, painter.device(), lowLabel),
                                        textWidth(tickFont, painter.device(), highLabel));
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
    const qint64 ticks = everySecond ? qint64(seconds) + 1 : labels;

    for (qint64 i = 0; i < ticks; ++i) {
        const double second = everySecond ? double(low) + double(i) : firstLabel + double(i) * step;
        const bool labelled
            = !everySecond || (second >= firstLabel && std::fmod(second - firstLabel, step) == 0.0);
        const float t = float(second);
        // All times on one whole second: the one tick stands at the left end.
        const float x = seconds > 0.0 ? (t - low) / (high - low) * float(plotWidth) + plotLeft
                                      : float(plotLeft);
        const int xi = int(x);
        painter.drawLine(xi, axisY - tickHalfLength, xi, axisY + tickHalfLength);
        if (labelled) {
            painter.drawText(QRectF(x - tickLabelWidth / 2, axisY + tickLabelGap, tickLabelWidth,
                                    tickLabelHeight),
                             Qt::AlignCenter | Qt::TextDontClip, QString::number(t, 'f', 0));
        }
    }
}

void TimesDistributionDialog::drawTitle(QPainter &painter, const QFont &titleFont) const
{
    painter.setFont(titleFont);
    painter.setPen(pen(Qt::black, 3));
    painter.drawText(titleLeft, painter.fontMetrics().height(), form->nameEdit->text().toUpper());
}
