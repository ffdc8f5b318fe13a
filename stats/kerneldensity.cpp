#include "stats/density.h"
#include "stats/sortedtimes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

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

// A kernel narrower than a quarter of the grid step reaches at most a few points from each value:
// those terms are summed directly, value by value.
constexpr double walkingStepsPerBandwidth = 4.0;

std::vector<double> nearbySums(const SortedTimes::Groups &groups, const Grid &grid,
                               double bandwidth, double reach)
{
    std::vector<double> sums(std::size_t(grid.points), 0.0);
    const double radius = reach * bandwidth;
    const double pointsPerSecond = double(grid.points) / double(grid.span);
    const double lastPoint = grid.points - 1;
    for (const SortedTimes::Group &group : groups) {
        const double v = group.value;
        // One point of slack on either side covers the rounding of the division.
        const double first = std::floor((v - radius - grid.low) * pointsPerSecond) - 1.0;
        const double last = std::ceil((v + radius - grid.low) * pointsPerSecond) + 1.0;
        if (!(last >= 0.0 && first <= lastPoint))
            continue;
        for (int j = int(std::max(first, 0.0)); j <= int(std::min(last, lastPoint)); ++j) {
            const double x = grid.position(j);
            if (std::fabs(v - x) <= radius)
                sums[std::size_t(j)] += kernelTerm(v, x, bandwidth) * double(group.count);
        }
    }
    return sums;
}

// x = low + j * step without rounding, as the grid's own formula gives it for a power-of-two
// point count whenever the sum is exact.
bool exactPosition(double low, double offset)
{
    const double sum = low + offset;
    const double lowPart = sum - offset;
    const double offsetPart = sum - lowPart;
    return (low - lowPart) + (offset - offsetPart) == 0.0;
}

// On a grid of exactly equal steps d, a value v = x_m + delta adds at x_{m+k}
//   exp(-(delta - k d)^2 / 2b^2) = [exp(-delta^2 / 2b^2) r^k] * exp(-k^2 d^2 / 2b^2),
// r = exp(delta d / b^2): the bracket is a running product per value, and the last factor is
// shared by every value anchored at the same grid point m. The product is formed afresh every
// 64 steps, so its rounding stays below some 150 units in the last place (1.7e-14), and
// delta < d <= 4b keeps every factor far inside the double range.
constexpr int lanes = 8;
constexpr int stepsBetweenAnchors = 64;

// exp for the lanes of the running products, in plain arithmetic that the compiler turns into
// vector instructions: 2^n times a Taylor polynomial of degree 12 on |f| <= ln2 / 2, within a few
// units in the last place. The walk's exponents stay within +-200; this holds for |x| < 708.
template<int Lanes> void exponentials(const double (&x)[Lanes], double (&result)[Lanes])
{
    constexpr double log2e = 1.4426950408889634;
    constexpr double ln2High = 0x1.62e42fee00000p-1; // n * ln2High is exact for |n| < 2^21
    constexpr double ln2Low = 0x1.a39ef35793c76p-33;
    constexpr double roundingShift = 0x1.8p52; // leaves round(y) in the low bits of y + shift
    constexpr std::uint64_t exponentBias = 1023;
    for (int l = 0; l < Lanes; ++l) {
        const double shifted = x[l] * log2e + roundingShift;
        const double n = shifted - roundingShift;
        const double f = (x[l] - n * ln2High) - n * ln2Low;
        double p = 1.0 / 479001600.0;
        p = p * f + 1.0 / 39916800.0;
        p = p * f + 1.0 / 3628800.0;
        p = p * f + 1.0 / 362880.0;
        p = p * f + 1.0 / 40320.0;
        p = p * f + 1.0 / 5040.0;
        p = p * f + 1.0 / 720.0;
        p = p * f + 1.0 / 120.0;
        p = p * f + 1.0 / 24.0;
        p = p * f + 1.0 / 6.0;
        p = p * f + 0.5;
        p = p * f + 1.0;
        p = p * f + 1.0;
        const std::uint64_t power = (std::bit_cast<std::uint64_t>(shifted) + exponentBias) << 52;
        result[l] = p * std::bit_cast<double>(power);
    }
}

using GroupIterator = SortedTimes::Groups::const_iterator;

bool below(const SortedTimes::Group &g, double v)
{
    return double(g.value) < v;
}

// The first group at or after `from` whose value is not below x, searched outward from a guess
// `ahead` groups on, in steps that double: neighbouring cells and pixels hold about as many
// times, so the guess is near and the search stays within a few cache lines.
GroupIterator firstFrom(GroupIterator from, std::ptrdiff_t ahead, GroupIterator end, double x)
{
    const auto guess = from + std::clamp<std::ptrdiff_t>(ahead, 0, end - from);
    std::ptrdiff_t step = 1;
    if (guess != end && below(*guess, x)) {
        auto low = guess;
        while (end - low > step && below(low[step], x)) {
            low += step;
            step *= 2;
        }
        return std::lower_bound(low + 1, end - low > step ? low + step : end, x, below);
    }
    auto high = guess;
    while (high - from > step && !below(high[-step], x)) {
        high -= step;
        step *= 2;
    }
    return std::lower_bound(high - from > step ? high - step : from, high, x, below);
}

// Four doubles that the compiler keeps in one vector register where it has them, in two
// otherwise.
typedef double FourLanes __attribute__((vector_size(4 * sizeof(double))));
constexpr int vectorsOfLanes = lanes / 4;
using LaneSums = FourLanes[vectorsOfLanes];

// The sums of w e^p for p < terms over a part's values, e = (v - centre) / b, lane by lane.
[[gnu::always_inline]] inline void addPowerSums(const SortedTimes::Group *first,
                                                const SortedTimes::Group *last, double centre,
                                                double inverseBandwidth, int terms,
                                                LaneSums *laneMoments)
{
    for (auto group = first; group < last; group += lanes) {
        const auto count = int(std::min<std::ptrdiff_t>(lanes, last - group));
        LaneSums power = {};
        LaneSums offset = {};
        for (int l = 0; l < lanes; ++l) {
            power[l / 4][l % 4] = l < count ? double(group[l].count) : 0.0;
            offset[l / 4][l % 4]
                = l < count ? (double(group[l].value) - centre) * inverseBandwidth : 0.0;
        }
        for (int p = 0; p < terms; ++p) {
            for (int v = 0; v < vectorsOfLanes; ++v) {
                laneMoments[p][v] += power[v];
                power[v] *= offset[v];
            }
        }
    }
}

using PowerSums = void (*)(const SortedTimes::Group *, const SortedTimes::Group *, double, double,
                           int, LaneSums *);

void powerSumsNarrow(const SortedTimes::Group *first, const SortedTimes::Group *last, double centre,
                     double inverseBandwidth, int terms, LaneSums *laneMoments)
{
    addPowerSums(first, last, centre, inverseBandwidth, terms, laneMoments);
}

// The power sums are most of an off-grid density's work, and AVX2 does them in half the
// instructions with the very same arithmetic, lane for lane. Not on Windows, where the compiler
// cannot keep the stack aligned for it.
#if defined(__x86_64__) && defined(__ELF__)
[[gnu::target("avx2")]] void powerSumsWide(const SortedTimes::Group *first,
                                           const SortedTimes::Group *last, double centre,
                                           double inverseBandwidth, int terms,
                                           LaneSums *laneMoments)
{
    addPowerSums(first, last, centre, inverseBandwidth, terms, laneMoments);
}

PowerSums powerSumsHere()
{
    return __builtin_cpu_supports("avx2") ? powerSumsWide : powerSumsNarrow;
}
#else
PowerSums powerSumsHere()
{
    return powerSumsNarrow;
}
#endif

class Walk
{
public:
    Walk(const Grid &grid, double bandwidth, double reach)
        : grid(grid)
        , step(double(grid.span) / double(grid.points))
        , inverseBandwidth(1.0 / bandwidth)
        , inverseVariance(1.0 / (bandwidth * bandwidth))
        , stepsPerSecond(1.0 / step)
        , reachSteps(std::floor(reach * bandwidth / step))
        , seriesParts(partsFor(step * 0.5 * inverseBandwidth))
        , seriesTerms(hermiteTerms(step * 0.5 * inverseBandwidth / seriesParts))
    { }

    // Empty when the grid's positions are not exactly equally spaced or the kernel spans far
    // more than the grid: the point-by-point sums take over.
    std::vector<double> sums(const SortedTimes::Groups &groups)
    {
        const int n = grid.points;
        if (!(reachSteps <= 2.0 * n) || !std::isfinite(step))
            return {};
        for (int j = 0; j < n; ++j) {
            if (!exactPosition(grid.low, double(j) * step))
                return {};
        }
        reach = int(reachSteps);
        shared.resize(std::size_t(2 * reach + 2));
        for (int k = -reach; k <= reach + 1; ++k)
            shared[std::size_t(k + reach)]
                = std::exp(-0.5 * double(k) * step * double(k) * step * inverseVariance)
                * inverseSqrtTwoPi;
        result.assign(std::size_t(n), 0.0);
        // He_p(u) phi(u) at every point a part reaches: u depends only on the part and the
        // point's distance in steps, not on the cell.
        partTerms.resize(std::size_t(seriesParts * (2 * reach + 2) * seriesTerms));
        for (int part = 0; part < seriesParts && seriesTerms > 0; ++part) {
            for (int k = -reach; k <= reach + 1; ++k) {
                const double u = (centreInCell(part) - double(k)) * step * inverseBandwidth;
                double *terms = partTermsAt(part, k);
                const double phi = std::exp(-0.5 * u * u) * inverseSqrtTwoPi;
                double previous = 0.0; // He_(p-1)
                double hermite = 1.0; // He_p
                for (int p = 0; p < seriesTerms; ++p) {
                    terms[p] = hermite * phi;
                    const double next = u * hermite - double(p) * previous;
                    previous = hermite;
                    hermite = next;
                }
            }
        }

        // Any cell near the value serves as its anchor; the cell's other values are those below
        // the next grid position, found by searching from where the last cell's size suggests.
        const auto cellOf = [this](const SortedTimes::Group &g) {
            return std::floor((double(g.value) - grid.low) * stepsPerSecond);
        };
        const double reachedFrom = grid.low - (reach + 2) * step;
        auto group = std::lower_bound(
            groups.begin(), groups.end(), reachedFrom,
            [](const SortedTimes::Group &g, double v) { return double(g.value) < v; });
        std::ptrdiff_t lastCellSize = 0;
        while (group != groups.end()) {
            const double cell = cellOf(*group);
            if (!(cell <= n + reach))
                break;
            auto end = group + 1;
            if (cell >= -reach - 1.0) {
                const int m = int(cell);
                const double next = grid.low + double(m + 1) * step;
                end = firstFrom(end, lastCellSize, groups.end(), next);
                lastCellSize = end - group;
                if (!exactPosition(grid.low, double(m) * step))
                    return {};
                addCell(group, end, m, grid.low + double(m) * step);
            }
            group = end;
        }
        return result;
    }

private:
    template<int Lanes>
    void addLanes(SortedTimes::Groups::const_iterator first, int count, double anchor, int from,
                  int to)
    {
        double delta[Lanes];
        double weight[Lanes];
        double exponent[Lanes];
        double ratio[Lanes];
        for (int l = 0; l < Lanes; ++l) {
            delta[l] = l < count ? double(first[l].value) - anchor : 0.0;
            weight[l] = l < count ? double(first[l].count) : 0.0;
            exponent[l] = delta[l] * step * inverseVariance;
        }
        exponentials(exponent, ratio);
        for (int block = from; block <= to; block += stepsBetweenAnchors) {
            const int blockEnd = std::min(to, block + stepsBetweenAnchors - 1);
            double term[Lanes];
            for (int l = 0; l < Lanes; ++l)
                exponent[l] = delta[l] * (double(block) * step - 0.5 * delta[l]) * inverseVariance;
            exponentials(exponent, term);
            for (int l = 0; l < Lanes; ++l)
                term[l] *= weight[l];
            for (int k = block; k <= blockEnd; ++k) {
                double *sum = &laneSums[std::size_t(k - from) * lanes];
                for (int l = 0; l < Lanes; ++l) {
                    sum[l] += term[l];
                    term[l] *= ratio[l];
                }
            }
        }
    }

    // A cell of many values is summed by its Hermite expansion about the centre c of each of its
    // parts:
    //   sum_v w_v phi(u + e_v) = sum_p (-1)^p He_p(u) phi(u) / p! * sum_v w_v e_v^p,
    // e_v = (v - c) / b, u = (c - x) / b. By Cramer's bound |He_p(u) phi(u)| <= 1.09 sqrt(p!), so
    // the terms left out add less than 1.09 rho^P / sqrt(P!) per unit weight, rho = d / 2b per
    // part; seriesTerms keeps that below the bound already allowed for the terms beyond reach.
    // A cell is cut into up to eight parts, so that rho stays at most 1/8: about half the terms
    // a whole cell needs, and the terms are the work done for every value.
    static constexpr int mostSeriesTerms = 40;
    static constexpr int fewestValuesForSeries = 32;
    static constexpr double widestPart = 0.125;
    static constexpr int mostParts = 8;

    double centreInCell(int part) const { return (part + 0.5) / seriesParts; }
    double *partTermsAt(int part, int k)
    {
        return &partTerms[std::size_t((part * (2 * reach + 2) + k + reach) * seriesTerms)];
    }

    static int partsFor(double rho)
    {
        int parts = 1;
        while (parts < mostParts && rho / parts > widestPart)
            parts *= 2;
        return parts;
    }

    static int hermiteTerms(double rho)
    {
        if (!(rho <= 1.0))
            return 0;
        double bound = 1.09;
        for (int terms = 1; terms <= mostSeriesTerms; ++terms) {
            bound *= rho / std::sqrt(double(terms));
            if (bound <= 1e-19)
                return terms;
        }
        return 0;
    }

    bool addCellBySeries(SortedTimes::Groups::const_iterator first,
                         SortedTimes::Groups::const_iterator last, int m, int from, int to)
    {
        // Each part's centre, and so each u, is exact.
        for (int part = 0; part < seriesParts; ++part) {
            if (!exactPosition(grid.low, (double(m) + centreInCell(part)) * step))
                return false;
        }
        auto partFirst = first;
        for (int part = 0; part < seriesParts; ++part) {
            const double centre = grid.low + (double(m) + centreInCell(part)) * step;
            const double partEnd = grid.low + (double(m) + double(part + 1) / seriesParts) * step;
            const auto partLast = part + 1 == seriesParts
                ? last
                : std::lower_bound(partFirst, last, partEnd, below);
            if (partLast != partFirst)
                addPartBySeries(partFirst, partLast, part, centre, m, from, to);
            partFirst = partLast;
        }
        return true;
    }

    void addPartBySeries(SortedTimes::Groups::const_iterator first,
                         SortedTimes::Groups::const_iterator last, int part, double centre, int m,
                         int from, int to)
    {
        LaneSums laneMoments[mostSeriesTerms] = {};
        static const PowerSums powerSums = powerSumsHere();
        powerSums(&*first, &*first + (last - first), centre, inverseBandwidth, seriesTerms,
                  laneMoments);
        double moments[mostSeriesTerms];
        double factorial = 1.0;
        for (int p = 0; p < seriesTerms; ++p) {
            double moment = 0.0;
            for (int l = 0; l < lanes; ++l)
                moment += laneMoments[p][l / 4][l % 4];
            factorial *= p > 0 ? double(p) : 1.0;
            moments[p] = (p % 2 ? -moment : moment) / factorial;
        }
        for (int k = from; k <= to; ++k) {
            const double *terms = partTermsAt(part, k);
            double series = 0.0;
            for (int p = 0; p < seriesTerms; ++p)
                series += moments[p] * terms[p];
            result[std::size_t(m + k)] += series;
        }
    }

    void addCell(SortedTimes::Groups::const_iterator first,
                 SortedTimes::Groups::const_iterator last, int m, double anchor)
    {
        const int from = std::max(-reach, -m);
        const int to = std::min(reach + 1, grid.points - 1 - m);
        if (from > to)
            return;
        if (seriesTerms > 0 && last - first >= fewestValuesForSeries
            && addCellBySeries(first, last, m, from, to))
            return;
        const auto width = std::size_t(to - from + 1);
        laneSums.assign(width * lanes, 0.0);
        auto count = int(last - first);
        for (; count >= lanes; count -= lanes, first += lanes)
            addLanes<lanes>(first, lanes, anchor, from, to);
        // A sparse cell (many cells, few values) need not pay for eight lanes.
        if (count > 2)
            addLanes<lanes>(first, count, anchor, from, to);
        else if (count > 0)
            addLanes<2>(first, count, anchor, from, to);
        for (int k = from; k <= to; ++k) {
            const double *sum = &laneSums[std::size_t(k - from) * lanes];
            double total = 0.0;
            for (int l = 0; l < lanes; ++l)
                total += sum[l];
            result[std::size_t(m + k)] += total * shared[std::size_t(k + reach)];
        }
    }

    const Grid grid;
    const double step;
    const double inverseBandwidth;
    const double inverseVariance;
    const double stepsPerSecond;
    const double reachSteps;
    const int seriesParts;
    const int seriesTerms;
    int reach = 0;
    std::vector<double> shared; // exp(-k^2 d^2 / 2b^2) for k = -reach ... reach + 1
    std::vector<double> partTerms; // He_p(u) phi(u) by part, point and p
    std::vector<double> laneSums;
    std::vector<double> result;
};

bool powerOfTwo(int points)
{
    return points > 0 && (points & (points - 1)) == 0;
}

// The terms within reach of each grid point, by the fastest exact route. The running product
// needs every factor of a term to stay a normal double, which the exact-zero reach would break.
std::vector<double> sumsWithin(const SortedTimes::Groups &groups, const Grid &grid,
                               double bandwidth, double reach)
{
    std::vector<double> sums;
    const double step = double(grid.span) / double(grid.points);
    if (std::isfinite(grid.low) && std::isfinite(bandwidth) && grid.span > 0.0f
        && std::isfinite(grid.span)) {
        if (step > walkingStepsPerBandwidth * bandwidth)
            sums = nearbySums(groups, grid, bandwidth, reach);
        else if (powerOfTwo(grid.points) && reach <= negligibleTermReach)
            sums = Walk(grid, bandwidth, reach).sums(groups);
    }
    if (sums.empty())
        return kernelSums(groups, grid, bandwidth, reach);
    return sums;
}

std::vector<double> densitySums(const SortedTimes::Groups &groups, qsizetype n, const Grid &grid,
                                double bandwidth)
{
    std::vector<double> sums = sumsWithin(groups, grid, bandwidth, negligibleTermReach);
    const double peak = *std::max_element(sums.begin(), sums.end()) / double(n);
    if (!(negligibleTermsBound <= negligibleRelativeError * peak))
        sums = sumsWithin(groups, grid, bandwidth, zeroTermReach);
    return sums;
}

// What a curve of one list needs; no kernel when every value would be 0.
struct Kernel
{
    qsizetype n = 0;
    float lo = 0.0f;
    float hi = 0.0f;
    double bandwidth = 0.0;
    std::shared_ptr<const SortedTimes::Groups> groups;
    // Every time equal: no spread to give the kernel its width.
    bool withoutSpread = false;
};

Kernel kernelOf(const TimeList &samples, float low, float high, float detail)
{
    Kernel kernel;
    kernel.n = samples.size();
    if (kernel.n == 0)
        return kernel;
    const SortedTimes::Spread spread = SortedTimes::spread(samples);
    kernel.lo = low == KernelDensity::lowestSample ? spread.smallest : low;
    kernel.hi = high == KernelDensity::highestSample ? spread.largest : high;
    kernel.withoutSpread = spread.smallest == spread.largest;
    const float scale = spread.deviation * detail * 0.5f;
    if (scale == 0.0f || std::isnan(scale))
        return kernel;
    kernel.bandwidth = silvermanFactor * double(scale) * std::pow(double(kernel.n), -0.2);
    kernel.groups = SortedTimes::grouped(samples);
    return kernel;
}

std::vector<float> densityOn(const Kernel &kernel, int points)
{
    std::vector<float> density(std::size_t(std::max(points, 0)), 0.0f);
    if (!kernel.groups || points <= 0)
        return density;
    const Grid grid {points, kernel.lo, kernel.hi - kernel.lo};
    const std::vector<double> sums = densitySums(*kernel.groups, kernel.n, grid, kernel.bandwidth);
    for (std::size_t j = 0; j < density.size(); ++j)
        density[j] = float(sums[j] / double(kernel.n));
    return density;
}

// A narrow kernel is drawn with a point per pixel of the plot, each the mean height of the curve
// over its pixel, so that a time adds the same area wherever it falls and times two pixels apart
// keep a lower pixel between them.
constexpr int widestCellPlot = 1 << 16;

// The area of the standard normal density between y and x (y <= x), from the side where the
// complementary error function keeps its digits.
double normalArea(double y, double x)
{
    constexpr double invSqrt2 = 0.7071067811865476;
    if (y >= 0.0)
        return 0.5 * (std::erfc(y * invSqrt2) - std::erfc(x * invSqrt2));
    if (x <= 0.0)
        return 0.5 * (std::erfc(-x * invSqrt2) - std::erfc(-y * invSqrt2));
    return 0.5 * (std::erf(x * invSqrt2) - std::erf(y * invSqrt2));
}

// Pixel i covers the range within half a pixel of point i; the two end pixels only their half
// inside the range.
struct Pixels
{
    double lo;
    double hi;
    double width;
    // The left edge of pixel i, and the right edge of pixel i - 1.
    double edge(std::size_t i) const { return std::clamp(lo + (double(i) - 0.5) * width, lo, hi); }
};

// A time's term integrates over a pixel to an area under the normal density, so a spike narrower
// than the pixel keeps its whole area wherever it falls.
std::vector<double> pixelAreasOneByOne(const Kernel &kernel, const Pixels &pixels,
                                       std::size_t cells, double reach)
{
    const double b = kernel.bandwidth;
    std::vector<double> areas(cells, 0.0);
    for (const SortedTimes::Group &group : *kernel.groups) {
        const double v = group.value;
        // Also skips NaN and infinite times, which reach no pixel.
        if (!(v >= pixels.lo - reach && v <= pixels.hi + reach))
            continue;
        const auto first
            = std::size_t(std::max(0.0, std::floor((v - reach - pixels.lo) / pixels.width + 0.5)));
        const auto last = std::min(
            cells - 1, std::size_t(std::floor((v + reach - pixels.lo) / pixels.width + 0.5)));
        for (std::size_t i = first; i <= last; ++i) {
            const double area = normalArea((pixels.edge(i) - v) / b, (pixels.edge(i + 1) - v) / b);
            if (area > 0.0)
                areas[i] += area * double(group.count);
        }
    }
    return areas;
}

// The normal distribution Phi(t) for |t| up to the reach, from a table at every 1/64 and the
// Taylor series about the nearest entry t0, whose coefficients are
// Phi^(k)(t0) / k! = (-1)^(k-1) He_(k-1)(t0) phi(t0) / k!.
// By Cramer's bound the first term left out, at |t - t0| <= 1/128, stays below
// 1.09 sqrt(8!) / 8! 128^-8 < 2e-19; erfc, which it replaces, took most of a paint.
class NormalDistribution
{
public:
    NormalDistribution()
    {
        constexpr double invSqrt2 = 0.7071067811865476;
        for (int j = -last; j <= last; ++j) {
            const double t0 = double(j) / perUnit;
            double *c = coefficients[std::size_t(j + last)];
            c[0] = 0.5 * std::erfc(-t0 * invSqrt2);
            const double phi = std::exp(-0.5 * t0 * t0) * inverseSqrtTwoPi;
            double previous = 0.0; // He_(k-2)
            double hermite = 1.0; // He_(k-1)
            double factorial = 1.0;
            for (int k = 1; k <= powers; ++k) {
                factorial *= k;
                c[k] = (k % 2 ? hermite : -hermite) * phi / factorial;
                const double next = t0 * hermite - double(k - 1) * previous;
                previous = hermite;
                hermite = next;
            }
        }
    }

    double operator()(double t) const
    {
        const double node = std::round(std::clamp(t, -reach, reach) * perUnit);
        const double d = t - node / perUnit;
        const double *c = coefficients[std::size_t(int(node) + last)];
        double sum = c[powers];
        for (int k = powers - 1; k >= 0; --k)
            sum = sum * d + c[k];
        return sum;
    }

private:
    static constexpr int perUnit = 64;
    static constexpr int powers = 7;
    static constexpr double reach = 9.0;
    static constexpr int last = int(reach) * perUnit;
    double coefficients[2 * last + 1][powers + 1];
};

// Where a pixel is wider than four reaches, even the half pixels at the ends, a time farther
// than the reach from every edge lies wholly inside one pixel: it adds its whole area, 1, as
// the terms beyond the reach add nothing here either. A time within reach of an edge parts its
// area between the two pixels there. The sorted times make both a matter of finding where each
// edge's reach begins and ends.
std::vector<double> pixelAreasByEdges(const Kernel &kernel, const Pixels &pixels, std::size_t cells,
                                      double reach)
{
    static const NormalDistribution normal;
    const SortedTimes::Groups &groups = *kernel.groups;
    const double b = kernel.bandwidth;
    std::vector<double> areas(cells, 0.0);
    auto inside = groups.begin();
    std::ptrdiff_t insideSpan = 0;
    std::ptrdiff_t nearSpan = 0;
    for (std::size_t i = 0; i <= cells; ++i) {
        const double edge = pixels.edge(i);
        const auto nearFirst = firstFrom(inside, insideSpan, groups.end(), edge - reach);
        const auto nearEnd = firstFrom(nearFirst, nearSpan, groups.end(), edge + reach);
        // The part left of the edge goes to the pixel on the left, the rest to the right.
        double left = 0.0;
        double whole = 0.0;
        for (auto group = nearFirst; group != nearEnd; ++group) {
            const auto count = double(group->count);
            left += normal((edge - double(group->value)) / b) * count;
            whole += count;
        }
        if (i > 0) {
            qsizetype wholeKernels = 0;
            for (auto group = inside; group != nearFirst; ++group)
                wholeKernels += group->count;
            areas[i - 1] += double(wholeKernels) + left;
        }
        if (i < cells)
            areas[i] += whole - left;
        insideSpan = nearFirst - inside;
        nearSpan = nearEnd - nearFirst;
        inside = nearEnd;
    }
    return areas;
}

bool pixelsHoldWholeKernels(const Pixels &pixels, double reach)
{
    return pixels.width / 2.0 > 2.0 * reach;
}

// The mean height of the curve over each pixel, exactly.
std::vector<float> cellMeans(const Kernel &kernel, int width)
{
    const auto cells = std::size_t(width) + 1;
    const Pixels pixels {kernel.lo, kernel.hi, (double(kernel.hi) - double(kernel.lo)) / width};
    const double b = kernel.bandwidth;
    const double reach = negligibleTermReach * b;
    const std::vector<double> areas = pixelsHoldWholeKernels(pixels, reach)
        ? pixelAreasByEdges(kernel, pixels, cells, reach)
        : pixelAreasOneByOne(kernel, pixels, cells, reach);
    // The term's mean over a pixel is its area times b over the pixel's width.
    std::vector<float> density(cells);
    for (std::size_t i = 0; i < cells; ++i) {
        const double cellWidth = pixels.edge(i + 1) - pixels.edge(i);
        density[i] = float(areas[i] * b / cellWidth / double(kernel.n));
    }
    return density;
}

// Times without spread are drawn as the narrowest kernel draws a lone time, a spike in the pixel
// that holds them, whatever the Detail. A kernel a millionth of a pixel wide stands for one of no
// width: only a time within 1e-5 px of a pixel edge parts its area between the pixels there.
constexpr double spikeWidthInPixels = 1e-6;

void makeSpike(Kernel &kernel, const TimeList &samples, int width)
{
    // A range of no width holds its times at its low end, where the axis shows them: the pixels
    // are laid over the least range above it.
    const float hi = kernel.hi == kernel.lo
        ? std::nextafter(kernel.lo, std::numeric_limits<float>::infinity())
        : kernel.hi;
    const double span = double(hi) - double(kernel.lo);
    if (width <= 0 || width > widestCellPlot || !std::isfinite(span))
        return;
    kernel.hi = hi;
    kernel.bandwidth = span / width * spikeWidthInPixels;
    kernel.groups = SortedTimes::grouped(samples);
}

// With fine points a kernel narrower than the step of the 256 points would fall between them and
// hide its time; without, the curve keeps its 256 points.
bool drawnInCells(const Kernel &kernel, bool finePoints, int width)
{
    const double span = double(kernel.hi - kernel.lo);
    return kernel.groups && (finePoints || kernel.withoutSpread) && width > 0
        && width <= widestCellPlot && std::isfinite(span)
        && kernel.bandwidth < span / KernelDensity::curvePoints;
}

} // namespace

std::vector<float> KernelDensity::onGrid(const TimeList &samples, int points, float low, float high,
                                         float detail)
{
    return densityOn(kernelOf(samples, low, high, detail), points);
}

KernelDensity::Curve KernelDensity::curve(const TimeList &samples, float low, float high,
                                          float detail, int width, bool finePoints)
{
    Kernel kernel = kernelOf(samples, low, high, detail);
    if (kernel.withoutSpread)
        makeSpike(kernel, samples, width);
    Curve curve;
    curve.onePerPixel = drawnInCells(kernel, finePoints, width);
    curve.values = curve.onePerPixel ? cellMeans(kernel, width) : densityOn(kernel, curvePoints);

    float peak = 0.0f;
    for (float value : curve.values) {
        if (value > peak)
            peak = value;
    }
    for (float &value : curve.values)
        value /= peak;
    return curve;
}
