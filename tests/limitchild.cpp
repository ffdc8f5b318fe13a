// Writes a rendered chart with PngWriter under a file-size limit, so that the write fails partway,
// or pastes a text under a memory limit that it exceeds. A limit would hit everything the process
// does, so it lives in this separate program.
//
// Usage: limitchild <target> <limit>, with <limit> one of "none", "half", "all-but-one" or a
// byte count. Prints "size <PNG bytes>" and "error <reason>" (empty on success); exits 0 when the
// write was attempted, 2 on a setup problem. With <limit> "memory" it prints "times <first list's
// size>" and "note <the note>" instead.

#include "app/timesdistributiondialog.h"
#include "chart/pngwriter.h"
#include "testsupport.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

namespace {

// Enough solves, spread widely, to give the chart a dense axis and a curve of many segments.
QString manyTimes()
{
    QStringList times;
    for (int i = 0; i < 3000; ++i)
        times << QString::number(6.0 + (i * 7919 % 3001) / 100.0, 'f', 2);
    return times.join(QStringLiteral(", "));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: limitchild <target> <limit>\n", stderr);
        return 2;
    }
    const QString target = args.at(1);
    const QString limitText = args.at(2);

    IsolatedSettings settings;
    TimesDistributionDialog dialog;
    dialog.resize(1000, 700);
    dialog.show();
    QCoreApplication::processEvents();
    QGuiApplication::clipboard()->setText(manyTimes());
    auto *paste = dialog.findChild<QPushButton *>(QStringLiteral("pasteButton"));
    if (!paste)
        return 2;
    paste->click();
    if (dialog.primaryTimeList().size() != 3000)
        return 2;

    // A text that needs more memory than is left: the list and its chart stay.
    if (limitText == QLatin1String("memory")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("9.5\n").repeated(20'000'000));
        rlimit memory {};
        if (getrlimit(RLIMIT_AS, &memory) != 0)
            return 2;
        const rlimit original = memory;
        QFile status(QStringLiteral("/proc/self/statm"));
        if (!status.open(QIODevice::ReadOnly))
            return 2;
        memory.rlim_cur
            = rlim_t(status.readAll().split(' ').at(0).toULongLong()) * 4096 + (64 << 20);
        if (setrlimit(RLIMIT_AS, &memory) != 0)
            return 2;
        paste->click();
        if (setrlimit(RLIMIT_AS, &original) != 0)
            return 2;
        std::printf("times %lld\nnote %s\n",
                    static_cast<long long>(dialog.primaryTimeList().size()),
                    dialog.findChild<QLabel *>(QStringLiteral("noteText"))
                        ->text()
                        .toLocal8Bit()
                        .constData());
        return 0;
    }

    const QPixmap image = dialog.renderChart();
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return 2;
    const auto size = rlim_t(encoded.size());

    rlimit original {};
    if (getrlimit(RLIMIT_FSIZE, &original) != 0)
        return 2;
    rlimit limited = original;
    bool ok = true;
    if (limitText == QLatin1String("half"))
        limited.rlim_cur = size / 2;
    else if (limitText == QLatin1String("all-but-one"))
        limited.rlim_cur = size - 1;
    else if (limitText != QLatin1String("none"))
        limited.rlim_cur = limitText.toULongLong(&ok);
    if (!ok)
        return 2;

    // Beyond the limit a write must fail with EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0)
        return 2;
    const QString error = PngWriter::write(image, target);
    if (setrlimit(RLIMIT_FSIZE, &original) != 0)
        return 2;

    std::printf("size %lld\nerror %s\n", static_cast<long long>(size),
                error.toLocal8Bit().constData());
    return 0;
}
