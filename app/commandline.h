#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The program's command line: the files the window opens, and the commands that draw or print
// without a window.
namespace CommandLine {

// Exit statuses besides 0.
constexpr int nothingToDraw = 1;
constexpr int usageError = 2;

// Answers --help and --version, and runs --output, --list-sessions and --statistics, none of which
// needs a display. Gives the exit status, or nothing when the window is to open. Runs before
// any application object exists.
std::optional<int> runWithoutWindow(int argc, char **argv);

// The files the window opens, from the arguments Qt left after taking its own options.
struct WindowRequest
{
    QStringList files;
    // Why the arguments ask for something the window does not do; empty when they do not.
    QString error;
};
WindowRequest windowRequest(const QStringList &arguments);

// One line on standard error, after the program's name.
void printError(const QString &message);

} // namespace CommandLine
