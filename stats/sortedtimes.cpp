#include "stats/sortedtimes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

// Lists this short sort faster than they are counted.
constexpr qsizetype countingThreshold = 64;
// The counting table may be this much larger than the list before a comparison sort wins.
constexpr std::int64_t minimumTableSize = 1 << 16;
constexpr std::int64_t tableSizePerTime = 8;

struct CentisecondTable
{
    std::int64_t firstKey = 0;
    std::vector<std::uint32_t> counts;
    std::vector<float> values; // the one float that each used key stands for
};

// Counts the list by centisecond when every key stands for exactly one float pattern; then
// walking the table in key order yields the values in ascending order. Returns nothing when that
// does not hold (off-grid values, -0 beside 0, non-finite values, a sparse spread).
std::optional<CentisecondTable> countByCentisecond(const TimeList &times)
{
    if (times.size() < countingThreshold)
        return std::nullopt;

    std::int64_t lowKey = INT64_MAX;
    std::int64_t highKey = INT64_MIN;
    for (float time : times) {
        if (!(std::fabs(time) < 1e15f))
            return std::nullopt;
        const std::int64_t key = std::llrint(double(time) * 100.0);
        lowKey = std::min(lowKey, key);
        highKey = std::max(highKey, key);
    }
    const std::int64_t tableSize = highKey - lowKey + 1;
    if (tableSize > std::max<std::int64_t>(minimumTableSize, tableSizePerTime * times.size()))
        return std::nullopt;

    CentisecondTable table;
    table.firstKey = lowKey;
    table.counts.assign(std::size_t(tableSize), 0);
    table.values.resize(std::size_t(tableSize));
    for (float time : times) {
        const auto slot = std::size_t(std::llrint(double(time) * 100.0) - lowKey);
        if (table.counts[slot] == 0)
            table.values[slot] = time;
        else if (std::bit_cast<std::uint32_t>(table.values[slot])
                 != std::bit_cast<std::uint32_t>(time))
            return std::nullopt;
        ++table.counts[slot];
    }
    return table;
}

std::vector<float> comparisonSorted(const TimeList &times)
{
    std::vector<float> sorted(times.begin(), times.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace

namespace SortedTimes {

std::vector<float> sorted(const TimeList &times)
{
    const std::optional<CentisecondTable> table = countByCentisecond(times);
    if (!table)
        return comparisonSorted(times);

    std::vector<float> sorted;
    sorted.reserve(std::size_t(times.size()));
    for (std::size_t slot = 0; slot < table->counts.size(); ++slot)
        sorted.insert(sorted.end(), table->counts[slot], table->values[slot]);
    return sorted;
}

std::vector<Group> grouped(const TimeList &times)
{
    std::vector<Group> groups;
    if (const std::optional<CentisecondTable> table = countByCentisecond(times)) {
        for (std::size_t slot = 0; slot < table->counts.size(); ++slot) {
            if (table->counts[slot] > 0)
                groups.push_back({double(table->values[slot]), double(table->counts[slot])});
        }
        return groups;
    }

    const std::vector<float> sorted = comparisonSorted(times);
    for (float time : sorted) {
        if (!groups.empty() && groups.back().value == double(time))
            groups.back().count += 1.0;
        else
            groups.push_back({double(time), 1.0});
    }
    return groups;
}

} // namespace SortedTimes
