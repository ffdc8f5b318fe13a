#include "chart/imagefile.h"
#include "chart/chart.h"
#include "chart/pngwriter.h"
#include "data/dialogtext.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QStringList>
#ifdef SOLVIGRAM_SVG
#include <QSvgGenerator>
#endif

namespace {

// The resolution the PNG's fonts are laid out at: a vector image at the same one keeps every
// text where the PNG has it, one unit of the drawing to a pixel.
int pixmapDpi()
{
    return QPixmap(1, 1).logicalDpiY();
}

// Paints the scene on a device that writes its file as the painter ends.
bool paintOn(QPaintDevice &device, const ChartScene &scene)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    Chart::paint(painter, scene);
    return painter.end();
}

QByteArray pdf(const ChartScene &scene)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const int dpi = pixmapDpi();
    QPdfWriter writer(&buffer);
    writer.setResolution(dpi);
    writer.setTitle(scene.title);
    writer.setCreator(QStringLiteral("Solvigram Charts"));
    const QPageSize page(QSizeF(scene.size) * 72.0 / dpi, QPageSize::Point, QString(),
                         QPageSize::ExactMatch);
    if (!writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF())))
        return {};
    return paintOn(writer, scene) ? bytes : QByteArray();
}

#ifdef SOLVIGRAM_SVG
QByteArray svg(const ChartScene &scene)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(pixmapDpi());
    generator.setSize(scene.size);
    generator.setViewBox(QRect(QPoint(0, 0), scene.size));
    generator.setTitle(scene.title);
    generator.setDescription(QStringLiteral("Solvigram Charts"));
    return paintOn(generator, scene) ? bytes : QByteArray();
}
#endif

} // namespace

namespace ImageFile {

QList<Format> formats()
{
#ifdef SOLVIGRAM_SVG
    return {Format::Png, Format::Pdf, Format::Svg};
#else
    return {Format::Png, Format::Pdf};
#endif
}

QString suffixList()
{
    QStringList suffixes;
    for (const Format format : formats())
        suffixes << u'.' + suffix(format);
    const QString last = suffixes.takeLast();
    return DialogText::tr("%1 or %2").arg(suffixes.join(QStringLiteral(", ")), last);
}

std::optional<Format> formatOf(const QString &fileName)
{
    for (const Format format : formats()) {
        if (fileName.endsWith(u'.' + suffix(format), Qt::CaseInsensitive))
            return format;
    }
    return std::nullopt;
}

QString suffix(Format format)
{
    switch (format) {
    case Format::Png:
        return QStringLiteral("png");
    case Format::Pdf:
        return QStringLiteral("pdf");
    case Format::Svg:
        return QStringLiteral("svg");
    }
    return {};
}

QByteArray encode(const ChartScene &scene, Format format)
{
    if (scene.size.isEmpty())
        return {};
    switch (format) {
    case Format::Png: {
        const QPixmap image = Chart::render(scene);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        return !image.isNull() && image.save(&buffer, "PNG") ? bytes : QByteArray();
    }
    case Format::Pdf:
        return pdf(scene);
    case Format::Svg:
#ifdef SOLVIGRAM_SVG
        return svg(scene);
#else
        return {};
#endif
    }
    return {};
}

QString write(const ChartScene &scene, Format format, const QString &fileName)
{
    const QByteArray bytes = encode(scene, format);
    if (bytes.isEmpty())
        return DialogText::tr("The image could not be encoded as %1.")
            .arg(suffix(format).toUpper());
    return PngWriter::writeFile(bytes, fileName);
}

} // namespace ImageFile
