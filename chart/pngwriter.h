#pragma once

#include <QString>

class QByteArray;
class QImage;
class QPixmap;

namespace PngWriter {

// Writes the image as a PNG file without ever leaving a damaged file behind: encoded in memory
// first, then written beside the target and renamed over it only when every byte is on disk.
// A link at that name is replaced itself, never followed; a pipe, socket or device is refused.
// Returns an empty string on success, otherwise the reason it failed.
QString write(const QPixmap &image, const QString &fileName);
// The same for bytes encoded already, as a PDF or an SVG.
QString writeFile(const QByteArray &bytes, const QString &fileName);

} // namespace PngWriter
