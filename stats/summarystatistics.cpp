#include "stats/listmemo.h"
#include "stats/sortedtimes.h"
#include "stats/timestatistics.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#ifdef __SSE__
#include <xmmintrin.h>
#endif

namespace {

// The middle three of five exactly as sorting the five would leave them: an optimal nine-exchange
// network. Compare-exchange with "<" as std::sort does, so equal values keep their bit patterns
// (-0 and 0 among them).
template<typename Exchange> void sortFive(Exchange exchange)
{
    exchange(0, 1);
    exchange(3, 4);
    exchange(2, 4);
    exchange(2, 3);
    exchange(0, 3);
    exchange(0, 2);
    exchange(1, 4);
    exchange(1, 3);
    exchange(1, 2);
}

// The strict average of five consecutive times.
float averageOfFive(const float *times)
{
    float a[5] = {times[0], times[1], times[2], times[3], times[4]};
    sortFive([&a](int i, int j) {
        if (a[j] < a[i])
            std::swap(a[i], a[j]);
    });
    return (a[2] + a[1] + a[3]) / 3.0f;
}

// On times in pasted order a branch per exchange is a coin toss, so four groups go through at
// once in the processor's minimum and maximum, which select exactly as "<" does.
#ifdef __SSE__
constexpr int lanes = 4;

void averagesOfFive(const float *times, float (&averages)[lanes])
{
    __m128 a[5];
    for (int i = 0; i < 5; ++i)
        a[i] = _mm_setr_ps(times[i], times[5 + i], times[10 + i], times[15 + i]);
    sortFive([&a](int i, int j) {
        const __m128 x = a[i];
        const __m128 y = a[j];
        a[i] = _mm_min_ps(y, x); // y < x ? y : x
        a[j] = _mm_max_ps(x, y); // x > y ? x : y
    });
    _mm_storeu_ps(averages,
                  _mm_div_ps(_mm_add_ps(_mm_add_ps(a[2], a[1]), a[3]), _mm_set1_ps(3.0f)));
}
#else
constexpr int lanes = 1;

void averagesOfFive(const float *times, float (&averages)[lanes])
{
    averages[0] = averageOfFive(times);
}
#endif

// The sorted list as runs of equal values: index lookups and in-order sums without building it.
class SortedRuns
{
public:
    explicit SortedRuns(const SortedTimes::Groups &groups)
        : groups(groups)
    { }

    float first() const { return groups.front().value; }
    float last() const { return groups.back().value; }

    // s[first] + s[first + 1] + ... + s[last], added one by one in that order, in float. Each
    // addition waits on the one before: the loop around them does no more than that allows.
    float sum(qsizetype first, qsizetype last) const
    {
        float total = 0.0f;
        if (last < first)
            return total;
        auto group = groups.begin();
        qsizetype start = 0;
        while (start + group->count <= first) {
            start += group->count;
            ++group;
        }
        qsizetype left = last - first + 1;
        qsizetype repeats = std::min(start + group->count - first, left);
        for (;;) {
            const float value = group->value;
            for (qsizetype i = 0; i < repeats; ++i)
                total += value;
            left -= repeats;
            if (left == 0)
                return total;
            ++group;
            repeats = std::min<qsizetype>(group->count, left);
        }
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
    const auto [belowHalf, half] = SortedTimes::middle(times);
    const float median = n % 2 ? half : float(double(belowHalf + half) * 0.5);

    // For n = 3 nothing is kept and 0/0 is NaN.
    const auto [keptFirst, keptLast] = SortedTimes::kept(n);
    const std::optional<float> sortedSum = SortedTimes::keptSum(times);
    const float average
        = (sortedSum ? *sortedSum : s.sum(keptFirst, keptLast)) / float(keptLast - keptFirst + 1);

    // Strict averages of five over complete groups in pasted order.
    const qsizetype groupCount = n / 5;
    float groupSum = 0.0f;
    qsizetype group = 0;
    for (; group + lanes <= groupCount; group += lanes) {
        float averages[lanes];
        averagesOfFive(times.constData() + 5 * group, averages);
        for (float groupAverage : averages)
            groupSum += groupAverage;
    }
    for (; group < groupCount; ++group)
        groupSum += averageOfFive(times.constData() + 5 * group);
    const float meanOfAverages = groupSum / float(groupCount);

    return {s.first(), s.last(), average, median, meanOfAverages};
}

} // namespace

TimeStatistics SummaryStatistics::of(const TimeList &times)
{
    static ListMemo<TimeStatistics> memo;
    return memo.get(times, statisticsOf);
}
