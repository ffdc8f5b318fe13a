#include "app/timesdistributiondialog.h"
#include <QTest>
class ParserTest : public QObject { Q_OBJECT
private slots:
    void smoke() { QCOMPARE(TimesDistributionDialog::parseTimeList(QStringLiteral("1, 2")).size(), 2); }
};
QTEST_GUILESS_MAIN(ParserTest)
#include "tst_parser.moc"
