#include "app/commandline.h"
#include "app/controls.h"
#include "app/timesdistributiondialog.h"
#include "chart/chart.h"
#include "chart/imagefile.h"
#include "data/dialogtext.h"
#include "data/parsedtimes.h"
#include "data/sessions.h"
#include "data/timereaders.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <tuple>
#include <variant>

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif

namespace {

// The window's chart area at its first size, which --size defaults to.
constexpr QSize windowChartSize(624, 370);
// An image larger than this a side would take gigabytes.
constexpr int largestImageSide = 10000;

// A list's reading options: --session, --last, --from and --to, or the same with 2.
struct ListOptions
{
    QCommandLineOption session;
    QCommandLineOption last;
    QCommandLineOption from;
    QCommandLineOption to;

    explicit ListOptions(const QString &suffix, const QString &list)
        : session(QStringLiteral("session") + suffix,
                  DialogText::tr("Chart the session NAME (a name, or a number as --list-sessions "
                                 "shows it) of %1 rather than the one a paste takes.")
                      .arg(list),
                  QStringLiteral("NAME"))
        , last(QStringLiteral("last") + suffix,
               DialogText::tr("Only the last N solves of %1's session (of its period, where one "
                              "is given).")
                   .arg(list),
               QStringLiteral("N"))
        , from(QStringLiteral("from") + suffix,
               DialogText::tr("Only solves of %1 on or after DATE (yyyy-mm-dd, local time).")
                   .arg(list),
               QStringLiteral("DATE"))
        , to(QStringLiteral("to") + suffix,
             DialogText::tr("Only solves of %1 on or before DATE (yyyy-mm-dd, local time).")
                 .arg(list),
             QStringLiteral("DATE"))
    { }

    QList<const QCommandLineOption *> all() const { return {&session, &last, &from, &to}; }
};

// --detail or --trim, which sets a slider as the window's does.
QCommandLineOption sliderOption(const QString &name, const QString &slider,
                                Controls::SliderRange range)
{
    return {name,
            DialogText::tr("%1, %2 to %3 (default %4).")
                .arg(slider)
                .arg(range.minimum)
                .arg(range.maximum)
                .arg(range.start),
            QStringLiteral("%1-%2").arg(range.minimum).arg(range.maximum)};
}

struct Options
{
    QCommandLineOption help {{QStringLiteral("h"), QStringLiteral("help")},
                             DialogText::tr("Show this text and exit.")};
    QCommandLineOption version {{QStringLiteral("v"), QStringLiteral("version")},
                                DialogText::tr("Show the version and exit.")};
    QCommandLineOption output {
        {QStringLiteral("o"), QStringLiteral("output")},
        DialogText::tr("Draw the chart of FILE (and SECOND) into OUT without a "
                       "window; OUT ends in %1.")
            .arg(ImageFile::suffixList()),
        QStringLiteral("OUT")};
    QCommandLineOption listSessions {QStringLiteral("list-sessions"),
                                     DialogText::tr("Print each session of FILE on a line: number, "
                                                    "name, times, DNFs, first and last date, "
                                                    "separated by tabs.")};
    QCommandLineOption statistics {
        QStringLiteral("statistics"),
        DialogText::tr("Print the statistics of FILE (and SECOND) as Copy "
                       "Statistics copies them.")};
    ListOptions first {QString(), DialogText::tr("FILE")};
    ListOptions second {QStringLiteral("2"), DialogText::tr("SECOND")};
    QCommandLineOption title {QStringLiteral("title"),
                              DialogText::tr("The chart's title (default \"Chart Title\")."),
                              QStringLiteral("TEXT")};
    QCommandLineOption detail = sliderOption(QStringLiteral("detail"),
                                             DialogText::tr("The Detail slider"), Controls::detail);
    QCommandLineOption trim
        = sliderOption(QStringLiteral("trim"), DialogText::tr("The Trim slider"), Controls::trim);
    QCommandLineOption noStats {QStringLiteral("no-stats"),
                                DialogText::tr("Without the statistics (Show Stats off).")};
    QCommandLineOption noQuartiles {QStringLiteral("no-quartiles"),
                                    DialogText::tr("Without the first list's quartile lines.")};
    QCommandLineOption quartiles2 {QStringLiteral("quartiles2"),
                                   DialogText::tr("With the second list's quartile lines.")};
    QCommandLineOption color {QStringLiteral("color"),
                              DialogText::tr("The first list's colour, any name Qt reads: %1 "
                                             "(the default), steelblue ...")
                                  .arg(QColor::fromRgb(ChartScene::defaultPrimaryColor).name()),
                              QStringLiteral("COLOR")};
    QCommandLineOption color2 {QStringLiteral("color2"),
                               DialogText::tr("The second list's colour (default %1).")
                                   .arg(QColor::fromRgb(ChartScene::defaultSecondaryColor).name()),
                               QStringLiteral("COLOR")};
    QCommandLineOption key {QStringLiteral("key"), DialogText::tr("With the key (Show Key).")};
    QCommandLineOption size {QStringLiteral("size"),
                             DialogText::tr("The chart's size in units (default 624x370, the "
                                            "window's)."),
                             QStringLiteral("WxH")};
    QCommandLineOption scale {QStringLiteral("scale"),
                              DialogText::tr("Pixels per unit of a PNG (default 1; 2 for a 200 % "
                                             "screen)."),
                              QStringLiteral("F")};

    QList<const QCommandLineOption *> drawing() const
    {
        return {&title, &detail, &trim, &noStats, &noQuartiles, &quartiles2,
                &color, &color2, &key,  &size,    &scale};
    }

    void addTo(QCommandLineParser &parser) const
    {
        // "-platform" is one of Qt's options, never -p -l -a ... -o rm.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(DialogText::tr(
            "Charts the distribution of speedcubing solve times. Without options it "
            "opens the window, FILE read into the first list and SECOND into the "
            "second as a dropped file is. The window takes Qt's own options too, such "
            "as -platform."));
        QList<const QCommandLineOption *> options {&help, &version, &output, &listSessions,
                                                   &statistics};
        options << first.all() << second.all() << drawing();
        for (const QCommandLineOption *option : std::as_const(options))
            parser.addOption(*option);
        parser.addPositionalArgument(QStringLiteral("FILE, SECOND"),
                                     DialogText::tr("A timer's export or backup, or a list of "
                                                    "times; SECOND is drawn behind FILE."),
                                     QStringLiteral("[FILE [SECOND]]"));
    }
};

// A name or message on one line of a terminal: no direction marks, control characters as spaces.
QString oneLine(const QString &text)
{
    QString line = shownName(text, std::numeric_limits<qsizetype>::max());
    line.remove(QChar(u'\x2068'));
    line.remove(QChar(u'\x2069'));
    return line;
}

void print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// A program built for the Windows GUI has no console of its own: it writes to the one it was
// started from, unless its output goes to a file or a pipe already.
void attachConsole()
{
#ifdef Q_OS_WIN
    if (GetStdHandle(STD_OUTPUT_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
}

QString helpText(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("solvigram-charts"));
    return text;
}

// What went wrong, with its exit status.
struct Failure
{
    int status;
    QString message;
};

// A value, or why there is none.
template<typename T> using OrFailure = std::variant<T, Failure>;

struct ReadList
{
    ParsedTimes parsed;
    ListLabel label;
};

OrFailure<std::shared_ptr<const SessionSet>> readSessions(const QString &path)
{
    QString text;
    const QString problem = TimesDistributionDialog::readFile(path, text);
    if (!problem.isEmpty())
        return Failure {CommandLine::nothingToDraw, problem};
    try {
        return std::make_shared<const SessionSet>(TimeReaders::readSessions(std::move(text)));
    } catch (const std::bad_alloc &) {
        return Failure {CommandLine::nothingToDraw,
                        DialogText::tr("%1 is too large to read").arg(noteName(path))};
    }
}

// A session by its name, else by its number from 1.
std::optional<qsizetype> findSession(const SessionSet &set, const QString &wanted)
{
    for (qsizetype i = 0; i < set.sessions.size(); ++i) {
        if (set.sessions[i].name == wanted || oneLine(set.sessions[i].name) == wanted)
            return i;
    }
    bool number = false;
    const qsizetype index = wanted.toLongLong(&number) - 1;
    if (number && index >= 0 && index < set.sessions.size())
        return index;
    return std::nullopt;
}

// The times of one list as its options choose them, or why there are none.
OrFailure<ReadList> readList(const QString &path, const QCommandLineParser &parser,
                             const ListOptions &options)
{
    const QString name
        = noteName(QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName());
    const auto read = readSessions(path);
    if (const Failure *failure = std::get_if<Failure>(&read))
        return *failure;
    const std::shared_ptr<const SessionSet> &set = std::get<0>(read);

    qsizetype session = set->current;
    if (parser.isSet(options.session)) {
        const QString wanted = parser.value(options.session);
        const std::optional<qsizetype> found = findSession(*set, wanted);
        if (!found) {
            return Failure {
                CommandLine::usageError,
                DialogText::tr("%1 holds no session \"%2\" (--list-sessions shows them)")
                    .arg(name, wanted)};
        }
        session = *found;
    }

    Period period;
    if (parser.isSet(options.last)) {
        bool number = false;
        period.lastSolves = parser.value(options.last).toLongLong(&number);
        if (!number || period.lastSolves < 1) {
            return Failure {
                CommandLine::usageError,
                DialogText::tr("--%1 takes a number of solves from 1, not \"%2\"")
                    .arg(options.last.names().constFirst(), parser.value(options.last))};
        }
    }
    for (const auto &[option, date] :
         {std::pair {&options.from, &period.from}, std::pair {&options.to, &period.to}}) {
        if (!parser.isSet(*option))
            continue;
        *date = QDate::fromString(parser.value(*option), Qt::ISODate);
        if (!date->isValid()) {
            return Failure {CommandLine::usageError,
                            DialogText::tr("--%1 takes a date as 2026-11-30, not \"%2\"")
                                .arg(option->names().constFirst(), parser.value(*option))};
        }
    }
    const Session *chosen = set->sessions.isEmpty() ? nullptr : &set->sessions[session];
    if ((!period.from.isNull() || !period.to.isNull()) && chosen && !chosen->hasDates()) {
        return Failure {CommandLine::nothingToDraw,
                        DialogText::tr("%1 keeps no dates to choose a period by").arg(name)};
    }

    ReadList list;
    list.parsed = set->choose(session, period);
    if (list.parsed.times.isEmpty()) {
        const QString summary = list.parsed.summary();
        QString message = !summary.isEmpty() ? name + QStringLiteral(": ") + summary
            : period.isWhole()               ? DialogText::tr("No times found in %1").arg(name)
                               : DialogText::tr("No times in %1 in that period").arg(name);
        return Failure {CommandLine::nothingToDraw, message};
    }
    list.label = TimesDistributionDialog::listLabel(*set, session, list.parsed);
    return list;
}

// A whole number in a range, or why not.
OrFailure<int> numberIn(const QCommandLineParser &parser, const QCommandLineOption &option,
                        int lowest, int highest)
{
    bool number = false;
    const int value = parser.value(option).toInt(&number);
    if (number && value >= lowest && value <= highest)
        return value;
    return Failure {CommandLine::usageError,
                    DialogText::tr("--%1 takes a whole number from %2 to %3, not \"%4\"")
                        .arg(option.names().constFirst())
                        .arg(lowest)
                        .arg(highest)
                        .arg(parser.value(option))};
}

// The scene as the window would show it with these lists and settings.
OrFailure<ChartScene> sceneOf(const QCommandLineParser &parser, const Options &options)
{
    ChartScene scene;
    scene.title
        = parser.isSet(options.title) ? parser.value(options.title) : DialogText::tr("Chart Title");
    int detail = Controls::detail.start;
    int trim = Controls::trim.start;
    for (const auto &[option, value, range] :
         {std::tuple {&options.detail, &detail, Controls::detail},
          std::tuple {&options.trim, &trim, Controls::trim}}) {
        if (!parser.isSet(*option))
            continue;
        const OrFailure<int> number = numberIn(parser, *option, range.minimum, range.maximum);
        if (const Failure *failure = std::get_if<Failure>(&number))
            return *failure;
        *value = std::get<int>(number);
    }
    Controls::setSliders(scene, detail, trim);
    scene.statistics = !parser.isSet(options.noStats);
    scene.primaryQuartiles = !parser.isSet(options.noQuartiles);
    scene.secondaryQuartiles = parser.isSet(options.quartiles2);
    scene.key = parser.isSet(options.key);
    for (const auto &[option, colour] : {std::pair {&options.color, &scene.primaryColor},
                                         std::pair {&options.color2, &scene.secondaryColor}}) {
        if (!parser.isSet(*option))
            continue;
        *colour = QColor::fromString(parser.value(*option));
        if (!colour->isValid()) {
            return Failure {CommandLine::usageError,
                            DialogText::tr("--%1 takes a colour such as #66ccff or steelblue, not "
                                           "\"%2\"")
                                .arg(option->names().constFirst(), parser.value(*option))};
        }
    }

    scene.size = windowChartSize;
    if (parser.isSet(options.size)) {
        static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,9})[xX]([0-9]{1,9})$"));
        const QRegularExpressionMatch match = pattern.match(parser.value(options.size));
        scene.size = match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt())
                                      : QSize();
        if (scene.size.isEmpty()) {
            return Failure {CommandLine::usageError,
                            DialogText::tr("--size takes a width and a height as 624x370, not "
                                           "\"%1\"")
                                .arg(parser.value(options.size))};
        }
    }
    if (parser.isSet(options.scale)) {
        bool number = false;
        scene.devicePixelRatio = parser.value(options.scale).toDouble(&number);
        if (!number || !(scene.devicePixelRatio > 0.0)) {
            return Failure {CommandLine::usageError,
                            DialogText::tr("--scale takes a number above 0, as 2, not \"%1\"")
                                .arg(parser.value(options.scale))};
        }
    }
    const QSizeF pixels = QSizeF(scene.size) * scene.devicePixelRatio;
    if (pixels.width() > largestImageSide || pixels.height() > largestImageSide
        || pixels.width() < 1.0 || pixels.height() < 1.0) {
        return Failure {CommandLine::usageError,
                        DialogText::tr("--size and --scale make an image of %1 x %2 pixels; it "
                                       "takes 1 to %3 a side")
                            .arg(qRound(pixels.width()))
                            .arg(qRound(pixels.height()))
                            .arg(largestImageSide)};
    }
    return scene;
}

QString listSessions(const SessionSet &set)
{
    QString text;
    for (qsizetype i = 0; i < set.sessions.size(); ++i) {
        const Session &session = set.sessions[i];
        qsizetype dnfs = 0;
        for (const float entry : session.entries)
            dnfs += entry == Session::dnf ? 1 : 0;
        const bool dated = session.lastDate().isValid();
        const QStringList fields {
            QString::number(i + 1),
            oneLine(session.name),
            QString::number(session.solveCount() - dnfs),
            QString::number(dnfs),
            dated ? session.firstDate().toString(Qt::ISODate) : QString(),
            dated ? session.lastDate().toString(Qt::ISODate) : QString(),
        };
        text += fields.join(u'\t') + u'\n';
    }
    return text;
}

// Which options a command takes: a list's reading options draw or count it, the drawing options
// only draw.
std::optional<Failure> unusedOption(const QCommandLineParser &parser, const Options &options,
                                    const QCommandLineOption &command)
{
    QList<const QCommandLineOption *> unused;
    if (&command != &options.output)
        unused << options.drawing();
    if (&command == &options.listSessions)
        unused << options.first.all() << options.second.all();
    for (const QCommandLineOption *option : std::as_const(unused)) {
        if (parser.isSet(*option))
            return Failure {CommandLine::usageError,
                            DialogText::tr("--%1 has no use with --%2")
                                .arg(option->names().constLast(), command.names().constLast())};
    }
    return std::nullopt;
}

int fail(const Failure &failure)
{
    CommandLine::printError(failure.message);
    return failure.status;
}

int runCommand(const QCommandLineParser &parser, const Options &options)
{
    const QCommandLineOption *commands[]
        = {&options.output, &options.listSessions, &options.statistics};
    const QCommandLineOption *command = nullptr;
    for (const QCommandLineOption *candidate : commands) {
        if (!parser.isSet(*candidate))
            continue;
        if (command)
            return fail({CommandLine::usageError,
                         DialogText::tr("--%1 and --%2 are two commands; give one")
                             .arg(command->names().constLast(), candidate->names().constLast())});
        command = candidate;
    }
    if (!command)
        return fail({CommandLine::usageError, DialogText::tr("No command given")});
    if (std::optional<Failure> unused = unusedOption(parser, options, *command))
        return fail(*unused);

    const QStringList files = parser.positionalArguments();
    const qsizetype most = command == &options.listSessions ? 1 : 2;
    if (files.isEmpty() || files.size() > most)
        return fail(
            {CommandLine::usageError,
             files.isEmpty()
                 ? DialogText::tr("--%1 needs a FILE to read").arg(command->names().constLast())
                 : DialogText::tr("--%1 reads at most %2 files, not %3")
                       .arg(command->names().constLast())
                       .arg(most)
                       .arg(files.size())});
    if (files.size() < 2) {
        for (const QCommandLineOption *option : options.second.all()) {
            if (parser.isSet(*option))
                return fail({CommandLine::usageError,
                             DialogText::tr("--%1 is for a SECOND file, and none is given")
                                 .arg(option->names().constFirst())});
        }
    }

    if (command == &options.listSessions) {
        const auto read = readSessions(files.constFirst());
        if (const Failure *failure = std::get_if<Failure>(&read))
            return fail(*failure);
        print(listSessions(*std::get<0>(read)));
        return 0;
    }

    std::optional<ImageFile::Format> format;
    if (command == &options.output) {
        format = ImageFile::formatOf(parser.value(options.output));
        if (!format)
            return fail({CommandLine::usageError,
                         DialogText::tr("%1 names no image type: it ends in %2")
                             .arg(parser.value(options.output), ImageFile::suffixList())});
    }
    OrFailure<ChartScene> built = sceneOf(parser, options);
    if (const Failure *failure = std::get_if<Failure>(&built))
        return fail(*failure);
    ChartScene &scene = std::get<ChartScene>(built);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const bool primary = i == 0;
        OrFailure<ReadList> read
            = readList(files[i], parser, primary ? options.first : options.second);
        if (const Failure *failure = std::get_if<Failure>(&read))
            return fail(*failure);
        ReadList &list = std::get<ReadList>(read);
        (primary ? scene.primaryTimes : scene.secondaryTimes) = std::move(list.parsed.times);
        (primary ? scene.primaryLabel : scene.secondaryLabel) = std::move(list.label);
    }

    if (command == &options.statistics) {
        print(TimesDistributionDialog::statisticsText(scene));
        return 0;
    }
    const QString out = parser.value(options.output);
    const QString error = ImageFile::write(scene, *format, out);
    if (!error.isEmpty())
        return fail({CommandLine::nothingToDraw,
                     DialogText::tr("%1 could not be written: %2").arg(out, error)});
    return 0;
}

// On Windows from the wide command line, which no code page loses; elsewhere argv is UTF-8.
QStringList commandLineArguments(int argc, char **argv)
{
    QStringList arguments;
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    if (wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
#else
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
#endif
    return arguments;
}

} // namespace

namespace CommandLine {

std::optional<int> runWithoutWindow(int argc, char **argv)
{
    // A first look, before Qt has taken its options out: which command runs, if any.
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    const QStringList arguments = commandLineArguments(argc, argv);
    parser.parse(arguments);
    const bool help = parser.isSet(options.help);
    const bool version = parser.isSet(options.version);
    if (help || version) {
        attachConsole();
        print(help ? helpText(parser) : QStringLiteral("solvigram-charts " SOLVIGRAM_VERSION "\n"));
        return 0;
    }
    if (!parser.isSet(options.output) && !parser.isSet(options.listSessions)
        && !parser.isSet(options.statistics))
        return std::nullopt;

    attachConsole();
    // No window opens, so none needs a display: Qt's offscreen platform draws with the same fonts.
    // Windows has no offscreen platform and needs none.
#ifndef Q_OS_WIN
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // What Qt says while it starts (XDG_RUNTIME_DIR not set, under cron) is no error of the
    // command's, which are one line each.
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        });
    // Qt sees no argument but the program's name: it would take --session and others of ours for
    // its own.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QGuiApplication application(qtArgc, qtArgv);
    qInstallMessageHandler(previous);
    if (!parser.parse(arguments))
        return fail({usageError, parser.errorText()});
    return runCommand(parser, options);
}

WindowRequest windowRequest(const QStringList &arguments)
{
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    WindowRequest request;
    if (!parser.parse(arguments)) {
        request.error = parser.errorText();
        return request;
    }
    request.files = parser.positionalArguments();
    if (!parser.optionNames().isEmpty())
        request.error = DialogText::tr("--%1 goes with --output or --statistics, not the window")
                            .arg(parser.optionNames().constFirst());
    else if (request.files.size() > 2)
        request.error
            = DialogText::tr("The window opens at most 2 files, not %1").arg(request.files.size());
    return request;
}

void printError(const QString &message)
{
    const QByteArray line = (QStringLiteral("solvigram-charts: ") + oneLine(message)).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

} // namespace CommandLine
