#include "app/timesdistributiondialog.h"

#include <QApplication>
#include <QByteArray>
#include <QByteArrayList>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Answered before Qt starts, so they need no display.
bool answeredOption(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("solvigram-charts " SOLVIGRAM_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::puts(
                "Usage: solvigram-charts [Qt options]\n\n"
                "Charts the distribution of speedcubing solve times. Copy a session from your\n"
                "timer or a list of times and press \"Paste data\" (or Return, or Ctrl+V).\n\n"
                "  --help     show this text and exit\n"
                "  --version  show the version and exit\n\n"
                "Qt's own options, such as -platform, are accepted; anything else is ignored.");
            return true;
        }
    }
    return false;
}

// The platform Qt will use: its -platform argument wins over QT_QPA_PLATFORM, as in Qt itself.
QByteArray platformName(int argc, char **argv)
{
    QByteArray name = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-platform" || argument == "--platform")
            name = argv[++i];
    }
    return name;
}

// Without a display Qt aborts with a core dump and a long plugin list; say it in one line.
bool displayAvailable(const QByteArray &platform)
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const auto has = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    if (platform.isEmpty())
        return has("DISPLAY") || has("WAYLAND_DISPLAY");
    // "wayland;xcb" lists plugins to try in turn, each perhaps with ":options".
    for (const QByteArray &entry : platform.split(';')) {
        const QByteArray plugin = entry.split(':').constFirst();
        if (plugin.startsWith("wayland") ? has("WAYLAND_DISPLAY")
                                         : plugin != "xcb" || has("DISPLAY"))
            return true; // offscreen, vnc, eglfs and the like need no display server
    }
    return false;
#else
    Q_UNUSED(platform);
    return true;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    if (answeredOption(argc, argv))
        return 0;
    if (!displayAvailable(platformName(argc, argv))) {
        std::fputs("solvigram-charts: no display found (set DISPLAY or WAYLAND_DISPLAY, or run "
                   "it in a desktop session).\n",
                   stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/artwork.png")));
    TimesDistributionDialog dialog;
    dialog.fitToScreen();
    dialog.show();
    return application.exec();
}
