#pragma once

#include "data/sessions.h"

#include <QList>
#include <QStringView>

// What the timer readers share: walking lines, reading a time as the timers write it, and
// splitting lists and delimited records.
namespace ReaderKit {

// Recognition looks this far into a text: every timer puts its header and list marker well
// within it, and a huge paste is not scanned once per reader.
QStringView head(QStringView text);
QStringView firstLine(QStringView text);

// The lines of a text whose line ends are line feeds; "a\n" gives "a" and "". Any other
// separator gives the pieces between separators the same way.
class Lines
{
public:
    explicit Lines(QStringView text, qsizetype from = 0)
        : text(text)
        , pos(from)
    { }
    bool next(QStringView &line, QChar separator = u'\n');
    qsizetype position() const { return pos; }

private:
    QStringView text;
    qsizetype pos;
};

// The line that starts with one of the markers within the head, as its position after the
// marker; -1 when there is none.
qsizetype afterMarkerLine(QStringView text, const QStringView *markers, qsizetype count);

// The rest of a numbered line "12. 10.43   R U" after its "12. "; a null view when the line
// has no such number.
QStringView afterNumber(QStringView line, qsizetype *number = nullptr);

// "+" after a time: most timers print the time with the two seconds added, CubeTime the raw one.
enum class Plus { Included, AddsTwo };
struct TokenRules
{
    Plus plus = Plus::Included;
    // A comma between digits is the decimal mark.
    bool decimalComma = false;
    // The entry is the time and nothing else but a unit, a comment or phases (a list line, a
    // cell), rather than the start of a timer's line that a scramble follows.
    bool entryOnly = false;
    // A sign and an exponent, which a plain list has always read ("-3", "1e1").
    bool signs = false;
};

enum class Solve { None, Time, Dnf };
// Why an entry gave no time.
enum class NotTime { None, Blank, NoNumber, TrailingText, Malformed, OutOfRange };

struct TimeToken
{
    Solve solve = Solve::None;
    float seconds = 0;
    NotTime why = NotTime::None;
    // h:mm or h:mm:ss without a fraction, as a time of day is written.
    bool clockLike = false;
    // Digits alone, as a solve number is written.
    bool digitsOnly = false;
};

// The one grammar of a time entry: white space, "(", then "DNF" or a time ([[h:]m:]s[.xx], with a
// decimal comma where the rules allow it, an optional "+", ")" and a unit "s", "sec" or "秒"),
// then "[comments]" or phases "=5.1+7.2". A timer's line ends its time at white space; a whole
// entry holds nothing else, and "DNF" anywhere outside its comments makes it a DNF.
TimeToken readTime(QStringView entry, TokenRules rules = {});
// The one conversion of digits to a number: [sign]digits[mark digits][e[sign]digits], the mark
// a point or a comma; false for anything else and for a number beyond the type's range. The
// result is the double, or the float, nearest the number written.
bool toNumber(QStringView number, double *value);
bool toNumber(QStringView number, float *value);

inline bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
// Digits alone, at least one.
bool isDigits(QStringView text);
inline bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
bool betweenDigits(QStringView text, qsizetype i);
// "12,34", "1:02,25" or "1. 12,34": one comma, between digits, and no point between digits.
bool isDecimalComma(QStringView text);
// White space, NUL and the invisible format characters copying from a web page leaves.
inline bool isInvisible(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u == 0 || u == u' ' || (u >= u'\t' && u <= u'\r');
    return c.isSpace() || c.category() == QChar::Other_Format;
}
QStringView withoutInvisibleEnds(QStringView text);

// Adds the time, the DNF, or the solve as not read: no timer writes a time that is negative,
// under a millisecond or over a day, and such a solve costs only itself.
void addSolve(Session &session, Solve solve, float seconds, qint64 start = Session::noDate);
// The same for a time in seconds as a timer's file stores it, in double.
void addSeconds(Session &session, double seconds, qint64 start = Session::noDate);
// An entry that holds only white space is no solve and is not counted.
void addEntry(Session &session, QStringView entry, TokenRules rules = {},
              qint64 start = Session::noDate);

// The entries of a list "11.52, DNF(13.01), 9.87[a, b]": split at the separator or a line end
// outside [comments].
QList<QStringView> entries(QStringView list, QChar separator);
// Reads each of them.
void readList(Session &session, QStringView list, QChar separator = u',', TokenRules rules = {});

// Whether any entry is a time.
bool holdsTime(const Session &session);
// The one session of a text in a timer's format.
SessionSet oneSession(const QString &format, Session session);

// Reads "YYYY-MM-DD hh:mm:ss" in local time, or with a UTC offset " +0000" after it, as
// milliseconds since 1970 UTC; Session::noDate for anything else ("N/A"). Solves of one day share
// the conversion of its midnight, the slow part, but on a day the clocks change.
class DateReader
{
public:
    qint64 read(QStringView text);

private:
    QDate lastDay;
    qint64 lastMidnight = 0;
    // The day is 24 hours long: no clock change within it.
    bool evenDay = true;
};

// One record of a delimited file from pos on, which it moves past the record. A field that
// starts with '"' may hold the separator and line ends ("" is a quote inside it).
QList<QStringView> readRecord(QStringView text, qsizetype &pos, QChar separator);

// Tells, character by character, whether text stands in a [comment]: "[" opens one, the next "]"
// closes it, and a "]" outside a comment is ordinary text. The brackets count as the comment's.
class CommentScanner
{
public:
    bool inComment(QChar c)
    {
        if (open) {
            open = c != u']';
            return true;
        }
        open = c == u'[';
        return open;
    }

private:
    bool open = false;
};

} // namespace ReaderKit
