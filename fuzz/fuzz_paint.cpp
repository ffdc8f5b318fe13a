// Reads the input as the primary list (and, after a 0x1E record separator, the rest as the
// secondary list) as a paste reads it unasked, sets the scene's controls from a hash of the input
// and paints the chart into a small image. For short lists the fast density and statistics are
// also held to the straightforward evaluations.

#include "chart/chart.h"
#include "data/timereaders.h"
#include "reference.h"
#include "stats/density.h"
#include "stats/timestatistics.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Lists up to this size are also evaluated the slow way; longer ones would starve the fuzzer.
constexpr qsizetype differentialLimit = 1024;

struct Harness
{
    int argc = 1;
    char name[11] = "fuzz_paint";
    char *argv[2] = {name, nullptr};
    QGuiApplication application {argc, argv};
};

Harness *harness = nullptr;

// Painting on odd sizes makes Qt warn on every input; the warnings only slow the fuzzer down.
void silence(QtMsgType, const QMessageLogContext &, const QString &) { }

std::uint64_t fnv1a(const std::uint8_t *data, std::size_t size)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 0x100000001b3u;
    return hash;
}

[[noreturn]] void fail(const char *what, double fast, double reference)
{
    std::fprintf(stderr, "%s: fast %.17g, reference %.17g\n", what, fast, reference);
    std::abort();
}

bool sameBits(float a, float b)
{
    return (std::isnan(a) && std::isnan(b))
        || std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

void compareWithReference(const TimeList &times, float low, float high, float detail)
{
    if (times.isEmpty() || times.size() > differentialLimit)
        return;

    const TimeStatistics fastStatistics = SummaryStatistics::of(times);
    const TimeStatistics referenceStatistics = Reference::computeStatistics(times);
    for (std::size_t i = 0; i < fastStatistics.size(); ++i) {
        if (!sameBits(fastStatistics[i], referenceStatistics[i]))
            fail("statistics differ", double(fastStatistics[i]), double(referenceStatistics[i]));
    }

    const std::vector<float> fast = KernelDensity::onGrid(times, 256, low, high, detail);
    const std::vector<float> reference = Reference::kernelDensity(times, 256, low, high, detail);
    float peak = 0.0f;
    for (float value : reference)
        peak = std::max(peak, value);
    for (std::size_t j = 0; j < reference.size(); ++j) {
        if (std::isnan(fast[j]) && std::isnan(reference[j]))
            continue;
        // Summing in another order may move the final rounding to float by one step.
        const double allowed = 1e-12 * double(peak) + std::ldexp(std::fabs(reference[j]), -23);
        if (!(std::fabs(double(fast[j]) - double(reference[j])) <= allowed))
            fail("density differs", double(fast[j]), double(reference[j]));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(silence);
    harness = new Harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype separator = input.indexOf('\x1e');
    const QByteArray primaryText = separator < 0 ? input : input.left(separator);
    const QByteArray secondaryText = separator < 0 ? QByteArray() : input.mid(separator + 1);

    const std::uint64_t hash = fnv1a(data, size);
    ChartScene scene;
    scene.primaryTimes = TimeReaders::read(QString::fromUtf8(primaryText)).times;
    scene.secondaryTimes = TimeReaders::read(QString::fromUtf8(secondaryText)).times;
    // Kernel widths from 2 down to 0.002 and shares of the spread from 0.001 to 1, as the sliders
    // give them, with or without a point per pixel for narrow kernels.
    scene.kernelWidth = float(1000 - int(hash % 1000)) / 500.0f;
    scene.finePoints = hash & (1u << 23);
    scene.trimShare = float(1 + int((hash >> 10) % 1000)) / 1000.0f;
    scene.primaryQuartiles = hash & (1u << 20);
    scene.secondaryQuartiles = hash & (1u << 21);
    scene.statistics = hash & (1u << 22);
    scene.title = QStringLiteral("Chart Title");

    static const QSize sizes[]
        = {{0, 0}, {1, 1}, {39, 69}, {40, 70}, {41, 71}, {160, 96}, {320, 200}};
    scene.size = sizes[(hash >> 24) % std::size(sizes)];
    QImage image(scene.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        Chart::paint(painter, scene);
    }

    const float detail = scene.kernelWidth;
    const Chart::TimeRange range = Chart::timeRange(scene);
    for (const TimeList *times : {&scene.primaryTimes, &scene.secondaryTimes}) {
        compareWithReference(*times, range.low, range.high, detail);
        compareWithReference(*times, KernelDensity::lowestSample, KernelDensity::highestSample,
                             detail);
    }
    return 0;
}
