#pragma once

#include "chart/chart.h"

// The Detail and Trim sliders: their ranges, where they start, and what their positions ask of
// the chart. The window's sliders and the command line's --detail and --trim share them.
namespace Controls {

struct SliderRange
{
    int minimum;
    int maximum;
    int start;
};

constexpr SliderRange detail {0, 999, 500};
// Trim at its right end keeps the whole spread.
constexpr SliderRange trim {1, 1000, 1000};

// Detail scales the kernel's width from 2 at its left end down to 0.002 at its right; its start
// scales it by 1.
constexpr float kernelWidth(int detailPosition)
{
    return (1.0f - float(detailPosition) / 1000.0f) * 2.0f;
}
// Above the start, a kernel too narrow for the curve's points gets one per pixel.
constexpr bool finePoints(float kernelWidth)
{
    return kernelWidth < 1.0f;
}

// Trim keeps its position's share of the spread above the fastest time.
constexpr float trimShare(int trimPosition)
{
    return float(trimPosition) / float(trim.maximum);
}

// The scene with what the sliders at these positions ask of it.
inline void setSliders(ChartScene &scene, int detailPosition, int trimPosition)
{
    scene.kernelWidth = kernelWidth(detailPosition);
    scene.finePoints = finePoints(scene.kernelWidth);
    scene.trimShare = trimShare(trimPosition);
}

} // namespace Controls
