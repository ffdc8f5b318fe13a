#include "app/controls.h"
#include "app/timesdistributiondialog.h"
#include "chart/chart.h"
#include "data/timereaders.h"
#include "stats/density.h"
#include "stats/timestatistics.h"
#include "testsupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDateEdit>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>

#include <functional>
#include <memory>

namespace {

// Counts the paint events that reach the chart area; the dialog's own filter still paints.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    int paintsWaiting = 0; // under the wait cursor

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            const QCursor *cursor = QGuiApplication::overrideCursor();
            paintsWaiting += cursor && cursor->shape() == Qt::WaitCursor;
        }
        return false;
    }
};

// What the colour dialog showed while it was open.
struct ColourDialogSeen
{
    int openings = 0;
    QString title;
    QColor initial;
    QWidget *parent = nullptr;
    bool offersAlpha = false;
};

enum class ClipboardState { Cleared, EmptyText, ImageOnly };

// What is dropped: text, or a file holding the text in an encoding, or something unreadable; or
// 8 MB read as a dropped file with a limit of 1 MB; or a file named on the command line.
enum class Dropped {
    Text,
    File,
    TwoFiles,
    Folder,
    Device,
    MissingFile,
    LargeFile,
    FileAtLimit,
    MoveOnly,
    OverLimit,
    Opened,
    OpenedMissing,
};

// What a screen reader says of the chart.
QString chartDescription(const QObject *dialog)
{
    auto *chart = dialog->findChild<QWidget *>(QStringLiteral("display"));
    return QAccessible::queryAccessibleInterface(chart)->text(QAccessible::Description);
}

// The note as the user reads it: rich text shows without its markup.
QString shownNote()
{
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    return Qt::mightBeRichText(QToolTip::text()) ? shown.toPlainText() : QToolTip::text();
}

enum class Control {
    DetailSlider,
    TrimSlider,
    DetailSliderKeySteps,
    TrimSliderDrag,
    ShowStats,
    PrimaryQuartiles,
    SecondaryQuartiles,
    TypeInTitle,
    BackspaceInTitle,
    HomeInTitle,
    DeleteInTitle,
};

enum class Choice {
    AtReturn,
    OtherSession,
    LastSolve,
    OneDay,
    DatesThenSession,
    NothingInPeriod,
    Cancel,
    Again,
    FarDates
};

} // namespace

Q_DECLARE_METATYPE(ClipboardState)
Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(Dropped)
Q_DECLARE_METATYPE(Control)

class CommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pasteReplacesTheList_data();
    void pasteReplacesTheList();
    void clipboardWithoutTextKeepsTheList_data();
    void clipboardWithoutTextKeepsTheList();
    void dropsFillTheListTheyLandOn_data();
    void dropsFillTheListTheyLandOn();
    void textTooLargeForTheMemoryKeepsTheList();
    void pasteButtonMenuLeavesTheFocus_data();
    void pasteButtonMenuLeavesTheFocus();
    void colourDialogChoosesAndCancelKeeps_data();
    void colourDialogChoosesAndCancelKeeps();
    void controlsRepaintTheChartAtOnce_data();
    void controlsRepaintTheChartAtOnce();
    void choosesASessionAndPeriodForEitherList_data();
    void choosesASessionAndPeriodForEitherList();
    void namedOperationsAreTheirFloorsFaces_data();
    void namedOperationsAreTheirFloorsFaces();

private:
    template<typename T> T *child(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    void paste(const char *button, const QString &text);
    int answerModal(const std::function<void()> &open,
                    const std::function<void(QDialog *)> &answer);
    ColourDialogSeen runColourDialog(const char *button, const QColor &choice);
    void pasteAndChoose(bool primary, Choice choice);

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<TimesDistributionDialog> dialog;
    PaintCounter counter;
};

void CommandsTest::init()
{
    settings = std::make_unique<IsolatedSettings>();
    dialog = std::make_unique<TimesDistributionDialog>();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    child<QWidget>("display")->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
}

void CommandsTest::cleanup()
{
    dialog.reset();
    settings.reset();
    QGuiApplication::clipboard()->clear();
}

void CommandsTest::paste(const char *button, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    child<QPushButton>(button)->click();
}

// Runs `open` and gives the first modal dialog it shows to `answer`. Any further modal dialog is
// cancelled and counted, so a doubled command fails the test instead of hanging it.
int CommandsTest::answerModal(const std::function<void()> &open,
                              const std::function<void(QDialog *)> &answer)
{
    int openings = 0;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal || !modal->isVisible())
            return;
        if (++openings > 1)
            modal->reject();
        else
            answer(modal);
    });
    poll.start();
    open();
    return openings;
}

// Clicks a colour button and answers the modal colour dialog: accepts `choice`, or cancels when
// `choice` is invalid.
ColourDialogSeen CommandsTest::runColourDialog(const char *button, const QColor &choice)
{
    ColourDialogSeen seen;
    // Clicked as with the mouse, which leaves the focus on the button.
    const auto click = [&] {
        child<QPushButton>(button)->setFocus(Qt::MouseFocusReason);
        child<QPushButton>(button)->click();
    };
    seen.openings = answerModal(click, [&](QDialog *modal) {
        auto *chooser = qobject_cast<QColorDialog *>(modal);
        if (!chooser) {
            modal->reject();
            return;
        }
        seen.title = chooser->windowTitle();
        seen.initial = chooser->currentColor();
        seen.parent = chooser->parentWidget();
        seen.offersAlpha = chooser->testOption(QColorDialog::ShowAlphaChannel);
        if (choice.isValid()) {
            chooser->setCurrentColor(choice);
            chooser->accept();
        } else {
            chooser->reject();
        }
    });
    return seen;
}

// Pastes text of several sessions and answers the session chooser; `again` chooses once more
// from the button's context menu after a first paste taken at Return.
void CommandsTest::pasteAndChoose(bool primary, Choice choice)
{
    const char *button = primary ? "pasteButton" : "pasteButton_2";
    const auto answer = [&](QDialog *chooser) {
        QVERIFY(chooser->objectName() == u"sessionChooser");
        auto *sessions = chooser->findChild<QTreeWidget *>(QStringLiteral("sessionList"));
        const auto dateEdit = [&](const char *name) {
            return chooser->findChild<QDateEdit *>(QString::fromLatin1(name));
        };
        const auto count = chooser->findChild<QLabel *>(QStringLiteral("choiceCount"));
        switch (choice) {
        case Choice::AtReturn: {
            // Tab goes round the chooser as it is laid out, back to the list; a date edit takes
            // it through its fields first. The chooser's own focus widget, not hasFocus, which
            // is false until the window system has made the chooser active.
            QStringList order;
            for (int i = 0; i < 20 && (i == 0 || chooser->focusWidget() != sessions); ++i) {
                auto *button = qobject_cast<QPushButton *>(chooser->focusWidget());
                const QString name = button ? button->text() : chooser->focusWidget()->objectName();
                if (order.isEmpty() || order.last() != name)
                    order << name;
                QTest::keyClick(chooser->focusWidget(), Qt::Key_Tab);
            }
            QCOMPARE_EQ(order.join(u'|'),
                        QStringLiteral("sessionList|&All|Last &100|T&his month|"
                                       "Last &month|fromDate|toDate|lastSolves|"
                                       "OK|Cancel"));
            QCOMPARE_EQ(count->text(), QStringLiteral("3 times"));
        }
            [[fallthrough]];
        case Choice::FarDates:
            // The chooser's own focus: the window may not be active yet on a busy machine.
            QTest::keyClick(chooser->focusWidget(), Qt::Key_Return);
            return;
        case Choice::NothingInPeriod:
            dateEdit("fromDate")->setDate(QDate(2026, 11, 4));
            QCOMPARE_EQ(count->text(),
                        QStringLiteral("Nothing to chart: no solves in this period"));
            sessions->setCurrentItem(sessions->topLevelItem(0));
            dateEdit("fromDate")->setDate(QDate(2026, 10, 31));
            QCOMPARE_EQ(count->text(), QStringLiteral("Nothing to chart, only 1 DNF"));
            // Return does nothing while OK is off.
            QTest::keyClick(chooser->focusWidget(), Qt::Key_Return);
            QVERIFY(chooser->isVisible());
            QTest::keyClick(chooser, Qt::Key_Escape);
            return;
        case Choice::DatesThenSession:
            dateEdit("fromDate")->setDate(QDate(2026, 10, 30));
            dateEdit("toDate")->setDate(QDate(2026, 11, 1));
            QCOMPARE_EQ(count->text(), QStringLiteral("1 time"));
            sessions->setCurrentItem(sessions->topLevelItem(0));
            QCOMPARE_EQ(count->text(), QStringLiteral("1 time, 1 DNF"));
            break;
        case Choice::Cancel:
            QTest::keyClick(chooser, Qt::Key_Escape);
            return;
        case Choice::OtherSession:
            // The empty session is listed, greyed, and cannot be chosen.
            QCOMPARE_EQ(sessions->topLevelItem(2)->text(1), QStringLiteral("0"));
            QCOMPARE_EQ(sessions->topLevelItem(2)->flags(), Qt::NoItemFlags);
            [[fallthrough]];
        case Choice::Again:
            sessions->setCurrentItem(sessions->topLevelItem(0));
            break;
        case Choice::LastSolve:
            chooser->findChild<QSpinBox *>(QStringLiteral("lastSolves"))->setValue(1);
            break;
        case Choice::OneDay:
            // The calendar opens from the keyboard.
            QTest::keyClick(dateEdit("fromDate"), Qt::Key_Down, Qt::AltModifier);
            QVERIFY(dateEdit("fromDate")->calendarWidget()->isVisible());
            dateEdit("fromDate")->calendarWidget()->window()->hide();
            QCOMPARE_EQ(dateEdit("fromDate")->date(), QDate(2026, 11, 1));
            QCOMPARE_EQ(dateEdit("toDate")->date(), QDate(2026, 11, 3));
            dateEdit("fromDate")->setDate(QDate(2026, 11, 2));
            dateEdit("toDate")->setDate(QDate(2026, 11, 2));
            break;
        }
        chooser->accept();
    };
    // Two sessions: "OH", whose solves (noon UTC, 1 to 3 November 2026) are the newest, and "3x3".
    const QString backup = QStringLiteral(
        R"({"session1":[[[0,12000],"","",1793361600],[[-1,9000],"","",1793448000]],)"
        R"("session2":[[[0,10000],"","",1793534400],[[0,11500],"","",1793620800],)"
        R"([[0,13000],"","",1793707200]],"session3":[],"properties":{"sessionData":)"
        R"("{\"1\":{\"name\":\"3x3\"},\"2\":{\"name\":\"OH\"}}"}})");
    // "ms" is the newest: one start written in milliseconds lies some 57 000 years ahead.
    const QString farDates = QStringLiteral(
        R"({"session1":[[[0,12000],"","",1793361600]],"session2":[[[0,10000],"","",1793361600],)"
        R"([[0,11000],"","",1793448000000],[[0,9000],"",""]],"properties":{"sessionData":)"
        R"("{\"1\":{\"name\":\"3x3\"},\"2\":{\"name\":\"ms\"}}"}})");
    QGuiApplication::clipboard()->setText(choice == Choice::FarDates ? farDates : backup);
    const auto click = [&] {
        child<QPushButton>(button)->click();
    };
    if (choice != Choice::Again) {
        QCOMPARE_EQ(answerModal(click, answer), 1);
        return;
    }
    QCOMPARE_EQ(answerModal(click, [](QDialog *chooser) { chooser->accept(); }), 1);
    auto *action = child<QAction>(primary ? "chooseAction" : "chooseAction_2");
    QVERIFY(child<QPushButton>(button)->actions().contains(action));
    QCOMPARE_EQ(answerModal([&] { action->trigger(); }, answer), 1);
}

void CommandsTest::pasteReplacesTheList_data()
{
    QTest::addColumn<bool>("primary");
    QTest::newRow("Paste data") << true;
    QTest::newRow("Paste 2nd Data") << false;
}

void CommandsTest::pasteReplacesTheList()
{
    QFETCH(bool, primary);
    const char *button = primary ? "pasteButton" : "pasteButton_2";
    const char *otherButton = primary ? "pasteButton_2" : "pasteButton";
    const auto target = [&] {
        return primary ? dialog->primaryTimeList() : dialog->secondaryTimeList();
    };
    const auto other = [&] {
        return primary ? dialog->secondaryTimeList() : dialog->primaryTimeList();
    };

    QCOMPARE_EQ(chartDescription(dialog.get()), QStringLiteral("Chart Title. No times yet."));
    paste(otherButton, QStringLiteral("7, 8"));
    QCOMPARE_EQ(other(), (TimeList {7.0f, 8.0f}));
    QVERIFY(target().isEmpty());

    counter.paints = 0;
    paste(button, QStringLiteral("12.5, 13"));
    QCOMPARE_EQ(counter.paints, 1);
    QCOMPARE_EQ(target(), (TimeList {12.5f, 13.0f}));
    const QString seven
        = QStringLiteral("2 times. Best 7.00, Worst 8.00, Average nan, Median 7.50, MoXAo5 nan.");
    const QString twelve = QStringLiteral(
        "2 times. Best 12.50, Worst 13.00, Average nan, Median 12.75, MoXAo5 nan.");
    QCOMPARE_EQ(chartDescription(dialog.get()),
                QStringLiteral("Chart Title. First list: ") + (primary ? twelve : seven)
                    + QStringLiteral(" Second list: ") + (primary ? seven : twelve));

    paste(button, QStringLiteral("12.5, 13"));
    QCOMPARE_EQ(target(), (TimeList {12.5f, 13.0f}));

    paste(button, QStringLiteral("1. 9.50   R U\n2. 8.25   F"));
    QCOMPARE_EQ(target(), (TimeList {9.5f, 8.25f}));
    auto *chooseAgain = child<QPushButton>(button)->actions().constFirst();
    QVERIFY(chooseAgain->isEnabled());

    // Text without a time still replaces: the chart loses that data set.
    counter.paints = 0;
    paste(button, QStringLiteral("no times here"));
    QCOMPARE_EQ(counter.paints, 1);
    QVERIFY(target().isEmpty());
    QVERIFY(!chooseAgain->isEnabled());
    QCOMPARE_EQ(
        QToolTip::text(),
        primary ? QStringLiteral("No times found in the clipboard; the first list is now empty")
                : QStringLiteral("No times found in the clipboard; the second list is now empty"));

    QCOMPARE_EQ(other(), (TimeList {7.0f, 8.0f}));
}

void CommandsTest::clipboardWithoutTextKeepsTheList_data()
{
    QTest::addColumn<bool>("primary");
    QTest::addColumn<ClipboardState>("state");

    QTest::newRow("cleared clipboard, Paste data") << true << ClipboardState::Cleared;
    QTest::newRow("cleared clipboard, Paste 2nd Data") << false << ClipboardState::Cleared;
    QTest::newRow("empty text, Paste data") << true << ClipboardState::EmptyText;
    QTest::newRow("empty text, Paste 2nd Data") << false << ClipboardState::EmptyText;
    QTest::newRow("only an image, Paste data") << true << ClipboardState::ImageOnly;
    QTest::newRow("only an image, Paste 2nd Data") << false << ClipboardState::ImageOnly;
}

void CommandsTest::clipboardWithoutTextKeepsTheList()
{
    QFETCH(bool, primary);
    QFETCH(ClipboardState, state);

    paste("pasteButton", QStringLiteral("12.5, 13"));
    paste("pasteButton_2", QStringLiteral("7, 8"));

    QClipboard *clipboard = QGuiApplication::clipboard();
    switch (state) {
    case ClipboardState::Cleared:
        clipboard->clear();
        break;
    case ClipboardState::EmptyText:
        clipboard->setText(QString());
        break;
    case ClipboardState::ImageOnly: {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::red);
        clipboard->setImage(image);
        break;
    }
    }
    QVERIFY(clipboard->text().isEmpty());

    counter.paints = 0;
    child<QPushButton>(primary ? "pasteButton" : "pasteButton_2")->click();
    QCOMPARE_EQ(counter.paints, 1);
    QCOMPARE_EQ(dialog->primaryTimeList(), (TimeList {12.5f, 13.0f}));
    QCOMPARE_EQ(dialog->secondaryTimeList(), (TimeList {7.0f, 8.0f}));
    QCOMPARE_EQ(
        QToolTip::text(),
        primary ? QStringLiteral("The clipboard holds no text; the first list stays as it was")
                : QStringLiteral("The clipboard holds no text; the second list stays as it was"));
}

void CommandsTest::dropsFillTheListTheyLandOn_data()
{
    QTest::addColumn<bool>("onChart");
    QTest::addColumn<Dropped>("dropped");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TimeList>("times");
    QTest::addColumn<QString>("message");

    const QString list = QStringLiteral("9.5, 10.25, 11");
    const QString note = TimesDistributionDialog::readTimeList(list).summary();
    const auto bytes = [&](QStringConverter::Encoding encoding) {
        return QByteArray(QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(list));
    };
    const TimeList read {9.5f, 10.25f, 11.0f};
    const TimeList old {12.5f, 13.0f};
    const QString kept = QStringLiteral("; the first list stays as it was");
    using D = Dropped;
    QTest::newRow("text") << true << D::Text << list.toUtf8() << read << note;
    QTest::newRow("empty text") << true << D::Text << QByteArray() << old
                                << QStringLiteral("The dropped text is empty") + kept;
    QTest::newRow("UTF-16LE file on Paste 2nd Data")
        << false << D::File << bytes(QStringConverter::Utf16LE) << read << note;
    QTest::newRow("UTF-16BE file")
        << true << D::File << bytes(QStringConverter::Utf16BE) << read << note;
    QTest::newRow("empty file") << true << D::File << QByteArray() << old
                                << QStringLiteral("The dropped file is empty") + kept;
    QTest::newRow("two files") << true << D::TwoFiles << list.toUtf8() << old
                               << QStringLiteral("Drop one file at a time") + kept;
    QTest::newRow("folder") << true << D::Folder << QByteArray() << old
                            << QStringLiteral("\u2068times\u2069 is a folder") + kept;
    QTest::newRow("device without end")
        << true << D::Device << QByteArray() << old
        << QStringLiteral("\u2068zero\u2069 is not a plain file") + kept;
    QTest::newRow("missing file")
        << true << D::MissingFile << QByteArray() << old
        << QStringLiteral("\u2068times\u2069 could not be read: No such file or directory") + kept;
    QTest::newRow("file over 256 MB")
        << true << D::LargeFile << list.toUtf8() << old
        << QStringLiteral("\u2068times\u2069 is larger than 256 MB") + kept;
    QTest::newRow("file of exactly 256 MB: the times, then spaces")
        << true << D::FileAtLimit << QByteArray("9.5\n10.25\n11\n") << read << note;
    QTest::newRow("PNG file") << true << D::File << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                              << old << QStringLiteral("\u2068times\u2069 is not text") + kept;
    QTest::newRow("more than the limit")
        << true << D::OverLimit << QByteArray() << old << QString();
    QTest::newRow("session name of a megabyte in markup, cut and shown as it is")
        << true << D::Text
        << QStringLiteral(R"({"session1":[[[0,9500],"","",1]],"properties":{"sessionData":)"
                          R"("{\"1\":{\"name\":\"<b>%1</b>\"}}"}})")
               .arg(QString(1 << 20, u'n'))
               .toUtf8()
        << TimeList {9.5f}
        << QStringLiteral("Read 1 time from csTimer, session \"\u2068<b>%1…\u2069\"")
               .arg(QString(56, u'n'));
    const QString named = QStringLiteral(R"({"session1":[[[0,9500],"","",1]],"properties":)"
                                         R"({"sessionData":"{\"1\":{\"name\":\"%1\"}}"}})");
    QTest::newRow("session name that turns its end around, kept in its own order")
        << true << D::Text << named.arg(QStringLiteral("photo\u202Egnp.exe")).toUtf8()
        << TimeList {9.5f}
        << QStringLiteral("Read 1 time from csTimer, session \"\u2068photognp.exe\u2069\"");
    QTest::newRow("session name with a line break, on one line")
        << true << D::Text << named.arg(QStringLiteral(R"(3x3\\r\\nOH)")).toUtf8()
        << TimeList {9.5f}
        << QStringLiteral("Read 1 time from csTimer, session \"\u20683x3  OH\u2069\"");
    QTest::newRow("file opened from the command line")
        << true << D::Opened << list.toUtf8() << read << note;
    QTest::newRow("second file opened from the command line, UTF-16")
        << false << D::Opened << bytes(QStringConverter::Utf16LE) << read << note;
    QTest::newRow("missing file opened from the command line")
        << true << D::OpenedMissing << QByteArray() << old
        << QStringLiteral("\u2068times\u2069 could not be read: No such file or directory") + kept;
    // A letter split by the 1 MiB chunks the file is read in: a mark of 3 bytes, then é's 2 bytes
    // from the chunk's last byte on.
    const qsizetype before = (1 << 20) - 4 - named.indexOf(u"%1");
    QTest::newRow("UTF-8 file with a letter across its chunks")
        << true << D::File << "\xEF\xBB\xBF" + (QString(before, u' ') + named.arg(u"é")).toUtf8()
        << TimeList {9.5f} << QStringLiteral("Read 1 time from csTimer, session \"\u2068é\u2069\"");
    // Nothing new said: the note of the last paste stays.
    QTest::newRow("only a move offered")
        << true << D::MoveOnly << list.toUtf8() << old
        << TimesDistributionDialog::readTimeList(QStringLiteral("12.5, 13")).summary();
}

void CommandsTest::dropsFillTheListTheyLandOn()
{
    QFETCH(bool, onChart);
    QFETCH(Dropped, dropped);
    QFETCH(QByteArray, bytes);
    QFETCH(TimeList, times);
    QFETCH(QString, message);
    if (dropped == Dropped::OverLimit) {
        QBuffer file;
        file.setData(QByteArray(8 << 20, '\n'));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!TimesDistributionDialog::readDroppedText(file, 1 << 20));
        QCOMPARE_EQ(file.pos(), (1 << 20) + 1); // read one byte past the limit, no more
        return;
    }
    paste("pasteButton", QStringLiteral("12.5, 13"));
    paste("pasteButton_2", QStringLiteral("12.5, 13"));

    QTemporaryDir folder;
    const QString path = dropped == Dropped::Device ? QStringLiteral("/dev/zero")
                                                    : folder.filePath(QStringLiteral("times"));
    QFile file(path);
    const bool large = dropped == Dropped::LargeFile || dropped == Dropped::FileAtLimit;
    if (dropped == Dropped::File || dropped == Dropped::TwoFiles || dropped == Dropped::Opened
        || large)
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                && (!large || file.resize(qint64(256 << 20) + (dropped == Dropped::LargeFile))));
    // Text up to the limit: spaces where resizing left NUL bytes, which would make it no text.
    if (dropped == Dropped::FileAtLimit) {
        QVERIFY(file.seek(bytes.size()));
        const QByteArray spaces(1 << 20, ' ');
        for (qint64 left = file.size() - bytes.size(); left > 0; left -= spaces.size())
            QVERIFY(file.write(spaces.constData(), std::min<qint64>(left, spaces.size())) > 0);
    }
    file.close();
    QVERIFY(dropped != Dropped::Folder || QDir(folder.path()).mkdir(QStringLiteral("times")));
    if (dropped == Dropped::Opened || dropped == Dropped::OpenedMissing) {
        dialog->openFile(path, onChart);
        QCOMPARE_EQ(onChart ? dialog->primaryTimeList() : dialog->secondaryTimeList(), times);
        QCOMPARE_EQ(onChart ? dialog->secondaryTimeList() : dialog->primaryTimeList(),
                    (TimeList {12.5f, 13.0f}));
        QCOMPARE_EQ(shownNote(), message);
        return;
    }
    QMimeData data;
    if (dropped == Dropped::Text || dropped == Dropped::MoveOnly)
        data.setText(QString::fromUtf8(bytes));
    else
        data.setUrls(QList<QUrl>(dropped == Dropped::TwoFiles ? 2 : 1, QUrl::fromLocalFile(path)));

    auto *target = child<QWidget>(onChart ? "display" : "pasteButton_2");
    const Qt::DropActions actions
        = dropped == Dropped::MoveOnly ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
    counter.paints = counter.paintsWaiting = 0;
    QCoreApplication::sendEvent(target, &enter);
    QCoreApplication::sendEvent(target, &drop);
    // A file of 256 MB is drawn under the wait cursor, a few times are not; none stays.
    if (dropped == Dropped::FileAtLimit || bytes.size() < 1024)
        QCOMPARE_EQ(counter.paintsWaiting, dropped == Dropped::FileAtLimit ? 1 : 0);
    QVERIFY(!QGuiApplication::overrideCursor());
    // Only ever a copy, so the source never deletes what was dropped.
    QCOMPARE_EQ(enter.isAccepted() && drop.isAccepted(), dropped != Dropped::MoveOnly);
    QCOMPARE_EQ(drop.dropAction(), dropped != Dropped::MoveOnly ? Qt::CopyAction : Qt::MoveAction);

    QCOMPARE_EQ(onChart ? dialog->primaryTimeList() : dialog->secondaryTimeList(), times);
    QCOMPARE_EQ(onChart ? dialog->secondaryTimeList() : dialog->primaryTimeList(),
                (TimeList {12.5f, 13.0f}));
    QCOMPARE_EQ(shownNote(), message);
}

void CommandsTest::pasteButtonMenuLeavesTheFocus_data()
{
    QTest::addColumn<bool>("fromKey");
    QTest::newRow("Menu key: the first command highlighted") << true;
    QTest::newRow("right click: the focus stays on the first button") << false;
}

// The click as the window system delivers it, so that a press would give the focus.
void CommandsTest::pasteButtonMenuLeavesTheFocus()
{
    QFETCH(bool, fromKey);
    auto *first = child<QPushButton>("pasteButton");
    auto *second = child<QPushButton>("pasteButton_2");
    paste("pasteButton_2", QStringLiteral("7, 8"));
    (fromKey ? second : first)->setFocus();
    QAction *highlighted = nullptr;
    bool opened = false;
    QTimer::singleShot(100, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        opened = menu;
        highlighted = menu ? menu->activeAction() : nullptr;
        if (menu)
            menu->close();
    });
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {}, second->mapToGlobal(QPoint()));
    if (fromKey)
        QApplication::sendEvent(second, &menuKey);
    else
        QTest::mouseClick(dialog->windowHandle(), Qt::RightButton, {},
                          second->mapTo(dialog.get(), second->rect().center()));
    QVERIFY(opened);
    QCOMPARE_EQ(highlighted, fromKey ? second->actions().constFirst() : nullptr);
    QCOMPARE_EQ(QApplication::focusWidget(), fromKey ? second : first);
}

void CommandsTest::textTooLargeForTheMemoryKeepsTheList()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves more address space than the limit leaves");
#endif
    QProcess child;
    child.start(QStringLiteral(LIMIT_CHILD), {QString(), QStringLiteral("memory")});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE_EQ(QString::fromLocal8Bit(child.readAllStandardOutput()),
                QStringLiteral("times 3000\nnote The text is too large to read; the first list "
                               "stays as it was\n"));
}

void CommandsTest::colourDialogChoosesAndCancelKeeps_data()
{
    QTest::addColumn<bool>("primary");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QColor>("initial");

    QTest::newRow("main colour") << true << QStringLiteral("Choose the main chart color")
                                 << QColor(102, 204, 255);
    QTest::newRow("secondary colour")
        << false << QStringLiteral("Choose the secondary chart color") << QColor(255, 130, 0);
}

void CommandsTest::colourDialogChoosesAndCancelKeeps()
{
    QFETCH(bool, primary);
    QFETCH(QString, title);
    QFETCH(QColor, initial);
    const char *button = primary ? "colorButton" : "colorButton_2";
    const auto colour = [&] {
        return primary ? dialog->mainChartColor() : dialog->secondaryChartColor();
    };
    const auto otherColour = [&] {
        return primary ? dialog->secondaryChartColor() : dialog->mainChartColor();
    };
    const QColor otherInitial = otherColour();
    const QColor chosen(0x12, 0x34, 0x56);

    counter.paints = 0;
    ColourDialogSeen seen = runColourDialog(button, chosen);
    QCOMPARE_EQ(seen.openings, 1);
    QCOMPARE_EQ(seen.title, title);
    QCOMPARE_EQ(seen.initial, initial);
    QCOMPARE_EQ(seen.parent, dialog.get());
    QVERIFY(!seen.offersAlpha);
    QCOMPARE_EQ(colour(), chosen);
    QCOMPARE_GE(counter.paints, 1);
    // Return then pastes, where it used to open the colour dialog again.
    QGuiApplication::clipboard()->setText(QStringLiteral("12.5, 13"));
    const auto pressReturn = [&] {
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    };
    QCOMPARE_EQ(answerModal(pressReturn, [](QDialog *modal) { modal->reject(); }), 0);
    QCOMPARE_EQ(dialog->primaryTimeList(), (TimeList {12.5f, 13.0f}));

    // Reopening offers the stored colour; cancelling keeps it rather than storing an invalid one.
    counter.paints = 0;
    seen = runColourDialog(button, QColor());
    QCOMPARE_EQ(seen.openings, 1);
    QCOMPARE_EQ(seen.initial, chosen);
    QCOMPARE_EQ(colour(), chosen);
    QCOMPARE_GE(counter.paints, 1);

    QCOMPARE_EQ(otherColour(), otherInitial);
}

void CommandsTest::controlsRepaintTheChartAtOnce_data()
{
    QTest::addColumn<Control>("control");
    QTest::addColumn<int>("paints");

    QTest::newRow("Detail slider moved") << Control::DetailSlider << 1;
    QTest::newRow("Trim slider moved") << Control::TrimSlider << 1;
    QTest::newRow("three Detail slider key steps") << Control::DetailSliderKeySteps << 3;
    QTest::newRow("Trim slider dragged over four positions") << Control::TrimSliderDrag << 4;
    QTest::newRow("Show Stats cleared") << Control::ShowStats << 1;
    QTest::newRow("primary Quartiles cleared") << Control::PrimaryQuartiles << 1;
    QTest::newRow("secondary Quartiles ticked") << Control::SecondaryQuartiles << 1;
    QTest::newRow("three characters typed in the title") << Control::TypeInTitle << 3;
    QTest::newRow("Backspace in the title") << Control::BackspaceInTitle << 1;
    QTest::newRow("Home in the title") << Control::HomeInTitle << 1;
    // The cursor stays put, so the slot wired to its moves never runs.
    QTest::newRow("Delete ahead of the cursor") << Control::DeleteInTitle << 0;
}

void CommandsTest::controlsRepaintTheChartAtOnce()
{
    QFETCH(Control, control);
    QFETCH(int, paints);

    auto *title = child<QLineEdit>("nameEdit");
    if (control == Control::DeleteInTitle)
        title->setCursorPosition(0);
    const QString titleBefore = title->text();
    counter.paints = 0;

    switch (control) {
    case Control::DetailSlider:
        child<QSlider>("sigmaSlider")->setValue(100);
        break;
    case Control::TrimSlider:
        child<QSlider>("trimSlider")->setValue(1);
        break;
    case Control::DetailSliderKeySteps:
        for (int step = 0; step < 3; ++step)
            QTest::keyClick(child<QSlider>("sigmaSlider"), Qt::Key_Right);
        QCOMPARE_EQ(child<QSlider>("sigmaSlider")->value(), 503);
        break;
    case Control::TrimSliderDrag: {
        auto *slider = child<QSlider>("trimSlider");
        slider->setSliderDown(true);
        for (int position : {900, 800, 700, 600})
            slider->setSliderPosition(position);
        slider->setSliderDown(false);
        QCOMPARE_EQ(slider->value(), 600);
        break;
    }
    case Control::ShowStats:
        child<QCheckBox>("showStatsCheck")->click();
        QVERIFY(!child<QCheckBox>("showStatsCheck")->isChecked());
        break;
    case Control::PrimaryQuartiles:
        child<QCheckBox>("showQuartiles")->click();
        QVERIFY(!child<QCheckBox>("showQuartiles")->isChecked());
        break;
    case Control::SecondaryQuartiles:
        child<QCheckBox>("showQuartiles2")->click();
        QVERIFY(child<QCheckBox>("showQuartiles2")->isChecked());
        break;
    case Control::TypeInTitle:
        QTest::keyClicks(title, QStringLiteral("abc"));
        QCOMPARE_EQ(title->text(), titleBefore + QStringLiteral("abc"));
        break;
    case Control::BackspaceInTitle:
        QTest::keyClick(title, Qt::Key_Backspace);
        QCOMPARE_EQ(title->text(), titleBefore.chopped(1));
        break;
    case Control::HomeInTitle:
        QTest::keyClick(title, Qt::Key_Home);
        QCOMPARE_EQ(title->cursorPosition(), 0);
        break;
    case Control::DeleteInTitle:
        QTest::keyClick(title, Qt::Key_Delete);
        QCOMPARE_EQ(title->text(), titleBefore.mid(1));
        QCOMPARE_EQ(title->cursorPosition(), 0);
        break;
    }
    // Counted before the event loop runs again: the repaint must be synchronous.
    QCOMPARE_EQ(counter.paints, paints);
    // A screen reader hears the title as it stands now, whether the chart was redrawn or not.
    QCOMPARE_EQ(chartDescription(dialog.get()), title->text() + QStringLiteral(". No times yet."));
}

void CommandsTest::choosesASessionAndPeriodForEitherList_data()
{
    QTest::addColumn<bool>("primary");
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<TimeList>("times");
    QTest::addColumn<QString>("note");

    QTest::newRow("Return takes the newest session")
        << true << Choice::AtReturn << TimeList {10.0f, 11.5f, 13.0f}
        << QStringLiteral(
               "Read 3 times from csTimer, session \"\u2068OH\u2069\" (the newest of 2)");
    QTest::newRow("another session into the second list")
        << false << Choice::OtherSession << TimeList {12.0f}
        << QStringLiteral("Read 1 time (1 DNF skipped) from csTimer, session \"\u20683x3\u2069\"");
    QTest::newRow("the last solve")
        << true << Choice::LastSolve << TimeList {13.0f}
        << QStringLiteral("Read 1 time from csTimer, session \"\u2068OH\u2069\" (the newest of 2), "
                          "the last 1");
    QTest::newRow("one day") << false << Choice::OneDay << TimeList {11.5f}
                             << QStringLiteral(
                                    "Read 1 time from csTimer, session \"\u2068OH\u2069\" (the "
                                    "newest of 2), 2026-11-02 to 2026-11-02");
    QTest::newRow("dates typed kept for another session")
        << true << Choice::DatesThenSession << TimeList {12.0f}
        << QStringLiteral("Read 1 time (1 DNF skipped) from csTimer, session \"\u20683x3\u2069\", "
                          "2026-10-30 to 2026-11-01");
    QTest::newRow("nothing in the period: OK is off")
        << false << Choice::NothingInPeriod << TimeList {7.0f, 8.0f}
        << QStringLiteral("No session chosen; the second list stays as it was");
    QTest::newRow("Return on dates no date edit shows reads what a paste reads unasked")
        << true << Choice::FarDates << TimeList {10.0f, 11.0f, 9.0f}
        << QStringLiteral(
               "Read 3 times from csTimer, session \"\u2068ms\u2069\" (the newest of 2)");
    QTest::newRow("Escape keeps the list")
        << true << Choice::Cancel << TimeList {7.0f, 8.0f}
        << QStringLiteral("No session chosen; the first list stays as it was");
    QTest::newRow("chosen again from the context menu")
        << false << Choice::Again << TimeList {12.0f}
        << QStringLiteral("Read 1 time (1 DNF skipped) from csTimer, session \"\u20683x3\u2069\"");
}

// The other list holds the same text's newest session; both keep their own choice.
void CommandsTest::choosesASessionAndPeriodForEitherList()
{
    QFETCH(bool, primary);
    QFETCH(Choice, choice);
    QFETCH(TimeList, times);
    QFETCH(QString, note);

    paste(primary ? "pasteButton" : "pasteButton_2", QStringLiteral("7, 8"));
    pasteAndChoose(!primary, Choice::AtReturn);
    const TimeList newest {10.0f, 11.5f, 13.0f};
    pasteAndChoose(primary, choice);

    QCOMPARE_EQ(primary ? dialog->primaryTimeList() : dialog->secondaryTimeList(), times);
    QCOMPARE_EQ(primary ? dialog->secondaryTimeList() : dialog->primaryTimeList(), newest);
    QCOMPARE_EQ(shownNote(), note);
    // The note of the list, not of a cancelled choice, stays where the user can hover for it.
    const bool escaped = choice == Choice::Cancel || choice == Choice::NothingInPeriod;
    const QString listNote = escaped ? QStringLiteral("Read 2 times") : note;
    QCOMPARE_EQ(child<QPushButton>(primary ? "pasteButton" : "pasteButton_2")->toolTip(), listNote);
    // The note stays in the window, naming the list by its colour.
    const auto *bar = child<QWidget>("noteBar");
    QVERIFY(bar->isVisible());
    const QString list
        = QLatin1StringView(primary ? "First list (blue): r" : "Second list (orange): r");
    QCOMPARE_EQ(bar->findChild<QLabel *>()->text(), escaped ? note : list + note.sliced(1));
}

QTEST_MAIN(CommandsTest)
void CommandsTest::namedOperationsAreTheirFloorsFaces_data()
{
    QTest::addColumn<QByteArray>("operation");
    for (const char *name :
         {"parseTimeList", "readTimeList", "computeStatistics", "kernelDensity", "densityCurve",
          "renderChart", "drawQuartileMarkers", "drawStatisticsPanel"})
        QTest::newRow(name) << QByteArray(name);
}

// Each gives what the face below gives; the window's chart is the scene its controls ask for.
void CommandsTest::namedOperationsAreTheirFloorsFaces()
{
    QFETCH(QByteArray, operation);
    using Dialog = TimesDistributionDialog;
    const QString text = QStringLiteral("9.87\n10.50\nDNF\n11.02\nsee you\n12.40\n1:02.10\n10.8");
    const ParsedTimes read = TimeReaders::read(text);
    const TimeList &times = read.times;
    const auto painted = [](const std::function<void(QPainter &)> &paint) {
        QImage image(600, 400, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        paint(painter);
        return image;
    };
    QFont font;
    if (operation == "parseTimeList") {
        QCOMPARE(Dialog::parseTimeList(text), times);
    } else if (operation == "readTimeList") {
        const ParsedTimes parsed = Dialog::readTimeList(text);
        QCOMPARE(parsed.times, times);
        QCOMPARE(parsed.summary(), read.summary());
    } else if (operation == "computeStatistics") {
        const TimeStatistics statistics = Dialog::computeStatistics(times);
        const TimeStatistics face = SummaryStatistics::of(times);
        QCOMPARE(std::memcmp(&statistics, &face, sizeof statistics), 0);
    } else if (operation == "kernelDensity") {
        QCOMPARE(Dialog::kernelDensity(times, 64, 9, 63, 0.5f),
                 KernelDensity::onGrid(times, 64, 9, 63, 0.5f));
    } else if (operation == "densityCurve") {
        // Above Detail's start a narrow kernel gets a point per pixel of the 500.
        std::vector<float> heights;
        const QPainterPath path
            = Dialog::densityCurve(times, 9, 63, 0.002f, 500, 300, 10, &heights);
        const KernelDensity::Curve curve = KernelDensity::curve(times, 9, 63, 0.002f, 500, true);
        QCOMPARE(heights, curve.values);
        QCOMPARE(heights.size(), std::size_t(501));
        QCOMPARE(path, Chart::curveOutline(curve.values, 500, 300, 10));
        QCOMPARE(Dialog::densityCurve(times, 9, 63, 0.002f, 500, 300, 10, nullptr), path);
    } else if (operation == "renderChart") {
        paste("pasteButton", text);
        child<QSlider>("sigmaSlider")->setValue(999);
        child<QSlider>("trimSlider")->setValue(20);
        ChartScene scene;
        scene.primaryTimes = times;
        scene.title = QStringLiteral("Chart Title");
        scene.size = child<QWidget>("display")->size();
        scene.devicePixelRatio = child<QWidget>("display")->devicePixelRatioF();
        Controls::setSliders(scene, 999, 20);
        QCOMPARE(dialog->renderChart().toImage(), Chart::render(scene).toImage());
    } else if (operation == "drawQuartileMarkers") {
        const std::vector<float> heights {0, 0.5f, 1, 0.5f, 0};
        QCOMPARE(
            painted([&](QPainter &p) { Dialog::drawQuartileMarkers(p, heights, 500, 330, font); }),
            painted([&](QPainter &p) { Chart::drawQuartileMarkers(p, heights, 500, 330, font); }));
    } else {
        const TimeList second {20.5f, 22.0f};
        QCOMPARE(
            painted([&](QPainter &p) { Dialog::drawStatisticsPanel(p, times, second, 600, font); }),
            painted([&](QPainter &p) { Chart::drawStatisticsPanel(p, times, second, 600, font); }));
    }
}

#include "tst_commands.moc"
