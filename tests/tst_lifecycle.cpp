#include "app/settingsstore.h"
#include "app/timesdistributiondialog.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString titleKey = QStringLiteral("timeDistributionName");

std::unique_ptr<QSettings> store()
{
    return SettingsStore::open();
}

QLineEdit *titleField(const TimesDistributionDialog &dialog)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("nameEdit"));
}

// Runs one dialog's whole life and hands back the title it started with.
QString titleOfANewDialog(const QString &newTitle = QString())
{
    TimesDistributionDialog dialog;
    const QString shown = titleField(dialog)->text();
    if (!newTitle.isNull())
        titleField(dialog)->setText(newTitle);
    return shown;
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

} // namespace

class LifecycleTest : public QObject
{
    Q_OBJECT

private slots:
    void firstRunShowsTheDefaultTitle();
    void titleSurvivesARestart_data();
    void titleSurvivesARestart();
    void storedEmptyStringIsATitle();
    void titleIsWrittenWhenNeverEdited();
    void secondDialogStartsAfresh();
    void unwritableStoreLosesOnlyThatRunsTitle();
    void portableCopyKeepsItsSettingsBesideIt_data();
    void portableCopyKeepsItsSettingsBesideIt();
};

void LifecycleTest::firstRunShowsTheDefaultTitle()
{
    IsolatedSettings settings;
    QVERIFY(!QFile::exists(settings.storeFile()));
    QCOMPARE_EQ(titleOfANewDialog(), QStringLiteral("Chart Title"));
}

void LifecycleTest::titleSurvivesARestart_data()
{
    QTest::addColumn<QString>("title");

    QTest::newRow("plain words") << QStringLiteral("May sessions, 3x3");
    QTest::newRow("padded with spaces") << QStringLiteral("  padded  ");
    QTest::newRow("non-Latin letters and an emoji")
        << QStringLiteral("Résumé ルービック 🧊");
    QTest::newRow("settings-file syntax")
        << QStringLiteral("[General]\\n timeDistributionName=x; # \"quoted\" @Variant(1)");
    QTest::newRow("empty") << QStringLiteral("");
}

void LifecycleTest::titleSurvivesARestart()
{
    QFETCH(QString, title);
    IsolatedSettings settings;

    titleOfANewDialog(title);
    QVERIFY(QFile::exists(settings.storeFile()));
    QCOMPARE_EQ(store()->value(titleKey).toString(), title);
    QCOMPARE_EQ(titleOfANewDialog(), title);
}

void LifecycleTest::storedEmptyStringIsATitle()
{
    IsolatedSettings settings;
    store()->setValue(titleKey, QStringLiteral(""));
    QCOMPARE_EQ(titleOfANewDialog(), QString());
}

void LifecycleTest::titleIsWrittenWhenNeverEdited()
{
    IsolatedSettings settings;
    titleOfANewDialog();
    const QVariant stored = store()->value(titleKey);
    QVERIFY(stored.isValid());
    QCOMPARE_EQ(stored.toString(), QStringLiteral("Chart Title"));
}

void LifecycleTest::secondDialogStartsAfresh()
{
    IsolatedSettings settings;
    {
        TimesDistributionDialog first;
        QGuiApplication::clipboard()->setText(QStringLiteral("12.5, 13, 14"));
        first.findChild<QPushButton *>(QStringLiteral("pasteButton"))->click();
        first.findChild<QPushButton *>(QStringLiteral("pasteButton_2"))->click();
        QCOMPARE_EQ(first.primaryTimeList().size(), 3);

        // Pick a colour in the main colour dialog, so the first run leaves every member changed.
        QTimer answer;
        answer.setInterval(10);
        QObject::connect(&answer, &QTimer::timeout, [] {
            auto *chooser = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            if (!chooser || !chooser->isVisible())
                return;
            chooser->setCurrentColor(Qt::darkGreen);
            chooser->accept();
        });
        answer.start();
        first.findChild<QPushButton *>(QStringLiteral("colorButton"))->click();
        QCOMPARE_EQ(first.mainChartColor(), QColor(Qt::darkGreen));

        first.findChild<QSlider *>(QStringLiteral("sigmaSlider"))->setValue(3);
        first.findChild<QSlider *>(QStringLiteral("trimSlider"))->setValue(7);
        first.findChild<QCheckBox *>(QStringLiteral("showStatsCheck"))->setChecked(false);
        first.findChild<QCheckBox *>(QStringLiteral("showQuartiles"))->setChecked(false);
        first.findChild<QCheckBox *>(QStringLiteral("showQuartiles2"))->setChecked(true);
        titleField(first)->setText(QStringLiteral("Kept"));
    }

    TimesDistributionDialog second;
    QVERIFY(second.primaryTimeList().isEmpty());
    QVERIFY(second.secondaryTimeList().isEmpty());
    QCOMPARE_EQ(second.mainChartColor(), QColor(QStringLiteral("#66CCFF")));
    QCOMPARE_EQ(second.secondaryChartColor(), QColor(QStringLiteral("#FF8200")));
    QCOMPARE_EQ(second.findChild<QSlider *>(QStringLiteral("sigmaSlider"))->value(), 500);
    QCOMPARE_EQ(second.findChild<QSlider *>(QStringLiteral("trimSlider"))->value(), 1000);
    QVERIFY(second.findChild<QCheckBox *>(QStringLiteral("showStatsCheck"))->isChecked());
    QVERIFY(second.findChild<QCheckBox *>(QStringLiteral("showQuartiles"))->isChecked());
    QVERIFY(!second.findChild<QCheckBox *>(QStringLiteral("showQuartiles2"))->isChecked());
    QCOMPARE_EQ(titleField(second)->text(), QStringLiteral("Kept"));
}

void LifecycleTest::unwritableStoreLosesOnlyThatRunsTitle()
{
    IsolatedSettings settings;
    titleOfANewDialog(QStringLiteral("Earlier run"));

    // Root ignores file permissions, so a regular file in the store's path makes it unusable.
    const QString blocker = settings.path() + QStringLiteral("/blocker");
    const QByteArray blockerContents("not a folder\n");
    QVERIFY(writeFile(blocker, blockerContents));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       blocker + QStringLiteral("/config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       blocker + QStringLiteral("/config"));

    QCOMPARE_EQ(titleOfANewDialog(QStringLiteral("Lost run")), QStringLiteral("Chart Title"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE_EQ(file.readAll(), blockerContents);

    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QCOMPARE_EQ(titleOfANewDialog(), QStringLiteral("Earlier run"));
}

void LifecycleTest::portableCopyKeepsItsSettingsBesideIt_data()
{
    QTest::addColumn<bool>("locked");
    QTest::newRow("folder that takes files") << false;
    QTest::newRow("folder that takes no file") << true;
}

// Nothing reaches the platform's store; a folder that takes no file is said once, and the title
// lasts that run only.
void LifecycleTest::portableCopyKeepsItsSettingsBesideIt()
{
    QFETCH(bool, locked);
    IsolatedSettings settings;
    QTemporaryDir program;
    QVERIFY(writeFile(program.filePath(QStringLiteral("portable.txt")), QByteArray()));
    if (locked && !setImmutable(program.path(), true))
        QSKIP("this file system has no immutable attribute");
    const auto restore = qScopeGuard([&] {
        setImmutable(program.path(), false);
        SettingsStore::setUp(QString());
    });
    SettingsStore::setUp(program.path());
    // Qt's file and colour dialogs keep their state there too.
    QVERIFY(QSettings(QSettings::UserScope, QStringLiteral("QtProject"))
                .fileName()
                .startsWith(program.path()));

    {
        TimesDistributionDialog dialog;
        QCOMPARE_EQ(dialog.findChild<QLabel *>(QStringLiteral("noteText"))->text(),
                    locked ? QStringLiteral("The program's folder takes no file, so "
                                            "solvigram-charts.ini cannot be written: the title is "
                                            "kept until the program closes")
                           : QString());
        titleField(dialog)->setText(QStringLiteral("Stick PBs"));
    }
    QCOMPARE_EQ(QDir(program.path()).entryList(QDir::Files),
                locked ? QStringList {QStringLiteral("portable.txt")}
                       : QStringList({QStringLiteral("portable.txt"),
                                      QStringLiteral("solvigram-charts.ini")}));
    QCOMPARE_EQ(titleOfANewDialog(),
                locked ? QStringLiteral("Chart Title") : QStringLiteral("Stick PBs"));
    QVERIFY(!QFile::exists(settings.storeFile()));

    // Without portable.txt the platform's store serves again.
    SettingsStore::setUp(QString());
    const IsolatedSettings platform;
    QCOMPARE_EQ(titleOfANewDialog(), QStringLiteral("Chart Title"));
    QVERIFY(QFile::exists(platform.storeFile()));
}

QTEST_MAIN(LifecycleTest)
#include "tst_lifecycle.moc"
