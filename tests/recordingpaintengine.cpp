#include "recordingpaintengine.h"

#include <QPolygonF>

namespace {

constexpr int recordingDpi = 96;

} // namespace

QPointF PaintRecord::textCentre() const
{
    return {baseline.x() + textWidth / 2, baseline.y() - ascent + (ascent + descent) / 2};
}

bool PaintRecord::isRoundedRect(const QRectF &rect, qreal xRadius, qreal yRadius) const
{
    if (kind != Path)
        return false;
    QPainterPath expected;
    expected.addRoundedRect(rect, xRadius, yRadius, Qt::AbsoluteSize);
    return path == expected;
}

// Claiming every feature keeps QPainter from emulating anything: primitives arrive untransformed
// and unconverted, as the chart code issued them.
RecordingPaintEngine::RecordingPaintEngine()
    : QPaintEngine(QPaintEngine::AllFeatures)
{ }

bool RecordingPaintEngine::begin(QPaintDevice *)
{
    return true;
}

bool RecordingPaintEngine::end()
{
    return true;
}

void RecordingPaintEngine::updateState(const QPaintEngineState &) { }

PaintRecord RecordingPaintEngine::stamped(PaintRecord::Kind kind) const
{
    PaintRecord record;
    record.kind = kind;
    record.pen = painter()->pen();
    record.brush = painter()->brush();
    record.opacity = painter()->opacity();
    record.hints = painter()->renderHints();
    return record;
}

void RecordingPaintEngine::drawLines(const QLine *lines, int lineCount)
{
    for (int i = 0; i < lineCount; ++i) {
        PaintRecord record = stamped(PaintRecord::Line);
        record.line = QLineF(lines[i]);
        records.append(record);
    }
}

void RecordingPaintEngine::drawLines(const QLineF *lines, int lineCount)
{
    for (int i = 0; i < lineCount; ++i) {
        PaintRecord record = stamped(PaintRecord::Line);
        record.line = lines[i];
        records.append(record);
    }
}

void RecordingPaintEngine::drawPath(const QPainterPath &path)
{
    PaintRecord record = stamped(PaintRecord::Path);
    record.path = path;
    records.append(record);
}

void RecordingPaintEngine::drawTextItem(const QPointF &position, const QTextItem &textItem)
{
    PaintRecord record = stamped(PaintRecord::Text);
    record.baseline = position;
    record.text = textItem.text();
    record.font = textItem.font();
    record.textWidth = textItem.width();
    record.ascent = textItem.ascent();
    record.descent = textItem.descent();
    records.append(record);
}

void RecordingPaintEngine::drawPixmap(const QRectF &, const QPixmap &, const QRectF &)
{
    records.append(stamped(PaintRecord::Other));
}

void RecordingPaintEngine::drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode)
{
    PaintRecord record = stamped(PaintRecord::Path);
    record.path.addPolygon(QPolygonF(QList<QPointF>(points, points + pointCount)));
    records.append(record);
}

void RecordingPaintEngine::drawRects(const QRectF *rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i) {
        PaintRecord record = stamped(PaintRecord::Path);
        record.path.addRect(rects[i]);
        records.append(record);
    }
}

RecordingPaintDevice::RecordingPaintDevice(int width, int height)
    : width(width)
    , height(height)
    , engine(std::make_unique<RecordingPaintEngine>())
{ }

RecordingPaintDevice::~RecordingPaintDevice() = default;

int RecordingPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return width;
    case PdmHeight:
        return height;
    case PdmWidthMM:
        return width * 254 / (10 * recordingDpi);
    case PdmHeightMM:
        return height * 254 / (10 * recordingDpi);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return recordingDpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}
