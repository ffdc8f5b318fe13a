#include "chartdriver.h"

#include <QFontMetrics>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

// 552 px wide leaves a plot of 512 px, so marker i stands at exactly x = 2i + 20.
constexpr int chartWidth = 552;
constexpr int chartHeight = 400;
constexpr int plotWidth = chartWidth - 40;
constexpr int plotHeight = chartHeight - 70;
constexpr int axisY = chartHeight - 30;

// Symmetric about 10 s, with 8 and 12 setting the axis to exactly that range.
const QString symmetricTimes = QStringLiteral("8, 9, 9.5, 9.75, 10, 10.25, 10.5, 11, 12");

bool isQuartileLine(const PaintRecord &r)
{
    return r.kind == PaintRecord::Line && r.pen.style() == Qt::DashLine;
}

bool isQuartileLabel(const PaintRecord &r)
{
    return r.kind == PaintRecord::Text && r.font.pointSize() == 20;
}

bool isStatisticsLine(const PaintRecord &r)
{
    return r.kind == PaintRecord::Text && r.font.pointSize() == 12 && !r.font.bold();
}

QList<PaintRecord> select(const QList<PaintRecord> &records, bool (*keep)(const PaintRecord &))
{
    QList<PaintRecord> kept;
    std::copy_if(records.begin(), records.end(), std::back_inserter(kept), keep);
    return kept;
}

int markerIndex(const PaintRecord &line)
{
    return (int(line.line.x1()) - 20) / 2;
}

// The panel's lines share one left end: W - 100, or only as far left as the widest line needs to
// end inside the frame's inner edge at W - 7. -1 otherwise.
int panelLeft(const QList<PaintRecord> &lines, int width)
{
    const qreal left = lines.value(0).baseline.x();
    qreal end = 0;
    for (const PaintRecord &r : lines)
        end = r.baseline.x() == left ? std::max(end, left + r.textWidth) : qInf();
    return end <= width - 7 && (left == width - 100 || end > width - 8) ? int(left) : -1;
}

QStringList textsOf(const QList<PaintRecord> &records)
{
    QStringList texts;
    for (const PaintRecord &r : records)
        texts.append(r.text);
    return texts;
}

// The times a and b alternating, n of them.
TimeList alternating(float a, float b, int n)
{
    TimeList times;
    for (int i = 0; i < n; ++i)
        times.append(i % 2 ? b : a);
    return times;
}

} // namespace

class OverlaysTest : public QObject
{
    Q_OBJECT

private slots:
    void quartileMarkers_data();
    void quartileMarkers();
    void quartileSearch_data();
    void quartileSearch();
    void markersFollowTheirCurve();
    void noMarkersWithoutLevels_data();
    void noMarkersWithoutLevels();
    void allLevelsAtTheFirstPoint();
    void statisticsOfSecondaryOnly();
    void statisticsOfBothLists_data();
    void statisticsOfBothLists();
    void statisticsFormatting_data();
    void statisticsFormatting();
    void noStatisticsWithoutTimes();
    void keyNamesEachList();
};

void OverlaysTest::quartileMarkers_data()
{
    QTest::addColumn<std::vector<float>>("values");
    QTest::addColumn<int>("width");
    // Of 25 %, 50 % and 75 %.
    QTest::addColumn<QList<int>>("indices");
    QTest::addColumn<QList<float>>("offsets");

    // Running sums 0, 0.5, 1.5, 2, 2 of 2; offsets are i / 5 of the width, not i / 4.
    QTest::newRow("worked example") << std::vector<float> {0, 0.5f, 1, 0.5f, 0} << 500
                                    << QList<int> {1, 2, 2} << QList<float> {100, 200, 200};
    QTest::newRow("each level reached exactly")
        << std::vector<float> {1, 1, 1, 1} << 400 << QList<int> {0, 1, 2}
        << QList<float> {0, 100, 200};
    QTest::newRow("the first point holds three quarters")
        << std::vector<float> {1, 0.1f, 0.1f, 0.1f} << 500 << QList<int> {0, 0, 0}
        << QList<float> {0, 0, 0};
    QTest::newRow("the last point holds three quarters")
        << std::vector<float> {0.1f, 0.1f, 0.1f, 1} << 300 << QList<int> {3, 3, 3}
        << QList<float> {225, 225, 225};
    QTest::newRow("NaN values reach no level")
        << std::vector<float>(5, std::nanf("")) << 500 << QList<int> {} << QList<float> {};
    QTest::newRow("no values") << std::vector<float> {} << 500 << QList<int> {} << QList<float> {};
}

void OverlaysTest::quartileMarkers()
{
    QFETCH(std::vector<float>, values);
    QFETCH(int, width);
    QFETCH(QList<int>, indices);
    QFETCH(QList<float>, offsets);

    const std::vector<Chart::QuartileMarker> markers = Chart::quartileMarkers(values, width);
    QCOMPARE(qsizetype(markers.size()), indices.size());
    const QStringList names {QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%")};
    for (qsizetype i = 0; i < indices.size(); ++i) {
        QCOMPARE(markers[i].index, std::size_t(indices[i]));
        QCOMPARE(markers[i].offset, offsets[i]);
        QCOMPARE(markers[i].label, names[i]);
    }
}

void OverlaysTest::quartileSearch_data()
{
    QTest::addColumn<std::vector<float>>("values");
    QTest::addColumn<QList<QLineF>>("lines");
    QTest::addColumn<QList<qreal>>("labelCentres");
    // How many lines each label climbs over those drawn before it.
    QTest::addColumn<QList<int>>("climbs");
    // A statistics panel the labels keep off; none where null.
    QTest::addColumn<QRectF>("panel");

    // Running sums 0, 0.5, 1.5, 2, 2: 25 % is reached at index 1, 50 % and 75 % both at index 2.
    const std::vector<float> worked {0, 0.5f, 1, 0.5f, 0};
    const QList<QLineF> workedLines {
        {120, 205, 120, 370}, {220, 40, 220, 370}, {220, 40, 220, 370}};
    QTest::newRow("worked example: 75% climbs over 50%")
        << worked << workedLines << QList<qreal> {96, 196, 196} << QList<int> {0, 0, 1} << QRectF();
    // Over x 150 to 250 down to y 320, above the 50 % label and across the line 75 % climbs to.
    QTest::newRow("worked example under a panel: 75% left out")
        << worked << workedLines << QList<qreal> {96, 196} << QList<int> {0, 0}
        << QRectF(150, 0, 100, 320);
    // Centred at x = -4 they would run under the frame; they start at its inner edge instead.
    QTest::newRow("first sum reaches three quarters: a stack of three at the frame")
        << std::vector<float> {1, 0.1f, 0.1f, 0.1f}
        << QList<QLineF> {{20, 40, 20, 370}, {20, 40, 20, 370}, {20, 40, 20, 370}}
        << QList<qreal> {-4, -4, -4} << QList<int> {0, 1, 2} << QRectF();
}

// Offsets divide by the number of values: with 5 values over 500 px, index 1 sits 100 px in.
void OverlaysTest::quartileSearch()
{
    QFETCH(std::vector<float>, values);
    QFETCH(QList<QLineF>, lines);
    QFETCH(QList<qreal>, labelCentres);
    QFETCH(QList<int>, climbs);
    QFETCH(QRectF, panel);

    RecordingPaintDevice device(540, 400);
    QPainter painter(&device);
    QFont font(QStringLiteral("Helvetica"));
    font.setPointSize(20);
    font.setWeight(QFont::Thin);
    Chart::drawQuartileMarkers(painter, values, 500, 330, font, nullptr, {panel});
    painter.end();
    const int lineHeight = QFontMetrics(font, &device).height();

    const QList<PaintRecord> drawnLines = select(device.records(), isQuartileLine);
    QCOMPARE(drawnLines.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QCOMPARE(drawnLines[i].line, lines[i]);
    const QList<PaintRecord> labels = select(device.records(), isQuartileLabel);
    QCOMPARE(labels.size(), labelCentres.size());
    const QStringList names {QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%")};
    for (qsizetype i = 0; i < labels.size(); ++i) {
        QCOMPARE(labels[i].text, names[i]);
        // QRectF(offset - 14, 350, 20, 10), centred on (offset - 4, 355), climbing by lines.
        const qreal frameEdge = 7 + labels[i].textWidth / 2;
        QVERIFY(std::abs(labels[i].textCentre().x() - std::max(labelCentres[i], frameEdge)) <= 0.5);
        QVERIFY(std::abs(labels[i].textCentre().y() - (355 - climbs[i] * lineHeight)) <= 1.0);
        const QSizeF box(labels[i].textWidth, lineHeight);
        QVERIFY(!QRectF(labels[i].textCentre() - QPointF(box.width(), box.height()) / 2, box)
                     .intersects(panel));
    }
}

// Each line rises from the axis to the curve's outline at the grid point it marks.
void OverlaysTest::markersFollowTheirCurve()
{
    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.secondaryQuartiles = true;
    chart.paste(QStringLiteral("8.4, 9.1, 9.3, 10.2, 11.8, 12.6, 14.0"));
    chart.pasteSecondary(QStringLiteral("8.0, 8.2, 8.3, 8.9, 9.7, 13.5"));
    const QList<PaintRecord> records = chart.paint(chartWidth, chartHeight);

    // Only the secondary curve's markers, drawn between its outline and the primary fill.
    const auto secondaryOutline
        = std::find_if(records.begin(), records.end(), [&](const PaintRecord &r) {
              return r.kind == PaintRecord::Path && r.pen.style() == Qt::SolidLine
                  && r.pen.color() == chart.scene.secondaryColor;
          });
    QVERIFY(secondaryOutline != records.end());
    const auto primaryFill
        = std::find_if(secondaryOutline, records.end(), [&](const PaintRecord &r) {
              return r.kind == PaintRecord::Path && r.brush.color() == chart.scene.primaryColor;
          });
    QVERIFY(primaryFill != records.end());
    const QList<PaintRecord> lines = select(records, isQuartileLine);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(std::count_if(secondaryOutline, primaryFill, isQuartileLine), 3);

    // Dashed, thin and black, then the labels in thin Helvetica; where they stand is
    // quartileMarkers' and quartileSearch's.
    const QList<PaintRecord> labels = select(records, isQuartileLabel);
    QCOMPARE(textsOf(labels),
             (QStringList {QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%")}));
    for (const PaintRecord &label : labels)
        QVERIFY(label.font.family() == u"Helvetica" && label.font.weight() == QFont::Thin);
    QVERIFY(std::none_of(std::find_if(records.begin(), records.end(), isQuartileLabel),
                         records.end(), isQuartileLine));
    const QPainterPath &curve = secondaryOutline->path;
    for (const PaintRecord &line : lines) {
        QVERIFY(line.isVertical() && line.line.y2() == axisY);
        QCOMPARE(line.pen, QPen(QBrush(Qt::black), 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
        const int index = markerIndex(line);
        const double curveX = double(index) / 255 * plotWidth + 20;
        bool found = false;
        for (int e = 1; e < curve.elementCount(); ++e) {
            if (std::abs(curve.elementAt(e).x - curveX) < 1e-3) {
                QCOMPARE(line.line.y1(), std::floor(curve.elementAt(e).y));
                found = true;
            }
        }
        QVERIFY2(found, qPrintable(QString::number(index)));
    }
}

void OverlaysTest::noMarkersWithoutLevels_data()
{
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("secondary");
    QTest::addColumn<bool>("primaryBox");
    QTest::addColumn<bool>("secondaryBox");

    QTest::newRow("both boxes unchecked") << symmetricTimes << symmetricTimes << false << false;
    QTest::newRow("secondary box only, no secondary list")
        << symmetricTimes << QString() << false << true;
}

void OverlaysTest::noMarkersWithoutLevels()
{
    QFETCH(QString, primary);
    QFETCH(QString, secondary);
    QFETCH(bool, primaryBox);
    QFETCH(bool, secondaryBox);

    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.primaryQuartiles = primaryBox;
    chart.scene.secondaryQuartiles = secondaryBox;
    if (!primary.isEmpty())
        chart.paste(primary);
    if (!secondary.isEmpty())
        chart.pasteSecondary(secondary);
    const QList<PaintRecord> records = chart.paint(chartWidth, chartHeight);
    QVERIFY(select(records, isQuartileLine).isEmpty());
    QVERIFY(select(records, isQuartileLabel).isEmpty());
}

// At the narrowest kernel each time is a spike of its own: four of five times at the first point
// make more than three quarters of the area, so all three levels fall on the first line, for both
// curves of the same list.
void OverlaysTest::allLevelsAtTheFirstPoint()
{
    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.primaryQuartiles = true;
    chart.scene.secondaryQuartiles = true;
    chart.scene.kernelWidth = 0.002f;
    chart.scene.finePoints = true;
    chart.paste(QStringLiteral("8, 8, 8, 8, 9"));
    chart.pasteSecondary(QStringLiteral("8, 8, 8, 8, 9"));
    const QList<PaintRecord> records = chart.paint(chartWidth, chartHeight);

    const QList<PaintRecord> lines = select(records, isQuartileLine);
    QCOMPARE(lines.size(), 6);
    for (const PaintRecord &line : lines)
        QCOMPARE(line.line, QLineF(20, 40, 20, axisY));
    const QList<PaintRecord> labels = select(records, isQuartileLabel);
    QCOMPARE(labels.size(), 6);
    // The secondary's three, then the primary's, stacked a line apart above their common line.
    RecordingPaintDevice device(chartWidth, chartHeight);
    const int lineHeight = QFontMetrics(labels[0].font, &device).height();
    for (int i = 1; i < 6; ++i)
        QCOMPARE(labels[i].baseline, labels[0].baseline - QPointF(0, i * lineHeight));
}

void OverlaysTest::statisticsOfSecondaryOnly()
{
    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.statistics = true;
    chart.pasteSecondary(QStringLiteral("12, 13.5, 11, 14, 12.5"));
    const QList<PaintRecord> lines = select(chart.paint(chartWidth, chartHeight), isStatisticsLine);

    QCOMPARE(textsOf(lines),
             (QStringList {QStringLiteral("Best: 11.00"), QStringLiteral("Worst: 14.00"),
                           QStringLiteral("Average: 12.25"), QStringLiteral("Median: 12.50"),
                           QStringLiteral("MoXAo5: 12.67")}));
    RecordingPaintDevice device(chartWidth, chartHeight);
    const int lineHeight = QFontMetrics(lines[0].font, &device).height();
    // "MoXAo5: 12.67" is wider than 93 px: from W - 100 it would cross the frame.
    const int left = panelLeft(lines, chartWidth);
    QVERIFY(left >= 0 && left < chartWidth - 100);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(lines[i].baseline, QPointF(left, 20 + i * lineHeight));
        QCOMPARE(lines[i].pen.color(), QColor(Qt::black));
        QCOMPARE(lines[i].pen.widthF(), 1.0);
        QCOMPARE(lines[i].font.family(), QStringLiteral("Helvetica"));
        QCOMPARE(lines[i].font.weight(), QFont().weight());
    }

    // In a font small enough to fit, the panel stays at W - 100.
    QPainter painter(&device);
    QFont small(lines[0].font);
    small.setPointSize(6);
    Chart::drawStatisticsPanel(painter, {}, chart.scene.secondaryTimes, chartWidth, small);
    painter.end();
    QCOMPARE(panelLeft(device.records(), chartWidth), chartWidth - 100);
}

void OverlaysTest::statisticsOfBothLists_data()
{
    QTest::addColumn<TimeList>("primary");
    QTest::addColumn<TimeList>("secondary");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("short lists")
        << TimeReaders::read(QStringLiteral("9.874, 10, 11")).times
        << TimeReaders::read(QStringLiteral("12, 13.5, 11, 14, 12.5")).times
        << QStringList {QStringLiteral("Best: 9.87"),    QStringLiteral("Worst: 11.00"),
                        QStringLiteral("Average: nan"),  QStringLiteral("Median: 10.00"),
                        QStringLiteral("MoXAo5: nan"),   QStringLiteral("Best: 11.00"),
                        QStringLiteral("Worst: 14.00"),  QStringLiteral("Average: 12.25"),
                        QStringLiteral("Median: 12.50"), QStringLiteral("MoXAo5: 12.67")};
    // Long enough for the second list to be computed on another thread. The Average keeps
    // 45 000 of the fast and 40 000 of the slow times; each group of five averages 2/3 or 4/3 of
    // the way up.
    QTest::newRow("100 000 times each, side by side")
        << alternating(10, 12, 100'000) << alternating(20, 24, 100'000)
        << QStringList {QStringLiteral("Best: 10.00"),    QStringLiteral("Worst: 12.00"),
                        QStringLiteral("Average: 10.94"), QStringLiteral("Median: 11.00"),
                        QStringLiteral("MoXAo5: 11.00"),  QStringLiteral("Best: 20.00"),
                        QStringLiteral("Worst: 24.00"),   QStringLiteral("Average: 21.88"),
                        QStringLiteral("Median: 22.00"),  QStringLiteral("MoXAo5: 22.00")};
}

void OverlaysTest::statisticsOfBothLists()
{
    QFETCH(TimeList, primary);
    QFETCH(TimeList, secondary);
    QFETCH(QStringList, expected);

    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.statistics = true;
    chart.scene.primaryTimes = primary;
    chart.scene.secondaryTimes = secondary;
    const QList<PaintRecord> lines = select(chart.paint(chartWidth, chartHeight), isStatisticsLine);

    QCOMPARE(textsOf(lines), expected);
    RecordingPaintDevice device(chartWidth, chartHeight);
    const int lineHeight = QFontMetrics(lines[0].font, &device).height();
    QVERIFY(lineHeight > 0);
    const int left = panelLeft(lines, chartWidth);
    QVERIFY(left >= 0);
    // One empty line between the blocks: line 6 of the chart is left out.
    for (int i = 0; i < 10; ++i) {
        const int row = i < 5 ? i : i + 1;
        QCOMPARE(lines[i].baseline, QPointF(left, 20 + row * lineHeight));
    }
}

void OverlaysTest::statisticsFormatting_data()
{
    QTest::addColumn<QString>("times");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("rounding to two decimals")
        << QStringLiteral("9.996, 10.004, 10.13, 61.5, 10.3")
        << QStringList {QStringLiteral("Best: 10.00"), QStringLiteral("Worst: 61.50"),
                        QStringLiteral("Average: 10.07"), QStringLiteral("Median: 10.13"),
                        QStringLiteral("MoXAo5: 10.14")};
}

void OverlaysTest::statisticsFormatting()
{
    QFETCH(QString, times);
    QFETCH(QStringList, expected);

    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.statistics = true;
    chart.paste(times);
    const QList<PaintRecord> lines = select(chart.paint(chartWidth, chartHeight), isStatisticsLine);
    QCOMPARE(textsOf(lines), expected);
    QVERIFY(panelLeft(lines, chartWidth) >= 0);
}

void OverlaysTest::noStatisticsWithoutTimes()
{
    ChartDriver chart;
    chart.scene.statistics = true;
    chart.scene.primaryQuartiles = true;
    chart.scene.secondaryQuartiles = true;
    QVERIFY(select(chart.paint(chartWidth, chartHeight), isStatisticsLine).isEmpty());

    // A paste that reads no time leaves the list empty.
    chart.paste(QStringLiteral("DNF, DNF"));
    QVERIFY(chart.scene.primaryTimes.isEmpty());
    QVERIFY(select(chart.paint(chartWidth, chartHeight), isStatisticsLine).isEmpty());

    chart.paste(QStringLiteral("10.5, 11"));
    chart.scene.statistics = false;
    QVERIFY(select(chart.paint(chartWidth, chartHeight), isStatisticsLine).isEmpty());
}

// A list without a name is called by its place; the period follows the count.
void OverlaysTest::keyNamesEachList()
{
    ChartDriver chart;
    chart.hideOverlays();
    chart.scene.key = true;
    chart.paste(QStringLiteral("10.5, 11, 12"));
    chart.pasteSecondary(QStringLiteral("20, 21"));
    chart.scene.secondaryLabel = {QStringLiteral("OH"), QStringLiteral("2026-11-01 to 2026-11-30")};
    // A name stands between isolation marks, each of its runs drawn apart.
    const QString texts = textsOf(chart.paint(chartWidth, chartHeight)).join(QString());
    QVERIFY2(texts.contains(QStringLiteral("First list: 3 times")), qPrintable(texts));
    QVERIFY(texts.contains(QStringLiteral("\u2068OH\u2069: 2 times, 2026-11-01 to 2026-11-30")));
}

QTEST_MAIN(OverlaysTest)
#include "tst_overlays.moc"
