#pragma once

#include <array>

// Best, Worst, Average, Median and MoXAo5, always in that order; the statistics panel pairs
// value i with label i.
using TimeStatistics = std::array<float, 5>;
