// The dialog's named operations: each is the face of the floor that does the work.

#include "app/controls.h"
#include "app/timesdistributiondialog.h"
#include "chart/chart.h"
#include "data/timereaders.h"
#include "stats/density.h"
#include "stats/timestatistics.h"

#include <QPainterPath>
#include <QPixmap>

#include <utility>

TimeList TimesDistributionDialog::parseTimeList(QString text)
{
    return TimeReaders::read(std::move(text)).times;
}

ParsedTimes TimesDistributionDialog::readTimeList(QString text)
{
    return TimeReaders::read(std::move(text));
}

TimeStatistics TimesDistributionDialog::computeStatistics(TimeList times)
{
    return SummaryStatistics::of(times);
}

std::vector<float> TimesDistributionDialog::kernelDensity(const TimeList &samples, int points,
                                                          float low, float high, float detail)
{
    return KernelDensity::onGrid(samples, points, low, high, detail);
}

QPainterPath TimesDistributionDialog::densityCurve(TimeList samples, float low, float high,
                                                   float detail, int width, int height, int margin,
                                                   std::vector<float> *normalisedOut)
{
    KernelDensity::Curve curve
        = KernelDensity::curve(samples, low, high, detail, width, Controls::finePoints(detail));
    samples = TimeList();
    const QPainterPath outline = Chart::curveOutline(curve.values, width, height, margin);
    if (normalisedOut)
        *normalisedOut = std::move(curve.values);
    return outline;
}

QPixmap TimesDistributionDialog::renderChart()
{
    return Chart::render(chartScene());
}

void TimesDistributionDialog::drawQuartileMarkers(QPainter &painter,
                                                  const std::vector<float> &values, int plotWidth,
                                                  int plotHeight, const QFont &quartileFont,
                                                  std::vector<QRectF> *drawnLabels,
                                                  const std::vector<QRectF> &keepClear)
{
    Chart::drawQuartileMarkers(painter, values, plotWidth, plotHeight, quartileFont, drawnLabels,
                               keepClear);
}

void TimesDistributionDialog::drawStatisticsPanel(QPainter &painter, const TimeList &primaryTimes,
                                                  const TimeList &secondaryTimes, int width,
                                                  const QFont &statsFont)
{
    Chart::drawStatisticsPanel(painter, primaryTimes, secondaryTimes, width, statsFont);
}
