#include "app/timesdistributiondialog.h"

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
    const TimeList times = TimesDistributionDialog::parseTimeList(text);
    QCOMPARE(QString::number(times.size()), count);

    // The panel shows each value with two decimals; so does the README.
    const TimeStatistics computed = TimesDistributionDialog::computeStatistics(times);
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

QTEST_GUILESS_MAIN(ExamplesTest)
#include "tst_examples.moc"
