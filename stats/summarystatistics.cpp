#include "app/timesdistributiondialog.h"
#include "stats/sortedtimes.h"

#include <algorithm>
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
    const auto exchange = [&a](int i, int j) {
        if (a[j] < a[i])
            std::swap(a[i], a[j]);
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

} // namespace

TimeStatistics TimesDistributionDialog::computeStatistics(TimeList times)
{
    const auto n = times.size();
    if (n == 0)
        return {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

    TimeStatistics result{times.first(), times.last(), times.first(), times.first(), 0.0f};
    if (n < 3)
        return result;

    const std::vector<float> s = SortedTimes::sorted(times);
    const auto half = std::size_t(n / 2);
    float median = s[half];
    if (n % 2 == 0)
        median = float(double(s[half - 1] + s[half]) * 0.5);

    const auto k = qsizetype(std::max(double(n) * 0.05, 1.0));
    // The fast k and the slow 2k times are left out; for n = 3 nothing remains and 0/0 is NaN.
    float kept = 0.0f;
    for (qsizetype i = k; i <= n - 2 * k - 1; ++i)
        kept += s[std::size_t(i)];
    const float average = kept / float(n - 3 * k);

    // Strict averages of five over complete groups in pasted order.
    float groupSum = 0.0f;
    qsizetype groups = 0;
    for (qsizetype first = 0; first + 5 <= n; first += 5, ++groups) {
        const Middle m = middleOfFive(times.constData() + first);
        groupSum += (m.g2 + m.g1 + m.g3) / 3.0f;
    }
    const float meanOfAverages = groupSum / float(groups);

    return {s.front(), s.back(), average, median, meanOfAverages};
}
