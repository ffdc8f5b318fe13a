#pragma once

#include "data/timelist.h"

#include <vector>

// The gaussian kernel density of a time list, on a grid of points or as the chart's curve.
namespace KernelDensity {

// "low" and "high" that stand for the samples' own minimum and maximum.
constexpr float lowestSample = 3.4028235e38f;
constexpr float highestSample = -3.4028235e38f;
// Points of the curve at and below the default Detail.
constexpr int curvePoints = 256;

// "detail" multiplies the kernel's width, which at 1 is half of Silverman's rule of thumb.

// The density at points equally spaced from low (the first) up to high (one step past the last).
std::vector<float> onGrid(const TimeList &samples, int points, float low, float high, float detail);

// The curve's heights, its peak 1, and how they stand: the 256 points spread from the plot's left
// edge to its right, or one point per pixel of a plot width pixels wide. With finePoints, a kernel
// narrower than the 256 points' step gets a point per pixel, so that it cannot fall between them;
// times without spread always do.
struct Curve
{
    std::vector<float> values;
    bool onePerPixel = false;
};
Curve curve(const TimeList &samples, float low, float high, float detail, int width,
            bool finePoints);

} // namespace KernelDensity
