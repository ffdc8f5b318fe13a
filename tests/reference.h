#pragma once

// The straightforward evaluations that the product's fast paths must reproduce: every term of
// the kernel sum in pasted order, and a comparison sort of a copy for the statistics. Shared by
// the tests and the benchmarks; never linked into the program.

#include "stats/density.h"
#include "stats/timestatistics.h"

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace Reference {

// The range and bandwidth a list's curve has: the samples' own range for the sentinels, and
// Silverman's rule on their deviation in float, scaled by the detail (0 where there is none).
struct Kernel
{
    float lo;
    float hi;
    double bandwidth;
};

inline Kernel kernelOf(const TimeList &samples, float low, float high, float detail)
{
    const auto n = samples.size();
    float smallest = samples.first();
    float largest = samples.first();
    float sum = 0.0f;
    for (float v : samples) {
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
        sum += v;
    }
    const float mean = sum / float(n);
    float squares = 0.0f;
    for (float v : samples)
        squares += (v - mean) * (v - mean);
    const float deviation = std::sqrt(squares / float(n));
    const float lo = low == KernelDensity::lowestSample ? smallest : low;
    const float hi = high == KernelDensity::highestSample ? largest : high;
    const float scale = deviation * detail * 0.5f;
    if (scale == 0.0f || std::isnan(scale))
        return {lo, hi, 0.0};
    return {lo, hi, 1.0592238410488122 * double(scale) * std::pow(double(n), -0.2)};
}

inline std::vector<float> kernelDensity(const TimeList &samples, int points, float low, float high,
                                        float detail)
{
    std::vector<float> density(std::size_t(points), 0.0f);
    const auto n = samples.size();
    if (n == 0)
        return density;
    const auto [lo, hi, bandwidth] = kernelOf(samples, low, high, detail);
    if (bandwidth == 0.0)
        return density;
    for (int j = 0; j < points; ++j) {
        const double x = double(j) / double(points) * double(hi - lo) + lo;
        double total = 0.0;
        for (float v : samples) {
            const double u = (double(v) - x) / bandwidth;
            total += std::exp(u * -0.5 * u) * 0.3989422804014327;
        }
        density[std::size_t(j)] = float(total / double(n));
    }
    return density;
}

// The mean height of the curve over each pixel of a plot `width` pixels wide: pixel i is centred
// on low + i (high - low) / width, the two end pixels only their half inside the range. Every
// time's term integrates over every pixel to b times the area under the normal density.
inline std::vector<float> pixelMeans(const TimeList &samples, float low, float high, float detail,
                                     int width)
{
    const auto [kernelLow, kernelHigh, b] = kernelOf(samples, low, high, detail);
    // Plain copies: a lambda may not capture a structured binding in clang 14.
    const double lo = kernelLow;
    const double hi = kernelHigh;
    const double pixel = (hi - lo) / width;
    const auto edge = [&](int i) {
        return std::clamp(lo + (i - 0.5) * pixel, double(lo), double(hi));
    };
    std::vector<float> means(std::size_t(width) + 1);
    for (int i = 0; i <= width; ++i) {
        double area = 0.0;
        for (float v : samples)
            area += 0.5
                * (std::erf((edge(i + 1) - v) / b * M_SQRT1_2)
                   - std::erf((edge(i) - v) / b * M_SQRT1_2));
        means[std::size_t(i)] = float(area * b / (edge(i + 1) - edge(i)) / double(samples.size()));
    }
    return means;
}

inline TimeStatistics computeStatistics(TimeList times)
{
    const auto n = times.size();
    if (n == 0)
        return {0, 0, 0, 0, 0};
    std::vector<float> s(times.begin(), times.end());
    std::sort(s.begin(), s.end());
    const auto half = std::size_t(n / 2);
    const float median = n % 2 ? s[half] : float(double(s[half - 1] + s[half]) * 0.5);
    if (n < 3) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return {s.front(), s.back(), nan, median, nan};
    }
    const auto k = qsizetype(std::max(double(n) * 0.05, 1.0));
    float kept = 0.0f;
    for (qsizetype i = k; i <= n - 2 * k - 1; ++i)
        kept += s[std::size_t(i)];
    float groupSum = 0.0f;
    qsizetype groups = 0;
    for (qsizetype first = 0; first + 5 <= n; first += 5, ++groups) {
        float g[5];
        std::copy(times.begin() + first, times.begin() + first + 5, g);
        std::sort(g, g + 5);
        groupSum += (g[2] + g[1] + g[3]) / 3.0f;
    }
    return {s.front(), s.back(), kept / float(n - 3 * k), median, groupSum / float(groups)};
}

} // namespace Reference
