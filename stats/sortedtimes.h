#pragma once

#include "data/timelist.h"

#include <vector>

// Ascending orderings of a time list. Timer data sits on a 0.01 s grid and repeats heavily, so a
// counting pass over centiseconds replaces the comparison sort wherever it gives the very same
// floats; any other list falls back to std::sort.
namespace SortedTimes {

struct Group
{
    double value;
    double count;
};

// Bit for bit what std::sort gives for a copy of the list.
std::vector<float> sorted(const TimeList &times);

// Distinct values in ascending order, each with the number of times it occurs.
std::vector<Group> grouped(const TimeList &times);

} // namespace SortedTimes
