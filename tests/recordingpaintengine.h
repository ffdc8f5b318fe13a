#pragma once

// A paint device whose engine keeps every primitive it is asked to draw, in order, with the
// painter state that was in force, so chart geometry can be checked exactly without rasterising.

#include <QBrush>
#include <QFont>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>

struct PaintRecord
{
    enum Kind { Line, Path, Text, Other };

    Kind kind = Other;
    QPen pen;
    QBrush brush;
    qreal opacity = 1.0;
    QPainter::RenderHints hints;

    QLineF line; // Line
    QPainterPath path; // Path
    QPointF baseline; // Text: the left end of the baseline
    QString text; // Text
    QFont font; // Text
    qreal textWidth = 0; // Text: advance of the whole item
    qreal ascent = 0;
    qreal descent = 0;

    // The middle of the text's line box, which is where a centred label's rectangle is centred.
    QPointF textCentre() const;
    // Whether the path is exactly the outline QPainterPath::addRoundedRect gives for these values.
    bool isRoundedRect(const QRectF &rect, qreal xRadius, qreal yRadius) const;
    bool isVertical() const { return kind == Line && line.x1() == line.x2(); }
};

class RecordingPaintEngine : public QPaintEngine
{
public:
    RecordingPaintEngine();

    bool begin(QPaintDevice *device) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;
    Type type() const override { return QPaintEngine::User; }

    void drawLines(const QLine *lines, int lineCount) override;
    void drawLines(const QLineF *lines, int lineCount) override;
    void drawPath(const QPainterPath &path) override;
    void drawTextItem(const QPointF &position, const QTextItem &textItem) override;
    void drawPixmap(const QRectF &rect, const QPixmap &pixmap, const QRectF &source) override;
    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override;
    void drawRects(const QRectF *rects, int rectCount) override;

    QList<PaintRecord> records;

private:
    PaintRecord stamped(PaintRecord::Kind kind) const;
};

class RecordingPaintDevice : public QPaintDevice
{
public:
    RecordingPaintDevice(int width, int height);
    ~RecordingPaintDevice() override;

    QPaintEngine *paintEngine() const override { return engine.get(); }
    const QList<PaintRecord> &records() const { return engine->records; }
    void clear() { engine->records.clear(); }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int width;
    int height;
    std::unique_ptr<RecordingPaintEngine> engine;
};
