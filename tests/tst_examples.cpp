#include "data/timereaders.h"
#include "stats/timestatistics.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

// examples/README.md tells users what each sample holds; its table must match what the program
// reads from the files, and every sample must be in it.
class ExamplesTest : public QObject
{
    Q_OBJECT

private slots:
    void readmeMatchesTheProgram_data();
    void readmeMatchesTheProgram();
    void everySampleIsInTheReadme();
    void readsEveryTimersExport_data();
    void readsEveryTimersExport();

private:
    struct Row
    {
        QString file;
        QString count;
        QStringList statistics;
    };
    static QList<Row> readmeRows();
};

namespace {

const QString examplesDir = QStringLiteral(EXAMPLES_DIR);

QString readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

// Table rows look like "| `file` | shape | count | Best | Worst | Average | Median | MoXAo5 |".
QList<ExamplesTest::Row> ExamplesTest::readmeRows()
{
    QList<Row> rows;
    const QStringList lines = readFile(examplesDir + QStringLiteral("/README.md")).split(u'\n');
    for (const QString &line : lines) {
        if (!line.startsWith(QStringLiteral("| `")))
            continue;
        const QStringList cells = line.split(u'|');
        if (cells.size() < 10)
            continue;
        Row row;
        row.file = cells[1].trimmed().remove(u'`');
        row.count = cells[3].trimmed();
        for (int i = 4; i < 9; ++i)
            row.statistics.append(cells[i].trimmed());
        rows.append(row);
    }
    return rows;
}

void ExamplesTest::readmeMatchesTheProgram_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("statistics");

    const QList<Row> rows = readmeRows();
    QVERIFY2(rows.size() >= 5, "examples/README.md lists fewer than five samples");
    for (const Row &row : rows)
        QTest::newRow(qPrintable(row.file)) << row.file << row.count << row.statistics;
}

void ExamplesTest::readmeMatchesTheProgram()
{
    QFETCH(QString, file);
    QFETCH(QString, count);
    QFETCH(QStringList, statistics);

    const QString text = readFile(examplesDir + u'/' + file);
    QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("cannot read ") + file));
    const TimeList times = TimeReaders::read(text).times;
    QCOMPARE(QString::number(times.size()), count);

    // The panel shows each value with two decimals; so does the README.
    const TimeStatistics computed = SummaryStatistics::of(times);
    QStringList shown;
    for (float value : computed)
        shown.append(QString::number(value, 'f', 2));
    QCOMPARE(shown, statistics);
}

void ExamplesTest::everySampleIsInTheReadme()
{
    QSet<QString> listed;
    for (const Row &row : readmeRows())
        listed.insert(row.file);
    const QStringList samples
        = QDir(examplesDir).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QVERIFY(!samples.isEmpty());
    for (const QString &sample : samples)
        QVERIFY2(listed.contains(sample), qPrintable(sample + QStringLiteral(" is not listed")));
}

// examples/timers/ holds one export of each timer format, all of the same invented solves.
void ExamplesTest::readsEveryTimersExport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<TimeList>("times");
    QTest::addColumn<QString>("summary");

    const TimeList eight {11.52f, 14.52f, 9.87f, 12.40f, 11.03f, 12.76f, 11.90f};
    const QString csTimerEight = QStringLiteral("Read 7 times (1 DNF skipped) from csTimer");
    const TimeList phases {14.01f, 10.84f, 11.33f, 12.95f};
    const QString csTimerPhases = QStringLiteral("Read 4 times (1 DNF skipped) from csTimer");
    const TimeList twisty {11.52f, 14.52f, 9.87f, 12.40f, 11.03f, 12.76f, 71.90f};
    const TimeList cubeDesk {11.52f, 14.52f, 9.87f, 12.40f};
    const QString cubeDeskRead = QStringLiteral("Read 4 times (1 DNF skipped) from CubeDesk");
    const TimeList dcTimer {11.523f, 14.520f, 9.871f, 12.404f, 11.032f};
    const QString dcTimerRead = QStringLiteral("Read 5 times (1 DNF skipped) from DCTimer");

    QTest::newRow("csTimer session") << "cstimer-session-en.txt" << eight << csTimerEight;
    QTest::newRow("csTimer session in German") << "cstimer-session-de.txt" << eight << csTimerEight;
    QTest::newRow("csTimer comma list")
        << "cstimer-session-en-comma-list.txt" << eight << csTimerEight;
    QTest::newRow("csTimer ao5 popup")
        << "cstimer-ao5-popup-en.txt" << TimeList {14.52f, 9.87f, 12.40f, 11.03f}
        << QStringLiteral("Read 4 times (1 DNF skipped) from csTimer");
    QTest::newRow("csTimer phases and dates")
        << "cstimer-session-en-multiphase-dates.txt" << phases << csTimerPhases;
    QTest::newRow("csTimer CSV") << "cstimer-export.csv" << phases << csTimerPhases;
    QTest::newRow("csTimer backup reads the newest session")
        << "cstimer-backup.txt" << eight
        << QStringLiteral("Read 7 times (1 DNF skipped) from csTimer, session \"\u20681\u2069\" "
                          "(the newest of 2)");
    QTest::newRow("Twisty Timer backup")
        << "twistytimer-backup.txt" << twisty
        << QStringLiteral("Read 7 times (1 DNF skipped) from Twisty Timer, session \"\u2068333 "
                          "Normal\u2069\"");
    QTest::newRow("Twisty Timer external")
        << "twistytimer-external.txt" << twisty
        << QStringLiteral("Read 7 times (1 DNF skipped) from Twisty Timer");
    QTest::newRow("CubeDesk copy, newest first") << "cubedesk-copy.txt" << cubeDesk << cubeDeskRead;
    QTest::newRow("CubeDesk CSV, newest first") << "cubedesk.csv" << cubeDesk << cubeDeskRead;
    QTest::newRow("CubeTime CSV sorted by date")
        << "cubetime.csv"
        << TimeList {11.523104872f, 13.017738201f, 12.520550013f, 9.871203399f, 12.404817291f}
        << QStringLiteral("Read 5 times from CubeTime");
    QTest::newRow("CubeTime copy, newest first, raw time before +")
        << "cubetime-copy-selected.txt" << TimeList {11.523f, 14.520f, 9.871f, 12.404f}
        << QStringLiteral("Read 4 times (1 DNF skipped) from CubeTime");
    QTest::newRow("qqTimer times list")
        << "qqtimer-times-list.txt" << cubeDesk
        << QStringLiteral("Read 4 times (1 DNF skipped) from qqTimer");
    QTest::newRow("DCTimer session copy") << "dctimer-session-copy.txt" << dcTimer << dcTimerRead;
    QTest::newRow("DCTimer detailed copy")
        << "dctimer-session-detail.txt" << dcTimer << dcTimerRead;
}

void ExamplesTest::readsEveryTimersExport()
{
    QFETCH(QString, file);
    QFETCH(TimeList, times);
    QFETCH(QString, summary);

    const QString text = readFile(examplesDir + QStringLiteral("/timers/") + file);
    QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("cannot read ") + file));
    const ParsedTimes parsed = TimeReaders::read(text);
    QCOMPARE_EQ(parsed.times, times);
    QCOMPARE_EQ(parsed.summary(), summary);
}

QTEST_GUILESS_MAIN(ExamplesTest)
#include "tst_examples.moc"
