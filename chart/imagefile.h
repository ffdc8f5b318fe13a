#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct ChartScene;

// The chart as a file: PNG, PDF or SVG.
namespace ImageFile {

enum class Format { Png, Pdf, Svg };

// The formats this build writes, PNG first: SVG only where it was built with Qt SVG.
QList<Format> formats();
// ".png, .pdf or .svg": the suffixes of formats().
QString suffixList();

// The format a file name's suffix names, in any case; nothing for another suffix or none.
std::optional<Format> formatOf(const QString &fileName);
// "png", "pdf" or "svg".
QString suffix(Format format);

// The chart in a format: a PNG of its pixels at the scene's device pixel ratio, or a PDF page or
// SVG drawing of the scene's size whose text stays text. Empty when it could not be made.
QByteArray encode(const ChartScene &scene, Format format);

// Writes the chart as PngWriter writes a file: never a damaged file, never through a link, never
// into a pipe. Returns an empty string on success, otherwise the reason it failed.
QString write(const ChartScene &scene, Format format, const QString &fileName);

} // namespace ImageFile
