#pragma once

// A chart scene as the dialog builds one, with its defaults, painted on a recording device.

#include "chart/chart.h"
#include "data/timereaders.h"
#include "recordingpaintengine.h"

#include <QPainter>

class ChartDriver
{
public:
    ChartDriver() { scene.title = QStringLiteral("Chart Title"); }

    void paste(const QString &text) { scene.primaryTimes = TimeReaders::read(text).times; }
    void pasteSecondary(const QString &text)
    {
        scene.secondaryTimes = TimeReaders::read(text).times;
    }
    // Quartile markers and the statistics panel off: the chart's own primitives only.
    void hideOverlays()
    {
        scene.primaryQuartiles = false;
        scene.secondaryQuartiles = false;
        scene.statistics = false;
    }

    void paint(QPainter &painter, QSize size)
    {
        scene.size = size;
        Chart::paint(painter, scene);
    }
    QList<PaintRecord> paint(int width, int height)
    {
        RecordingPaintDevice device(width, height);
        QPainter painter(&device);
        paint(painter, QSize(width, height));
        painter.end();
        return device.records();
    }

    ChartScene scene;
};
