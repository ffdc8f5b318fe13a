#pragma once

#include "data/timelist.h"

#include <vector>

class QPainterPath;

// The gaussian kernel density of a time list, on a grid of points or as the chart's curve.
namespace KernelDensity {

// "low" and "high" that stand for the samples' own minimum and maximum.
constexpr float lowestSample = 3.4028235e38f;
constexpr float highestSample = -3.4028235e38f;
// Points of the curve at and below the default Detail.
constexpr int curvePoints = 256;

// The Detail slider: 0 to 999, starting in the middle. Its value scales the bandwidth from 2 at
// the left end down to 0.002 at the right; the default scales it by 1.
constexpr int detailSliderMaximum = 999;
constexpr int defaultDetailSlider = 500;
constexpr float detailOfSlider(int sliderValue)
{
    return (1.0f - float(sliderValue) / 1000.0f) * 2.0f;
}
constexpr bool aboveDefaultDetail(float detail)
{
    return detail < 1.0f;
}

// The density at points equally spaced from low (the first) up to high (one step past the last).
std::vector<float> onGrid(const TimeList &samples, int points, float low, float high, float detail);

// The curve's heights, its peak 1, and how they stand: the 256 points spread from the plot's left
// edge to its right, or one point per pixel of a plot width pixels wide.
struct Curve
{
    std::vector<float> values;
    bool onePerPixel = false;
};
Curve curve(const TimeList &samples, float low, float high, float detail, int width);

// The outline of a curve over a plot of this size, its corner 2 and 4 margins in from the origin.
QPainterPath path(const std::vector<float> &values, int width, int height, int margin);

} // namespace KernelDensity
