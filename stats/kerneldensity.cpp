#include "app/timesdistributiondialog.h"
#include "stats/listmemo.h"
#include "stats/sortedtimes.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr double silvermanFactor = 1.0592238410488122; // (4/3)^0.2
constexpr double inverseSqrtTwoPi = 0.3989422804014327;

// Beyond this many bandwidths a term is exp(-745.8) or less, which is exactly 0 in double.
constexpr double zeroTermReach = 38.7;
// Beyond this reach every term is below 4e-18: the sum of all of them, divided by the number of
// times, stays under 4e-18 per point, far below a millionth of a pixel unless the whole curve
// peaks below 4e-5. Such curves are evaluated again out to the exact-zero reach.
constexpr double negligibleTermReach = 8.9;
constexpr double negligibleTermsBound = 4e-18;
constexpr double negligibleRelativeError = 1e-13;

struct Grid
{
    int points;
    float low;
    float span; // high - low, formed in float
    double position(int j) const { return double(j) / double(points) * double(span) + low; }
};

// The passes over the samples in their stored order, in float.
struct Spread
{
    float smallest;
    float largest;
    float deviation; // population standard deviation
};

Spread spreadOf(const TimeList &samples)
{
    float smallest = samples.first();
    float largest = samples.first();
    float sum = 0.0f;
    for (float v : samples) {
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
        sum += v;
    }
    const auto n = float(samples.size());
    const float mean = sum / n;
    float squares = 0.0f;
    for (float v : samples)
        squares += (v - mean) * (v - mean);
    return {smallest, largest, std::sqrt(squares / n)};
}

double kernelTerm(double value, double x, double bandwidth)
{
    const double u = (value - x) / bandwidth;
    return std::exp(u * -0.5 * u) * inverseSqrtTwoPi;
}

// One grid point: only the distinct values within reach of x can add anything.
double kernelSum(const SortedTimes::Groups &groups, double x, double bandwidth, double reach)
{
    auto first = groups.begin();
    auto last = groups.end();
    const double radius = reach * bandwidth;
    if (std::isfinite(x) && std::isfinite(radius)) {
        first = std::lower_bound(
            groups.begin(), groups.end(), x - radius,
            [](const SortedTimes::Group &g, double v) { return double(g.value) < v; });
        last = std::upper_bound(
            first, groups.end(), x + radius,
            [](double v, const SortedTimes::Group &g) { return v < double(g.value); });
    }
    double sum = 0.0;
    for (auto group = first; group != last; ++group)
        sum += kernelTerm(double(group->value), x, bandwidth) * double(group->count);
    return sum;
}

std::vector<double> kernelSums(const SortedTimes::Groups &groups, const Grid &grid,
                               double bandwidth, double reach)
{
    std::vector<double> sums(std::size_t(grid.points));
    for (int j = 0; j < grid.points; ++j)
        sums[std::size_t(j)] = kernelSum(groups, grid.position(j), bandwidth, reach);
    return sums;
}

} // namespace

std::vector<float> TimesDistributionDialog::kernelDensity(const TimeList &samples, int points,
                                                          float low, float high, float detail)
{
    std::vector<float> density(std::size_t(std::max(points, 0)), 0.0f);
    const auto n = samples.size();
    if (n == 0 || points <= 0)
        return density;

    thread_local ListMemo<Spread> memo;
    const Spread spread = memo.get(samples, spreadOf);
    const float lo = low == lowestSample ? spread.smallest : low;
    const float hi = high == highestSample ? spread.largest : high;
    const float scale = spread.deviation * detail * 0.5f;
    if (scale == 0.0f || std::isnan(scale))
        return density;

    const double bandwidth = silvermanFactor * double(scale) * std::pow(double(n), -0.2);
    const Grid grid {points, lo, hi - lo};
    const std::shared_ptr<const SortedTimes::Groups> groups = SortedTimes::grouped(samples);

    std::vector<double> sums = kernelSums(*groups, grid, bandwidth, negligibleTermReach);
    const double peak = *std::max_element(sums.begin(), sums.end()) / double(n);
    if (!(negligibleTermsBound <= negligibleRelativeError * peak))
        sums = kernelSums(*groups, grid, bandwidth, zeroTermReach);

    for (std::size_t j = 0; j < density.size(); ++j)
        density[j] = float(sums[j] / double(n));
    return density;
}

QPainterPath TimesDistributionDialog::densityCurve(TimeList samples, float low, float high,
                                                   float detail, int width, int height, int margin,
                                                   std::vector<float> *normalisedOut)
{
    std::vector<float> density = kernelDensity(samples, 256, low, high, detail);
    samples = TimeList();

    float peak = 0.0f;
    for (float value : density) {
        if (value > peak)
            peak = value;
    }
    for (float &value : density)
        value /= peak;

    QPainterPath path;
    path.moveTo(0.0, double(height));
    for (std::size_t i = 0; i < density.size(); ++i) {
        const float x = float(i) / 255.0f * float(width);
        const float y = (1.0f - density[i]) * float(height);
        // A zero density normalises to NaN; QPainterPath would drop such points with a warning.
        if (std::isfinite(x) && std::isfinite(y))
            path.lineTo(double(x), double(y));
    }
    path.lineTo(double(width), double(height));
    path.translate(2.0 * margin, 4.0 * margin);

    if (normalisedOut)
        *normalisedOut = density;
    return path;
}
