#pragma once

// The chart's face: a scene in, pixels out, and the pure steps between them that tests read as
// values.

#include "data/timelist.h"

#include <QColor>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

class QFont;
class QPainter;
class QPainterPath;
class QPixmap;

// What the key says of a list beside its colour and its number of times.
struct ListLabel
{
    QString name;
    // The dates its times span, as the note writes them; empty where they have none.
    QString period;

    // The name, or the list's place where the text gave none.
    QString shownName(bool primary) const;
};

// Everything a chart shows, as a value: the two lists and their colours, what the controls ask
// of the curves and the axis, the title, and the size and pixel density to draw at. The lists are
// shared, not copied.
struct ChartScene
{
    // The lists' colours until the user picks others.
    static constexpr QRgb defaultPrimaryColor = 0xFF66CCFF;
    static constexpr QRgb defaultSecondaryColor = 0xFFFF8200;

    TimeList primaryTimes;
    TimeList secondaryTimes;
    QColor primaryColor = QColor::fromRgb(defaultPrimaryColor);
    QColor secondaryColor = QColor::fromRgb(defaultSecondaryColor);
    // The kernel's width multiplier, and whether a kernel narrower than the curve's 256 points
    // may get a point per pixel (Detail above its start).
    float kernelWidth = 1.0f;
    bool finePoints = false;
    // The share of the spread above the fastest time that the axis keeps.
    float trimShare = 1.0f;
    bool primaryQuartiles = true;
    bool secondaryQuartiles = false;
    bool statistics = true;
    // The key names each list's colour; off, the chart is drawn as it always was.
    bool key = false;
    ListLabel primaryLabel;
    ListLabel secondaryLabel;
    QString title;
    QSize size;
    qreal devicePixelRatio = 1.0;
};

// The chart: a scene in, pixels out. Nothing here reads a widget.
namespace Chart {

// The time axis in whole seconds: from the one at or below the fastest time of either list up to
// the one at or above Trim's share of the spread.
struct TimeRange
{
    float low;
    float high;
};
TimeRange timeRange(const ChartScene &scene);

// A tick of the axis at x in the plot's coordinates (the plot starting at plotLeft), and the
// label under it, if any.
struct AxisTick
{
    float x;
    QString label;
};
// The ticks from low to high over a plot this wide, for labels this wide at the most: labels
// every 1, 2, 5, 10, 15, 20, 30 or 60 s or whole minutes, whichever is the smallest step at which
// they keep apart, on whole multiples of it, and a tick every second while ticks keep 3 px apart.
std::vector<AxisTick> axisTicks(float low, float high, int plotWidth, double widestLabel);

// The outline of a curve's heights over a plot of this size, its corner 2 and 4 margins in from
// the origin: the first point at the left edge, the last at the right.
QPainterPath curveOutline(const std::vector<float> &values, int width, int height, int margin);

// Paints the scene at its size on a painter whose viewport is that size.
void paint(QPainter &painter, const ChartScene &scene);
// The chart as an image at the scene's device pixel ratio, transparent outside its frame.
QPixmap render(const ChartScene &scene);

// Where a curve's quartile markers stand over a plot this wide: for 25 %, 50 % and 75 %, the first
// point at which the running sum of the heights reaches that share of their sum, and its offset
// from the plot's left end. A curve without a finite sum has none.
struct QuartileMarker
{
    float offset;
    std::size_t index;
    QString label;
};
std::vector<QuartileMarker> quartileMarkers(const std::vector<float> &values, int plotWidth);

// The overlays, drawn by paint with its geometry and fonts. Quartile labels keep clear of those in
// drawnLabels (the other curve's) and are added to it; a label that would overlap a rectangle in
// keepClear (the statistics panel) is left out.
void drawQuartileMarkers(QPainter &painter, const std::vector<float> &values, int plotWidth,
                         int plotHeight, const QFont &quartileFont,
                         std::vector<QRectF> *drawnLabels = nullptr,
                         const std::vector<QRectF> &keepClear = {});
void drawStatisticsPanel(QPainter &painter, const TimeList &primaryTimes,
                         const TimeList &secondaryTimes, int width, const QFont &statsFont);

} // namespace Chart
