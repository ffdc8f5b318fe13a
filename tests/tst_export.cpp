#include "app/controls.h"
#include "app/settingsstore.h"
#include "app/timesdistributiondialog.h"
#include "chart/chart.h"
#include "chart/imagefile.h"
#include "chart/pngwriter.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDirIterator>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <memory>

namespace {

const QColor mainColor(0x66, 0xCC, 0xFF);
const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);
const QByteArray oldBytes("old chart\0\x01\x02\xff kept as it was", 29);
constexpr QRgb opaqueWhite = 0xffffffff;

// What stands at the place a chart is written to before the write.
enum class Place {
    Nothing,
    OldFile,
    MissingFolder,
    Folder,
    BelowPlainFile,
    FullDevice,
    LockedFolder,
    LockedFile,
    LockedFolderAndFile,
    DanglingLink,
    Pipe,
    MarkupFolder,
};

struct BoxSeen
{
    QMessageBox::Icon icon;
    QString text;
    // The text as the user reads it: without its markup where the box takes it as rich text.
    QString shown;
    QWidget *parent;
};

// Everything the user meets during one press of "Save".
struct SaveRun
{
    int fileDialogs = 0;
    QString title;
    QString directory;
    QStringList nameFilters;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QWidget *parent = nullptr;
    QString proposed;
    int replaceQuestions = 0;
    QList<BoxSeen> boxes;
    int unexpected = 0;
};

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage argb(const QPixmap &pixmap)
{
    return argb(pixmap.toImage());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every entry under root with what it holds, without following links (one leads to /dev/full).
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray state;
        if (info.isSymLink())
            state = "link to " + QFile::encodeName(info.symLinkTarget());
        else if (info.isDir())
            state = "folder";
        else if (info.isFile())
            state = "file " + contents(path);
        else
            state = "device";
        entries.insert(base.relativeFilePath(path), state);
    }
    return entries;
}

bool isFullDevice(const QString &path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode)
        && status.st_rdev == makedev(1, 7);
}

// Runs the program as a script would and gives its standard output.
QByteArray runProgram(const QStringList &arguments)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(PROGRAM), arguments);
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit
        || program.exitCode() != 0)
        qWarning("%s", program.readAllStandardError().constData());
    return program.exitCode() == 0 ? program.readAllStandardOutput() : QByteArray("failed");
}

QString timesText()
{
    return QStringLiteral("9.52, 10.31, 8.97, 11.04, 9.88, 10.65, 12.40, 9.13, 10.02, 13.77");
}

} // namespace

Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(ImageFile::Format)

class ExportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesAPngNamedAsTyped_data();
    void saveWritesAPngNamedAsTyped();
    void cancelWritesNothing();
    void saveDialogStartsInTheCurrentFolderEveryTime();
    void proposedNameComesFromTheTitle_data();
    void proposedNameComesFromTheTitle();
    void failedSaveIsReportedAndHarmsNothing_data();
    void failedSaveIsReportedAndHarmsNothing();

    void chartWithoutTimesHoldsFrameAndTitleOnly_data();
    void chartWithoutTimesHoldsFrameAndTitleOnly();
    void outsideTheFrameIsTransparentInsideWhite_data();
    void outsideTheFrameIsTransparentInsideWhite();
    void clipboardHoldsAFreshRender();
    void commandLineDrawsWhatTheWindowCopies_data();
    void commandLineDrawsWhatTheWindowCopies();
    void largerWindowGivesLargerImage();

    void writerReportsEveryOutcome_data();
    void writerReportsEveryOutcome();
    void writeFailingPartwayKeepsTheOldFile_data();
    void writeFailingPartwayKeepsTheOldFile();

private:
    template<typename T> T *child(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    QString inFolder(const QString &relative) const { return folder->filePath(relative); }
    void showAt(TimesDistributionDialog &shown, const QSize &size);
    void paste(const char *button, const QString &text);
    QString prepare(Place place);
    SaveRun runSave(const QString &answer, const QString &type = QString());
    void verifyChartFile(const QString &path, ImageFile::Format format = ImageFile::Format::Png);

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<TimesDistributionDialog> dialog;
    QString previousCurrent;
    QStringList locked;
};

void ExportTest::init()
{
    settings = std::make_unique<IsolatedSettings>();
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    previousCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder->path()));
    dialog = std::make_unique<TimesDistributionDialog>();
    showAt(*dialog, QSize(760, 520));
}

void ExportTest::cleanup()
{
    dialog.reset();
    for (const QString &path : std::as_const(locked))
        setImmutable(path, false);
    locked.clear();
    QDir::setCurrent(previousCurrent);
    folder.reset();
    settings.reset();
    QGuiApplication::clipboard()->clear();
}

void ExportTest::showAt(TimesDistributionDialog &shown, const QSize &size)
{
    shown.resize(size);
    shown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown));
    QCoreApplication::processEvents();
}

void ExportTest::paste(const char *button, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    child<QPushButton>(button)->click();
}

// Builds the place and returns the target's path relative to the folder.
QString ExportTest::prepare(Place place)
{
    const QDir dir(folder->path());
    const auto lock = [&](const QString &relative) {
        if (!setImmutable(inFolder(relative), true))
            return false;
        locked << inFolder(relative);
        return true;
    };
    switch (place) {
    case Place::Nothing:
        return QStringLiteral("chart.png");
    case Place::OldFile:
        writeFile(inFolder(QStringLiteral("chart.png")), oldBytes);
        return QStringLiteral("chart.png");
    case Place::MissingFolder:
        return QStringLiteral("missing/chart.png");
    case Place::Folder:
        dir.mkdir(QStringLiteral("x.jpg.png"));
        writeFile(inFolder(QStringLiteral("x.jpg.png/keep.txt")), oldBytes);
        return QStringLiteral("x.jpg.png");
    case Place::BelowPlainFile:
        writeFile(inFolder(QStringLiteral("plain")), oldBytes);
        return QStringLiteral("plain/chart.png");
    case Place::FullDevice: {
        // The link leads to a node of the full device made here: a writer that replaced the
        // link's target instead of writing to it would destroy this node, not /dev/full.
        QString device = inFolder(QStringLiteral("fulldevice"));
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            device = QStringLiteral("/dev/full");
        if (!isFullDevice(device))
            return {};
        QFile::link(device, inFolder(QStringLiteral("full.png")));
        return QStringLiteral("full.png");
    }
    case Place::DanglingLink:
        QFile::link(inFolder(QStringLiteral("target.png")), inFolder(QStringLiteral("link.png")));
        return QStringLiteral("link.png");
    case Place::Pipe:
        return ::mkfifo(QFile::encodeName(inFolder(QStringLiteral("pipe.png"))).constData(), 0600)
                == 0
            ? QStringLiteral("pipe.png")
            : QString();
    case Place::MarkupFolder:
        dir.mkpath(QStringLiteral("<h1>x</h1>"));
        return QStringLiteral("<h1>x</h1>/missing/chart.png");
    case Place::LockedFolder:
        dir.mkdir(QStringLiteral("locked"));
        // Longer than any chart: written in place, the new file must be cut to its own length.
        writeFile(inFolder(QStringLiteral("locked/chart.png")), oldBytes.repeated(40'000));
        return lock(QStringLiteral("locked")) ? QStringLiteral("locked/chart.png") : QString();
    case Place::LockedFile:
        writeFile(inFolder(QStringLiteral("chart.png")), oldBytes);
        return lock(QStringLiteral("chart.png")) ? QStringLiteral("chart.png") : QString();
    case Place::LockedFolderAndFile:
        dir.mkdir(QStringLiteral("locked"));
        writeFile(inFolder(QStringLiteral("locked/chart.png")), oldBytes);
        return lock(QStringLiteral("locked/chart.png")) && lock(QStringLiteral("locked"))
            ? QStringLiteral("locked/chart.png")
            : QString();
    }
    return {};
}

// Presses "Save" and answers the modal dialogs as they come: the file dialog with `answer` (an
// empty answer cancels it), its question before replacing a file with Yes, any message box with
// its button. Whatever else turns up is closed and counted, so a stray dialog fails the test
// instead of hanging it.
SaveRun ExportTest::runSave(const QString &answer, const QString &type)
{
    SaveRun run;
    QList<QPointer<QWidget>> handled;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        // Still open after its answer: it refused the answer.
        if (handled.contains(modal)) {
            ++run.unexpected;
            if (auto *refusing = qobject_cast<QDialog *>(modal))
                refusing->reject();
            return;
        }
        handled << modal;
        if (auto *files = qobject_cast<QFileDialog *>(modal); files && run.fileDialogs++ == 0) {
            run.title = files->windowTitle();
            run.directory = files->directory().absolutePath();
            run.nameFilters = files->nameFilters();
            run.acceptMode = files->acceptMode();
            run.parent = files->parentWidget();
            auto *nameEdit = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            run.proposed = nameEdit ? nameEdit->text() : QString();
            // A relative answer must land in the test's folder, never beside it.
            if (answer.isEmpty() || !run.directory.startsWith(folder->path())) {
                files->reject();
            } else {
                if (!type.isEmpty())
                    files->selectNameFilter(type);
                // Typed, as selectFile() leaves a focused name field alone.
                if (nameEdit)
                    nameEdit->setText(answer);
                else
                    files->selectFile(answer);
                // Queued: accepting may open the question before replacing a file, whose loop
                // would otherwise run inside this timer's slot, where the timer cannot fire.
                QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
            }
            return;
        }
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (box->button(QMessageBox::Yes)) {
                ++run.replaceQuestions;
                box->button(QMessageBox::Yes)->click();
                return;
            }
            QTextDocument rich;
            rich.setHtml(box->text());
            const bool plain = box->textFormat() == Qt::PlainText
                || (box->textFormat() == Qt::AutoText && !Qt::mightBeRichText(box->text()));
            run.boxes << BoxSeen {box->icon(), box->text(),
                                  plain ? box->text() : rich.toPlainText(), box->parentWidget()};
            if (QAbstractButton *ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
            return;
        }
        ++run.unexpected;
        if (auto *other = qobject_cast<QDialog *>(modal))
            other->reject();
        else
            modal->close();
    });
    poll.start();
    child<QPushButton>("saveButton")->click();
    return run;
}

// A PNG by its content whatever its name, with the chart as the dialog renders it now; a PDF or
// SVG of the display's size, the SVG with its title as text.
void ExportTest::verifyChartFile(const QString &path, ImageFile::Format format)
{
    const QByteArray bytes = contents(path);
    const QSize size = child<QWidget>("display")->size();
    if (format == ImageFile::Format::Pdf) {
        QVERIFY(bytes.startsWith("%PDF-1."));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        return;
    }
    if (format == ImageFile::Format::Svg) {
        QXmlStreamReader svg(bytes);
        QStringList texts;
        QVERIFY(svg.readNextStartElement());
        QCOMPARE_EQ(svg.name(), u"svg");
        QCOMPARE_EQ(svg.attributes().value(QStringLiteral("viewBox")).toString(),
                    QStringLiteral("0 0 %1 %2").arg(size.width()).arg(size.height()));
        while (!svg.atEnd()) {
            if (svg.readNext() == QXmlStreamReader::StartElement && svg.name() == u"text")
                texts << svg.readElementText().trimmed();
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QVERIFY2(texts.contains(u"CHART TITLE"), qPrintable(texts.join(u'|')));
        return;
    }
    QCOMPARE_EQ(bytes.left(8), pngSignature);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QCOMPARE_EQ(reader.format(), QByteArray("png"));
    const QImage saved = reader.read();
    QVERIFY2(!saved.isNull(), qPrintable(reader.errorString()));
    QCOMPARE_EQ(saved.size(), size);
    QVERIFY(saved.hasAlphaChannel());
    QCOMPARE_EQ(qAlpha(saved.pixel(0, 0)), 0);
    QCOMPARE(argb(saved), argb(dialog->renderChart()));
}

// With an old file of the name written, the question before replacing is about that name.
void ExportTest::saveWritesAPngNamedAsTyped_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::addColumn<Place>("before");
    QTest::addColumn<QString>("type");

    QTest::newRow("no suffix gets .png")
        << QStringLiteral("chart") << QStringLiteral("chart.png") << Place::Nothing << QString();
    QTest::newRow(".png kept") << QStringLiteral("chart.png") << QStringLiteral("chart.png")
                               << Place::Nothing << QString();
    QTest::newRow("upper-case .PNG kept")
        << QStringLiteral("chart.PNG") << QStringLiteral("chart.PNG") << Place::Nothing
        << QString();
    QTest::newRow("mixed-case .Png kept")
        << QStringLiteral("chart.Png") << QStringLiteral("chart.Png") << Place::Nothing
        << QString();
    QTest::newRow(".jpg gets .png and stays a PNG")
        << QStringLiteral("chart.jpg") << QStringLiteral("chart.jpg.png") << Place::Nothing
        << QString();
    QTest::newRow(".png inside the name is no suffix")
        << QStringLiteral("chart.png.old") << QStringLiteral("chart.png.old.png") << Place::Nothing
        << QString();
    QTest::newRow("name with spaces")
        << QStringLiteral("my pbs") << QStringLiteral("my pbs.png") << Place::Nothing << QString();
    QTest::newRow("replacing, typed with .png")
        << QStringLiteral("chart.png") << QStringLiteral("chart.png") << Place::OldFile
        << QString();
    QTest::newRow("replacing, typed without suffix")
        << QStringLiteral("chart") << QStringLiteral("chart.png") << Place::OldFile << QString();
    QTest::newRow("replacing a link that leads nowhere")
        << QStringLiteral("chart") << QStringLiteral("chart.png") << Place::DanglingLink
        << QString();
    QTest::newRow("replacing, typed as .jpg, asked about .jpg.png")
        << QStringLiteral("chart.jpg") << QStringLiteral("chart.jpg.png") << Place::OldFile
        << QString();
    const QString pdf = QStringLiteral("PDF documents (*.pdf)");
    const QString svg = QStringLiteral("SVG images (*.svg)");
    QTest::newRow("PDF in the type list")
        << QStringLiteral("chart") << QStringLiteral("chart.pdf") << Place::Nothing << pdf;
    QTest::newRow("SVG in the type list")
        << QStringLiteral("chart") << QStringLiteral("chart.svg") << Place::Nothing << svg;
    QTest::newRow("typed .svg wins over the type list's PNG")
        << QStringLiteral("chart.svg") << QStringLiteral("chart.svg") << Place::Nothing
        << QString();
    QTest::newRow("typed .PDF kept, the type list at SVG")
        << QStringLiteral("chart.PDF") << QStringLiteral("chart.PDF") << Place::Nothing << svg;
    QTest::newRow(".jpg with PDF in the type list gets .pdf")
        << QStringLiteral("chart.jpg") << QStringLiteral("chart.jpg.pdf") << Place::Nothing << pdf;
    QTest::newRow("replacing a PDF")
        << QStringLiteral("chart.pdf") << QStringLiteral("chart.pdf") << Place::OldFile << pdf;
    QTest::newRow("SVG replacing a link that leads nowhere")
        << QStringLiteral("chart") << QStringLiteral("chart.svg") << Place::DanglingLink << svg;
}

void ExportTest::saveWritesAPngNamedAsTyped()
{
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(Place, before);
    QFETCH(QString, type);
    const bool replacing = before != Place::Nothing;
    paste("pasteButton", timesText());
    paste("pasteButton_2", QStringLiteral("12.1, 14.9, 13.3, 15.8"));
    child<QCheckBox>("showQuartiles")->setChecked(true);
    if (before == Place::OldFile)
        QVERIFY(writeFile(inFolder(written), oldBytes));
    // A link that leads nowhere is replaced itself, its target never created.
    if (before == Place::DanglingLink)
        QVERIFY(QFile::link(inFolder(QStringLiteral("target.png")), inFolder(written)));

    const SaveRun run = runSave(answer, type);
    QCOMPARE_EQ(run.fileDialogs, 1);
    QCOMPARE_EQ(run.title, QStringLiteral("Save chart to disk"));
    QCOMPARE_EQ(run.directory, QDir::currentPath());
    QCOMPARE_EQ(
        run.nameFilters,
        QStringList({QStringLiteral("Images (*.png)"), QStringLiteral("PDF documents (*.pdf)"),
                     QStringLiteral("SVG images (*.svg)")}));
    QCOMPARE_EQ(run.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE_EQ(run.parent, dialog.get());
    QCOMPARE_EQ(run.proposed, QStringLiteral("chart-title.png"));
    QCOMPARE_EQ(run.replaceQuestions, replacing ? 1 : 0);
    QVERIFY2(run.boxes.isEmpty(), qPrintable(run.boxes.value(0).text));
    QCOMPARE_EQ(run.unexpected, 0);

    QCOMPARE_EQ(snapshot(folder->path()).keys(), QStringList {written});
    verifyChartFile(inFolder(written), *ImageFile::formatOf(written));
    QCOMPARE_EQ(QToolTip::text(),
                QStringLiteral("Saved to ") + QDir::toNativeSeparators(inFolder(written)));
    // The note stays in the window after the file dialog has gone.
    QVERIFY(child<QWidget>("noteBar")->isVisible());
    QCOMPARE_EQ(child<QLabel>("noteText")->text(), QToolTip::text());
    QCOMPARE_EQ(dialog->focusWidget(), child<QWidget>("pasteButton"));
}

void ExportTest::cancelWritesNothing()
{
    paste("pasteButton", timesText());
    prepare(Place::OldFile);
    const auto before = snapshot(folder->path());

    const SaveRun run = runSave(QString());
    QCOMPARE_EQ(run.fileDialogs, 1);
    QVERIFY2(run.boxes.isEmpty(), qPrintable(run.boxes.value(0).text));
    QCOMPARE_EQ(run.unexpected, 0);
    QCOMPARE_EQ(run.replaceQuestions, 0);
    QVERIFY(snapshot(folder->path()) == before);
    QCOMPARE_EQ(dialog->focusWidget(), child<QWidget>("pasteButton"));
}

// The first save of a run starts in the current folder, later ones where the last one went; only
// the title is stored.
void ExportTest::saveDialogStartsInTheCurrentFolderEveryTime()
{
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("elsewhere")));
    const QString elsewhere = inFolder(QStringLiteral("elsewhere"));
    QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("later")));
    const QString later = inFolder(QStringLiteral("later"));

    SaveRun run = runSave(elsewhere + QStringLiteral("/first"));
    QCOMPARE_EQ(run.directory, folder->path());
    QVERIFY(QFile::exists(elsewhere + QStringLiteral("/first.png")));

    run = runSave(QString());
    QCOMPARE_EQ(run.directory, elsewhere);

    QVERIFY(QDir::setCurrent(later));
    run = runSave(later + QStringLiteral("/second"));
    QCOMPARE_EQ(run.directory, elsewhere);
    QVERIFY(QFile::exists(later + QStringLiteral("/second.png")));
    QVERIFY2(run.boxes.isEmpty(), qPrintable(run.boxes.value(0).text));
    run = runSave(QString());
    QCOMPARE_EQ(run.directory, later);

    dialog.reset();
    QCOMPARE_EQ(SettingsStore::open()->allKeys(),
                QStringList {QStringLiteral("timeDistributionName")});
}

void ExportTest::proposedNameComesFromTheTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("proposed");

    QTest::newRow("words and dates")
        << QStringLiteral("3x3: May 13 vs. May 29") << QStringLiteral("3x3-may-13-vs-may-29.png");
    QTest::newRow("empty title") << QString() << QStringLiteral("chart.png");
    QTest::newRow("characters Windows refuses")
        << QStringLiteral("a<b>:\"c\"|d?*e/f\\g\t.") << QStringLiteral("a-b-c-d-e-f-g.png");
    QTest::newRow("letters of other scripts")
        << QStringLiteral("Äpfel 記録 №1") << QStringLiteral("äpfel-記録-1.png");
    QTest::newRow("a title that starts with dashes")
        << QStringLiteral("--5x5 -OH-") << QStringLiteral("5x5-oh.png");
    QTest::newRow("a Windows device name")
        << QStringLiteral("Con") << QStringLiteral("con-chart.png");
    QTest::newRow("a very long title")
        << QStringLiteral("ab ").repeated(200)
        << QStringLiteral("ab-").repeated(26) + QStringLiteral("ab.png");
}

void ExportTest::proposedNameComesFromTheTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, proposed);
    QCOMPARE_EQ(TimesDistributionDialog::chartFileName(title), proposed);
}

void ExportTest::failedSaveIsReportedAndHarmsNothing_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("replaceQuestions");

    QTest::newRow("missing folder") << Place::MissingFolder << QStringLiteral("missing/chart") << 0;
    QTest::newRow("a folder named like the file") << Place::Folder << QStringLiteral("x.jpg") << 0;
    QTest::newRow("a plain file where the folder should be")
        << Place::BelowPlainFile << QStringLiteral("plain/chart") << 0;
    QTest::newRow("a pipe, refused unasked") << Place::Pipe << QStringLiteral("pipe") << 0;
    QTest::newRow("a folder named as markup")
        << Place::MarkupFolder << QStringLiteral("<h1>x</h1>/missing/chart") << 0;
    QTest::newRow("folder that takes no new file, file that cannot be changed")
        << Place::LockedFolderAndFile << QStringLiteral("locked/chart.png") << 1;
    QTest::newRow("file that cannot be replaced, old file kept")
        << Place::LockedFile << QStringLiteral("chart") << 1;
}

void ExportTest::failedSaveIsReportedAndHarmsNothing()
{
    QFETCH(Place, place);
    QFETCH(QString, answer);
    QFETCH(int, replaceQuestions);
    paste("pasteButton", timesText());
    const QString target = prepare(place);
    if (target.isEmpty())
        QSKIP("this system cannot build the failing place");
    const QString path = inFolder(target);
    const auto before = snapshot(folder->path());

    const SaveRun run = runSave(answer);
    QCOMPARE_EQ(run.fileDialogs, 1);
    QCOMPARE_EQ(run.replaceQuestions, replaceQuestions);
    QCOMPARE_EQ(run.unexpected, 0);
    QCOMPARE_EQ(run.boxes.size(), 1);
    const BoxSeen &box = run.boxes.first();
    QCOMPARE_EQ(box.icon, QMessageBox::Warning);
    QCOMPARE_EQ(box.parent, dialog.get());
    QVERIFY2(box.text.contains(QDir::toNativeSeparators(path)), qPrintable(box.text));
    QCOMPARE_EQ(box.shown, box.text);
    // The reason is the one the writer gives for this place.
    const QString reason = PngWriter::write(dialog->renderChart(), path);
    QVERIFY(!reason.isEmpty());
    QVERIFY2(box.text.contains(reason), qPrintable(box.text + QStringLiteral(" / ") + reason));

    // No old file damaged, no half-written or temporary file left anywhere.
    QVERIFY(snapshot(folder->path()) == before);
    if (place == Place::FullDevice)
        QVERIFY(isFullDevice(path));
}

void ExportTest::chartWithoutTimesHoldsFrameAndTitleOnly_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("overlaysTicked");

    QTest::newRow("no title") << QString() << false;
    QTest::newRow("no title, overlays ticked") << QString() << true;
    QTest::newRow("title, overlays ticked") << QStringLiteral("My pbs") << true;
}

void ExportTest::chartWithoutTimesHoldsFrameAndTitleOnly()
{
    QFETCH(QString, title);
    QFETCH(bool, overlaysTicked);

    ChartScene scene;
    scene.title = title;
    scene.primaryQuartiles = scene.secondaryQuartiles = scene.statistics = overlaysTicked;
    Controls::setSliders(scene, 900, 20);
    scene.size = QSize(600, 400);
    const QImage image = argb(Chart::render(scene));
    QCOMPARE_EQ(image.size(), scene.size);

    // Below the title band nothing but white inside the frame: no axis, curve or statistics.
    const int top = title.isEmpty() ? 12 : 60;
    for (int y = top; y < image.height() - 12; ++y) {
        for (int x = 12; x < image.width() - 12; ++x) {
            if (image.pixel(x, y) != opaqueWhite)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, not white")
                                     .arg(x)
                                     .arg(y)
                                     .arg(image.pixel(x, y), 8, 16)));
        }
    }
}

void ExportTest::outsideTheFrameIsTransparentInsideWhite_data()
{
    QTest::addColumn<TimeList>("primary");
    QTest::addColumn<TimeList>("secondary");
    QTest::addColumn<bool>("overlaysTicked");
    QTest::addColumn<qreal>("ratio");

    const TimeList times = TimesDistributionDialog::parseTimeList(timesText());
    const TimeList others {12.1f, 14.9f, 13.3f, 15.8f, 11.2f};
    QTest::newRow("no times") << TimeList {} << TimeList {} << false << 1.0;
    QTest::newRow("primary times") << times << TimeList {} << false << 1.0;
    QTest::newRow("secondary times only") << TimeList {} << times << false << 1.0;
    QTest::newRow("both lists with quartiles and statistics") << times << others << true << 1.0;
    QTest::newRow("both lists with overlays on a 200 % screen: twice the pixels, same layout")
        << times << others << true << 2.0;
}

void ExportTest::outsideTheFrameIsTransparentInsideWhite()
{
    QFETCH(TimeList, primary);
    QFETCH(TimeList, secondary);
    QFETCH(bool, overlaysTicked);
    QFETCH(qreal, ratio);

    ChartScene scene;
    scene.primaryTimes = primary;
    scene.secondaryTimes = secondary;
    scene.primaryQuartiles = scene.secondaryQuartiles = scene.statistics = overlaysTicked;
    scene.size = QSize(738, 500);
    scene.devicePixelRatio = ratio;
    const QImage image = argb(Chart::render(scene));
    QCOMPARE_EQ(image.size(), scene.size * ratio);
    // Probes stand in the chart's own pixels.
    const int w = scene.size.width();
    const int h = scene.size.height();
    const auto pixel = [&](const QPoint &p) {
        return image.pixel(p * ratio);
    };
    QVERIFY(image.hasAlphaChannel());

    // The strip around the frame and the area beyond its rounded corners. The statistics may
    // run on over the right edge, so the right strip is probed below them.
    const QList<QPoint> outside {{0, 0},          {w - 1, 0}, {0, h - 1}, {w - 1, h - 1},
                                 {1, 1},          {2, h / 2}, {0, h / 3}, {w - 3, h - 40},
                                 {w - 1, h - 40}, {w / 2, 2}, {w / 3, 0}, {w / 2, h - 3},
                                 {w / 3, h - 1},  {5, 5},     {w - 6, 5}, {5, h - 6},
                                 {w - 6, h - 6}};
    for (const QPoint &p : outside)
        QVERIFY2(qAlpha(pixel(p)) == 0,
                 qPrintable(QStringLiteral("(%1, %2) not transparent").arg(p.x()).arg(p.y())));

    // Inside the frame, left and right of the plot and below the axis, nothing is drawn.
    const QList<QPoint> inside {{10, h / 2}, {w - 10, h - 40}, {10, h - 12}};
    for (const QPoint &p : inside)
        QVERIFY2(pixel(p) == opaqueWhite,
                 qPrintable(QStringLiteral("(%1, %2) not opaque white").arg(p.x()).arg(p.y())));
}

void ExportTest::clipboardHoldsAFreshRender()
{
    paste("pasteButton", timesText());
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("replaced by the chart"));

    child<QPushButton>("clipboardButton")->click();
    QVERIFY(clipboard->mimeData()->hasImage());
    QVERIFY(!clipboard->mimeData()->hasText());
    const QImage first = argb(clipboard->image());
    QCOMPARE_EQ(first.size(), child<QWidget>("display")->size());
    QVERIFY(first.hasAlphaChannel());
    QCOMPARE_EQ(qAlpha(first.pixel(0, 0)), 0);
    QCOMPARE(first, argb(dialog->renderChart()));
    QCOMPARE_EQ(QToolTip::text(),
                QStringLiteral("Chart copied (%1 x %2)").arg(first.width()).arg(first.height()));

    // A second press paints the chart as it is now.
    child<QSlider>("trimSlider")->setValue(400);
    child<QCheckBox>("showStatsCheck")->setChecked(false);
    child<QPushButton>("clipboardButton")->click();
    const QImage second = argb(clipboard->image());
    QVERIFY(second != first);
    QCOMPARE(second, argb(dialog->renderChart()));
    QVERIFY(QDir(folder->path()).isEmpty());

    // The key only when asked for, and then in the copied image too.
    auto *showKey = dialog->findChild<QAction *>(QStringLiteral("showKeyAction"));
    showKey->setChecked(true);
    child<QPushButton>("clipboardButton")->click();
    QVERIFY(argb(clipboard->image()) != second);
    showKey->setChecked(false);
    QCOMPARE(argb(dialog->renderChart()), second);

    // Copy Statistics: a heading, then a statistic a row, the second list's in its own column.
    paste("pasteButton_2", QStringLiteral("10\n12\n14\n16\n18"));
    dialog->findChild<QAction *>(QStringLiteral("copyStatisticsAction"))->trigger();
    QStringList lastColumn;
    for (const QString &row : clipboard->text().split(u'\n', Qt::SkipEmptyParts))
        lastColumn << row.split(u'\t').constLast();
    QCOMPARE_EQ(lastColumn,
                QStringLiteral("Second list (5 times)|10.00|18.00|13.00|14.00|14.00").split(u'|'));
    // --statistics prints the same table.
    const QTemporaryDir files;
    QVERIFY(writeFile(files.filePath(QStringLiteral("first")), timesText().toUtf8()));
    QVERIFY(writeFile(files.filePath(QStringLiteral("second")), "10\n12\n14\n16\n18"));
    QCOMPARE_EQ(QString::fromUtf8(runProgram({QStringLiteral("--statistics"),
                                              files.filePath(QStringLiteral("first")),
                                              files.filePath(QStringLiteral("second"))})),
                clipboard->text());
}

void ExportTest::commandLineDrawsWhatTheWindowCopies_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("second");
    // What is done in the window: "name=value" sets a slider, the title or a list's colour,
    // a bare name clicks a check box or checks an action.
    QTest::addColumn<QStringList>("inWindow");

    const auto list = [](const char *words) {
        return QString::fromUtf8(words).split(u' ', Qt::SkipEmptyParts);
    };
    QTest::newRow("one list, as the window starts") << QStringList() << false << QStringList();
    QTest::newRow("two lists") << QStringList() << true << QStringList();
    QTest::newRow("--trim --detail")
        << list("--trim 400 --detail 900") << true << list("trimSlider=400 sigmaSlider=900");
    QTest::newRow("--no-stats --no-quartiles --quartiles2 --key")
        << list("--no-stats --no-quartiles --quartiles2 --key") << true
        << list("showStatsCheck showQuartiles showQuartiles2 showKeyAction");
    QTest::newRow("--title --color --color2")
        << list("--title Club --color #123456 --color2 darkred") << true
        << list("nameEdit=Club colorButton=#123456 colorButton_2=darkred");
}

// At the window's first size and one pixel per unit, the command line's PNG is To Clipboard's
// image of the same lists and settings, pixel for pixel.
void ExportTest::commandLineDrawsWhatTheWindowCopies()
{
    QFETCH(QStringList, options);
    QFETCH(bool, second);
    QFETCH(QStringList, inWindow);
    showAt(*dialog, QSize(822, 392));
    QCOMPARE_EQ(child<QWidget>("display")->size(), QSize(624, 370));
    const QTemporaryDir files;
    const QString others = QStringLiteral("12.1, 14.9, 13.3, 15.8");
    QVERIFY(writeFile(files.filePath(QStringLiteral("first.txt")), timesText().toUtf8()));
    QVERIFY(writeFile(files.filePath(QStringLiteral("second.txt")), others.toUtf8()));
    paste("pasteButton", timesText());
    if (second)
        paste("pasteButton_2", others);
    for (const QString &step : std::as_const(inWindow)) {
        const QString name = step.section(u'=', 0, 0);
        const QString value = step.section(u'=', 1);
        QObject *control = dialog->findChild<QObject *>(name);
        if (auto *slider = qobject_cast<QSlider *>(control))
            slider->setValue(value.toInt());
        else if (auto *title = qobject_cast<QLineEdit *>(control))
            title->setText(value);
        else if (auto *action = qobject_cast<QAction *>(control))
            action->setChecked(true);
        else if (qobject_cast<QCheckBox *>(control) || value.isEmpty())
            qobject_cast<QAbstractButton *>(control)->click();
        else {
            QTimer::singleShot(0, this, [colour = QColor::fromString(value)] {
                auto *chooser = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
                QVERIFY(chooser);
                chooser->setCurrentColor(colour);
                chooser->accept();
            });
            qobject_cast<QAbstractButton *>(control)->click();
        }
    }
    child<QPushButton>("clipboardButton")->click();

    const QString out = files.filePath(QStringLiteral("chart.png"));
    options << QStringLiteral("-o") << out << files.filePath(QStringLiteral("first.txt"));
    if (second)
        options << files.filePath(QStringLiteral("second.txt"));
    QCOMPARE_EQ(runProgram(options), QByteArray());
    const QImage drawn(out);
    QCOMPARE_EQ(drawn.size(), QSize(624, 370));
    QCOMPARE(argb(drawn), argb(QGuiApplication::clipboard()->image()));
}

void ExportTest::largerWindowGivesLargerImage()
{
    paste("pasteButton", timesText());
    auto *display = child<QWidget>("display");
    const QSize small = display->size();
    QCOMPARE_EQ(dialog->renderChart().size(), small);

    showAt(*dialog, dialog->size() + QSize(300, 200));
    const QSize large = display->size();
    QCOMPARE_GT(large.width(), small.width());
    QCOMPARE_GT(large.height(), small.height());

    const QImage rendered = argb(dialog->renderChart());
    QCOMPARE_EQ(rendered.size(), large);
    child<QPushButton>("clipboardButton")->click();
    QCOMPARE_EQ(QGuiApplication::clipboard()->image().size(), large);
    const SaveRun run = runSave(QStringLiteral("large"));
    QVERIFY2(run.boxes.isEmpty(), qPrintable(run.boxes.value(0).text));
    QCOMPARE_EQ(QImage(inFolder(QStringLiteral("large.png"))).size(), large);

    // The frame follows the new size: its right border stands 5 px inside the new edge.
    const int w = large.width();
    const int h = large.height();
    const QColor border = rendered.pixelColor(w - 5, h / 2);
    QCOMPARE_EQ(border.alpha(), 255);
    QVERIFY2(qAbs(border.red() - mainColor.red()) <= 8
                 && qAbs(border.green() - mainColor.green()) <= 8
                 && qAbs(border.blue() - mainColor.blue()) <= 8,
             qPrintable(border.name()));
    QCOMPARE_EQ(qAlpha(rendered.pixel(w - 2, h / 2)), 0);
    QCOMPARE_EQ(rendered.pixel(10, h / 2), opaqueWhite);
    QCOMPARE_EQ(rendered.pixel(w - 11, h / 2), opaqueWhite);
}

void ExportTest::writerReportsEveryOutcome_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<bool>("nullImage");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<ImageFile::Format>("format");

    const auto png = ImageFile::Format::Png;

    QTest::newRow("new file") << Place::Nothing << false << true << png;
    QTest::newRow("over an old file") << Place::OldFile << false << true << png;
    QTest::newRow("missing folder") << Place::MissingFolder << false << false << png;
    QTest::newRow("onto a folder") << Place::Folder << false << false << png;
    QTest::newRow("below a plain file") << Place::BelowPlainFile << false << false << png;
    QTest::newRow("link to a full disk, replaced itself")
        << Place::FullDevice << false << true << png;
    QTest::newRow("link that leads nowhere") << Place::DanglingLink << false << true << png;
    QTest::newRow("pipe") << Place::Pipe << false << false << png;
    QTest::newRow("folder that takes no new file, written in place")
        << Place::LockedFolder << false << true << png;
    QTest::newRow("folder that takes no new file, file that cannot be changed")
        << Place::LockedFolderAndFile << false << false << png;
    QTest::newRow("file that cannot be replaced") << Place::LockedFile << false << false << png;
    QTest::newRow("null image over an old file") << Place::OldFile << true << false << png;
    QTest::newRow("null image, new file") << Place::Nothing << true << false << png;
    const auto pdf = ImageFile::Format::Pdf;
    const auto svg = ImageFile::Format::Svg;
    QTest::newRow("PDF over an old file") << Place::OldFile << false << true << pdf;
    QTest::newRow("SVG through a link to a full disk, replaced itself")
        << Place::FullDevice << false << true << svg;
    QTest::newRow("PDF into a pipe") << Place::Pipe << false << false << pdf;
    QTest::newRow("SVG in place in a folder that takes no new file")
        << Place::LockedFolder << false << true << svg;
    QTest::newRow("PDF over a file that cannot be replaced")
        << Place::LockedFile << false << false << pdf;
    QTest::newRow("SVG of no size over an old file") << Place::OldFile << true << false << svg;
}

void ExportTest::writerReportsEveryOutcome()
{
    QFETCH(Place, place);
    QFETCH(bool, nullImage);
    QFETCH(bool, succeeds);
    QFETCH(ImageFile::Format, format);
    paste("pasteButton", timesText());
    const QString target = prepare(place);
    if (target.isEmpty())
        QSKIP("this system cannot build the failing place");
    const QString path = inFolder(target);
    const auto before = snapshot(folder->path());
    const QPixmap image = nullImage ? QPixmap() : dialog->renderChart();
    const QString linkTarget = QFileInfo(path).symLinkTarget();

    ChartScene scene;
    scene.title = QStringLiteral("Chart Title");
    scene.size = nullImage ? QSize() : child<QWidget>("display")->size();
    const QString error = format == ImageFile::Format::Png ? PngWriter::write(image, path)
                                                           : ImageFile::write(scene, format, path);
    if (succeeds) {
        QVERIFY2(error.isEmpty(), qPrintable(error));
        auto expected = before.keys();
        if (!expected.contains(target))
            expected.append(target);
        QCOMPARE_EQ(snapshot(folder->path()).keys(), expected);
        verifyChartFile(path, format);
        QVERIFY(!QFileInfo(path).isSymLink());
        QVERIFY(linkTarget.isEmpty() || place != Place::FullDevice || isFullDevice(linkTarget));
    } else {
        QVERIFY(!error.isEmpty());
        QVERIFY(snapshot(folder->path()) == before);
        if (place == Place::FullDevice)
            QVERIFY(isFullDevice(path));
    }
}

void ExportTest::writeFailingPartwayKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<Place>("place");
    QTest::addColumn<bool>("succeeds");

    const Place fresh = Place::Nothing;
    const Place old = Place::OldFile;
    const Place inPlace = Place::LockedFolder;
    QTest::newRow("no limit, new file") << QStringLiteral("none") << fresh << true;
    QTest::newRow("no limit, over an old file") << QStringLiteral("none") << old << true;
    QTest::newRow("no limit, in place") << QStringLiteral("none") << inPlace << true;
    QTest::newRow("limit inside the signature, new file") << QStringLiteral("5") << fresh << false;
    QTest::newRow("limit inside the signature, old file") << QStringLiteral("5") << old << false;
    QTest::newRow("limit at half, new file") << QStringLiteral("half") << fresh << false;
    QTest::newRow("limit at half, old file") << QStringLiteral("half") << old << false;
    QTest::newRow("limit at half, in place") << QStringLiteral("half") << inPlace << false;
    QTest::newRow("limit one byte short, new file")
        << QStringLiteral("all-but-one") << fresh << false;
    QTest::newRow("limit one byte short, old file")
        << QStringLiteral("all-but-one") << old << false;
    QTest::newRow("limit one byte short, in place")
        << QStringLiteral("all-but-one") << inPlace << false;
}

// The file-size limit is set in a child process, so it cannot reach this one.
void ExportTest::writeFailingPartwayKeepsTheOldFile()
{
    QFETCH(QString, limit);
    QFETCH(Place, place);
    QFETCH(bool, succeeds);
    const QString target = prepare(place);
    if (target.isEmpty())
        QSKIP("this system cannot build the place");
    const QString path = inFolder(target);
    const auto before = snapshot(folder->path());

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(LIMIT_CHILD), {path, limit});
    QVERIFY2(child.waitForFinished(60000), qPrintable(child.errorString()));
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             qPrintable(output + QString::fromLocal8Bit(child.readAllStandardError())));

    const QStringList lines = output.split(QLatin1Char('\n'));
    QCOMPARE_GE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith(QLatin1String("size ")));
    QVERIFY(lines.at(1).startsWith(QLatin1String("error ")));
    const qint64 size = lines.at(0).mid(5).toLongLong();
    const QString error = lines.at(1).mid(6);
    // Large enough that a limit at half or one byte short stops the write well past its start.
    QCOMPARE_GT(size, 4096);

    if (succeeds) {
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QStringList expected = before.keys();
        if (!expected.contains(target))
            expected.append(target);
        expected.sort();
        QCOMPARE_EQ(snapshot(folder->path()).keys(), expected);
        const QByteArray bytes = contents(path);
        QCOMPARE_EQ(bytes.size(), size);
        QCOMPARE_EQ(bytes.left(8), pngSignature);
        QVERIFY(!QImage::fromData(bytes, "PNG").isNull());
    } else {
        QVERIFY(!error.isEmpty());
        QVERIFY(snapshot(folder->path()) == before);
    }
}

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
