#include "stats/sortedtimes.h"

#include "stats/listmemo.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

// Lists this short sort faster than they are counted.
constexpr qsizetype countingThreshold = 64;
// A counting table may be this many times longer than the list before a comparison sort wins.
constexpr qsizetype tableSizePerTime = 8;
constexpr qsizetype minimumTableLimit = 1 << 16;
// Keys stay well inside 32 bits; larger times are left to the comparison sort.
constexpr double largestKey = 1e9;

// The nearest lattice step, or a neighbour of it: any key serves as long as it never decreases as
// the time grows, which truncation after adding a half does on either side of zero.
std::int32_t latticeKey(double scaled)
{
    return std::int32_t(scaled >= 0.0 ? scaled + 0.5 : scaled - 0.5);
}

// Far more than a float's rounding from its lattice step: an arbitrary float, not a timer's time.
// Only a shortcut to the comparison sort; the table itself checks what correctness needs.
bool plainlyOffGrid(double scaled, std::int32_t key)
{
    return std::fabs(scaled - double(key)) > 1e-3 + std::fabs(scaled) * 1e-6;
}

// The spread's two float sums, each added one time after another in pasted order: the times, then
// their squared distances from the mean. The radix passes add them as they read the list anyway;
// a sum in float waits on its last addition, and beside other work it costs nothing. Kept in
// local variables, which nothing else can reach: the bytes the passes write could be any object's,
// so a sum held in memory would be read back after every one.
float meanOf(float sum, std::size_t n)
{
    return sum / float(n);
}

float squaredDistance(float time, float mean)
{
    return (time - mean) * (time - mean);
}

float deviationOf(float squares, std::size_t n)
{
    return std::sqrt(squares / float(n));
}

// Counts the list by lattice step (stepsPerSecond 100 for centiseconds, 1000 for milliseconds)
// when each key stands for exactly one float pattern; walking the table in key order then yields
// the values in ascending order. Its two reads of the list in pasted order give the spread. Gives
// up (returns false) on off-lattice values, on -0 beside 0, on non-finite values and on a spread
// too wide to tabulate.
bool groupOnLattice(const TimeList &times, double stepsPerSecond, SortedTimes::Groups &groups,
                    std::optional<SortedTimes::Spread> &spread)
{
    // An off-grid list shows itself within its first times, before the keys take their memory.
    for (float time : times.first(std::min<qsizetype>(times.size(), countingThreshold))) {
        const double scaled = double(time) * stepsPerSecond;
        if (std::fabs(scaled) <= largestKey && plainlyOffGrid(scaled, latticeKey(scaled)))
            return false;
    }
    std::vector<std::int32_t> keys(std::size_t(times.size()));
    std::int32_t lowKey = INT32_MAX;
    std::int32_t highKey = INT32_MIN;
    float sum = 0.0f;
    for (qsizetype i = 0; i < times.size(); ++i) {
        const float time = times[i];
        sum += time;
        const double scaled = double(time) * stepsPerSecond;
        if (!(std::fabs(scaled) <= largestKey))
            return false;
        const std::int32_t key = latticeKey(scaled);
        if (plainlyOffGrid(scaled, key))
            return false;
        keys[std::size_t(i)] = key;
        lowKey = std::min(lowKey, key);
        highKey = std::max(highKey, key);
    }
    const std::int64_t tableSize = std::int64_t(highKey) - lowKey + 1;
    if (tableSize > std::max(minimumTableLimit, tableSizePerTime * times.size()))
        return false;

    const auto tableLength = static_cast<std::size_t>(tableSize);
    std::vector<qint32> counts(tableLength, 0);
    std::vector<float> values(tableLength);
    const auto n = std::size_t(times.size());
    const float mean = meanOf(sum, n);
    float squares = 0.0f;
    for (qsizetype i = 0; i < times.size(); ++i) {
        const auto slot = std::size_t(keys[std::size_t(i)] - lowKey);
        const float time = times[i];
        squares += squaredDistance(time, mean);
        if (counts[slot] == 0)
            values[slot] = time;
        else if (std::bit_cast<std::uint32_t>(values[slot]) != std::bit_cast<std::uint32_t>(time))
            return false;
        ++counts[slot];
    }
    // Taken before the calls below: a sum still needed after them would be kept in memory, and
    // every addition above would wait for it.
    const float deviation = deviationOf(squares, n);
    for (std::size_t slot = 0; slot < counts.size(); ++slot) {
        if (counts[slot] > 0)
            groups.push_back({values[slot], counts[slot]});
    }
    spread = {groups.front().value, groups.back().value, deviation};
    return true;
}

// Unsigned keys in the order of the floats: negative patterns reversed, positive ones above them.
std::uint32_t orderKey(float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return bits & 0x80000000u ? ~bits : bits | 0x80000000u;
}

// The radix passes write floats into the storage of the groups, read back byte for byte.
float loadFloat(const std::byte *floats, std::size_t i)
{
    float value;
    std::memcpy(&value, floats + i * sizeof(float), sizeof(float));
    return value;
}

void storeFloat(std::byte *floats, std::size_t i, float value)
{
    std::memcpy(floats + i * sizeof(float), &value, sizeof(float));
}

SortedTimes::Spread spreadOf(const TimeList &times)
{
    if (times.isEmpty())
        return {0.0f, 0.0f, 0.0f};
    float smallest = times.first();
    float largest = times.first();
    float sum = 0.0f;
    for (float time : times) {
        smallest = std::min(smallest, time);
        largest = std::max(largest, time);
        sum += time;
    }
    const auto n = std::size_t(times.size());
    const float mean = meanOf(sum, n);
    float squares = 0.0f;
    for (float time : times)
        squares += squaredDistance(time, mean);
    return {smallest, largest, deviationOf(squares, n)};
}

// Below this a comparison sort is as fast as the radix passes.
constexpr std::size_t radixThreshold = 512;

// The digits of a key, lowest first: two of 9 bits, whose 512 places stay in the first-level
// cache as the passes spread the times over them, and the 14 bits above, of which the times of
// a session take a hundred or so. Fixed places need no first read of the list for its least and
// greatest key.
struct Digit
{
    int shift;
    std::uint32_t mask;
    std::size_t places() const { return std::size_t(mask) + 1; }
    std::size_t of(float v) const { return (orderKey(v) >> shift) & mask; }
};
constexpr std::array<Digit, 3> digits {{{0, 0x1FF}, {9, 0x1FF}, {18, 0x3FFF}}};

// The first pass: places the times in pasted order and adds up their squared distances from the
// mean on the way. On its own, the sum stays in a register: where the sorting's other variables
// outlive calls, the compiler keeps it in memory and every addition waits for it.
[[gnu::noinline]] float placeAndSquare(const TimeList &times, std::byte *to, std::size_t *starts,
                                       Digit digit, float mean)
{
    float squares = 0.0f;
    for (float v : times) {
        squares += squaredDistance(v, mean);
        storeFloat(to, starts[digit.of(v)]++, v);
    }
    return squares;
}

// Forms the groups from the sorted floats in the upper half, in place from the start, and adds up
// the Average's kept times as it meets them; gives the index of the last group. The last group is
// rewritten with every time, and a new one begins where the value changes: no branch, where a
// duplicate in an off-grid list is a coin toss. Out of line, so that the counts and the sum stay
// in registers: inlined into the sorting, the compiler keeps the sum in memory.
[[gnu::noinline]] std::size_t groupInPlace(const std::byte *upperHalf, std::size_t n,
                                           SortedTimes::Groups &groups, float &keptSum)
{
    const auto [keptFirst, keptLast] = SortedTimes::kept(qsizetype(n));
    std::size_t last = 0;
    float value = loadFloat(upperHalf, 0);
    qint32 repeats = 1;
    SortedTimes::Group *out = groups.data();
    out[0] = {value, repeats};
    float sum = 0.0f;
    const auto group = [&](std::size_t i) {
        const float time = loadFloat(upperHalf, i);
        const bool same = std::bit_cast<std::uint32_t>(time) == std::bit_cast<std::uint32_t>(value);
        repeats = same ? repeats + 1 : 1;
        last += same ? 0 : 1;
        out[last] = {time, repeats};
        value = time;
        return time;
    };
    std::size_t i = 1;
    for (; i < std::size_t(keptFirst); ++i)
        group(i);
    for (; i <= std::size_t(keptLast); ++i)
        sum += group(i);
    for (; i < n; ++i)
        group(i);
    keptSum = sum;
    return last;
}

// A radix sort orders -0 before 0 where std::sort leaves equal values in an order of its own, so
// it serves only lists without NaN and without both zeros; it needs no comparisons. A digit that
// every time shares is not sorted by.
//
// The groups' own storage, two floats to a group, holds the two halves the passes alternate
// between, the last pass ending in the upper half; the groups are then formed in place from its
// start, each written no later than the sorted float it stands for is read. A million times take
// 8 MB instead of twice that, and fresh pages cost as much as the sorting.
//
// The passes also give the spread, the first one reading the list in pasted order as the spread's
// sums do, and the sorted floats the middle before the groups overwrite them.
bool readByRadix(const TimeList &times, SortedTimes::Groups &groups,
                 std::optional<SortedTimes::Spread> &spread,
                 std::optional<std::pair<float, float>> &middle, std::optional<float> &keptSum)
{
    if (std::size_t(times.size()) < radixThreshold)
        return false;
    const auto n = std::size_t(times.size());
    // Every digit counted in one read of the list, with the spread's first sum.
    std::array<std::vector<std::uint32_t>, digits.size()> counts;
    for (std::size_t d = 0; d < digits.size(); ++d)
        counts[d].assign(digits[d].places(), 0);
    bool zero = false;
    bool minusZero = false;
    bool nan = false;
    float timesSum = 0.0f;
    for (float v : times) {
        timesSum += v;
        nan |= std::isnan(v);
        zero |= std::bit_cast<std::uint32_t>(v) == 0u;
        minusZero |= std::bit_cast<std::uint32_t>(v) == 0x80000000u;
        ++counts[0][digits[0].of(v)];
        ++counts[1][digits[1].of(v)];
        ++counts[2][digits[2].of(v)];
    }
    if (nan || (zero && minusZero))
        return false;
    std::vector<std::size_t> passes;
    for (std::size_t d = 0; d < digits.size(); ++d) {
        if (counts[d][digits[d].of(times.first())] != n)
            passes.push_back(d);
    }
    if (passes.empty()) {
        groups.push_back({times.first(), qint32(n)});
        return true;
    }

    groups.resize(n);
    auto *lowerHalf = reinterpret_cast<std::byte *>(groups.data());
    std::byte *upperHalf = lowerHalf + n * sizeof(float);
    const std::byte *from = nullptr;
    std::vector<std::size_t> starts;
    float squares = 0.0f;
    for (std::size_t pass = 0; pass < passes.size(); ++pass) {
        std::byte *to = (passes.size() - pass) % 2 ? upperHalf : lowerHalf;
        const Digit digit = digits[passes[pass]];
        const std::vector<std::uint32_t> &count = counts[passes[pass]];
        starts.resize(count.size());
        std::size_t start = 0;
        for (std::size_t place = 0; place < count.size(); ++place) {
            starts[place] = start;
            start += count[place];
        }
        if (pass == 0) {
            squares = placeAndSquare(times, to, starts.data(), digit, meanOf(timesSum, n));
        } else {
            for (std::size_t i = 0; i < n; ++i) {
                const float v = loadFloat(from, i);
                storeFloat(to, starts[digit.of(v)]++, v);
            }
        }
        from = to;
    }

    middle = {loadFloat(upperHalf, n / 2 - 1), loadFloat(upperHalf, n / 2)};
    float sortedSum = 0.0f;
    const std::size_t last = groupInPlace(upperHalf, n, groups, sortedSum);
    const std::size_t count = last + 1;
    keptSum = sortedSum;
    spread = {groups.front().value, groups[last].value, deviationOf(squares, n)};
    groups.resize(count);
    return true;
}

void groupBySorting(const TimeList &times, SortedTimes::Groups &groups)
{
    std::vector<float> sorted(times.begin(), times.end());
    // A NaN breaks the strict weak order std::sort relies on, so lists with one order NaNs last
    // and everything else exactly as operator< does.
    if (std::none_of(sorted.begin(), sorted.end(), [](float v) { return std::isnan(v); }))
        std::sort(sorted.begin(), sorted.end());
    else
        std::sort(sorted.begin(), sorted.end(),
                  [](float a, float b) { return a < b || (std::isnan(b) && !std::isnan(a)); });
    groups.reserve(sorted.size());
    for (float time : sorted) {
        if (!groups.empty()
            && std::bit_cast<std::uint32_t>(groups.back().value)
                == std::bit_cast<std::uint32_t>(time))
            ++groups.back().count;
        else
            groups.push_back({time, 1});
    }
}

// s[index - 1] and s[index], 0 < index < n, in one walk.
std::pair<float, float> around(const SortedTimes::Groups &groups, qsizetype index)
{
    float before = groups.front().value;
    for (const SortedTimes::Group &group : groups) {
        if (index == 0)
            return {before, group.value};
        if (index < group.count)
            return {group.value, group.value};
        index -= group.count;
        before = group.value;
    }
    return {before, before};
}

// A list's order, spread and middle, read once for every paint that shows it.
struct Reading
{
    std::shared_ptr<const SortedTimes::Groups> groups;
    SortedTimes::Spread spread;
    std::pair<float, float> middle;
    std::optional<float> keptSum;
};

Reading readingOf(const TimeList &times)
{
    SortedTimes::Groups groups;
    std::optional<SortedTimes::Spread> spread;
    std::optional<std::pair<float, float>> middle;
    std::optional<float> keptSum;
    bool onLattice = false;
    if (times.size() >= countingThreshold) {
        for (double stepsPerSecond : {100.0, 1000.0}) {
            onLattice = groupOnLattice(times, stepsPerSecond, groups, spread);
            if (onLattice)
                break;
            groups.clear();
        }
    }
    if (!onLattice && !readByRadix(times, groups, spread, middle, keptSum))
        groupBySorting(times, groups);
    // Room for a group per time is kept only where most times differ.
    if (groups.size() < groups.capacity() / 2)
        groups.shrink_to_fit();
    if (!middle)
        middle = times.size() < 2 ? std::pair(0.0f, 0.0f) : around(groups, times.size() / 2);
    return {std::make_shared<const SortedTimes::Groups>(std::move(groups)),
            spread ? *spread : spreadOf(times), *middle, keptSum};
}

Reading reading(const TimeList &times)
{
    static ListMemo<Reading> memo;
    return memo.get(times, readingOf);
}

} // namespace

namespace SortedTimes {

std::shared_ptr<const Groups> grouped(const TimeList &times)
{
    return reading(times).groups;
}

Spread spread(const TimeList &times)
{
    return reading(times).spread;
}

std::pair<float, float> middle(const TimeList &times)
{
    return reading(times).middle;
}

std::optional<float> keptSum(const TimeList &times)
{
    return reading(times).keptSum;
}

} // namespace SortedTimes
