#pragma once

#include "data/timelist.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
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

// Leaves a new group unwritten, where a vector would first zero it: the sort writes every group
// it makes, and zeroing a million of them is one more pass over 8 MB.
template<typename T> struct UnwrittenAllocator : std::allocator<T>
{
    template<typename U> struct rebind
    {
        using other = UnwrittenAllocator<U>;
    };
    template<typename U> void construct(U *place) noexcept { ::new (static_cast<void *>(place)) U; }
    template<typename U, typename... Arguments> void construct(U *place, Arguments &&...arguments)
    {
        ::new (static_cast<void *>(place)) U(std::forward<Arguments>(arguments)...);
    }
};

using Groups = std::vector<Group, UnwrittenAllocator<Group>>;

// The least and the greatest time, and the population standard deviation, from float sums
// added one time after another in pasted order: the scale of the density's kernel.
struct Spread
{
    float smallest;
    float largest;
    float deviation;
};

// Walking the groups and repeating each value count times gives, bit for bit, what std::sort
// gives for a copy of the list. The result is shared with later calls for the same list.
std::shared_ptr<const Groups> grouped(const TimeList &times);
// Zeros for no times. Read with the order and kept with it.
Spread spread(const TimeList &times);
// s[n / 2 - 1] and s[n / 2] of the ascending order, for two times or more; zeros for fewer.
std::pair<float, float> middle(const TimeList &times);

// The times the Average keeps, s[first] to s[last] in ascending order: all but the fastest k and
// the slowest 2k, k being 5 % of the times and at least one. Of three times none is kept.
struct Kept
{
    qsizetype first;
    qsizetype last;
};
constexpr Kept kept(qsizetype n)
{
    const auto k = qsizetype(std::max(double(n) * 0.05, 1.0));
    return {k, n - 2 * k - 1};
}
// The kept times' sum, added one by one in ascending order in float, where the sorting added it up
// on its way; none where it did not.
std::optional<float> keptSum(const TimeList &times);

} // namespace SortedTimes
