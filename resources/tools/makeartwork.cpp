// Draws the application's artwork and icons: resources/artwork.png, resources/icons/<size>.png
// and the Windows icon resources/windows/solvigram-charts.ico. Run it through scripts/make-artwork;
// the outputs are committed, so the build never needs this program.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QtEndian>

#include <cmath>
#include <cstdio>

namespace {

constexpr int artworkWidth = 612;
constexpr int artworkHeight = 436;
// 144 dpi, the resolution the artwork is declared at, in the PNG's pixels per metre.
constexpr int artworkDotsPerMeter = 5669;
constexpr int iconSizes[] = {16, 32, 48, 64, 128, 256};

const QColor panelColor(0xEC, 0xEE, 0xF0);
const QColor panelEdgeColor(0xC9, 0xCE, 0xD3);
const QColor frontColor(0x66, 0xCC, 0xFF);
const QColor frontEdgeColor(0x1F, 0x8F, 0xCC);
const QColor backColor(0xFF, 0x82, 0x00);
const QColor backEdgeColor(0xC2, 0x5E, 0x00);

struct Bump
{
    double centre;
    double width;
    double weight;
};

// Two made-up solve-time distributions on a 0..1 axis: a faster, narrower one in front and a
// slower, wider one behind, each with a shoulder so they read as real data rather than textbook
// bell curves.
constexpr Bump frontBumps[] = {{0.36, 0.085, 1.0}, {0.50, 0.07, 0.35}};
constexpr Bump backBumps[] = {{0.56, 0.13, 1.0}, {0.82, 0.07, 0.28}};

double mixture(const Bump *bumps, int count, double x)
{
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        const double z = (x - bumps[i].centre) / bumps[i].width;
        sum += bumps[i].weight * std::exp(-0.5 * z * z);
    }
    return sum;
}

// The closed area under a curve scaled to peak at `peak` of the plot's height, standing on the
// plot's bottom edge.
template<int Count>
QPainterPath curvePath(const Bump (&bumps)[Count], const QRectF &plot, double peak)
{
    constexpr int samples = 200;
    double highest = 0.0;
    for (int i = 0; i <= samples; ++i)
        highest = std::max(highest, mixture(bumps, Count, double(i) / samples));

    QPainterPath path(plot.bottomLeft());
    for (int i = 0; i <= samples; ++i) {
        const double x = double(i) / samples;
        const double y = mixture(bumps, Count, x) / highest * peak;
        path.lineTo(plot.left() + x * plot.width(), plot.bottom() - y * plot.height());
    }
    path.lineTo(plot.bottomRight());
    path.closeSubpath();
    return path;
}

// Draws the artwork into `panel`. `stroke` is the outline width in pixels; thicker lines keep
// the small icons legible.
void drawArtwork(QPainter &painter, const QRectF &panel, double stroke, bool ticks)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    const double radius = 0.09 * std::min(panel.width(), panel.height());
    const QRectF edge = panel.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
    painter.setPen(QPen(panelEdgeColor, std::max(1.0, stroke / 2)));
    painter.setBrush(panelColor);
    painter.drawRoundedRect(edge, radius, radius);

    const QRectF plot(panel.left() + 0.08 * panel.width(), panel.top() + 0.12 * panel.height(),
                      0.84 * panel.width(), 0.66 * panel.height());

    painter.setPen(QPen(backEdgeColor, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(backColor);
    painter.drawPath(curvePath(backBumps, plot, 0.62));

    // Slightly translucent, so the orange curve shows through where the two overlap.
    QColor frontFill = frontColor;
    frontFill.setAlphaF(0.88f);
    painter.setPen(QPen(frontEdgeColor, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(frontFill);
    painter.drawPath(curvePath(frontBumps, plot, 1.0));

    const double axisWidth = 1.6 * stroke;
    const double axisLeft = panel.left() + 0.05 * panel.width();
    const double axisRight = panel.right() - 0.05 * panel.width();
    painter.setPen(QPen(Qt::black, axisWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(axisLeft, plot.bottom()), QPointF(axisRight, plot.bottom()));
    if (ticks) {
        constexpr int tickCount = 9;
        const double tickLength = 0.035 * panel.height();
        painter.setPen(QPen(Qt::black, stroke, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < tickCount; ++i) {
            const double x = plot.left() + plot.width() * i / (tickCount - 1);
            painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + tickLength));
        }
    }
    painter.restore();
}

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage artwork()
{
    QImage image = transparentImage(artworkWidth, artworkHeight);
    image.setDotsPerMeterX(artworkDotsPerMeter);
    image.setDotsPerMeterY(artworkDotsPerMeter);
    QPainter painter(&image);
    drawArtwork(painter, QRectF(2, 2, artworkWidth - 4, artworkHeight - 4), 4.0, true);
    return image;
}

// The icon is the same scene laid out in a square panel rather than the artwork scaled down:
// letterboxing the wide artwork would leave a 16-pixel icon 11 pixels tall.
QImage icon(int size)
{
    QImage image = transparentImage(size, size);
    QPainter painter(&image);
    const double margin = size >= 48 ? size / 32.0 : 0.0;
    const double stroke = std::max(1.0, size / 96.0);
    drawArtwork(painter, QRectF(margin, margin, size - 2 * margin, size - 2 * margin), stroke,
                size >= 48);
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void appendLittleEndian16(QByteArray &out, quint16 value)
{
    const quint16 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&little), sizeof little);
}

void appendLittleEndian32(QByteArray &out, quint32 value)
{
    const quint32 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&little), sizeof little);
}

// An ICO file whose entries are PNG streams (read by Windows Vista and later): a six-byte
// header, one sixteen-byte directory entry per image, then the images. A width or height of 256
// is stored as 0.
QByteArray icoFile(const QList<QByteArray> &pngs, const QList<int> &sizes)
{
    constexpr int headerSize = 6;
    constexpr int entrySize = 16;
    QByteArray out;
    appendLittleEndian16(out, 0);
    appendLittleEndian16(out, 1);
    appendLittleEndian16(out, quint16(pngs.size()));
    quint32 offset = headerSize + entrySize * quint32(pngs.size());
    for (qsizetype i = 0; i < pngs.size(); ++i) {
        const char dimension = char(sizes[i] >= 256 ? 0 : sizes[i]);
        out.append(dimension);
        out.append(dimension);
        out.append(char(0)); // no palette
        out.append(char(0));
        appendLittleEndian16(out, 1); // colour planes
        appendLittleEndian16(out, 32); // bits per pixel
        appendLittleEndian32(out, quint32(pngs[i].size()));
        appendLittleEndian32(out, offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray &png : pngs)
        out.append(png);
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "makeartwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: makeartwork <resources folder>\n", stderr);
        return 2;
    }
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    if (!resources.mkpath(QStringLiteral("icons")) || !resources.mkpath(QStringLiteral("windows")))
        return 1;

    bool ok = writeFile(resources.filePath(QStringLiteral("artwork.png")), pngBytes(artwork()));

    QList<QByteArray> pngs;
    QList<int> sizes;
    for (int size : iconSizes) {
        const QByteArray png = pngBytes(icon(size));
        ok = writeFile(resources.filePath(QStringLiteral("icons/%1.png").arg(size)), png) && ok;
        pngs.append(png);
        sizes.append(size);
    }
    ok = writeFile(resources.filePath(QStringLiteral("windows/solvigram-charts.ico")),
                   icoFile(pngs, sizes))
        && ok;
    return ok ? 0 : 1;
}
