#include "chartdriver.h"

#include <QFontMetrics>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

const QColor mainColor(0x66, 0xCC, 0xFF);
const QColor secondaryColor(0xFF, 0x82, 0x00);

bool hasFont(const PaintRecord &record, int pointSize, int weight)
{
    return record.kind == PaintRecord::Text && record.font.family() == QLatin1String("Helvetica")
        && record.font.pointSize() == pointSize && record.font.weight() == weight;
}

bool isTickLabel(const PaintRecord &record)
{
    return hasFont(record, 12, QFont::Bold);
}

bool isTitle(const PaintRecord &record)
{
    return hasFont(record, 25, QFont::Bold);
}

struct Tick
{
    int x;
    QString label;
    QPointF labelCentre;
    qreal labelWidth;
};

// A tick is a short solid vertical line across the axis, followed by its label.
QList<Tick> ticks(const QList<PaintRecord> &records, int axisY)
{
    QList<Tick> found;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const PaintRecord &r = records[i];
        if (r.isVertical() && r.pen.style() == Qt::SolidLine && r.pen.widthF() == 1.0
            && r.line.y1() == axisY - 2 && r.line.y2() == axisY + 2) {
            Tick tick {int(r.line.x1()), QString(), QPointF(), 0};
            if (i + 1 < records.size() && isTickLabel(records[i + 1])) {
                tick.label = records[i + 1].text;
                tick.labelCentre = records[i + 1].textCentre();
                tick.labelWidth = records[i + 1].textWidth;
            }
            found.append(tick);
        }
    }
    return found;
}

// Every path after the frame belongs to a curve: its fill, then its outline.
QList<PaintRecord> curvePaths(const QList<PaintRecord> &records)
{
    QList<PaintRecord> paths;
    for (qsizetype i = 1; i < records.size(); ++i) {
        if (records[i].kind == PaintRecord::Path)
            paths.append(records[i]);
    }
    return paths;
}

double largestElementDistance(const QPainterPath &a, const QPainterPath &b)
{
    if (a.elementCount() != b.elementCount())
        return qInf();
    double largest = 0.0;
    for (int i = 0; i < a.elementCount(); ++i) {
        largest = std::max({largest, std::abs(a.elementAt(i).x - b.elementAt(i).x),
                            std::abs(a.elementAt(i).y - b.elementAt(i).y)});
    }
    return largest;
}

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class PainterTest : public QObject
{
    Q_OBJECT

private slots:
    void workedGeometry();
    void frameAndTitleOnlyWithoutTimes();
    void onlySecondaryTimes();
    void curveOutline_data();
    void curveOutline();
    void timeRange_data();
    void timeRange();
    void axisTicks_data();
    void axisTicks();
    void trimmedTimesStillShapeTheCurve();
    void narrowKernelSpikes_data();
    void narrowKernelSpikes();
    void titleInCapitals_data();
    void titleInCapitals();
    void fontsAndPens();
    void drawingOrder();
    void paintedLabelsKeepApart();
    void viewportSizes_data();
    void viewportSizes();
    void rasterRender();
};

void PainterTest::workedGeometry()
{
    ChartDriver chart;
    chart.hideOverlays();
    // Symmetric about 10 s, the middle of the axis from 8 to 12.
    chart.paste(QStringLiteral("8, 9, 9.5, 9.75, 10, 10.25, 10.5, 11, 12"));
    const QList<PaintRecord> records = chart.paint(600, 400);
    QVERIFY(records.size() > 3);

    const PaintRecord &frame = records.first();
    QVERIFY(frame.isRoundedRect(QRectF(5, 5, 590, 390), 10, 10));
    QCOMPARE(frame.pen.color(), mainColor);
    QCOMPARE(frame.pen.widthF(), 4.0);
    QCOMPARE(frame.brush.color(), QColor(Qt::white));
    QCOMPARE(frame.brush.style(), Qt::SolidPattern);
    QCOMPARE(frame.opacity, 1.0);

    const QList<PaintRecord> curves = curvePaths(records);
    QCOMPARE(curves.size(), 2);
    const PaintRecord &fill = curves[0];
    const PaintRecord &outline = curves[1];
    QCOMPARE(fill.path, outline.path);
    QCOMPARE(fill.pen.style(), Qt::NoPen);
    QCOMPARE(fill.brush.color(), mainColor);
    QCOMPARE(fill.brush.style(), Qt::SolidPattern);
    QCOMPARE(fill.opacity, 0.5);
    QCOMPARE(outline.pen.color(), mainColor);
    QCOMPARE(outline.pen.widthF(), 4.0);
    QCOMPARE(outline.brush.style(), Qt::NoBrush);
    QCOMPARE(outline.opacity, 1.0);
    // The curve spans the plot area; its peak touches the top of it.
    QCOMPARE(outline.path.boundingRect(), QRectF(20, 40, 560, 330));
    // From the axis at the left, through the 256 points, back to the axis at the right. Point j
    // is the density at 8 + j / 64 s, so points j and 256 - j mirror each other about 10 s.
    QCOMPARE(outline.path.elementCount(), 258);
    QCOMPARE(QPointF(outline.path.elementAt(0)), QPointF(20, 370));
    QCOMPARE(QPointF(outline.path.elementAt(257)), QPointF(580, 370));
    for (int j = 1; j < 128; ++j)
        QVERIFY2(std::abs(outline.path.elementAt(j + 1).y - outline.path.elementAt(257 - j).y)
                     < 0.01,
                 qPrintable(QString::number(j)));

    const auto axis = std::find_if(records.begin(), records.end(), [](const PaintRecord &r) {
        return r.kind == PaintRecord::Line && r.pen.widthF() == 3.0;
    });
    QVERIFY(axis != records.end());
    QCOMPARE(axis->line, QLineF(20, 370, 580, 370));
    QCOMPARE(axis->pen.color(), QColor(Qt::black));

    const QList<Tick> found = ticks(records, 370);
    QCOMPARE(found.size(), 5);
    const int xs[] = {20, 160, 300, 440, 580};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(found[i].x, xs[i]);
        QCOMPARE(found[i].label, QString::number(8 + i));
        // Centred in QRectF(x - 10, 375, 20, 10).
        QVERIFY2(std::abs(found[i].labelCentre.x() - xs[i]) <= 0.5, qPrintable(found[i].label));
        QVERIFY2(std::abs(found[i].labelCentre.y() - 380) <= 1.0, qPrintable(found[i].label));
    }
}

void PainterTest::frameAndTitleOnlyWithoutTimes()
{
    ChartDriver chart;
    chart.scene.primaryQuartiles = true;
    chart.scene.secondaryQuartiles = true;
    chart.scene.statistics = true;
    chart.scene.title = QStringLiteral("Session 12");
    const QList<PaintRecord> records = chart.paint(600, 400);
    QCOMPARE(records.size(), 2);
    QVERIFY(records[0].isRoundedRect(QRectF(5, 5, 590, 390), 10, 10));
    QCOMPARE(records[0].pen.color(), mainColor);
    QVERIFY(isTitle(records[1]));
    QCOMPARE(records[1].text, QStringLiteral("SESSION 12"));
}

void PainterTest::onlySecondaryTimes()
{
    ChartDriver chart;
    chart.hideOverlays();
    chart.pasteSecondary(QStringLiteral("20.5, 21.0, 21.75, 22.4, 23.2"));
    QVERIFY(chart.scene.primaryTimes.isEmpty());
    const QList<PaintRecord> records = chart.paint(600, 400);

    QCOMPARE(records.first().pen.color(), mainColor);
    const QList<PaintRecord> curves = curvePaths(records);
    QCOMPARE(curves.size(), 2);
    QCOMPARE(curves[0].brush.color(), secondaryColor);
    QCOMPARE(curves[1].pen.color(), secondaryColor);
}

void PainterTest::curveOutline_data()
{
    QTest::addColumn<std::vector<float>>("values");
    QTest::addColumn<QSize>("plot");
    QTest::addColumn<int>("margin");
    QTest::addColumn<QList<QPointF>>("points");

    // From the zero line at the left edge, through each height, back to it at the right edge;
    // the whole moved 2 margins right and 4 down. A path skips a line to where it stands.
    QTest::newRow("worked example")
        << std::vector<float> {0, 1, 0.5f} << QSize(500, 300) << 10
        << QList<QPointF> {{20, 340}, {270, 40}, {520, 190}, {520, 340}};
    QTest::newRow("another size and margin")
        << std::vector<float> {1, 1} << QSize(200, 100) << 7
        << QList<QPointF> {{14, 128}, {14, 28}, {214, 28}, {214, 128}};
    QTest::newRow("NaN heights leave the zero line")
        << std::vector<float>(3, std::nanf("")) << QSize(500, 300) << 10
        << QList<QPointF> {{20, 340}, {520, 340}};
}

void PainterTest::curveOutline()
{
    QFETCH(std::vector<float>, values);
    QFETCH(QSize, plot);
    QFETCH(int, margin);
    QFETCH(QList<QPointF>, points);

    const QPainterPath path = Chart::curveOutline(values, plot.width(), plot.height(), margin);
    QList<QPointF> drawn;
    for (int i = 0; i < path.elementCount(); ++i)
        drawn.append(path.elementAt(i));
    QCOMPARE(drawn, points);
}

void PainterTest::timeRange_data()
{
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("secondary");
    QTest::addColumn<float>("trim");
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");

    const QString from82 = QStringLiteral("8.2, 9.7, 11.3, 12.0, 14.6, 19.9, 25.1, 30.0");
    const QString from80 = QStringLiteral("8.0, 9.7, 11.3, 12.0, 14.6, 19.9, 25.1, 30.0");
    QTest::newRow("untrimmed") << from82 << QString() << 1.0f << 8.0f << 30.0f;
    // 8.2 + 21.8 / 2 = 19.1, and 8.2 + 0.0218.
    QTest::newRow("at half") << from82 << QString() << 0.5f << 8.0f << 20.0f;
    QTest::newRow("at the least share") << from82 << QString() << 0.001f << 8.0f << 9.0f;
    QTest::newRow("at 999 thousandths") << from80 << QString() << 0.999f << 8.0f << 30.0f;
    QTest::newRow("a single time") << QStringLiteral("9.5") << QString() << 1.0f << 9.0f << 10.0f;
    QTest::newRow("the second list widens it")
        << QStringLiteral("9.5, 10") << QStringLiteral("7.2, 12.1") << 1.0f << 7.0f << 13.0f;
    QTest::newRow("the second list alone")
        << QString() << QStringLiteral("12.5, 14") << 1.0f << 12.0f << 14.0f;
    // The slowest time is a running maximum from 0.
    QTest::newRow("both lists negative: up to 0")
        << QStringLiteral("-5.5, -3.2") << QStringLiteral("-7.1, -4") << 1.0f << -8.0f << 0.0f;
    QTest::newRow("every time on one whole second")
        << QStringLiteral("10, 10, 10") << QStringLiteral("10") << 1.0f << 10.0f << 10.0f;
    QTest::newRow("1e30 beside ordinary times")
        << QStringLiteral("10.5, 12.25, 1e30") << QString() << 1.0f << 10.0f << 1e30f;
    QTest::newRow("the largest float in the second list")
        << QStringLiteral("10.5, 11.25") << QStringLiteral("3.4028235e38") << 1.0f << 10.0f
        << 3.4028235e38f;
    QTest::newRow("a spread beyond the float range")
        << QStringLiteral("-3e38, 3e38") << QString() << 1.0f << -3e38f << float(qInf());
}

void PainterTest::timeRange()
{
    QFETCH(QString, primary);
    QFETCH(QString, secondary);
    QFETCH(float, trim);
    QFETCH(float, low);
    QFETCH(float, high);

    ChartDriver chart;
    chart.paste(primary);
    chart.pasteSecondary(secondary);
    chart.scene.trimShare = trim;
    const Chart::TimeRange range = Chart::timeRange(chart.scene);
    QCOMPARE_EQ(range.low, low);
    QCOMPARE_EQ(range.high, high);
}

void PainterTest::axisTicks_data()
{
    QTest::addColumn<float>("low");
    QTest::addColumn<float>("high");
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("widestLabel");
    // -1 where only the properties are checked.
    QTest::addColumn<int>("count");
    // The first two labels, or the one, between spaces.
    QTest::addColumn<QStringList>("labels");

    // A label step is the least of 1, 2, 5, 10, 15, 20, 30, 60 s or whole minutes that keeps
    // (widest + 4) px between labels; a tick stands on each second while they keep 3 px apart.
    // 11 s over 560 px: 0.31 s for 16 px.
    QTest::newRow("9 to 20: a label every second")
        << 9.0f << 20.0f << 560 << 12.0 << 12 << words("9 10");
    // 31 s: 1.55 s for 28 px.
    QTest::newRow("11 to 42: labels every 2 s, ticks every second")
        << 11.0f << 42.0f << 560 << 24.0 << 32 << words("12 14");
    // 234 s: 11.7 s for 28 px; seconds stand 2.4 px apart, so ticks only under the labels.
    QTest::newRow("31 to 265: labels every 15 s on its multiples")
        << 31.0f << 265.0f << 560 << 24.0 << 15 << words("45 60");
    QTest::newRow("1 to 1001: labels every minute")
        << 1.0f << 1001.0f << 560 << 24.0 << 16 << words("60 120");
    // 78.6 s for 44 px.
    QTest::newRow("wider labels: every other minute")
        << 1.0f << 1001.0f << 560 << 40.0 << 8 << words("120 240");
    // 500 000 s for 28 px: 8334 minutes.
    QTest::newRow("0 to 9999999: labels on whole minutes")
        << 0.0f << 9999999.0f << 560 << 24.0 << 20 << words("0 500040");
    QTest::newRow("both ends negative") << -8.0f << -3.0f << 560 << 16.0 << 6 << words("-8 -7");
    QTest::newRow("around 2^24: labels every 10 s")
        << 16777216.0f << 16777280.0f << 560 << 40.0 << 65 << words("16777220 16777230");
    QTest::newRow("one whole second") << 10.0f << 10.0f << 560 << 24.0 << 1 << words("10");
    // A plot of no width counts as one pixel: a step of 6 minutes, none of it in range.
    QTest::newRow("no plot width: one label at the start")
        << 9.0f << 20.0f << 0 << 24.0 << 1 << words("9");
    QTest::newRow("10 to the largest float")
        << 10.0f << 3.4028235e38f << 560 << 40.0 << -1 << QStringList();
    QTest::newRow("an infinite end: no second to count")
        << -3e38f << float(qInf()) << 560 << 24.0 << 0 << QStringList();
    QTest::newRow("a NaN end") << 5.0f << std::nanf("") << 560 << 24.0 << 0 << QStringList();
}

void PainterTest::axisTicks()
{
    QFETCH(float, low);
    QFETCH(float, high);
    QFETCH(int, width);
    QFETCH(double, widestLabel);
    QFETCH(int, count);
    QFETCH(QStringList, labels);

    const std::vector<Chart::AxisTick> ticks = Chart::axisTicks(low, high, width, widestLabel);
    QVERIFY(count < 0 || ticks.size() == std::size_t(count));
    QVERIFY(count != -1 || !ticks.empty());
    QStringList shown;
    const Chart::AxisTick *previous = nullptr;
    for (const Chart::AxisTick &tick : ticks) {
        // In the plot, from its left end at 20 px.
        QVERIFY2(tick.x >= 20 && tick.x <= 20 + width + 1e-3, qPrintable(QString::number(tick.x)));
        if (tick.label.isEmpty())
            continue;
        shown.append(tick.label);
        // Labels keep their width and 4 px apart, on rising whole seconds.
        if (previous) {
            QVERIFY(tick.x - previous->x >= widestLabel + 4 - 1e-2);
            QVERIFY(tick.label.toDouble() > previous->label.toDouble());
        }
        previous = &tick;
    }
    if (count >= 0)
        QCOMPARE(shown.mid(0, 2), labels);
}

// The axis ends at 9 s either way; the slow times beyond it still set the kernel's width.
void PainterTest::trimmedTimesStillShapeTheCurve()
{
    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.trimShare = 0.001f;
    chart.paste(QStringLiteral("8.2, 8.5, 8.7, 9.7, 11.3, 12.0, 25.1, 30.0"));
    const QList<PaintRecord> curves = curvePaths(chart.paint(600, 400));
    chart.paste(QStringLiteral("8.2, 8.5, 8.7, 9.7, 11.3, 12.0, 45.1, 60.0"));
    const QList<PaintRecord> slower = curvePaths(chart.paint(600, 400));
    QCOMPARE(curves.size(), 2);
    QCOMPARE(slower.size(), 2);
    QVERIFY(largestElementDistance(curves[1].path, slower[1].path) > 1.0);
}

void PainterTest::narrowKernelSpikes_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("100 % screen") << 1.0;
    QTest::newRow("200 % screen") << 2.0;
}

// At Detail's right end, a point per pixel.
void PainterTest::narrowKernelSpikes()
{
    QFETCH(qreal, ratio);

    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.title = QString();
    chart.scene.kernelWidth = 0.002f;
    chart.scene.finePoints = true;
    // Some 0.3 px off the pixels' centres, on a kernel of 0.13 px at 999: spikes of many heights.
    chart.paste(QStringLiteral("8.1024, 8.9023, 9.3022, 9.4021, 10.2024, 11.7023, 11.9022"));
    // A point per pixel: each time rises as a spike of its own, seen 10 px above the axis.
    QImage image(QSize(600, 400) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setViewport(0, 0, 600, 400); // the chart's own pixels, as an export lays it out
    painter.setWindow(0, 0, 600, 400);
    chart.paint(painter, QSize(600, 400));
    painter.end();
    const QRgb white = qRgb(255, 255, 255);
    int spikes = 0;
    int finerRows = 0; // on a 200 % screen spikes may end between the rows of a 100 % one
    for (int x = 20 * ratio, y = 360 * ratio; x < 580 * ratio; ++x) {
        spikes += image.pixel(x, y) != white && image.pixel(x - 1, y) == white;
        for (int row = 40 * ratio; row < y; row += 2)
            finerRows += image.pixel(x, row) != image.pixel(x, row + 1);
    }
    QCOMPARE(spikes, 7);
    QVERIFY(ratio == 1 || finerRows > 0);
    // Each spike is its own pixel, the pixel either side that its steps rise from and fall to,
    // and the 4 px pen around them: 7 px of the pen's colour.
    for (int x = 20 * ratio, run = 0; x < 580 * ratio; ++x) {
        run = image.pixel(x, 360 * ratio) != white ? run + 1 : 0;
        if (run > 0 && image.pixel(x + 1, 360 * ratio) == white)
            QCOMPARE(run, 7 * ratio);
        QVERIFY(run == 0 || image.pixelColor(x, 360 * ratio) == mainColor);
    }

    // Times on every pixel of the plot: under the pen, the fill at half opacity over white.
    TimeList plateau;
    for (int i = 0; i <= 2000; ++i)
        plateau.append(9.0f + float(i) / 2000.0f);
    chart.scene.primaryTimes = plateau;
    image.fill(Qt::white);
    painter.begin(&image);
    painter.setViewport(0, 0, 600, 400);
    painter.setWindow(0, 0, 600, 400);
    chart.paint(painter, QSize(600, 400));
    painter.end();
    const QColor half = image.pixelColor(300 * ratio, 300 * ratio);
    QVERIFY2(std::abs(half.red() - 178) <= 1 && std::abs(half.green() - 229) <= 1
                 && half.blue() == 255,
             qPrintable(half.name()));
}

void PainterTest::titleInCapitals_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("drawn");

    QTest::newRow("mixed case") << QStringLiteral("My pbs") << QStringLiteral("MY PBS");
    QTest::newRow("digits and signs")
        << QStringLiteral("3x3 oh: 12.5s") << QStringLiteral("3X3 OH: 12.5S");
    QTest::newRow("accented") << QStringLiteral("Zauberwürfel") << QStringLiteral("ZAUBERWÜRFEL");
    // Too long for the room left of the statistics: cut with "…", 8 px short of them.
    QTest::newRow("long beside the statistics")
        << QStringLiteral("Every solve of the whole season, one handed") << QStringLiteral("…");
}

void PainterTest::titleInCapitals()
{
    QFETCH(QString, typed);
    QFETCH(QString, drawn);

    ChartDriver chart;
    chart.paste(QStringLiteral("9.1, 10.2, 11.3"));
    chart.scene.title = typed;
    RecordingPaintDevice device(600, 400);
    QPainter painter(&device);
    chart.paint(painter, QSize(600, 400));
    painter.end();

    QList<PaintRecord> titles;
    std::copy_if(device.records().begin(), device.records().end(), std::back_inserter(titles),
                 isTitle);
    QCOMPARE(titles.size(), 1);
    if (drawn == u"…") {
        QVERIFY2(titles[0].text.endsWith(drawn), qPrintable(titles[0].text));
        const auto statistics
            = std::find_if(device.records().begin(), device.records().end(),
                           [](const PaintRecord &r) { return hasFont(r, 12, 400); });
        QVERIFY(statistics != device.records().end());
        QCOMPARE_LE(10 + titles[0].textWidth + 8, statistics->baseline.x());
    } else {
        QCOMPARE(titles[0].text, drawn);
    }
    // The letters stand on the line at the title font's height.
    const int height = QFontMetrics(titles[0].font, &device).height();
    QCOMPARE(titles[0].baseline, QPointF(10, height));
    QCOMPARE(titles[0].pen.color(), QColor(Qt::black));
    QCOMPARE(titles[0].pen.widthF(), 3.0);
}

void PainterTest::fontsAndPens()
{
    ChartDriver chart;
    chart.scene.primaryQuartiles = true;
    chart.scene.statistics = true;
    chart.paste(QStringLiteral("8.3, 9.1, 9.6, 10.2, 10.4, 11.0, 11.8"));
    const QList<PaintRecord> records = chart.paint(600, 400);

    int tickLabels = 0;
    int titles = 0;
    int statistics = 0;
    int quartileLabels = 0;
    for (const PaintRecord &r : records) {
        QVERIFY(r.hints.testFlag(QPainter::Antialiasing));
        if (r.pen.style() != Qt::NoPen) {
            QCOMPARE(r.pen.capStyle(), Qt::SquareCap);
            QCOMPARE(r.pen.joinStyle(), Qt::BevelJoin);
        }
        if (r.kind != PaintRecord::Text)
            continue;
        QCOMPARE(r.font.family(), QStringLiteral("Helvetica"));
        if (hasFont(r, 12, QFont::Bold))
            ++tickLabels;
        else if (hasFont(r, 25, QFont::Bold))
            ++titles;
        else if (hasFont(r, 12, QFont().weight()))
            ++statistics;
        else if (hasFont(r, 20, QFont::Thin))
            ++quartileLabels;
        else
            QFAIL(qPrintable(QStringLiteral("unexpected font for ") + r.text));
    }
    QCOMPARE(tickLabels, 5);
    QCOMPARE(titles, 1);
    QCOMPARE(statistics, 5);
    QCOMPARE(quartileLabels, 3);
}

void PainterTest::drawingOrder()
{
    ChartDriver chart;
    chart.scene.primaryQuartiles = true;
    chart.scene.secondaryQuartiles = true;
    chart.scene.statistics = true;
    chart.paste(QStringLiteral("9.3, 9.8, 10.1, 10.4, 11.0, 11.9"));
    chart.pasteSecondary(QStringLiteral("8.6, 9.9, 10.7, 11.2, 12.4, 13.1"));
    const QList<PaintRecord> records = chart.paint(600, 400);

    const auto step = [](const PaintRecord &r) -> QString {
        if (r.isRoundedRect(QRectF(5, 5, 590, 390), 10, 10))
            return QStringLiteral("frame");
        const QString colour = r.brush.color() == mainColor || r.pen.color() == mainColor
            ? QStringLiteral("primary")
            : QStringLiteral("secondary");
        if (r.kind == PaintRecord::Path && r.pen.style() == Qt::NoPen)
            return QStringLiteral("fill ") + colour;
        if (r.kind == PaintRecord::Path)
            return QStringLiteral("outline ") + colour;
        if (r.kind == PaintRecord::Line && r.pen.style() == Qt::DashLine)
            return QStringLiteral("quartile line");
        if (r.kind == PaintRecord::Line && r.pen.widthF() == 3.0)
            return QStringLiteral("axis");
        if (r.kind == PaintRecord::Line)
            return QStringLiteral("tick");
        if (hasFont(r, 20, QFont::Thin))
            return QStringLiteral("quartile label");
        if (isTickLabel(r))
            return QStringLiteral("tick label");
        if (isTitle(r))
            return QStringLiteral("title");
        return QStringLiteral("statistics");
    };
    QStringList steps;
    for (const PaintRecord &r : records) {
        const QString name = step(r);
        const bool repeat = !steps.isEmpty() && steps.last() == name;
        const bool tickPair = name == QLatin1String("tick label")
            || (name == QLatin1String("tick") && !steps.isEmpty()
                && steps.last() == QLatin1String("tick label"));
        if (!repeat && !tickPair)
            steps.append(name);
    }
    const QStringList expected {QStringLiteral("frame"),
                                QStringLiteral("fill secondary"),
                                QStringLiteral("outline secondary"),
                                QStringLiteral("quartile line"),
                                QStringLiteral("quartile label"),
                                QStringLiteral("fill primary"),
                                QStringLiteral("outline primary"),
                                QStringLiteral("quartile line"),
                                QStringLiteral("quartile label"),
                                QStringLiteral("axis"),
                                QStringLiteral("tick"),
                                QStringLiteral("title"),
                                QStringLiteral("statistics")};
    QCOMPARE(steps, expected);
}

// The axis as painted: the ticks axisTicks gives, their labels measured in the tick font keeping
// 4 px apart, here for 3x3 against 4x4, labels every 5 s.
void PainterTest::paintedLabelsKeepApart()
{
    ChartDriver chart;
    chart.paste(QStringLiteral("11.62, 13.5, 19.42"));
    chart.pasteSecondary(QStringLiteral("55.77, 67.4, 76.28"));
    const QList<Tick> found = ticks(chart.paint(600, 400), 370);
    QCOMPARE(found.size(), 67);
    QList<Tick> labelled;
    std::copy_if(found.begin(), found.end(), std::back_inserter(labelled),
                 [](const Tick &tick) { return !tick.label.isEmpty(); });
    QCOMPARE(labelled.first().label, QStringLiteral("15"));
    for (qsizetype i = 1; i < labelled.size(); ++i) {
        const double apart = labelled[i].labelCentre.x() - labelled[i - 1].labelCentre.x();
        const double room = apart - (labelled[i].labelWidth + labelled[i - 1].labelWidth) / 2;
        QVERIFY2(room >= 4.0 - 1e-3, qPrintable(QString::number(room)));
    }
}

void PainterTest::viewportSizes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("hasAxis");
    QTest::addColumn<int>("tickCount");

    QTest::newRow("0 x 0") << QSize(0, 0) << false << 0;
    QTest::newRow("1 x 1") << QSize(1, 1) << false << 0;
    QTest::newRow("39 x 69") << QSize(39, 69) << false << 0;
    QTest::newRow("39 x 400") << QSize(39, 400) << false << 0;
    QTest::newRow("600 x 69") << QSize(600, 69) << false << 0;
    // No pixel of plot width: the six seconds collapse onto one tick at the left end.
    QTest::newRow("40 x 70") << QSize(40, 70) << true << 1;
    QTest::newRow("8000 x 8000") << QSize(8000, 8000) << true << 7;
}

void PainterTest::viewportSizes()
{
    QFETCH(QSize, size);
    QFETCH(bool, hasAxis);
    QFETCH(int, tickCount);

    ChartDriver chart;
    chart.scene.primaryQuartiles = true;
    chart.scene.secondaryQuartiles = true;
    chart.scene.statistics = true;
    chart.paste(QStringLiteral("9.3, 9.8, 10.1, 10.4, 11.0, 11.9"));
    chart.pasteSecondary(QStringLiteral("8.6, 9.9, 10.7, 11.2, 12.4, 13.1"));
    const QList<PaintRecord> records = chart.paint(size.width(), size.height());

    QVERIFY(!records.isEmpty());
    // The frame shows the chart saw the viewport it was given.
    QCOMPARE(records.first().path.boundingRect(),
             QRectF(5, 5, size.width() - 10, size.height() - 10).normalized());
    const int axisY = size.height() - 30;
    const auto axis = std::find_if(records.begin(), records.end(), [&](const PaintRecord &r) {
        return r.kind == PaintRecord::Line && r.pen.widthF() == 3.0;
    });
    QCOMPARE(axis != records.end(), hasAxis);
    if (!hasAxis)
        return;
    QCOMPARE(axis->line, QLineF(20, axisY, size.width() - 20, axisY));
    const QList<Tick> found = ticks(records, axisY);
    QCOMPARE(found.size(), tickCount);
    QCOMPARE(found.first().x, 20);
    QCOMPARE(found.last().x, size.width() - 20);
}

void PainterTest::rasterRender()
{
    ChartDriver chart;
    chart.paste(QStringLiteral("9.3, 9.8, 10.1, 10.4, 11.0, 11.9"));
    chart.pasteSecondary(QStringLiteral("8.6, 9.9, 10.7, 11.2, 12.4, 13.1"));
    QImage image(160, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    chart.paint(painter, image.size());
    painter.end();

    // Outside the rounded corner, on the 4 px border and inside the frame left of the plot.
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(5, 60), mainColor);
    QCOMPARE(image.pixelColor(12, 60), QColor(Qt::white));
}

QTEST_MAIN(PainterTest)
#include "tst_painter.moc"
