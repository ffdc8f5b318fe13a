#include "chart/pngwriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QSaveFile>

namespace {

QString translate(const char *text)
{
    return QCoreApplication::translate("TimesDistributionDialog", text);
}

// QSaveFile::commit() reports success after a failed flush or a short write, so each step is
// checked here and a failed one cancels the write before anything is renamed.
template<typename File> QString writeAll(File &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
    return {};
}

} // namespace

namespace PngWriter {

QString write(const QPixmap &image, const QString &fileName)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return translate("The image could not be encoded as PNG.");

    const QFileInfo target(fileName);
    if (target.isDir())
        return translate("It is a folder.");

    // A device or pipe cannot be replaced by a rename: write to it directly.
    if (target.exists() && !target.isFile()) {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        const QString error = writeAll(file, bytes);
        file.close();
        if (error.isEmpty() && file.error() != QFileDevice::NoError)
            return file.errorString();
        return error;
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (const QString error = writeAll(file, bytes); !error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace PngWriter
