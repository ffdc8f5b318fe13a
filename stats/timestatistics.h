#pragma once

#include "data/timelist.h"

#include <array>

// Best, Worst, Average, Median and MoXAo5, always in that order: the statistics panel pairs value
// i with label i.
struct TimeStatistics : std::array<float, 5>
{
    float best() const { return (*this)[0]; }
    float worst() const { return (*this)[1]; }
    // The mean with the fastest 5 % and the slowest 10 % left out.
    float average() const { return (*this)[2]; }
    float median() const { return (*this)[3]; }
    // The mean of the strict averages of five over complete groups in pasted order.
    float meanOfAveragesOfFive() const { return (*this)[4]; }
};

namespace SummaryStatistics {

// Zeros for no times; NaN for what one or two times cannot give (Average, MoXAo5).
TimeStatistics of(const TimeList &times);

} // namespace SummaryStatistics
