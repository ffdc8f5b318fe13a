#include "app/form/timesdistributionform.h"
#include "app/timesdistributiondialog.h"
#include "chart/chartstyle.h"

#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QWidget>

#include <algorithm>
#include <cmath>

using namespace ChartStyle;

namespace {

constexpr int frameInset = 5;
constexpr qreal frameRadius = 10.0;
constexpr int tickHalfLength = 2;
constexpr int tickLabelGap = 5;
constexpr qreal tickLabelWidth = 20.0;
constexpr qreal tickLabelHeight = 10.0;
// When a range holds more whole seconds than the plot has pixels, labels stand this far apart.
constexpr double minimumTickSpacing = 20.0;
constexpr int titleLeft = 10;

QFont chartFont(const QFont &base, int pointSize, int weight = -1)
{
    QFont font(base);
    font.setFamily(QStringLiteral("Helvetica"));
    font.setPointSize(pointSize);
    if (weight >= 0)
        font.setWeight(QFont::Weight(weight));
    return font;
}

// The smallest step of 1, 2 or 5 times a power of ten, in whole seconds, that keeps labelled
// ticks minimumTickSpacing pixels apart.
double thinnedTickStep(double seconds, int plotWidth)
{
    const double wanted = minimumTickSpacing * seconds / plotWidth;
    const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
    for (double multiple : {1.0, 2.0, 5.0, 10.0}) {
        if (multiple * decade >= wanted)
            return std::max(1.0, multiple * decade);
    }
    return std::max(1.0, 10.0 * decade);
}

} // namespace

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

    painter.setPen(pen(mainColor, 4));
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

        if (!secondaryTimes.isEmpty())
            drawCurve(painter, secondaryTimes, secondaryColor, low, high, detail,
                      secondaryQuartiles, quartileFont);
        if (!primaryTimes.isEmpty())
            drawCurve(painter, primaryTimes, mainColor, low, high, detail, primaryQuartiles,
                      quartileFont);
        drawAxis(painter, low, high, tickFont);
    }

    drawTitle(painter, titleFont);

    if (hasTimes && hasPlot && form->showStatsCheck->isChecked())
        drawStatisticsPanel(painter, primaryTimes, secondaryTimes, width, statsFont);
}

void TimesDistributionDialog::drawCurve(QPainter &painter, const TimeList &times,
                                        const QColor &color, float low, float high, float detail,
                                        bool withQuartiles, const QFont &quartileFont)
{
    const int plotWidth = painter.viewport().width() - horizontalInset;
    const int plotHeight = painter.viewport().height() - verticalInset;
    std::vector<float> values;
    const QPainterPath curve
        = densityCurve(times, low, high, detail, plotWidth, plotHeight, curveMargin, &values);

    painter.setOpacity(0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(color, Qt::SolidPattern));
    painter.drawPath(curve);

    painter.setOpacity(1.0);
    painter.setPen(pen(color, 4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(curve);

    if (withQuartiles)
        drawQuartileMarkers(painter, values, plotWidth, plotHeight, quartileFont);
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

    // Counting ticks with an integer keeps the loop finite where a float stepped by 1 would
    // stall (from 2^24 on); huge ranges get fewer, wider-spaced ticks.
    const double seconds = double(high) - double(low);
    // A plot of no width (a 40 px viewport) would ask for an infinite step.
    const double step
        = seconds > plotWidth ? thinnedTickStep(seconds, std::max(plotWidth, 1)) : 1.0;
    const auto ticks = qint64(std::floor(seconds / step)) + 1;
    for (qint64 i = 0; i < ticks; ++i) {
        const float t = float(double(low) + double(i) * step);
        // All times on one whole second: the one tick stands at the left end.
        const float x = seconds > 0.0 ? (t - low) / (high - low) * float(plotWidth) + plotLeft
                                      : float(plotLeft);
        const int xi = int(x);
        painter.drawLine(xi, axisY - tickHalfLength, xi, axisY + tickHalfLength);
        painter.drawText(
            QRectF(x - tickLabelWidth / 2, axisY + tickLabelGap, tickLabelWidth, tickLabelHeight),
            Qt::AlignCenter | Qt::TextDontClip, QString::number(t, 'f', 0));
    }
}

void TimesDistributionDialog::drawTitle(QPainter &painter, const QFont &titleFont) const
{
    painter.setFont(titleFont);
    painter.setPen(pen(Qt::black, 3));
    painter.drawText(titleLeft, painter.fontMetrics().height(), form->nameEdit->text().toUpper());
}
