#include "chart/pngwriter.h"
#include "data/dialogtext.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QSaveFile>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

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

// Written beside the target and renamed over it only when every byte is on disk.
QString saveBeside(const QFileInfo &target, const QByteArray &bytes)
{
    QSaveFile file(target.filePath());
    if (!file.open(QIODevice::WriteOnly)) {
        // QSaveFile's own direct-write fallback takes only a refused permission, not a folder
        // locked otherwise, and leaves a half-written file when a write fails.
        const QFileInfo folder(target.absolutePath());
        if (target.isFile() && target.isWritable() && folder.isDir() && !folder.isWritable())
            return writeInPlace(target.filePath(), bytes);
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

// QSaveFile writes where a link leads, even where nothing is yet: the chart is saved in a folder
// of its own beside the link and renamed over the link itself.
QString replaceLink(const QFileInfo &link, const QByteArray &bytes)
{
    const QTemporaryDir beside(link.absolutePath() + QStringLiteral("/.chart-XXXXXX"));
    if (!beside.isValid())
        return beside.errorString();
    const QFileInfo copy(beside.filePath(link.fileName()));
    if (const QString error = saveBeside(copy, bytes); !error.isEmpty())
        return error;
    std::error_code failed;
    std::filesystem::rename(copy.filesystemAbsoluteFilePath(), link.filesystemAbsoluteFilePath(),
                            failed);
    return failed ? QString::fromLocal8Bit(failed.message()) : QString();
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
    return writeFile(bytes, fileName);
}

QString writeFile(const QByteArray &bytes, const QString &fileName)
{
    const QFileInfo target(fileName);
    if (target.isSymbolicLink())
        return replaceLink(target, bytes);
    if (target.isDir())
        return DialogText::tr("It is a folder.");
    // Never opened: opening a pipe to write waits for a reader that may never come.
    if (target.exists() && !target.isFile())
        return DialogText::tr("It is a pipe, socket or device, not a file.");
    return saveBeside(target, bytes);
}

} // namespace PngWriter
