#include "chart/pngwriter.h"
#include "data/dialogtext.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QSaveFile>

namespace {

// QSaveFile::commit() reports success after a failed flush or a short write, so each step is
// checked here and a failed one cancels the write before anything is renamed.
template<typename File> QString writeAll(File &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
    return {};
}

// For a file whose folder takes no new file, so no copy can be written beside it and renamed.
// The old contents are kept in memory and put back when the write fails partway.
QString writeInPlace(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return file.errorString();
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    // Written over the old bytes first and cut after, so a failure never leaves an empty file.
    QString error;
    if (!file.seek(0))
        error = file.errorString();
    else
        error = writeAll(file, bytes);
    if (error.isEmpty() && !file.resize(bytes.size()))
        error = file.errorString();
    if (!error.isEmpty() && file.seek(0) && file.write(old) == old.size() && file.flush())
        file.resize(old.size());
    return error;
}

} // namespace

namespace PngWriter {

QString write(const QPixmap &image, const QString &fileName)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return DialogText::tr("The image could not be encoded as PNG.");

    const QFileInfo target(fileName);
    if (target.isDir())
        return DialogText::tr("It is a folder.");

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
    if (!file.open(QIODevice::WriteOnly)) {
        // QSaveFile's own direct-write fallback takes only a refused permission, not a folder
        // locked otherwise, and leaves a half-written file when a write fails.
        const QFileInfo folder(target.absolutePath());
        if (target.isFile() && target.isWritable() && folder.isDir() && !folder.isWritable())
            return writeInPlace(fileName, bytes);
        return file.errorString();
    }
    if (const QString error = writeAll(file, bytes); !error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace PngWriter
