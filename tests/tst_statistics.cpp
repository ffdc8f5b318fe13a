#include "stats/timestatistics.h"

#include <QTest>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

enum Field { Best, Worst, Average, Median, MoXAo5 };

TimeList listOf(std::initializer_list<float> values)
{
    return TimeList(values);
}

std::uint32_t bits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

// 0 .. n-1 in a shuffled pasted order: the sorted list is s[i] = i.
TimeList shuffledIndices(int n, unsigned seed)
{
    TimeList times;
    for (int i = 0; i < n; ++i)
        times.append(float(i));
    std::mt19937 random(seed);
    std::shuffle(times.begin(), times.end(), random);
    return times;
}

} // namespace

class StatisticsTest : public QObject
{
    Q_OBJECT

private slots:
    void shortAndWorkedLists_data();
    void shortAndWorkedLists();
    void trimCount_data();
    void trimCount();
    void trimmedEndsAreExcluded_data();
    void trimmedEndsAreExcluded();
    void reorderingChangesOnlyMoXAo5_data();
    void reorderingChangesOnlyMoXAo5();
    void groupOfFive_data();
    void groupOfFive();
    void incompleteGroupIsIgnored();
};

void StatisticsTest::shortAndWorkedLists_data()
{
    QTest::addColumn<TimeList>("times");
    QTest::addColumn<TimeList>("expected");

    const float nan = std::nanf("");
    QTest::newRow("empty") << TimeList() << listOf({0, 0, 0, 0, 0});
    QTest::newRow("one time") << listOf({7.5f}) << listOf({7.5f, 7.5f, nan, 7.5f, nan});
    QTest::newRow("two times, slower first") << listOf({12, 10}) << listOf({10, 12, nan, 11, nan});
    QTest::newRow("two times ascending") << listOf({10, 12}) << listOf({10, 12, nan, 11, nan});
    QTest::newRow("two solves 13.87 then 11.23")
        << listOf({13.87f, 11.23f}) << listOf({11.23f, 13.87f, nan, 12.55f, nan});
    QTest::newRow("three times: nothing left to average")
        << listOf({3, 1, 2}) << listOf({1, 3, nan, 2, nan});
    QTest::newRow("four times: s[1] only, no group")
        << listOf({4, 1, 3, 2}) << listOf({1, 4, 2, 2.5f, nan});
    QTest::newRow("five times: one group") << listOf({5, 1, 4, 2, 3}) << listOf({1, 5, 2.5f, 3, 3});
    QTest::newRow("twelve times of the worked example")
        << listOf({10, 12, 11, 9, 30, 13, 12.5f, 11.5f, 12, 10.5f, 8, 20})
        << listOf({8, 30, 101.5f / 9.0f, 11.75f, 11.5f});
    QTest::newRow("zero and negative times")
        << listOf({0, -2, 5, -1, 3}) << listOf({-2, 5, -0.5f, 0, 2.0f / 3.0f});
    // The kept s[1] .. s[17] begin and end inside runs of equal times: 4 x 5 + 10 x 7 + 3 x 9.
    QTest::newRow("kept times cut through runs")
        << listOf({5, 5, 5, 5, 5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 9, 9, 9, 9, 9})
        << listOf({5, 9, 117.0f / 17.0f, 7, 7});
    // s[i] = 10 + i / 1024 off every timer's grid, pasted slowest first; every sum is exact.
    TimeList descending;
    for (int i = 1000; i >= 0; --i)
        descending.append(10.0f + float(i) / 1024.0f);
    QTest::newRow("1001 off-grid times, slowest first")
        << descending
        << listOf({10, 10 + 1000 / 1024.0f, 10 + 475 / 1024.0f, 10 + 500 / 1024.0f,
                   10 + 500.5f / 1024.0f});
    // The same steps either side of zero: negative floats sort by their flipped bits.
    for (float &time : descending)
        time -= 10 + 500 / 1024.0f;
    QTest::newRow("1001 off-grid times either side of zero")
        << descending << listOf({-500 / 1024.0f, 500 / 1024.0f, -25 / 1024.0f, 0, 0.5f / 1024});
}

void StatisticsTest::shortAndWorkedLists()
{
    QFETCH(TimeList, times);
    QFETCH(TimeList, expected);

    const TimeStatistics result = SummaryStatistics::of(times);
    for (int i = 0; i < 5; ++i) {
        if (std::isnan(expected[i]))
            QVERIFY2(std::isnan(result[i]), qPrintable(QString::number(i)));
        else
            QVERIFY2(std::abs(result[i] - expected[i]) <= 1e-6f * std::max(1.0f, expected[i]),
                     qPrintable(QStringLiteral("field %1: %2").arg(i).arg(result[i])));
    }
}

void StatisticsTest::trimCount_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("k");

    // The fastest 5 % dropped, at least one.
    const std::pair<int, int> counts[]
        = {{3, 1},  {4, 1},  {5, 1},  {12, 1}, {19, 1},  {20, 1},    {39, 1},
           {40, 2}, {59, 2}, {60, 3}, {99, 4}, {100, 5}, {1000, 50}, {1019, 50}};
    for (const auto &[n, k] : counts)
        QTest::addRow("n = %d", n) << n << k;
}

// With s[i] = i the mean of s[k] .. s[n - 2k - 1] is (n - k - 1) / 2: exact in float for these n.
void StatisticsTest::trimCount()
{
    QFETCH(int, n);
    QFETCH(int, k);

    const TimeStatistics result = SummaryStatistics::of(shuffledIndices(n, unsigned(n)));
    QCOMPARE(result[Best], 0.0f);
    QCOMPARE(result[Worst], float(n - 1));
    if (n == 3) {
        QVERIFY(std::isnan(result[Average]));
        return;
    }
    QCOMPARE(result[Average], float(n - k - 1) / 2.0f);
    QCOMPARE(result[Median], n % 2 ? float(n / 2) : float(n - 1) / 2.0f);
}

void StatisticsTest::trimmedEndsAreExcluded_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("kept");

    QTest::newRow("n = 40 covers 34 values") << 40 << 34;
    QTest::newRow("n = 60 covers 51 values") << 60 << 51;
    QTest::newRow("n = 20 covers 17 values") << 20 << 17;
    QTest::newRow("n = 100 covers 85 values") << 100 << 85;
}

// The kept values are all 1; the fast end holds -1000 and the slow end 1000, so any value from
// either end, or a wrong divisor, moves the Average away from 1.
void StatisticsTest::trimmedEndsAreExcluded()
{
    QFETCH(int, n);
    QFETCH(int, kept);

    const int k = std::max(1, n / 20);
    QCOMPARE(kept, n - 3 * k);
    TimeList times;
    for (int i = 0; i < k; ++i)
        times.append(-1000.0f);
    for (int i = 0; i < kept; ++i)
        times.append(1.0f);
    for (int i = 0; i < 2 * k; ++i)
        times.append(1000.0f);
    std::mt19937 random(7);
    std::shuffle(times.begin(), times.end(), random);

    QCOMPARE(SummaryStatistics::of(times)[Average], 1.0f);

    // One more slow time in place of a kept one would be averaged in if only k were cut there.
    TimeList oneSlowMore = times;
    *std::find(oneSlowMore.begin(), oneSlowMore.end(), 1.0f) = 999.0f;
    QCOMPARE_NE(SummaryStatistics::of(oneSlowMore)[Average], 1.0f);
}

void StatisticsTest::reorderingChangesOnlyMoXAo5_data()
{
    QTest::addColumn<TimeList>("times");

    std::mt19937 random(2024);
    std::uniform_int_distribution<int> centis(700, 2500);
    for (int n : {3, 4, 5, 7, 12, 23, 40, 61, 500}) {
        TimeList times;
        for (int i = 0; i < n; ++i)
            times.append(float(centis(random)) / 100);
        QTest::addRow("%d lattice times", n) << times;
    }
    TimeList ties;
    for (int i = 0; i < 37; ++i)
        ties.append(float(10 + i % 3));
    QTest::newRow("37 times with three values") << ties;
}

void StatisticsTest::reorderingChangesOnlyMoXAo5()
{
    QFETCH(TimeList, times);

    const TimeStatistics original = SummaryStatistics::of(times);
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        TimeList shuffled = times;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        const TimeStatistics reordered = SummaryStatistics::of(shuffled);
        for (int i = Best; i <= Median; ++i)
            QCOMPARE(bits(reordered[i]), bits(original[i]));

        // Moving times only within their group of five, or among the leftovers, changes nothing.
        TimeList withinGroups = times;
        for (qsizetype first = 0; first < withinGroups.size(); first += 5) {
            const qsizetype last = std::min(first + 5, withinGroups.size());
            std::shuffle(withinGroups.begin() + first, withinGroups.begin() + last, random);
        }
        const TimeStatistics same = SummaryStatistics::of(withinGroups);
        for (int i = Best; i <= MoXAo5; ++i)
            QCOMPARE(bits(same[i]), bits(original[i]));
    }
}

void StatisticsTest::groupOfFive_data()
{
    QTest::addColumn<TimeList>("values");
    // The mean of the middle three, worked by hand.
    QTest::addColumn<float>("average");

    // 1, 2 and 2^24 as middle values make the float sum depend on which pair is added first.
    QTest::newRow("distinct, order-sensitive sum")
        << listOf({0.5f, 1, 2, 16777216, 33554432}) << 5592406.33f;
    QTest::newRow("distinct fractions") << listOf({8.31f, 9.07f, 9.62f, 10.44f, 12.9f}) << 9.71f;
    QTest::newRow("two pairs of ties") << listOf({9, 9, 10, 11, 11}) << 10.0f;
    QTest::newRow("three equal in the middle") << listOf({8, 10, 10, 10, 12}) << 10.0f;
    QTest::newRow("four equal") << listOf({10, 10, 10, 10, 7}) << 10.0f;
    QTest::newRow("all equal") << listOf({10, 10, 10, 10, 10}) << 10.0f;
    QTest::newRow("negative and zero") << listOf({-3, 0, -1, 2, -0.5f}) << -0.5f;
}

// Every ordering of the five values gives the same strict average, to the bit.
void StatisticsTest::groupOfFive()
{
    QFETCH(TimeList, values);
    QFETCH(float, average);

    TimeList permutation = values;
    std::sort(permutation.begin(), permutation.end());
    const float sorted = SummaryStatistics::of(permutation)[MoXAo5];
    QVERIFY2(std::abs(sorted - average) <= 1e-6f * std::abs(average),
             qPrintable(QString::number(double(sorted), 'g', 9)));
    do {
        const TimeStatistics result = SummaryStatistics::of(permutation);
        QVERIFY2(bits(result[MoXAo5]) == bits(sorted),
                 qPrintable(QStringLiteral("%1, %2, %3, %4, %5 gives %6")
                                .arg(permutation[0])
                                .arg(permutation[1])
                                .arg(permutation[2])
                                .arg(permutation[3])
                                .arg(permutation[4])
                                .arg(double(result[MoXAo5]), 0, 'g', 9)));
    } while (std::next_permutation(permutation.begin(), permutation.end()));
}

void StatisticsTest::incompleteGroupIsIgnored()
{
    // Two complete groups with strict averages 11 and 12; the trailing 100 and 200 take no part.
    const TimeList times = listOf({10, 12, 11, 9, 30, 13, 12.5f, 11.5f, 12, 10.5f, 100, 200});
    QCOMPARE(SummaryStatistics::of(times)[MoXAo5], 11.5f);
    const TimeList fourteen = times + listOf({300, 400});
    QCOMPARE(SummaryStatistics::of(fourteen)[MoXAo5], 11.5f);
}

QTEST_GUILESS_MAIN(StatisticsTest)
#include "tst_statistics.moc"
