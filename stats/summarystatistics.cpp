#include "stats/listmemo.h"
#include "stats/sortedtimes.h"
#include "stats/timestatistics.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// The three middle values of five, exactly as sorting the five would leave them: an optimal
// nine-exchange network. Compare-exchange with "<" as std::sort does, so equal values keep
// their bit patterns (-0 and 0 among them).
struct Middle
{
    float g1, g2, g3;
};

Middle middleOfFive(const float *group)
{
    float a[5] = {group[0], group[1], group[2], group[3], group[4]};
    // Selects rather than branches: on times in pasted order the branch would be a coin toss.
    const auto exchange = [&a](int i, int j) {
        const bool swap = a[j] < a[i];
        const float low = swap ? a[j] : a[i];
        const float high = swap ? a[i] : a[j];
        a[i] = low;
        a[j] = high;
    };
    exchange(0, 1);
    exchange(3, 4);
    exchange(2, 4);
    exchange(2, 3);
    exchange(0, 3);
    exchange(0, 2);
    exchange(1, 4);
    exchange(1, 3);
    exchange(1, 2);
    return {a[1], a[2], a[3]};
}

// The sorted list as runs of equal values: index lookups and in-order sums without building it.
class SortedRuns
{
public:
    explicit SortedRuns(const SortedTimes::Groups &groups)
        : groups(groups)
    { }

    float first() const { return groups.front().value; }
    float last() const { return groups.back().value; }

    // s[index - 1] and s[index], 0 < index < n, in one walk.
    std::pair<float, float> around(qsizetype index) const
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

    // s[first] + s[first + 1] + ... + s[last], added one by one in that order, in float.
    float sum(qsizetype first, qsizetype last) const
    {
        float total = 0.0f;
        qsizetype start = 0;
        for (const SortedTimes::Group &group : groups) {
            const qsizetype from = std::max(first, start);
            const qsizetype to = std::min(last, start + group.count - 1);
            for (qsizetype i = from; i <= to; ++i)
                total += group.value;
            start += group.count;
            if (start > last)
                break;
        }
        return total;
    }

private:
    const SortedTimes::Groups &groups;
};

TimeStatistics statisticsOf(const TimeList &times)
{
    const auto n = times.size();
    if (n == 0)
        return {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

    // One or two times: nothing is left to average after trimming, and there is no group of five.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    if (n == 1)
        return {times[0], times[0], nan, times[0], nan};
    if (n == 2) {
        const auto [fastest, slowest] = std::minmax(times[0], times[1]);
        return {fastest, slowest, nan, float(double(fastest + slowest) * 0.5), nan};
    }

    const std::shared_ptr<const SortedTimes::Groups> groups = SortedTimes::grouped(times);
    const SortedRuns s(*groups);
    const auto [belowHalf, half] = s.around(n / 2);
    const float median = n % 2 ? half : float(double(belowHalf + half) * 0.5);

    const auto k = qsizetype(std::max(double(n) * 0.05, 1.0));
    // The fast k and the slow 2k times are left out; for n = 3 nothing remains and 0/0 is NaN.
    const float average = s.sum(k, n - 2 * k - 1) / float(n - 3 * k);

    // Strict averages of five over complete groups in pasted order.
    float groupSum = 0.0f;
    qsizetype groupCount = 0;
    for (qsizetype first = 0; first + 5 <= n; first += 5, ++groupCount) {
        const Middle m = middleOfFive(times.constData() + first);
        groupSum += (m.g2 + m.g1 + m.g3) / 3.0f;
    }
    const float meanOfAverages = groupSum / float(groupCount);

    return {s.first(), s.last(), average, median, meanOfAverages};
}

} // namespace

TimeStatistics SummaryStatistics::of(const TimeList &times)
{
    thread_local ListMemo<TimeStatistics> memo;
    return memo.get(times, statisticsOf);
}
