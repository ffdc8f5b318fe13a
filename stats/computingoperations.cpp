// The dialog's computing operations, by the names the rest of the program calls them.

#include "app/timesdistributiondialog.h"
#include "stats/density.h"
#include "stats/timestatistics.h"

#include <QPainterPath>

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
    KernelDensity::Curve curve = KernelDensity::curve(samples, low, high, detail, width);
    samples = TimeList();
    const QPainterPath outline = KernelDensity::path(curve.values, width, height, margin);
    if (normalisedOut)
        *normalisedOut = std::move(curve.values);
    return outline;
}
