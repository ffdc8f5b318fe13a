#include "app/commandline.h"
#include "app/settingsstore.h"
#include "app/timesdistributiondialog.h"

#include <QApplication>
#include <QByteArray>
#include <QByteArrayList>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

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
    if (const std::optional<int> status = CommandLine::runWithoutWindow(argc, argv))
        return *status;
    if (!displayAvailable(platformName(argc, argv))) {
        std::fputs("solvigram-charts: no display found (set DISPLAY or WAYLAND_DISPLAY, or run "
                   "it in a desktop session).\n",
                   stderr);
        return 1;
    }

    QApplication application(argc, argv);
    const CommandLine::WindowRequest request
        = CommandLine::windowRequest(QCoreApplication::arguments());
    if (!request.error.isEmpty()) {
        CommandLine::printError(request.error);
        return CommandLine::usageError;
    }
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/artwork.png")));
    SettingsStore::setUp(QCoreApplication::applicationDirPath());
    TimesDistributionDialog dialog;
    dialog.fitToScreen();
    dialog.show();
    // Read as files dropped on each list are, once the window stands to ask which session.
    for (qsizetype i = 0; i < request.files.size(); ++i)
        dialog.openFile(request.files[i], i == 0);
    return application.exec();
}
