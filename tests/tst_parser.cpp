#include "data/readerkit.h"
#include "data/timereaders.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

#include <cmath>
#include <limits>
#include <random>

using namespace Qt::StringLiterals;

namespace {

TimeList parse(const QString &text)
{
    return TimeReaders::read(text).times;
}

// Builds text from UTF-16 literals that may hold NUL characters. QString::fromUtf16 would eat a
// leading byte order mark, which the pasted text keeps.
template<qsizetype N> QString utf16(const char16_t (&literal)[N])
{
    return QStringView(literal, N - 1).toString();
}

} // namespace

class ParserTest : public QObject
{
    Q_OBJECT

private slots:
    void readsADate_data();
    void readsADate();
    void readsATimeEntry_data();
    void readsATimeEntry();
    void readsTheListShapes_data();
    void readsTheListShapes();
    void readsTheTimersNotation_data();
    void readsTheTimersNotation();
    void survivesHostileText_data();
    void survivesHostileText();
    void readsTheTimersFormats_data();
    void readsTheTimersFormats();
    void readsEverySessionAndPeriod_data();
    void readsEverySessionAndPeriod();
};

void ParserTest::readsADate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("msSince1970");

    const qint64 noon = 1'793'534'400'000; // 2026-11-01 12:00 UTC
    const qint64 hour = 3'600'000;
    QTest::newRow("UTC") << QStringLiteral("2026-11-01 12:00:00 +0000") << noon;
    QTest::newRow("east of UTC") << QStringLiteral("2026-11-01 12:00:00 +0530")
                                 << noon - 11 * hour / 2;
    QTest::newRow("west of UTC") << QStringLiteral("2026-11-01 12:00:00 -0800") << noon + 8 * hour;
    QTest::newRow("no date") << QStringLiteral("N/A") << Session::noDate;
    QTest::newRow("no such day") << QStringLiteral("2026-02-30 12:00:00 +0000") << Session::noDate;
    QTest::newRow("an offset without its sign")
        << QStringLiteral("2026-11-01 12:00:00 0100") << Session::noDate;
}

void ParserTest::readsADate()
{
    QFETCH(QString, text);
    QFETCH(qint64, msSince1970);
    QCOMPARE_EQ(ReaderKit::DateReader().read(text), msSince1970);
}

void ParserTest::readsATimeEntry_data()
{
    using ReaderKit::NotTime;
    using ReaderKit::Solve;
    QTest::addColumn<QString>("entry");
    // Of "whole" (a list line or a cell), "comma" (decimal comma), "signs", "addsTwo"; none is a
    // timer's line, which a scramble may follow.
    QTest::addColumn<QString>("rules");
    QTest::addColumn<Solve>("solve");
    QTest::addColumn<float>("seconds");
    QTest::addColumn<NotTime>("why");

    const auto time = [](const char *name, const char *entry, const char *rules, float seconds) {
        QTest::newRow(name) << QString::fromUtf8(entry) << QString::fromUtf8(rules) << Solve::Time
                            << seconds << NotTime::None;
    };
    const auto other
        = [](const char *name, const char *entry, const char *rules, Solve solve, NotTime why) {
              QTest::newRow(name) << QString::fromUtf8(entry) << QString::fromUtf8(rules) << solve
                                  << 0.0f << why;
          };
    time("seconds", "12.34", "", 12.34f);
    time("minutes", "1:02.50", "", 62.5f);
    time("hours", "1:00:00.00", "", 3600.0f);
    time("seconds without a fraction", "12", "", 12.0f);
    time("a timer's time before its scramble", "12.34   R U", "", 12.34f);
    time("a bracketed time", "(12.34)", "", 12.34f);
    time("a +2 the time includes", "12.34+", "", 12.34f);
    time("a +2 the time leaves out", "12.34+", "addsTwo", 14.34f);
    time("a decimal comma", "12,34", "comma", 12.34f);
    time("a decimal comma in minutes", "1:02,25", "whole comma", 62.25f);
    time("a unit", "12.34s", "whole", 12.34f);
    time("a unit after a space", "12.34 sec", "whole", 12.34f);
    time("a unit in Chinese", "12.34秒", "whole", 12.34f);
    time("a comment after the time", "12.34[PLL skip]", "whole", 12.34f);
    time("a comment before the time", "[pop] 12.34", "whole", 12.34f);
    time("phases after the time", "12.34=5.12+7.22", "whole", 12.34f);
    time("doubled brackets of a hurried list", "((12.34))", "whole", 12.34f);
    time("a negative number of a plain list", "-3", "whole signs", -3.0f);
    time("an exponent of a plain list", "1e1", "whole signs", 10.0f);
    time("a clock time of day reads as minutes; its column decides", "19:04", "whole", 1144.0f);
    time("sixteen digits of fraction", ".1234567890123456", "whole signs", 0.12345679f);
    other("DNF", "DNF", "", Solve::Dnf, NotTime::None);
    other("DNF with the time", "DNF(12.34)", "", Solve::Dnf, NotTime::None);
    other("DNF after a time", "12.34 DNF", "whole", Solve::Dnf, NotTime::None);
    other("DNF in a comment is no DNF", "[DNF?] abc", "whole", Solve::None, NotTime::NoNumber);
    other("blank", "   ", "", Solve::None, NotTime::Blank);
    other("blank but for a comment", "[c]", "whole", Solve::None, NotTime::Blank);
    other("words", "abc", "whole", Solve::None, NotTime::NoNumber);
    other("a sign outside a plain list", "-3", "whole", Solve::None, NotTime::NoNumber);
    other("a decimal comma where none is allowed", "12,34", "", Solve::None, NotTime::TrailingText);
    other("a scramble in a whole entry", "12.34 R U", "whole", Solve::None, NotTime::TrailingText);
    other("a date", "2024-05-13", "whole", Solve::None, NotTime::TrailingText);
    other("two points", "12.34.5", "whole", Solve::None, NotTime::Malformed);
    other("seconds of 60", "1:60.00", "", Solve::None, NotTime::Malformed);
    other("minutes of 60 in hours", "1:60:00", "", Solve::None, NotTime::Malformed);
    other("a fraction of minutes", "1.5:30", "", Solve::None, NotTime::Malformed);
    other("beyond a float", "1e39", "whole signs", Solve::None, NotTime::OutOfRange);
    other("below a float", "1e-50", "whole signs", Solve::None, NotTime::OutOfRange);
}

void ParserTest::readsATimeEntry()
{
    QFETCH(QString, entry);
    QFETCH(QString, rules);
    QFETCH(ReaderKit::Solve, solve);
    QFETCH(float, seconds);
    QFETCH(ReaderKit::NotTime, why);
    const QStringList names = rules.split(u' ', Qt::SkipEmptyParts);
    const ReaderKit::TokenRules tokenRules {
        .plus = names.contains(u"addsTwo"_s) ? ReaderKit::Plus::AddsTwo : ReaderKit::Plus::Included,
        .decimalComma = names.contains(u"comma"_s),
        .entryOnly = names.contains(u"whole"_s),
        .signs = names.contains(u"signs"_s)};
    const ReaderKit::TimeToken token = ReaderKit::readTime(entry, tokenRules);
    QCOMPARE_EQ(token.solve, solve);
    QCOMPARE_EQ(token.why, why);
    if (solve == ReaderKit::Solve::Time)
        QCOMPARE_EQ(token.seconds, seconds);
}

void ParserTest::readsTheListShapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TimeList>("expected");

    QTest::newRow("one-line list with brackets and DNF")
        << QStringLiteral("12.5, (9.75), DNF(11), 8") << TimeList {12.5f, 9.75f, 8.0f};
    QTest::newRow("single number") << QStringLiteral("7") << TimeList {7.0f};
    QTest::newRow("empty text") << QString() << TimeList {};
    QTest::newRow("export with a numbered list")
        << QStringLiteral("Generated By csTimer x\nTime List:\n1. 12.50   R U\n2. (9.75)   F\n"
                          "3. DNF(11.00)   B\n")
        << TimeList {12.5f, 9.75f};
    QTest::newRow("export with the list on the marker line")
        << QStringLiteral("Generated By csTimer x\nTime List: 12.50, (9.75), DNF(11.00)")
        << TimeList {12.5f, 9.75f};
    QTest::newRow("export with a comma line below the marker")
        << QStringLiteral("Generated By csTimer on 2024-05-29\nsolves/total: 3/4\n\nTime List:\n"
                          "11.90, 13.17, DNF(13.56), 12.03")
        << TimeList {11.9f, 13.17f, 12.03f};
    QTest::newRow("marker-line list ended by a line feed stays a comma list")
        << QStringLiteral("Generated By csTimer x\nTime List: 12.50, (9.75)\n")
        << TimeList {12.5f, 9.75f};
    QTest::newRow("numbered lines without scramble")
        << QStringLiteral("1. 12.50\n2. 13.00") << TimeList {12.5f, 13.0f};
    QTest::newRow("one space before the scramble drops the line")
        << QStringLiteral("1. 12.50 R U\n2. 13.00   F") << TimeList {13.0f};
    QTest::newRow("two spaces before the scramble drop the line")
        << QStringLiteral("1. 12.50  R U\n2. 13.00   F") << TimeList {13.0f};
    QTest::newRow("numbered line with a date after the time")
        << QStringLiteral("1. 12.25   2024-05-13 19:04:11   F2 L' D'\n2. 12.99   2024-05-13 "
                          "19:05:02   U R'")
        << TimeList {12.25f, 12.99f};
    QTest::newRow("decimal comma splits the number")
        << QStringLiteral("12,5") << TimeList {12.0f, 5.0f};
    QTest::newRow("DNF anywhere and only in capitals")
        << QStringLiteral("DNF(11.00), 12.50 DNF, dnf, 7") << TimeList {7.0f};
    QTest::newRow("negative zero exponent and overflow")
        << QStringLiteral("-3, 0, 1e1, 1e39") << TimeList {-3.0f, 0.0f, 10.0f};
    QTest::newRow("duplicates and order kept")
        << QStringLiteral("13, 12, 13, 12") << TimeList {13.0f, 12.0f, 13.0f, 12.0f};
    // Not an export, so the line before "Time List:" is read and nothing is cut off.
    QTest::newRow("marker after leading white space is no export")
        << QStringLiteral(" Generated By csTimer\n1. 11.00\nTime List:\n2. 12.50")
        << TimeList {11.0f, 12.5f};
    QTest::newRow("marker in other capitals is no export")
        << QStringLiteral("generated by csTimer\n1. 11.00\nTime List:\n2. 12.50")
        << TimeList {11.0f, 12.5f};
    QTest::newRow("leading white space in a one-line list")
        << QStringLiteral("  \t12.5,\t13") << TimeList {12.5f, 13.0f};
    QTest::newRow("leading white space on lines")
        << QStringLiteral("  1. 12.50   R\n\t13.00\n   14.00") << TimeList {12.5f, 13.0f, 14.0f};
    QTest::newRow("bare times indented like a right-aligned column")
        << QStringLiteral("    9.81\n   12.50\n  113.00") << TimeList {9.81f, 12.5f, 113.0f};
    QTest::newRow("indented bare time before a scramble")
        << QStringLiteral("   12.50   R U\n13.00   F") << TimeList {12.5f, 13.0f};
    QTest::newRow("numbered lines indented like a right-aligned column")
        << QStringLiteral("    9. 12.50   R U\n   10. 13.00   F\n  100. 14.00")
        << TimeList {12.5f, 13.0f, 14.0f};
    QTest::newRow("padding after the number prefix")
        << QStringLiteral("1.    12.50   R U\n2.  13.00   F") << TimeList {12.5f, 13.0f};
    QTest::newRow("CRLF export") << QStringLiteral(
        "Generated By csTimer x\r\nTime List:\r\n1. 12.50   R U\r\n2. 13.00   F\r\n")
                                 << TimeList {12.5f, 13.0f};
    QTest::newRow("CRLF bare lines")
        << QStringLiteral("12.50\r\n13.00\r\n") << TimeList {12.5f, 13.0f};
    QTest::newRow("CR-only line ends")
        << QStringLiteral("1. 12.50   R U\r2. 13.00   F\r14.25") << TimeList {12.5f, 13.0f, 14.25f};
    QTest::newRow("comma list ended by LF")
        << QStringLiteral("12.5, 13\n") << TimeList {12.5f, 13.0f};
    QTest::newRow("comma list ended by CRLF")
        << QStringLiteral("12.5, 13\r\n") << TimeList {12.5f, 13.0f};
    QTest::newRow("comma list ended by CR")
        << QStringLiteral("12.5, 13\r") << TimeList {12.5f, 13.0f};
    QTest::newRow("comma list between blank lines")
        << QStringLiteral("\n \n12.5, 13\n\n") << TimeList {12.5f, 13.0f};
    // The one line of a text is a comma-separated list, whatever its commas could be.
    QTest::newRow("decimal comma on one line ended by a line feed")
        << QStringLiteral("12,34\n") << TimeList {12.0f, 34.0f};
    QTest::newRow("each line read by its own list mark and unit")
        << QStringLiteral("1. 12.34\n2. 13.50s\n3\t14.00") << TimeList {12.34f, 13.5f, 14.0f};
    QTest::newRow("bare decimals, padded, long and malformed")
        << QStringLiteral("007.50\n 12.5\t\n0.5 \n123456789012345\n1234567890123456\n12.34.5\n12")
        << TimeList {7.5f, 12.5f, 0.5f, 123456789012345.0f, 1234567890123456.0f, 12.0f};
    // Nowhere near a tie between two floats, so rounding through a double as toFloat does
    // gives the nearest float too.
    QString digits17;
    TimeList asToFloat;
    std::mt19937 random(25);
    std::uniform_real_distribution<double> seconds(0.5, 600.0);
    for (int i = 0; i < 1000; ++i) {
        const QString time = QString::number(seconds(random), 'g', 17);
        digits17 += time + u'\n';
        asToFloat.append(time.toFloat());
    }
    QTest::newRow("17 significant digits read as toFloat reads them") << digits17 << asToFloat;
    QTest::newRow("CR-only export")
        << QStringLiteral("Generated By csTimer x\rTime List:\r1. 12.50   R U\r2. 13.00   F\r")
        << TimeList {12.5f, 13.0f};
}

void ParserTest::readsTheListShapes()
{
    QFETCH(QString, text);
    QFETCH(TimeList, expected);
    QCOMPARE_EQ(parse(text), expected);
}

void ParserTest::readsTheTimersNotation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TimeList>("expected");

    QTest::newRow("bare lines are read whole")
        << QStringLiteral("12.50\n13.00") << TimeList {12.5f, 13.0f};
    QTest::newRow("bare lines mixed with numbered lines")
        << QStringLiteral("9.5\n2. 13.00   F\n8") << TimeList {9.5f, 13.0f, 8.0f};
    QTest::newRow("export header without list marker")
        << QStringLiteral("Generated By csTimer on 2024-05-13\nsolves/total: 2/2\n12.50\n13.00")
        << TimeList {};
    QTest::newRow("minutes") << QStringLiteral("1:02.50") << TimeList {62.5f};
    QTest::newRow("hours") << QStringLiteral("1:00:00.00") << TimeList {3600.0f};
    QTest::newRow("minutes in a numbered line")
        << QStringLiteral("1. 1:02.50   R U\n2. 59.99   F") << TimeList {62.5f, 59.99f};
    QTest::newRow("minutes without fraction")
        << QStringLiteral("2:05, 0:30") << TimeList {125.0f, 30.0f};
    QTest::newRow("seconds of 60 or more dropped")
        << QStringLiteral("1:60.00, 1:75.30, 1:59.50") << TimeList {119.5f};
    QTest::newRow("minutes of 60 or more in hours dropped")
        << QStringLiteral("1:60:00.00, 1:00:60.00, 2:59:59") << TimeList {10799.0f};
    QTest::newRow("malformed clock times dropped")
        << QStringLiteral("-1:02.50, 1:-2.5, :30, 1:, 1::2, 1:2:3:4.5, 1:02.5e1, a:30, 14")
        << TimeList {14.0f};
    QTest::newRow("plus of a +2 in a list") << QStringLiteral("10.25+") << TimeList {10.25f};
    QTest::newRow("plus of a +2 in a numbered line")
        << QStringLiteral("1. 10.25+   R U\n2. 11.00   F") << TimeList {10.25f, 11.0f};
    QTest::newRow("plus of a +2 over a minute")
        << QStringLiteral("1:02.50+, 12") << TimeList {62.5f, 12.0f};
    QTest::newRow("comment") << QStringLiteral("14.41[PLL skip]") << TimeList {14.41f};
    QTest::newRow("comment in a numbered line")
        << QStringLiteral("17. 14.41[PLL skip]   F2 R B'\n18. 12.00   U")
        << TimeList {14.41f, 12.0f};
    QTest::newRow("comment holding brackets and digits")
        << QStringLiteral("13.5[(lucky) 3 move F2L], 11") << TimeList {13.5f, 11.0f};
    QTest::newRow("phase split") << QStringLiteral("12.34=5.12+7.22") << TimeList {12.34f};
    QTest::newRow("penalty comment and split together")
        << QStringLiteral("1. (12.34+)[ok]=5.12+7.22   R\n2. 9.5   U") << TimeList {12.34f, 9.5f};
    QTest::newRow("DNF skipped with a comment")
        << QStringLiteral("DNF(11.00)[pop], 12, DNF[timer]") << TimeList {12.0f};
    QTest::newRow("DNF line skipped with a comment")
        << QStringLiteral("1. DNF(11.00)[pop]   R U\n2. 12.00   F") << TimeList {12.0f};
    QTest::newRow("comment over 1 024 characters keeps its time") << QStringLiteral("13.5[")
            + QString(2000, u'a') + QStringLiteral("], 11") << TimeList {13.5f, 11.0f};
    QTest::newRow("DNF inside a comment keeps the solve")
        << QStringLiteral("12.5[DNF? no], 13\n") << TimeList {12.5f, 13.0f};
    QTest::newRow("not-a-number in any capitals and sign")
        << QStringLiteral("nan, NaN, NAN, -nan, +NaN, 5") << TimeList {5.0f};
    QTest::newRow("infinity in any capitals and sign")
        << QStringLiteral("inf, INF, -inf, +Inf, infinity, -Infinity, +INFINITY, 6")
        << TimeList {6.0f};
    QTest::newRow("non-finite lines")
        << QStringLiteral("1. nan   R\n2. inf   U\n3. 7.5   F\n-Infinity") << TimeList {7.5f};
    QTest::newRow("non-finite in brackets") << QStringLiteral("(inf), (nan), 3") << TimeList {3.0f};
}

void ParserTest::readsTheTimersNotation()
{
    QFETCH(QString, text);
    QFETCH(TimeList, expected);
    QCOMPARE_EQ(parse(text), expected);
}

void ParserTest::survivesHostileText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TimeList>("expected");

    QTest::newRow("only line feeds") << QStringLiteral("\n\n\n") << TimeList {};
    QTest::newRow("only CRLF") << QStringLiteral("\r\n\r\n") << TimeList {};
    QTest::newRow("only CR") << QStringLiteral("\r\r\r") << TimeList {};
    QTest::newRow("one line feed") << QStringLiteral("\n") << TimeList {};
    // A NUL must not end the text the way it ends a C string: what follows is still read.
    QTest::newRow("NUL inside a list entry")
        << utf16(u"12.5, 1\u00003, 14") << TimeList {12.5f, 14.0f};
    QTest::newRow("NUL line between times")
        << utf16(u"12.5\n\u0000\n14\n") << TimeList {12.5f, 14.0f};
    QTest::newRow("NUL in the scramble")
        << utf16(u"1. 12.50   R\u0000U\n2. 13.00   F") << TimeList {12.5f, 13.0f};
    QTest::newRow("zero-width characters in the scramble")
        << utf16(u"1. 12.50   R\u200BU\n2. 13.00   F\u200D\n3. 14.00   \u2060")
        << TimeList {12.5f, 13.0f, 14.0f};
    QTest::newRow("zero-width characters around a time")
        << utf16(u"\u200B12.5\u200B, \u2060 14\u200D") << TimeList {12.5f, 14.0f};
    QTest::newRow("zero-width space inside a time drops only that entry")
        << utf16(u"12\u200B.5, 14") << TimeList {14.0f};
    QTest::newRow("NUL after the last time, as a C string ends")
        << utf16(u"12.5, 14\u0000") << TimeList {12.5f, 14.0f};
    QTest::newRow("NUL after a time in lines")
        << utf16(u"12.50\u0000\n13.00\u0000\n") << TimeList {12.5f, 13.0f};
    QTest::newRow("an entry too long to be a time beside real times")
        << (QStringLiteral("12.5, ") + QString(2000, u'0') + QStringLiteral("1, 13"))
        << TimeList {12.5f, 13.0f};
    QTest::newRow("invalid UTF-8 between times")
        << QString::fromUtf8("\xff\xfe, 12.5, \xc3\x28, 13, \xed\xa0\x80")
        << TimeList {12.5f, 13.0f};
    QTest::newRow("invalid UTF-8 glued to a time drops only that entry")
        << QString::fromUtf8("12.5\xff, 14") << TimeList {14.0f};
    QTest::newRow("invalid UTF-8 in the scramble")
        << QString::fromUtf8("1. 12.50   R\xc0\xafU\n2. 13.00   \xf8\x88\x80\x80\x80")
        << TimeList {12.5f, 13.0f};
    QTest::newRow("byte order mark before a list")
        << utf16(u"\uFEFF12.5, 13") << TimeList {12.5f, 13.0f};
    QTest::newRow("byte order mark before lines")
        << utf16(u"\uFEFF12.50\n13.00") << TimeList {12.5f, 13.0f};
    QTest::newRow("byte order mark before an export")
        << utf16(u"\uFEFFGenerated By csTimer x\nsolves/total: 1/1\n1. 9.00\nTime List:\n"
                 u"1. 12.50   R U\n2. 13.00   F")
        << TimeList {12.5f, 13.0f};
    QTest::newRow("nan") << QStringLiteral("nan") << TimeList {};
    QTest::newRow("inf") << QStringLiteral("inf") << TimeList {};
    QTest::newRow("-inf") << QStringLiteral("-inf") << TimeList {};
    QTest::newRow("1e30 is a float") << QStringLiteral("1e30") << TimeList {1e30f};
    QTest::newRow("3e38 is a float") << QStringLiteral("3e38") << TimeList {3e38f};
    QTest::newRow("1e39 is beyond a float") << QStringLiteral("1e39, 12") << TimeList {12.0f};
    QTest::newRow("1e-45 is the smallest float")
        << QStringLiteral("1e-45") << TimeList {std::numeric_limits<float>::denorm_min()};
    // 1 + 2^-24 lies halfway between the floats 1 and 1 + 2^-23. Through a double, a number just
    // above it lands on it and ties to 1; the nearest float is 1 + 2^-23.
    QTest::newRow("just above halfway between floats rounds up")
        << QStringLiteral("1.0000000596046447753906251") << TimeList {0x1.000002p0f};
    QTest::newRow("exactly halfway between floats rounds to even")
        << QStringLiteral("1.000000059604644775390625, 1.000000178813934326171875")
        << TimeList {1.0f, 0x1.000004p0f};
    QTest::newRow("just below halfway between floats rounds down")
        << QStringLiteral("1.0000000596046447753906249") << TimeList {1.0f};
    QTest::newRow("17 significant digits as a script writes them")
        << QStringLiteral("11.548142557708458\n9.0000000000000018\n")
        << TimeList {0x1.718a62p3f, 9.0f};
    QTest::newRow("40 digits") << QStringLiteral("0.1000000000000000000000000000000000000001")
                               << TimeList {0x1.99999ap-4f};
    QTest::newRow("subnormal result") << QStringLiteral("1e-40") << TimeList {0x1.16c2p-133f};
    // Half the smallest float is 7.00649232162408535...e-46: just above it rounds up to the
    // smallest, just below it to 0, which is not read.
    QTest::newRow("just above half the smallest float")
        << QStringLiteral("7.0064923216240854e-46, 7.006492321624085e-46, 12")
        << TimeList {std::numeric_limits<float>::denorm_min(), 12.0f};
    QTest::newRow("3.4028235e38 rounds to the largest float")
        << QStringLiteral("3.4028235e38, 3.4028236e38")
        << TimeList {std::numeric_limits<float>::max()};
    QTest::newRow("leading plus and a lone decimal point")
        << QStringLiteral("+12.5, +.5, 5., ., +, +-3, -.25")
        << TimeList {12.5f, 0.5f, 5.0f, -0.25f};
    QTest::newRow("exponent in capitals and with a sign")
        << QStringLiteral("1E1, 125e-1, 1e+1, 1e, 2e+") << TimeList {10.0f, 12.5f, 10.0f};
    QTest::newRow("16777217 rounds to the nearest float")
        << QStringLiteral("16777217") << TimeList {16777216.0f};
    // The lists compare bitwise, so the sign of the zero is checked too.
    QTest::newRow("-0 keeps its sign") << QStringLiteral("-0, 0") << TimeList {-0.0f, 0.0f};
    QTest::newRow("negative times are kept")
        << QStringLiteral("-12.5, 3, -0.01") << TimeList {-12.5f, 3.0f, -0.01f};
    QTest::newRow("negative times in lines")
        << QStringLiteral("1. -12.50   R\n2. 3.00   U") << TimeList {-12.5f, 3.0f};
    QTest::newRow("Unicode minus reads as a minus")
        << utf16(u"\u22123.5, 4") << TimeList {-3.5f, 4.0f};
    QTest::newRow("milliseconds are taken as written")
        << QStringLiteral("12345, 9876") << TimeList {12345.0f, 9876.0f};
    QTest::newRow("a whole web page")
        << QStringLiteral("<html><body><table><tr><td>12.5</td></tr></table>\n<p>Best: 9.1</p>\n"
                          "12.75\n</body></html>")
        << TimeList {12.75f};
}

void ParserTest::survivesHostileText()
{
    QFETCH(QString, text);
    QFETCH(TimeList, expected);
    const TimeList times = parse(text);
    QCOMPARE_EQ(times, expected);
    for (float time : times)
        QVERIFY(std::isfinite(time));
}

void ParserTest::readsTheTimersFormats_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TimeList>("expected");
    QTest::addColumn<QString>("summary");

    // csTimer's header and list marker in each of its languages (those left in English share
    // the first row, ru-ru only translating the header); the summary above the marker holds
    // look-alikes of times.
    struct Language
    {
        const char *code;
        QStringView header;
        QStringView marker;
    };
    const Language languages[] = {
        {"en-us", u"Generated By csTimer on 2024-05-01", u"Time List:"},
        {"ca-es", u"Generat Per csTimer el 01-05-2024", u"Llista de temps:"},
        {"cs-cz", u"Generováno Časovačem na 01-05-2024", u"Časový List:"},
        {"da-dk", u"Genereret af csTimer på 2024-05-01", u"Tid Liste:"},
        {"de-de", u"generiert durch csTimer am 01.05.2024", u"Zeitenliste:"},
        {"es-es", u"Generado por csTimer el 2024-05-01", u"Lista de tiempos:"},
        {"fr-fr", u"Généré par csTimer le 2024-05-01", u"Liste des temps:"},
        {"he-il", u"יוצר על ידי csTimer ב2024-05-01", u"רשימת זמנים:"},
        {"hr-hr", u"Generirao csTimer 2024-05-01", u"Lista vremena:"},
        {"hu-hu", u"csTimer által generálva  %év-14ó-%napján", u"Idő lista:"},
        {"it-it", u"Generato Da csTimer il 2024-05-01", u"Lista Tempi:"},
        {"ja-jp", u"csTimerによって 2024-05-01 に生成", u"タイム一覧:"},
        {"ko-kr", u"이 통계는 2024년 05월 01일 csTimer에서 자동으로 생성되었습니다.",
         u"상세 목록:"},
        {"nl-nl", u"Gegenereerd door csTimer op 2024-05-01", u"Lijst met tijden:"},
        {"pl-pl", u"Wygenerowane przez csTimer dnia 2024-05-01", u"Lista czasów:"},
        {"pt-pt", u"Gerado pelo csTimer em 2024-05-01", u"Lista de Tempos:"},
        {"ru-ru", u"Сгенерираванно csTimer'ом на 2024-05-01", u"Time List:"},
        {"sv-se", u"Genererad av csTimer 2024-05-01", u"Tidslista"},
        {"tr-tr", u"CsTmier tarafından 2024-05-01 günü oluşturuldu", u"Süreler:"},
        {"vi-vn", u"tạo ra bởi csTimer on 2024-05-01", u"Thành tích:"},
        {"zh-cn", u"该统计信息由csTimer自动生成于2024年05月01日", u"详细时间："},
        {"zh-tw", u"於2024-05-01使用csTimer計時", u"時間列表:"},
    };
    const QString summaryBlock = QStringLiteral(
        "\n7/8\n\n    1: 9.87\n    2: 14.52 (σ = 0.69)\n\n3: 12.36 (σ = 1,23)\n4: NaN.NaN\n\n");
    const QString csTimerTwo = QStringLiteral("Read 2 times (1 DNF skipped) from csTimer");
    for (const Language &language : languages) {
        const QString start = language.header + summaryBlock + language.marker;
        QTest::addRow("csTimer numbered, %s", language.code)
            << start + QStringLiteral("\n1. 11.52   R U \n2. DNF(13.01)   F \n3. 14.52+   B")
            << TimeList {11.52f, 14.52f} << csTimerTwo;
        QTest::addRow("csTimer comma list, %s", language.code)
            << start + QStringLiteral("\n11.52, DNF(13.01), 14.52+\n") << TimeList {11.52f, 14.52f}
            << csTimerTwo;
    }
    QTest::newRow("csTimer megaminx scrambles over lines, dates, relay and Square-1")
        << QStringLiteral("Generated By csTimer on 2024-05-01 (solving from 2024-05-01 13:02:11 "
                          "to 2024-05-01 13:06:11)\nTime List:\n1. 1:02.34     R++ D--\n  R-- U'\n"
                          "   @2024-05-01 13:02:11 \n \n2. 12.00   2) R U (1,0) / (-3,3) UR3+ \n"
                          "3. 1:02:03.45=1.5+2.5[a   b]   1) 3Rw2   @2024-05-01 13:06:11\n")
        << TimeList {62.34f, 12.0f, 3723.45f} << QStringLiteral("Read 3 times from csTimer");
    QTest::newRow("csTimer comments with commas, DNF and brackets")
        << QStringLiteral("Generated By csTimer on 2024-05-01\nTime List:\n(9.87[a, DNF (b)]), "
                          "DNF(13.01)[x], 14.34+=5.12+7.22[y], 12.345")
        << TimeList {9.87f, 14.34f, 12.345f}
        << QStringLiteral("Read 3 times (1 DNF skipped) from csTimer");
    QTest::newRow("csTimer backup: sessions as text, newest second, names, penalties")
        << QStringLiteral(
               R"({"session1":[[[0,9000],"","",100]],"session2":"[[[2000,10000],\"\",\"\",200],)"
               R"([[-1,5000],\"\",\"\",300]]","properties":{"sessionData":)"
               R"("{\"2\":{\"name\":\"OH\"}}"}})")
        << TimeList {12.0f}
        << QStringLiteral(
               "Read 1 time (1 DNF skipped) from csTimer, session \"\u2068OH\u2069\" (the newest "
               "of 2)");
    QTest::newRow("CubeTime JSON in csTimer's shape")
        << QStringLiteral(R"({"properties":{"sessionData":"{\"1\":{\"name\":\"CubeTime Export - )"
                          R"(3x3\"}}"},"session1":[[[0,12403],"R","",1714568531]]})")
        << TimeList {12.403f}
        << QStringLiteral("Read 1 time from CubeTime, session \"\u20683x3\u2069\"");
    QTest::newRow("csTimer CSV with a megaminx scramble over lines")
        << QStringLiteral("No.;Time;Comment;Scramble;Date;P.1\r\n1;1:02.34;a \"b\";\"R++ D--\r\n"
                          "  R-- U\";2024-05-01 13:02:11;1:02.34\r\n2;DNF(9.00);;R;N/A;9.00")
        << TimeList {62.34f} << QStringLiteral("Read 1 time (1 DNF skipped) from csTimer");
    QTest::newRow("Twisty Timer backup: the puzzle of the newest solve, placeholders left out")
        << QStringLiteral("Puzzle,Category,Time(millis),Date(millis),Scramble,Penalty,Comment\n"
                          "\"333\";\"Normal\";\"9000\";\"300\";\"R\";\"0\";\"\"\n"
                          "\"222\";\"OH\";\"4000\";\"100\";\"R\";\"0\";\"\";\"\"\n"
                          "\"222\";\"OH\";\"6500\";\"400\";\"R\";\"1\";\"a\";\"b\"\n"
                          "\"222\";\"OH\";\"0\";\"500\";\"\";\"10\";\"\"\n")
        << TimeList {4.0f, 6.5f}
        << QStringLiteral(
               "Read 2 times from Twisty Timer, session \"\u2068222 OH\u2069\" (the newest of 2)");
    QTest::newRow("Twisty Timer external with hours and spaces")
        << QStringLiteral("\"1h 2:03.45\"; \"R U2\"; \"2016-03-16T08:16:42\"\n\"9.5\";\"R\";\"d\";"
                          "\"DNF\"\n\"12.05\";\"R\";\"d\"\n")
        << TimeList {3723.45f, 12.05f}
        << QStringLiteral("Read 2 times (1 DNF skipped) from Twisty Timer");
    QTest::newRow("CubeDesk copy reversed, without decimals and past an hour")
        << QStringLiteral("Generated by CubeDesk on 2024-05-01\n52 solves by me\n\nSolves:\n"
                          "1. 12    R U    333    5/1/2024, 1:02:11 PM    \n2. 1:02:03    R\n"
                          "3. 1:05.40+    F")
        << TimeList {12.0f, 3723.0f, 65.4f} << QStringLiteral("Read 3 times from CubeDesk");
    QTest::newRow("CubeDesk data export: the session of the newest solve, by start")
        << QStringLiteral(
               R"({"sessions":[{"id":"a","name":"Main"},{"id":"b","name":"OH"}],"solves":[)"
               R"({"session_id":"b","time":20.5,"dnf":false,"started_at":2000,"ended_at":2020},)"
               R"({"session_id":"a","time":9.5,"dnf":false,"started_at":1500,"ended_at":1510},)"
               R"({"session_id":"b","time":18,"dnf":false,"started_at":1000,"ended_at":1018},)"
               R"({"session_id":"b","time":-1,"dnf":true,"started_at":3000,"ended_at":3010}]})")
        << TimeList {18.0f, 20.5f}
        << QStringLiteral(
               "Read 2 times (1 DNF skipped) from CubeDesk, session \"\u2068OH\u2069\" (the "
               "newest of 2)");
    QTest::newRow("CubeTime average copy shares csTimer's marker, + is the raw time")
        << QStringLiteral("Generated by CubeTime\ncurrent ao5: 12.816\n\nTime List:\n1. 12.404:\tR"
                          "\n2. (9.871):\tU\n3. (DNF):\tF\n4. 1:05.430+:\tB")
        << TimeList {67.43f, 9.871f, 12.404f}
        << QStringLiteral("Read 3 times (1 DNF skipped) from CubeTime");
    QTest::newRow("qqTimer average popup with no-break spaces")
        << QStringLiteral("Average of 5: 12.81\n1. 11.52 \u00A0 R U\n2. (DNF(13.01)) \u00A0 F\n"
                          "3. 14.52+ \u00A0 B")
        << TimeList {11.52f, 14.52f} << QStringLiteral("Read 2 times (1 DNF skipped) from qqTimer");
    QTest::newRow("DCTimer compact copy with decimal commas")
        << QStringLiteral("Cubes Solved: 2/3\nSession Mean: 11,870 (σ = 1,56)\nBest average of 5: "
                          "12,652\r\nIndividual Times: 11,523; DNF (13,017); 14,520+")
        << TimeList {11.523f, 14.52f}
        << QStringLiteral("Read 2 times (1 DNF skipped) from DCTimer");
    QTest::newRow("DCTimer detailed copy in Chinese with decimal commas")
        << QStringLiteral("统计信息由DCTimer生成于2024-05-01\r\n成绩列表：\r\n1. 11,523  R\r\n"
                          "2. DNF (13,017)  U\r\n3. 9,871[a]  F")
        << TimeList {11.523f, 9.871f}
        << QStringLiteral("Read 2 times (1 DNF skipped) from DCTimer");
    QTest::newRow("spreadsheet columns: solve number and time")
        << QStringLiteral("1\t12.34\n2\t13.50\n3\tDNF\n") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times (1 DNF skipped) from a table (column 2)");
    QTest::newRow("heading names the time column")
        << QStringLiteral("No.\tTime\tComment\n1\t12.34\t8.5\n2\t1:02.50\t\n")
        << TimeList {12.34f, 62.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Time\u2069\")");
    QTest::newRow("semicolons, decimal commas, a date and a Russian heading")
        << QStringLiteral("№;Время;Дата\n1;12,34;13.05.2024\n2;13,50+;14.05.2024")
        << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Время\u2069\")");
    QTest::newRow("a date beside the time, a title above")
        << QStringLiteral("My session\n2024-05-13\t12.34\n2024-05-14\t(13.50)")
        << TimeList {12.34f, 13.5f} << QStringLiteral("Read 2 times from a table (column 2)");
    QTest::newRow("a clock time of day after the time is no time")
        << QStringLiteral("12.34,19:04:11\n13.50,19:05:02\n") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column 1)");
    QTest::newRow("single column saved as CSV")
        << QStringLiteral("12.34,\n13.50,\n") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column 1)");
    QTest::newRow("decimal comma on every line")
        << QStringLiteral("12,34\n13,5\n1:02,25\n") << TimeList {12.34f, 13.5f, 62.25f}
        << QStringLiteral("Read 3 times");
    QTest::newRow("decimal commas with 17 digits and more")
        << QStringLiteral("Zeit\n11,548142557708458\n1,0000000596046447753906251\n")
        << TimeList {0x1.718a62p3f, 0x1.000002p0f} << QStringLiteral("Read 2 times (1 not read)");
    QTest::newRow("decimal commas in a clock time")
        << QStringLiteral("Zeit;Nr\n12,5;1\n1:02,0000000000000000001;2\n")
        << TimeList {12.5f, 62.0f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Zeit\u2069\")");
    QTest::newRow("units after the times")
        << QStringLiteral("12.34s\n13.50 sec\n1:02.00S\n9s")
        << TimeList {12.34f, 13.5f, 62.0f, 9.0f} << QStringLiteral("Read 4 times");
    QTest::newRow("list marks before the times")
        << QStringLiteral("1) 12.34\n2) 13.50\n#3 14.00\n- 9.5\n* 10.25s\n4. DNF(9)\n5. 8.5s")
        << TimeList {12.34f, 13.5f, 14.0f, 9.5f, 10.25f, 8.5f}
        << QStringLiteral("Read 6 times (1 DNF skipped)");
    QTest::newRow("times separated by spaces and tabs on one line")
        << QStringLiteral("12.34 13.50\t DNF  1:02.00+\n") << TimeList {12.34f, 13.5f, 62.0f}
        << QStringLiteral("Read 3 times (1 DNF skipped)");
    // Each line and each column is read by what it holds, never by the rest of the text.
    QTest::newRow("units on some lines only")
        << QStringLiteral("12.34s\n13.50s\n14.00") << TimeList {12.34f, 13.5f, 14.0f}
        << QStringLiteral("Read 3 times");
    QTest::newRow("list marks on some lines only")
        << QStringLiteral("#1 12.34\n#2 13.50\n14.00") << TimeList {12.34f, 13.5f, 14.0f}
        << QStringLiteral("Read 3 times");
    QTest::newRow("a label before each time")
        << QStringLiteral("solve 1: 12.34\nsolve 2: 13.50\nSolve #3: 14.00")
        << TimeList {12.34f, 13.5f, 14.0f} << QStringLiteral("Read 3 times");
    QTest::newRow("comma lists over two lines, one with a trailing comma")
        << QStringLiteral("12.34, 13.50,\n14.00, 15.00") << TimeList {12.34f, 13.5f, 14.0f, 15.0f}
        << QStringLiteral("Read 4 times");
    QTest::newRow("a list mark glued to the time")
        << QStringLiteral("1)12.34") << TimeList {12.34f} << QStringLiteral("Read 1 time");
    QTest::newRow("a heading over a single row")
        << QStringLiteral("No.\tTime\n1\t12.34") << TimeList {12.34f}
        << QStringLiteral("Read 1 time from a table (column \"\u2068Time\u2069\")");
    QTest::newRow("a time heading over clock times of day")
        << QStringLiteral("Time\tResult\n19:04\t12.34\n19:06\t13.50") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Result\u2069\")");
    QTest::newRow("solve numbers counting down on the right")
        << QStringLiteral("12.34\t3\n13.50\t2\n14.00\t1") << TimeList {12.34f, 13.5f, 14.0f}
        << QStringLiteral("Read 3 times from a table (column 1)");
    QTest::newRow("solve numbers beside two columns of times are no list")
        << QStringLiteral("1\t12.34\t13.00\n2\t13.50\t14.00") << TimeList {13.0f, 14.0f}
        << QStringLiteral("Read 2 times from a table (column 3)");
    QTest::newRow("whole times between commas are cells, not decimal commas")
        << QStringLiteral("1,12,ok\n2,15,ok\n3,11,ok") << TimeList {12.0f, 15.0f, 11.0f}
        << QStringLiteral("Read 3 times from a table (column 2)");
    QTest::newRow("a blank time cell costs only its row")
        << QStringLiteral("1\t12.34\n2\t\n3\t13.50") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times (1 not read) from a table (column 2)");
    QTest::newRow("a dotted cell in another column keeps the decimal commas")
        << QStringLiteral("Nr;Zeit;Notiz\n1;12,34;v1.2\n2;13,50;") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Zeit\u2069\")");
    QTest::newRow("a dotted comment line keeps the decimal commas")
        << QStringLiteral("12,34\n13,50\nPB um 0.5") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times (1 not read)");
    QTest::newRow("a solve number and minutes on one row")
        << QStringLiteral("1\t1:02.50") << TimeList {62.5f} << QStringLiteral("Read 1 time");
    QTest::newRow("a solve number and two whole times on one row")
        << QStringLiteral("1\t21") << TimeList {1.0f, 21.0f} << QStringLiteral("Read 2 times");
    QTest::newRow("minutes in a time column")
        << QStringLiteral("1\t1:02.50\n2\t58.20") << TimeList {62.5f, 58.2f}
        << QStringLiteral("Read 2 times from a table (column 2)");
    QTest::newRow("a column of minutes alone")
        << QStringLiteral("1\t1:02.50\n2\t1:05.25") << TimeList {62.5f, 65.25f}
        << QStringLiteral("Read 2 times from a table (column 2)");
    QTest::newRow("a note column of as many words as numbers is no time column")
        << QStringLiteral("1\t12.34\t8.5\n2\t13.50\tgood") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column 2)");
    QTest::newRow("whole times one apart, up and down, are no solve numbers")
        << QStringLiteral("1\t12\n2\t13\n3\t12\n4\t13") << TimeList {12.0f, 13.0f, 12.0f, 13.0f}
        << QStringLiteral("Read 4 times from a table (column 2)");
    QTest::newRow("one row across reads every cell")
        << QStringLiteral("12.34;abc;13.5") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times (1 not read)");
    QTest::newRow("two columns of times under headings that name none: the last")
        << QStringLiteral("A\tB\n12.34\t13.00\n14.00\t15.00") << TimeList {13.0f, 15.0f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068B\u2069\")");
    QTest::newRow("a first row without words is no heading")
        << QStringLiteral("-\t-\n1\t12.34\n2\t13.50") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times (1 not read) from a table (column 2)");
    QTest::newRow("a clock time of day after a comma on one line is no time")
        << QStringLiteral("12.34\nDNF,19:00:11\n14.00") << TimeList {12.34f, 14.0f}
        << QStringLiteral("Read 2 times (1 DNF skipped)");
    QTest::newRow("a line whose commas may be decimal commas is not split")
        << QStringLiteral("12.34\n12,5, 13\n14.00") << TimeList {12.34f, 14.0f}
        << QStringLiteral("Read 2 times (1 not read)");
    QTest::newRow("a list mark alone is no time") << QStringLiteral("2)\n12.5") << TimeList {12.5f}
                                                  << QStringLiteral("Read 1 time (1 not read)");
    QTest::newRow("a hash glued to a number is no list mark")
        << QStringLiteral("#12.5\n13.0") << TimeList {13.0f}
        << QStringLiteral("Read 1 time (1 not read)");
    QTest::newRow("headings in several languages: Solve time")
        << QStringLiteral("#\tSolve time\tScramble\n1\t12.34\tR U\n2\t13.50\tF")
        << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Solve time\u2069\")");
    QTest::newRow("headings in several languages: Time (s)")
        << QStringLiteral("Time (s)\tDate\n12.34\t2024-05-13\n13.50\t2024-05-14")
        << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Time (s)\u2069\")");
    QTest::newRow("headings in several languages: Tiempo")
        << QStringLiteral("Tiempo;Fecha\n12,34;13/05/2024\n13,50;14/05/2024")
        << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Tiempo\u2069\")");
    QTest::newRow("a comment in a table cell")
        << QStringLiteral("1;12.34[pop]\n2;13.50") << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column 2)");
    QTest::newRow("decimal commas in numbered lines with Square-1 scrambles")
        << QStringLiteral("1. 7,55   (1,0) / (-3,3)\n2. 1:32,05   R U") << TimeList {7.55f, 92.05f}
        << QStringLiteral("Read 2 times");
    QTest::newRow("CRLF, a lone CR and LF end lines alike")
        << QStringLiteral("12.34\r\n13.50\r14.00\n\r\n9.5") << TimeList {12.34f, 13.5f, 14.0f, 9.5f}
        << QStringLiteral("Read 4 times");
    QTest::newRow("solve numbers and times lined up with blanks, scrambles after them")
        << QStringLiteral("  1    12.34   R U F\n  2     9.87   F2 (1,0)\n  3  1:02.50\n")
        << TimeList {12.34f, 9.87f, 62.5f}
        << QStringLiteral("Read 3 times from a table (column 2)");
    QTest::newRow("decimal commas between semicolons on one line")
        << QStringLiteral("12,34;13,50;DNF;9,87") << TimeList {12.34f, 13.5f, 9.87f}
        << QStringLiteral("Read 3 times (1 DNF skipped)");
    // Kept as rows times columns, these cells would take 10 GB.
    QTest::newRow("a first row of 32 000 cells over short rows")
        << (QStringLiteral("1,").repeated(31999) + QStringLiteral("1\n")
            + QStringLiteral("1,\n").repeated(80000))
        << TimeList(80001, 1.0f) << QStringLiteral("Read 80,001 times from a table (column 1)");
    QTest::newRow("a heading longer than the head")
        << (QStringLiteral("Notes") + QString(70000, u'x')
            + QStringLiteral(",Time\na,12.34\nb,13.50\n"))
        << TimeList {12.34f, 13.5f}
        << QStringLiteral("Read 2 times from a table (column \"\u2068Time\u2069\")");
    QTest::newRow("a table without a time column reads nothing")
        << QStringLiteral("1\t2024-05-13\tok\n2\t2024-05-14\tno") << TimeList {} << QString();
    QTest::newRow("plain list counts its DNF")
        << QStringLiteral("DNF(11), 12, 12.50 DNF") << TimeList {12.0f}
        << QStringLiteral("Read 1 time (2 DNF skipped)");
    QTest::newRow("counts grouped by thousands") << QStringLiteral("1, ").repeated(1233)
            + u'1' << TimeList(1234, 1.0f) << QStringLiteral("Read 1,234 times");
    QTest::newRow("nothing read says nothing") << QStringLiteral("DNF") << TimeList {} << QString();
    QTest::newRow("broken JSON is no backup")
        << QStringLiteral(R"({"session1":"[[[0,9000]", "x":12})") << TimeList {} << QString();
    QTest::newRow("plain list: not a time, a time touching invalid UTF-8, a blank piece")
        << QString::fromUtf8("12.34, abc, 13.01, 12.5\xff, ,") << TimeList {12.34f, 13.01f}
        << QStringLiteral("Read 2 times (2 not read)");
    QTest::newRow("csTimer list: a time no timer writes, a line without a time")
        << QStringLiteral("Generated By csTimer\nTime List:\n1. 11.52   R\n2. 0.00   B\n3. R U")
        << TimeList {11.52f} << QStringLiteral("Read 1 time (2 not read) from csTimer");
    QTest::newRow("csTimer backup: a number beyond double costs only its solve")
        << QStringLiteral(R"({"session1":[[[0,12500],"","",1],[[0,9e999],"","",2]]})")
        << TimeList {12.5f}
        << QStringLiteral("Read 1 time (1 not read) from csTimer, session \"\u20681\u2069\"");
    QTest::newRow("csTimer backup: 1e29 and 2^63 milliseconds and a negative time are not read")
        << QStringLiteral(R"({"session1":[[[0,12500],"","",1],[[0,1e29],"","",2],)"
                          R"([[0,9223372036854775808],"","",3],[[0,-4000],"","",4]]})")
        << TimeList {12.5f}
        << QStringLiteral("Read 1 time (3 not read) from csTimer, session \"\u20681\u2069\"");
    QTest::newRow("indented csTimer backup cut short reads nothing")
        << QStringLiteral("{\n  \"session1\": [\n    [[2000, 12345], \"R U\", \"\", 1714568531],\n"
                          "    [[0, 9876], \"F\", \"\", 17145")
        << TimeList {} << QStringLiteral("The text could not be read as a backup");
    QTest::newRow("csTimer CSV: a doubled quote stays in its field")
        << QStringLiteral("No.;Time;Comment;Scramble;Date\n1;12.50;\"a\"\"\n2;7.77;x\";R;N/A")
        << TimeList {12.5f} << QStringLiteral("Read 1 time from csTimer");
    QTest::newRow("Twisty Timer backup: a negative time is not read")
        << QStringLiteral(
               "Puzzle,Category,Time(millis),Date(millis),Scramble,Penalty,Comment\n"
               "\"3\";\"N\";\"-5000\";\"1\";\"\";\"0\"\n\"3\";\"N\";\"9000\";\"2\";\"\";\"0\"")
        << TimeList {9.0f}
        << QStringLiteral(
               "Read 1 time (1 not read) from Twisty Timer, session \"\u20683 N\u2069\"");
    QTest::newRow("CubeDesk data: -1 is a DNF; no time, 1e-45 and 1e300 are not read")
        << QStringLiteral(R"({"sessions":[],"solves":[{"time":12.5},{"time":-1},{},{"time":1e-45},)"
                          R"({"time":1e300}]})")
        << TimeList {12.5f}
        << QStringLiteral("Read 1 time (1 DNF skipped, 3 not read) from CubeDesk");
    QString manySessions = QStringLiteral(R"({"sessions":[)");
    QString manySolves;
    for (int i = 0; i < 80'000; ++i) {
        manySessions += QStringLiteral(R"({"id":"%1","name":"s%1"},)").arg(i);
        manySolves += QStringLiteral(R"({"session_id":"%1","time":%2},)").arg(i).arg(i % 9 + 1);
    }
    manySessions.chop(1);
    manySolves.chop(1);
    QTest::newRow("CubeDesk data of 80 000 sessions reads every one")
        << manySessions + QStringLiteral(R"(],"solves":[)") + manySolves + QStringLiteral("]}")
        << TimeList {1.0f}
        << QStringLiteral(
               "Read 1 time from CubeDesk, session \"\u2068s0\u2069\" (the first of 80,000)");
    QTest::newRow("unclosed quote in a CSV keeps the rows before it")
        << QStringLiteral("No.;Time;Comment;Scramble;Date;P.1\n1;12.50;\"open\n2;13.00;;R")
        << TimeList {12.5f} << QStringLiteral("Read 1 time from csTimer");
}

void ParserTest::readsTheTimersFormats()
{
    QFETCH(QString, text);
    QFETCH(TimeList, expected);
    QFETCH(QString, summary);
    const ParsedTimes parsed = TimeReaders::read(text);
    QCOMPARE_EQ(parsed.times, expected);
    QCOMPARE_EQ(parsed.summary(), summary);
}

void ParserTest::readsEverySessionAndPeriod_data()
{
    QTest::addColumn<QString>("text");
    // Each session as "name|solves|first date|last date", in the order shown.
    QTest::addColumn<QStringList>("sessions");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("lastSolves");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<TimeList>("times");
    QTest::addColumn<QString>("note");

    // Solves at noon UTC on 30 October to 3 November 2026.
    const QString backup = QStringLiteral(
        R"({"session1":[[[0,12000],"","",1793361600],[[-1,9000],"","",1793448000]],"session3":[],)"
        R"("session2":[[[2000,10000],"","",1793534400],[[0,11500],"","",1793620800],)"
        R"([[0,13000],"","",1793707200]],"properties":{"sessionData":)"
        R"("{\"1\":{\"name\":\"3x3\",\"rank\":2},\"2\":{\"name\":\"OH\",\"rank\":1}}"}})");
    // The empty session is listed too, under its number, but never counted or picked.
    const QStringList backupSessions {u"OH|3|2026-11-01|2026-11-03"_s,
                                      u"3x3|2|2026-10-30|2026-10-31"_s, u"3|0||"_s};
    const QDate none;
    const QDate nov1(2026, 11, 1);
    const QDate nov2(2026, 11, 2);
    const QDate nov3(2026, 11, 3);
    QTest::newRow("csTimer backup: another session than the newest")
        << backup << backupSessions << 0 << 1 << 0 << none << none << TimeList {12.0f}
        << QStringLiteral("Read 1 time (1 DNF skipped) from csTimer, session \"\u20683x3\u2069\"");
    QTest::newRow("csTimer backup: from a date on")
        << backup << backupSessions << 0 << 0 << 0 << nov2 << none << TimeList {11.5f, 13.0f}
        << QStringLiteral(
               "Read 2 times from csTimer, session \"\u2068OH\u2069\" (the newest of 2), "
               "2026-11-02 to 2026-11-03");
    QTest::newRow("csTimer backup: the last solves of a date range")
        << backup << backupSessions << 0 << 0 << 1 << nov1 << nov2 << TimeList {11.5f}
        << QStringLiteral("Read 1 time from csTimer, session \"\u2068OH\u2069\" (the newest of 2), "
                          "2026-11-01 to 2026-11-02, the last 1");
    QTest::newRow("old csTimer backup: the session it names as open, under its old name")
        << QStringLiteral(R"({"session1":"[[[0,9000],\"\",\"\"]]","session2":"[[[0,15000],)"
                          R"(\"\",\"\"],[[0,16000],\"\",\"\"]]","properties":{"session":2,)"
                          R"("sessionName":"{\"1\":\"3x3 Main\",\"2\":\"Red\"}"}})")
        << QStringList {u"3x3 Main|1||"_s, u"Red|2||"_s} << 1 << 1 << 0 << none << none
        << TimeList {15.0f, 16.0f}
        << QStringLiteral(
               "Read 2 times from csTimer, session \"\u2068Red\u2069\" (the current one of 2)");
    QTest::newRow("undated csTimer backup: the first session with solves")
        << QStringLiteral(
               R"({"session1":[],"session2":[[[0,15000],"",""]],"session3":[[[0,9000],"",""]]})")
        << QStringList {u"1|0||"_s, u"2|1||"_s, u"3|1||"_s} << 1 << 1 << 0 << none << none
        << TimeList {15.0f}
        << QStringLiteral("Read 1 time from csTimer, session \"\u20682\u2069\" (the first of 2)");
    QTest::newRow("csTimer backup of 2016: properties in a string name the open session")
        << QStringLiteral(R"({"session1":[[[0,9000],"",""]],"session2":[[[0,15000],"",""]],)"
                          R"("properties":"{\"session\":2,\"sessionName\":)"
                          R"(\"{\\\"1\\\":\\\"Red\\\",\\\"2\\\":\\\"Blue\\\"}\"}"})")
        << QStringList {u"Red|1||"_s, u"Blue|1||"_s} << 1 << 1 << 0 << none << none
        << TimeList {15.0f}
        << QStringLiteral(
               "Read 1 time from csTimer, session \"\u2068Blue\u2069\" (the current one of 2)");
    QTest::newRow("Twisty Timer backup without dates is not the newest")
        << QStringLiteral("Puzzle,Category,Time(millis),Date(millis),Scramble,Penalty,Comment\n"
                          "\"333\";\"A\";\"9000\";\"0\";\"\";\"0\";\"\"\n"
                          "\"333\";\"B\";\"8000\";\"\";\"\";\"0\";\"\"\n")
        << QStringList {u"333 A|1||"_s, u"333 B|1||"_s} << 0 << 0 << 0 << none << none
        << TimeList {9.0f}
        << QStringLiteral(
               "Read 1 time from Twisty Timer, session \"\u2068333 A\u2069\" (the first of 2)");
    QTest::newRow("CubeDesk data without dates is not the newest")
        << QStringLiteral(R"({"sessions":[{"id":"a","name":"Main"},{"id":"b","name":"OH"}],)"
                          R"("solves":[{"session_id":"b","time":20},{"session_id":"a","time":9}]})")
        << QStringList {u"Main|1||"_s, u"OH|1||"_s} << 0 << 0 << 0 << none << none
        << TimeList {9.0f}
        << QStringLiteral(
               "Read 1 time from CubeDesk, session \"\u2068Main\u2069\" (the first of 2)");
    QTest::newRow("csTimer backup whose sessions are all empty")
        << QStringLiteral(R"({"session1":[],"session2":[],"properties":{"sessionData":)"
                          R"("{\"1\":{\"stat\":[0,0,-1]},\"2\":{\"stat\":[0,0,-1]}}"}})")
        << QStringList {} << 0 << 0 << 0 << none << none << TimeList {}
        << QStringLiteral("The csTimer backup holds no solves");
    QTest::newRow("CubeTime's JSON for csTimer")
        << QStringLiteral(
               R"({"session2":[[[0,8000],"","",1793534400]],"session1":[[[0,9500],)"
               R"("","",1793361600]],"properties":{"sessionData":"{\"1\":{\"name\":)"
               R"(\"CubeTime Export - 3x3\"},\"2\":{\"name\":\"CubeTime Export - OH\"}}"}})")
        << QStringList {u"3x3|1|2026-10-30|2026-10-30"_s, u"OH|1|2026-11-01|2026-11-01"_s} << 1 << 0
        << 0 << none << none << TimeList {9.5f}
        << QStringLiteral("Read 1 time from CubeTime, session \"\u20683x3\u2069\"");
    QTest::newRow("Twisty Timer backup: a session per puzzle and category")
        << QStringLiteral("Puzzle,Category,Time(millis),Date(millis),Scramble,Penalty,Comment\n"
                          "\"333\";\"Normal\";\"12000\";\"1793534400000\";\"\";\"0\";\"\"\n"
                          "\"222\";\"Normal\";\"4000\";\"1793620800000\";\"\";\"0\";\"\"\n"
                          "\"333\";\"OH\";\"20000\";\"1793448000000\";\"\";\"2\";\"\"\n"
                          "\"333\";\"Normal\";\"11000\";\"1793707200000\";\"\";\"1\";\"\"\n")
        << QStringList {u"333 Normal|2|2026-11-01|2026-11-03"_s,
                        u"222 Normal|1|2026-11-02|2026-11-02"_s,
                        u"333 OH|1|2026-10-31|2026-10-31"_s}
        << 0 << 1 << 0 << none << none << TimeList {4.0f}
        << QStringLiteral("Read 1 time from Twisty Timer, session \"\u2068222 Normal\u2069\"");
    QTest::newRow("CubeDesk data: sessions in CubeDesk's order")
        << QStringLiteral(R"({"sessions":[{"id":"a","name":"Main","order":1},{"id":"b","name":)"
                          R"("OH","order":0}],"solves":[{"session_id":"a","time":9.5,)"
                          R"("started_at":1793534400000},{"session_id":"b","time":20,)"
                          R"("started_at":1793448000000}]})")
        << QStringList {u"OH|1|2026-10-31|2026-10-31"_s, u"Main|1|2026-11-01|2026-11-01"_s} << 1
        << 0 << 0 << none << none << TimeList {20.0f}
        << QStringLiteral("Read 1 time from CubeDesk, session \"\u2068OH\u2069\"");
    QTest::newRow("csTimer text with dates printed, up to a date")
        << QStringLiteral("Generated By csTimer on 2026-11-05\nTime List:\n1. 12.00   R U   "
                          "@2026-11-01 10:00:00 \n2. DNF(9.00)   F   @2026-11-02 10:00:00 \n"
                          "3. 13.00   B   @2026-11-03 10:00:00")
        << QStringList {u"|3|2026-11-01|2026-11-03"_s} << 0 << 0 << 0 << none << nov2
        << TimeList {12.0f}
        << QStringLiteral("Read 1 time (1 DNF skipped) from csTimer, 2026-11-01 to 2026-11-02");
    QTest::newRow("csTimer CSV: a solve without a date is outside any bound")
        << QStringLiteral("No.;Time;Comment;Scramble;Date;P.1\n1;12.00;;R;N/A;12.00\n"
                          "2;13.00;;R;2026-11-02 10:00:00;13.00\n3;14.00;;R;2026-11-03 23:59:59;14")
        << QStringList {u"|3|2026-11-02|2026-11-03"_s} << 0 << 0 << 0 << nov3 << none
        << TimeList {14.0f} << QStringLiteral("Read 1 time from csTimer, 2026-11-03 to 2026-11-03");
    QTest::newRow("Twisty Timer's export for other timers")
        << QStringLiteral("\"12.00\";\"R\";\"2026-11-01T10:00:00.000+00:00\"\n\"9.00\";\"U\";"
                          "\"2026-11-02T10:00:00.000+00:00\";\"DNF\"\n")
        << QStringList {u"|2|2026-11-01|2026-11-02"_s} << 0 << 0 << 0 << none << none
        << TimeList {12.0f} << QStringLiteral("Read 1 time (1 DNF skipped) from Twisty Timer");
    QTest::newRow("CubeTime CSV, sorted by its UTC dates")
        << QStringLiteral("Time,Comment,Scramble,Date\n12.5,\"\",R,2026-11-02 12:00:00 +0000\n"
                          "11.5,\"\",R,2026-11-01 12:00:00 +0000")
        << QStringList {u"|2|2026-11-01|2026-11-02"_s} << 0 << 0 << 0 << nov2 << none
        << TimeList {12.5f}
        << QStringLiteral("Read 1 time from CubeTime, 2026-11-02 to 2026-11-02");
    QTest::newRow("CubeDesk CSV with American dates split by their comma")
        << QStringLiteral("Index,Time,Scramble,Date\n2,12.40,R,11/2/2026, 1:02:11 PM\n"
                          "1,11.52,F,11/1/2026, 9:00:00 AM")
        << QStringList {u"|2|2026-11-01|2026-11-02"_s} << 0 << 0 << 0 << none << none
        << TimeList {11.52f, 12.4f} << QStringLiteral("Read 2 times from CubeDesk");
    // Read under TZ=Europe/Berlin, where the clocks went forward on 2024-03-31.
    QTest::newRow("csTimer CSV: a local time on the day the clocks change")
        << QStringLiteral("No.;Time;Comment;Scramble;Date;P.1\n1;12.00;;R;2024-03-31 23:30:00;12\n"
                          "2;13.00;;R;2024-04-01 00:30:00;13")
        << QStringList {u"|2|2024-03-31|2024-04-01"_s} << 0 << 0 << 0 << QDate(2024, 3, 31)
        << QDate(2024, 3, 31) << TimeList {12.0f}
        << QStringLiteral("Read 1 time from csTimer, 2024-03-31 to 2024-03-31");
    QTest::newRow("plain list: the last solves count DNFs, not what is no solve")
        << QStringLiteral("12\nDNF\nabc\n13\n14") << QStringList {u"|4||"_s} << 0 << 0 << 3 << none
        << none << TimeList {13.0f, 14.0f}
        << QStringLiteral("Read 2 times (1 DNF skipped, 1 not read), the last 3");
}

void ParserTest::readsEverySessionAndPeriod()
{
    QFETCH(QString, text);
    QFETCH(QStringList, sessions);
    QFETCH(int, current);
    QFETCH(int, chosen);
    QFETCH(int, lastSolves);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(TimeList, times);
    QFETCH(QString, note);

    const SessionSet set = TimeReaders::readSessions(text);
    QStringList read;
    for (const Session &session : set.sessions) {
        read << QStringLiteral("%1|%2|%3|%4")
                    .arg(session.name)
                    .arg(session.solveCount())
                    .arg(session.firstDate().toString(Qt::ISODate),
                         session.lastDate().toString(Qt::ISODate));
    }
    QCOMPARE_EQ(read, sessions);
    QCOMPARE_EQ(set.current, current);
    const ParsedTimes parsed = set.choose(chosen, {lastSolves, from, to});
    QCOMPARE_EQ(parsed.times, times);
    QCOMPARE_EQ(parsed.summary(), note);
}

QTEST_GUILESS_MAIN(ParserTest)
#include "tst_parser.moc"
