// The dialog's painting operations, by the names the rest of the program calls them.

#include "app/timesdistributiondialog.h"
#include "chart/chart.h"

#include <QPainter>
#include <QPixmap>

void TimesDistributionDialog::paintChart(QPainter &painter)
{
    ChartScene scene = chartScene();
    scene.size = painter.viewport().size();
    Chart::paint(painter, scene);
}

QPixmap TimesDistributionDialog::renderChart()
{
    return Chart::render(chartScene());
}

QPixmap TimesDistributionDialog::renderChart(qreal devicePixelRatio)
{
    ChartScene scene = chartScene();
    scene.devicePixelRatio = devicePixelRatio;
    return Chart::render(scene);
}

void TimesDistributionDialog::drawQuartileMarkers(QPainter &painter,
                                                  const std::vector<float> &values, int plotWidth,
                                                  int plotHeight, const QFont &quartileFont,
                                                  std::vector<QRectF> *drawnLabels,
                                                  const std::vector<QRectF> &keepClear)
{
    Chart::drawQuartileMarkers(painter, values, plotWidth, plotHeight, quartileFont, drawnLabels,
                               keepClear);
}

void TimesDistributionDialog::drawStatisticsPanel(QPainter &painter, const TimeList &primaryTimes,
                                                  const TimeList &secondaryTimes, int width,
                                                  const QFont &statsFont)
{
    Chart::drawStatisticsPanel(painter, primaryTimes, secondaryTimes, width, statsFont);
}
