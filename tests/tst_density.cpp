#include "reference.h"
#include "stats/density.h"
#include "stats/timestatistics.h"

#include <QTest>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>

using Density = std::vector<float>;
Q_DECLARE_METATYPE(Density)

namespace {

constexpr float lowest = KernelDensity::lowestSample;
constexpr float highest = KernelDensity::highestSample;

// A timer records whole centiseconds; the float it hands over depends on how it converted them.
enum class LatticeForm { Decimal, Division, Mixed };

float latticeTime(int centis, LatticeForm form, std::mt19937 &random)
{
    switch (form) {
    case LatticeForm::Decimal:
        return QString::number(centis / 100.0, 'f', 2).toFloat();
    case LatticeForm::Division:
        return float(centis) / 100;
    case LatticeForm::Mixed:
        break;
    }
    // A product in double rounds differently from the division for some centiseconds.
    return random() % 2 ? float(centis) / 100 : float(centis * 0.01);
}

TimeList latticeTimes(int n, double meanSeconds, double spreadSeconds, LatticeForm form,
                      unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(meanSeconds * 100, spreadSeconds * 100);
    TimeList times;
    times.reserve(n);
    for (int i = 0; i < n; ++i)
        times.append(latticeTime(int(std::lround(normal(random))), form, random));
    return times;
}

TimeList offGridTimes(int n, float meanSeconds, float spreadSeconds, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<float> normal(meanSeconds, spreadSeconds);
    TimeList times;
    times.reserve(n);
    for (int i = 0; i < n; ++i)
        times.append(normal(random));
    return times;
}

// Times a timer with the given number of decimals wrote, read back as the parser reads them.
TimeList decimalTimes(int n, double meanSeconds, double spreadSeconds, int decimals, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(meanSeconds, spreadSeconds);
    TimeList times;
    times.reserve(n);
    for (int i = 0; i < n; ++i)
        times.append(QString::number(normal(random), 'f', decimals).toFloat());
    return times;
}

// Separate peaks: runs of equal values count once, and zero is no peak.
int peaksOf(const Density &values)
{
    Density runs;
    for (float v : values) {
        if (runs.empty() || runs.back() != v)
            runs.push_back(v);
    }
    int peaks = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i] > 0 && (i == 0 || runs[i - 1] < runs[i])
            && (i + 1 == runs.size() || runs[i + 1] < runs[i]))
            ++peaks;
    }
    return peaks;
}

std::uint32_t bits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

float peakOf(const Density &values)
{
    return values.empty() ? 0.0f : *std::max_element(values.begin(), values.end());
}

// The curve a chart draws at this Detail: a narrow kernel gets a point per pixel above its start.
Density curveOf(const TimeList &samples, float low, float high, float detail, int width)
{
    return KernelDensity::curve(samples, low, high, detail, width, detail < 1.0f).values;
}

} // namespace

class DensityTest : public QObject
{
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void gridExcludesHigh();
    void degenerateSamples_data();
    void degenerateSamples();
    void zeroDetail();
    void halvingDetailHalvesBandwidth();
    void timesBeyondHighShapeTheCurve();
    void lowEqualToHigh();
    void curveHeights_data();
    void curveHeights();
    void resultsFollowEdits();
    void agreesWithReference_data();
    void agreesWithReference();
    void statisticsEqualReference_data();
    void statisticsEqualReference();
};

void DensityTest::workedExample_data()
{
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");
    QTest::addColumn<Density>("expected");

    QTest::newRow("range 0 to 4") << 0.0f << 4.0f << Density {0.002097f, 0.1351f, 0.1372f, 0.1351f};
    QTest::newRow("sentinels: the samples' own range")
        << lowest << highest << Density {0.1351f, 0.09426f, 0.1372f, 0.09426f};
}

void DensityTest::workedExample()
{
    QFETCH(float, low);
    QFETCH(float, high);
    QFETCH(Density, expected);

    const Density values = KernelDensity::onGrid({1, 2, 3}, 4, low, high, 1.0f);
    QCOMPARE(values.size(), expected.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        // Half a unit in the fourth significant digit.
        const double halfUnit = 0.5 * std::pow(10.0, std::floor(std::log10(expected[i])) - 3);
        QVERIFY2(std::abs(values[i] - expected[i]) <= halfUnit,
                 qPrintable(QStringLiteral("value %1 is %2").arg(i).arg(values[i], 0, 'g', 7)));
    }
}

// A one-point grid evaluates exactly at its low end, so it probes single positions.
void DensityTest::gridExcludesHigh()
{
    const TimeList samples {249.5f, 252.0f, 255.25f, 256.0f, 256.5f, 258.0f, 261.0f};
    const Density values = KernelDensity::onGrid(samples, 256, 0, 256, 1.0f);
    QCOMPARE(values.size(), std::size_t(256));
    for (int j : {0, 100, 250, 255}) {
        const float at = KernelDensity::onGrid(samples, 1, float(j), 1e9f, 1.0f)[0];
        QVERIFY2(std::abs(values[std::size_t(j)] - at) <= 1e-6f * at,
                 qPrintable(QString::number(j)));
    }
    const float atHigh = KernelDensity::onGrid(samples, 1, 256, 1e9f, 1.0f)[0];
    QVERIFY(std::abs(values.back() - atHigh) > 1e-3f * atHigh);
}

void DensityTest::degenerateSamples_data()
{
    QTest::addColumn<TimeList>("samples");
    // Of 500 pixels of 0.03 s from 5 s, the one whose spike the times make: 9.5 s is 150 pixels
    // in, 12.34 s 244.67 and 12.25 s 241.67. -1 for none.
    QTest::addColumn<int>("spike");

    QTest::newRow("no samples") << TimeList() << -1;
    QTest::newRow("a single time") << TimeList {9.5f} << 150;
    QTest::newRow("three equal times") << TimeList {12.34f, 12.34f, 12.34f} << 245;
    // 12.25 keeps the float sum exact; for most values the mean misses them by a rounding
    // residue, which leaves a deviation just above 0.
    QTest::newRow("a hundred equal times") << TimeList(100, 12.25f) << 242;
    // The end pixels hold only their inner half: a time on the range's end fills the last.
    QTest::newRow("a time on the range's end") << TimeList {20.0f} << 500;
    QTest::newRow("zero and minus zero, left of the range") << TimeList {0.0f, -0.0f, 0.0f} << -1;
}

void DensityTest::degenerateSamples()
{
    QFETCH(TimeList, samples);
    QFETCH(int, spike);

    for (auto [low, high] : {std::pair {lowest, highest}, std::pair {5.0f, 20.0f}}) {
        const Density values = KernelDensity::onGrid(samples, 256, low, high, 1.0f);
        QCOMPARE(values, Density(256, 0.0f));
    }

    // Detail's ends and its middle: a point per pixel, the spike's at the top, the others at 0.
    for (float detail : {2.0f, 1.0f, 0.002f}) {
        const Density normalised = curveOf(samples, 5, 20, detail, 500);
        if (spike >= 0) {
            QCOMPARE(normalised.size(), std::size_t(501));
            for (std::size_t i = 0; i < normalised.size(); ++i)
                QCOMPARE_EQ(normalised[i], i == std::size_t(spike) ? 1.0f : 0.0f);
            continue;
        }
        // Nothing in the range: no height to draw.
        QVERIFY(!normalised.empty()
                && std::all_of(normalised.begin(), normalised.end(),
                               [](float v) { return std::isnan(v); }));
    }
}

void DensityTest::zeroDetail()
{
    const TimeList samples = latticeTimes(200, 11, 1.5, LatticeForm::Decimal, 5);
    QCOMPARE(KernelDensity::onGrid(samples, 256, lowest, highest, 0.0f), Density(256, 0.0f));
    QCOMPARE(KernelDensity::onGrid(samples, 256, 8, 14, 0.0f), Density(256, 0.0f));
}

// Two samples 100 s apart: near the first one the other adds nothing, so the curve there is one
// gaussian of the bandwidth b = (4/3)^0.2 * sd * detail / 2 * n^-0.2 (sd 50, n 2), at height
// 1/2 * 1/sqrt(2 pi).
void DensityTest::halvingDetailHalvesBandwidth()
{
    const TimeList samples {0.0f, 100.0f};
    const Density wide = KernelDensity::onGrid(samples, 64, 0, 16, 0.2f);
    const Density narrow = KernelDensity::onGrid(samples, 64, 0, 8, 0.1f);

    // The same shape over half the distance.
    for (std::size_t j = 0; j < wide.size(); ++j)
        QVERIFY2(std::abs(wide[j] - narrow[j]) <= 1e-6f * wide[0], qPrintable(QString::number(j)));

    const double bandwidth = 1.0592238410488122 * 50 * 0.2 * 0.5 * std::pow(2.0, -0.2);
    QVERIFY(std::abs(wide[0] - 0.5 / std::sqrt(2 * std::numbers::pi)) <= 1e-7);
    for (std::size_t j : {8u, 20u, 37u}) {
        const double x = double(j) / 64 * 16;
        const double expected = std::exp(-x * x / (2 * bandwidth * bandwidth));
        QVERIFY2(std::abs(wide[j] / wide[0] - expected) <= 1e-5, qPrintable(QString::number(j)));
    }
}

void DensityTest::timesBeyondHighShapeTheCurve()
{
    const TimeList all {8.2f, 9.7f, 11.3f, 12.0f, 14.6f, 19.9f, 25.1f, 30.0f};
    const TimeList inRange {8.2f, 9.7f, 11.3f, 12.0f, 14.6f, 19.9f};
    const Density withSlow = KernelDensity::onGrid(all, 256, 8, 20, 1.0f);
    const Density without = KernelDensity::onGrid(inRange, 256, 8, 20, 1.0f);
    double largest = 0;
    for (std::size_t j = 0; j < withSlow.size(); ++j)
        largest = std::max(largest, double(std::abs(withSlow[j] - without[j])));
    QVERIFY(largest > 1e-2 * peakOf(withSlow));
}

void DensityTest::lowEqualToHigh()
{
    const TimeList samples {9.1f, 9.8f, 10.4f, 11.6f};
    const Density values = KernelDensity::onGrid(samples, 256, 10, 10, 1.0f);
    QVERIFY(values[0] > 0);
    QCOMPARE(values, Density(256, values[0]));

    QCOMPARE(curveOf(samples, 10, 10, 1.0f, 500), Density(256, 1.0f));
}

void DensityTest::curveHeights_data()
{
    QTest::addColumn<TimeList>("samples");
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");
    QTest::addColumn<float>("detail");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("peaks"); // separate peaks, when every time must show as one

    const TimeList session = latticeTimes(300, 11, 1.2, LatticeForm::Decimal, 3);
    QTest::newRow("chart geometry") << session << 7.0f << 16.0f << 1.0f << 560 << 256 << 0;
    QTest::newRow("sentinel range") << session << lowest << highest << 1.0f << 560 << 256 << 0;
    QTest::newRow("narrow kernel: a point per pixel")
        << session << 7.0f << 16.0f << 0.002f << 560 << 561 << 0;
    QTest::newRow("other margin and size")
        << TimeList {3.5f, 4.25f, 4.5f, 6.0f} << 3.0f << 7.0f << 2.0f << 255 << 256 << 0;
    QTest::newRow("peak at the left end")
        << TimeList {10.0f, 10.0f, 10.5f, 14.0f} << 10.0f << 15.0f << 0.2f << 500 << 256 << 0;

    // 36 pairs 0.034 s (2.2 px) apart, the pairs 0.25 s apart.
    TimeList pairs;
    for (int k = 0; k < 36; ++k)
        pairs << 8.1f + 0.25f * float(k) << 8.134f + 0.25f * float(k);
    QTest::newRow("72 times at Detail's right end, 2.2 px apart")
        << pairs << 8.0f << 17.0f << 0.002f << 584 << 585 << 72;
    QTest::newRow("two times 1.7 bandwidths apart at Detail's right end make one bump")
        << TimeList {0.0f, 10.5f, 10.506f, 21.0f} << 10.0f << 11.0f << 0.00117f << 500 << 501 << 1;
    // Pixels of 1/16 s from 8 s: edges at 8 + (i - 1/2) / 16, every one a float. The bandwidth
    // is some 0.0013 s, the reach of a kernel 0.012 s.
    TimeList nearEdges;
    for (int k = 0; k < 36; ++k) {
        const float edge = 8.0f + (4.0f * float(k) + 0.5f) / 16.0f;
        const float offsets[] = {0.0f, 0.0005f, -0.0005f, 0.001f, -0.002f, 0.012f};
        nearEdges << edge + offsets[k % 6];
    }
    QTest::newRow("Detail's right end: times on pixel edges and a kernel width from them")
        << nearEdges << 8.0f << 17.0f << 0.002f << 144 << 145 << 0;
    nearEdges << 8.0f << 17.0f << 7.995f << 17.005f;
    QTest::newRow("Detail's right end: times on and beside the ends of the range")
        << nearEdges << 8.0f << 17.0f << 0.002f << 144 << 145 << 0;
    QTest::newRow("Detail's right end: 20000 times")
        << offGridTimes(20000, 12, 1.5f, 6) << 6.0f << 18.0f << 0.002f << 600 << 601 << 0;
    QTest::newRow("the same times at the default Detail")
        << pairs << 8.0f << 17.0f << 1.0f << 584 << 256 << 0;
    // A 60 s solve widens the range until the kernel is narrower than the step.
    TimeList withSlowSolve = latticeTimes(20000, 12, 0.5, LatticeForm::Decimal, 4);
    withSlowSolve.append(60.0f);
    QTest::newRow("default Detail, kernel narrower than the step")
        << withSlowSolve << 10.0f << 60.0f << 1.0f << 584 << 256 << 0;
}

void DensityTest::curveHeights()
{
    QFETCH(TimeList, samples);
    QFETCH(float, low);
    QFETCH(float, high);
    QFETCH(float, detail);
    QFETCH(int, width);
    QFETCH(int, points);
    QFETCH(int, peaks);

    const Density normalised = curveOf(samples, low, high, detail, width);

    QCOMPARE(normalised.size(), std::size_t(points));
    if (peaks > 0)
        QCOMPARE(peaksOf(normalised), peaks);
    if (points == 256 || points == width + 1) {
        const Density reference = points == 256
            ? Reference::kernelDensity(samples, 256, low, high, detail)
            : Reference::pixelMeans(samples, low, high, detail, width);
        for (std::size_t i = 0; i < normalised.size(); ++i)
            QVERIFY(std::abs(normalised[i] - reference[i] / peakOf(reference)) <= 1e-6f);
    }
    QVERIFY(std::all_of(normalised.begin(), normalised.end(),
                        [](float v) { return v >= 0.0f && v <= 1.0f; }));
    QCOMPARE(peakOf(normalised), 1.0f);
}

// The same list object, edited in place between calls, must never get an earlier answer.
void DensityTest::resultsFollowEdits()
{
    TimeList times = latticeTimes(200, 12, 1.5, LatticeForm::Decimal, 40);
    for (int round = 0; round < 4; ++round) {
        const Density before = KernelDensity::onGrid(times, 256, 6, 18, 1.0f);
        const TimeStatistics statisticsBefore = SummaryStatistics::of(times);
        times[round] = 6.5f + float(round);
        if (round == 3)
            times.removeLast();
        QCOMPARE_NE(KernelDensity::onGrid(times, 256, 6, 18, 1.0f), before);
        QCOMPARE(KernelDensity::onGrid(times, 256, 6, 18, 1.0f),
                 Reference::kernelDensity(times, 256, 6, 18, 1.0f));
        const TimeStatistics statistics = SummaryStatistics::of(times);
        QCOMPARE(statistics[0], 6.5f);
        QVERIFY(std::memcmp(&statistics, &statisticsBefore, sizeof statistics) != 0);
    }
}

void DensityTest::agreesWithReference_data()
{
    QTest::addColumn<TimeList>("samples");
    QTest::addColumn<int>("points");
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");
    QTest::addColumn<float>("detail");

    const auto decimal = LatticeForm::Decimal;
    const auto division = LatticeForm::Division;
    QTest::newRow("1 time") << TimeList {11.37f} << 256 << lowest << highest << 1.0f;
    QTest::newRow("2 lattice times")
        << latticeTimes(2, 11, 1, decimal, 1) << 256 << lowest << highest << 1.0f;
    QTest::newRow("5 lattice times, detail 0.2")
        << latticeTimes(5, 11, 1, division, 2) << 256 << lowest << highest << 0.2f;
    QTest::newRow("64 lattice times, decimal form")
        << latticeTimes(64, 11, 1, decimal, 3) << 256 << lowest << highest << 1.0f;
    QTest::newRow("65 lattice times, division form")
        << latticeTimes(65, 11, 1, division, 4) << 256 << lowest << highest << 1.0f;
    QTest::newRow("65 lattice times, both forms mixed")
        << latticeTimes(65, 11, 1, LatticeForm::Mixed, 5) << 256 << lowest << highest << 1.0f;

    for (float detail : {0.002f, 0.02f, 0.2f, 1.0f, 2.0f}) {
        QTest::addRow("1000 lattice times, detail %g", double(detail))
            << latticeTimes(1000, 12, 1.5, decimal, 6) << 256 << lowest << highest << detail;
        QTest::addRow("1000 off-grid times, detail %g", double(detail))
            << offGridTimes(1000, 12, 1.5f, 7) << 256 << lowest << highest << detail;
        QTest::addRow("1000 mixed-form lattice times, range 8 to 17, detail %g", double(detail))
            << latticeTimes(1000, 12, 1.5, LatticeForm::Mixed, 8) << 256 << 8.0f << 17.0f << detail;
        QTest::addRow("1000 millisecond times, detail %g", double(detail))
            << decimalTimes(1000, 12, 1.5, 3, 22) << 256 << lowest << highest << detail;
        QTest::addRow("1000 off-grid times, range 10 to 14 inside the kernel, detail %g",
                      double(detail))
            << offGridTimes(1000, 12, 1.5f, 23) << 256 << 10.0f << 14.0f << detail;
    }

    const TimeList session = latticeTimes(1000, 12, 1.5, division, 9);
    QTest::newRow("explicit range wider than the data") << session << 256 << 0.0f << 40.0f << 1.0f;
    QTest::newRow("range far above the data") << session << 256 << 1000.0f << 2000.0f << 1.0f;
    QTest::newRow("range far below the data") << session << 256 << -500.0f << -400.0f << 0.02f;
    QTest::newRow("range on the far tail, tiny values") << session << 256 << 21.0f << 23.0f << 0.2f;
    QTest::newRow("1000 grid points") << session << 1000 << lowest << highest << 0.2f;
    QTest::newRow("4 grid points") << session << 4 << 10.0f << 14.0f << 1.0f;

    TimeList outlier = latticeTimes(99, 12, 0.8, decimal, 10);
    outlier.append(600.0f);
    QTest::newRow("99 times near 12 s and one 600 s, sentinels")
        << outlier << 256 << lowest << highest << 1.0f;
    QTest::newRow("99 times near 12 s and one 600 s, range 8 to 17")
        << outlier << 256 << 8.0f << 17.0f << 0.02f;
    QTest::newRow("99 times near 12 s and one 600 s, detail 0.002")
        << outlier << 256 << 8.0f << 17.0f << 0.002f;

    TimeList mostlyOne(750, 10.0f);
    mostlyOne += latticeTimes(240, 12, 2, decimal, 11);
    mostlyOne += TimeList {0.01f, 59.99f, 120.5f, 300.0f, 9999999.0f};
    mostlyOne += latticeTimes(5, 11, 1, decimal, 12);
    std::shuffle(mostlyOne.begin(), mostlyOne.end(), std::mt19937(13));
    QTest::newRow("75 % identical values plus outliers")
        << mostlyOne << 256 << lowest << highest << 1.0f;
    QTest::newRow("75 % identical values plus outliers, range 5 to 20")
        << mostlyOne << 256 << 5.0f << 20.0f << 0.2f;

    QTest::newRow("negative lattice times")
        << latticeTimes(500, -3, 2, decimal, 14) << 256 << lowest << highest << 1.0f;
    QTest::newRow("negative off-grid times, detail 0.02")
        << offGridTimes(500, -3, 2, 15) << 256 << -10.0f << 5.0f << 0.02f;

    TimeList zeros {-0.0f, 0.0f, 0.0f, -0.0f};
    zeros += latticeTimes(96, 0.5, 0.3, decimal, 16);
    std::shuffle(zeros.begin(), zeros.end(), std::mt19937(17));
    QTest::newRow("minus zero beside zero") << zeros << 256 << lowest << highest << 1.0f;
    QTest::newRow("minus zero beside zero, narrow") << zeros << 256 << -0.5f << 1.5f << 0.02f;

    TimeList wideSpread = latticeTimes(998, 12, 1.5, decimal, 18);
    wideSpread += TimeList {0.01f, 9999999.0f};
    QTest::newRow("0.01 beside 9999999") << wideSpread << 256 << lowest << highest << 1.0f;

    QTest::newRow("100000 lattice times, sentinels")
        << latticeTimes(100000, 13, 2, decimal, 19) << 256 << lowest << highest << 1.0f;
    QTest::newRow("100000 lattice times, detail 0.002, range 5 to 25")
        << latticeTimes(100000, 13, 2, division, 20) << 256 << 5.0f << 25.0f << 0.002f;
    QTest::newRow("100000 off-grid times, detail 2")
        << offGridTimes(100000, 13, 2, 21) << 256 << lowest << highest << 2.0f;
    QTest::newRow("100000 off-grid times, detail 1, range 5 to 21")
        << offGridTimes(100000, 13, 2, 29) << 256 << 5.0f << 21.0f << 1.0f;
    QTest::newRow("20000 off-grid times, detail 0.22: step near two bandwidths")
        << offGridTimes(20000, 13, 2, 30) << 256 << lowest << highest << 0.22f;
    QTest::newRow("100000 off-grid times, detail 0.002, range 5 to 25")
        << offGridTimes(100000, 13, 2, 24) << 256 << 5.0f << 25.0f << 0.002f;
    QTest::newRow("100000 nanosecond times, range 0 to 600")
        << decimalTimes(100000, 13, 2, 9, 25) << 256 << 0.0f << 600.0f << 1.0f;
    QTest::newRow("100000 millisecond times, range 12 to 13, detail 0.02")
        << decimalTimes(100000, 13, 2, 3, 26) << 256 << 12.0f << 13.0f << 0.02f;
    QTest::newRow("off-grid times, 4096 points, detail 0.02")
        << offGridTimes(5000, 13, 2, 27) << 4096 << lowest << highest << 0.02f;
    QTest::newRow("off-grid times near 1000000 s")
        << offGridTimes(5000, 1e6f, 2, 28) << 256 << lowest << highest << 1.0f;
    QTest::newRow("2^20 points, a kernel of 40 000 steps: running products anchored afresh")
        << offGridTimes(20, 12, 1.5f, 3) << (1 << 20) << 8.0f << 17.0f << 2.0f;
    // 64 values at the far edge of cells 2 steps of 1.98 bandwidths outside, read 4 and 6 away.
    TimeList edges;
    for (float edge : {9.96875f, 14.015625f})
        for (int i = 0; i < 64; ++i, edge = std::nextafter(edge, 12.0f))
            edges += TimeList(119, edge);
    QTest::newRow("cells of 64 values outside the range: Hermite series to the 19th digit")
        << edges + offGridTimes(4, 30, 1, 5) << 256 << 10.0f << 14.0f << 0.0500590764f;
}

void DensityTest::agreesWithReference()
{
    QFETCH(TimeList, samples);
    QFETCH(int, points);
    QFETCH(float, low);
    QFETCH(float, high);
    QFETCH(float, detail);

    const Density fast = KernelDensity::onGrid(samples, points, low, high, detail);
    const Density reference = Reference::kernelDensity(samples, points, low, high, detail);
    QCOMPARE(fast.size(), reference.size());
    const double tolerance = 1e-12 * double(peakOf(reference));
    for (std::size_t j = 0; j < fast.size(); ++j) {
        QVERIFY2(std::abs(double(fast[j]) - double(reference[j])) <= tolerance,
                 qPrintable(QStringLiteral("point %1: %2 against %3")
                                .arg(j)
                                .arg(double(fast[j]), 0, 'g', 17)
                                .arg(double(reference[j]), 0, 'g', 17)));
    }
}

void DensityTest::statisticsEqualReference_data()
{
    QTest::addColumn<TimeList>("times");

    const auto decimal = LatticeForm::Decimal;
    const auto division = LatticeForm::Division;
    for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 10, 39, 40, 63, 64, 65, 100, 1000, 100000})
        QTest::addRow("%d lattice times", n) << latticeTimes(n, 12, 1.5, decimal, unsigned(n));
    for (int n : {3, 64, 65, 1001, 100000})
        QTest::addRow("%d off-grid times", n) << offGridTimes(n, 12, 1.5f, unsigned(n));
    QTest::newRow("65 division-form lattice times") << latticeTimes(65, 12, 1.5, division, 30);
    QTest::newRow("10000 millisecond times") << decimalTimes(10000, 12, 1.5, 3, 37);
    QTest::newRow("1000 negative off-grid times") << offGridTimes(1000, -1, 3, 38);
    TimeList offGridZeros = offGridTimes(1000, 0.5f, 1, 39);
    offGridZeros << -0.0f << 0.0f << -0.0f;
    QTest::newRow("off-grid times with minus zero beside zero") << offGridZeros;
    offGridZeros.removeAll(0.0f);
    offGridZeros << -0.0f << -0.0f;
    QTest::newRow("off-grid times with minus zeros only") << offGridZeros;
    QTest::newRow("10000 mixed-form lattice times")
        << latticeTimes(10000, 12, 1.5, LatticeForm::Mixed, 31);

    TimeList ties;
    for (int i = 0; i < 5000; ++i)
        ties.append(float(1000 + i % 7) / 100);
    QTest::newRow("5000 times with seven values") << ties;

    TimeList mostlyOne(750, 10.0f);
    mostlyOne += latticeTimes(245, 12, 2, decimal, 32);
    mostlyOne += TimeList {0.01f, 120.5f, 300.0f, 9999999.0f, 3e38f};
    std::shuffle(mostlyOne.begin(), mostlyOne.end(), std::mt19937(33));
    QTest::newRow("75 % identical values plus outliers") << mostlyOne;

    TimeList zeros {-0.0f, 0.0f, 0.0f, -0.0f, -0.0f};
    zeros += latticeTimes(95, 0.3, 0.3, decimal, 34);
    std::shuffle(zeros.begin(), zeros.end(), std::mt19937(35));
    QTest::newRow("minus zero beside zero") << zeros;
    QTest::newRow("negative lattice times") << latticeTimes(1000, -2, 3, decimal, 36);
    QTest::newRow("huge values") << TimeList {1e30f, 3e38f, 12.5f, 3e38f, 1e-45f, 16777217.0f, 7};
}

void DensityTest::statisticsEqualReference()
{
    QFETCH(TimeList, times);

    const TimeStatistics fast = SummaryStatistics::of(times);
    const TimeStatistics reference = Reference::computeStatistics(times);
    for (std::size_t i = 0; i < fast.size(); ++i) {
        QVERIFY2(bits(fast[i]) == bits(reference[i]),
                 qPrintable(QStringLiteral("value %1: %2 against %3")
                                .arg(i)
                                .arg(double(fast[i]), 0, 'g', 9)
                                .arg(double(reference[i]), 0, 'g', 9)));
    }
}

QTEST_GUILESS_MAIN(DensityTest)
#include "tst_density.moc"
