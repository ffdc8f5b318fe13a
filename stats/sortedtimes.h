#pragma once

#include "data/timelist.h"

#include <memory>
#include <vector>

// The ascending order of a time list as its distinct values and their counts. Timer data sits on
// a 0.01 s or 0.001 s grid and repeats heavily, so a counting pass over centiseconds or
// milliseconds replaces the comparison sort wherever it gives the very same floats; any other
// list is sorted, by radix where that gives what std::sort gives.
namespace SortedTimes {

// Eight bytes: the groups of an off-grid list are as many as its times, and every pass over them
// reads them all. No list holds 2^31 times.
struct Group
{
    float value;
    qint32 count;
};

using Groups = std::vector<Group>;

// Walking the groups and repeating each value count times gives, bit for bit, what std::sort
// gives for a copy of the list. The result is shared with later calls for the same list.
std::shared_ptr<const Groups> grouped(const TimeList &times);

} // namespace SortedTimes
