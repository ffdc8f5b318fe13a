#include "app/timesdistributiondialog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt aborts with a core dump and a long plugin list; say it in one line.
bool displayAvailable()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const auto has = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("wayland"))
        return has("WAYLAND_DISPLAY");
    if (platform.isEmpty() || platform.startsWith("xcb"))
        return has("DISPLAY") || has("WAYLAND_DISPLAY");
    return true; // offscreen, vnc, eglfs and the like need no display server
#else
    return true;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fputs("solvigram-charts: no display found (set DISPLAY or WAYLAND_DISPLAY, or run "
                   "it in a desktop session).\n",
                   stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/artwork.png")));
    TimesDistributionDialog dialog;
    dialog.show();
    return application.exec();
}
