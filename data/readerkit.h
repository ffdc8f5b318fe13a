#pragma once

#include "data/parsedtimes.h"

#include <QJsonDocument>
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
    bool decimalComma = false;
};

enum class Solve { None, Time, Dnf };

// The solve at the start of an entry: an optional "(", then "DNF" or a time ([[h:]m:]s[.xx] and
// an optional "+"), ended by the entry's end, "=" (phases), "[" (a comment), ")" or white space.
// What follows is never read, so a comment or scramble cannot add or hide a solve.
Solve readSolve(QStringView entry, float *seconds, TokenRules rules = {});
// Appends the time, counts the DNF, or counts the solve as not read: no timer writes a time that
// is negative, under a millisecond or beyond the float range, and such a solve costs only itself.
void addSolve(ParsedTimes &parsed, Solve solve, float seconds);
// The same for a time in seconds as a timer's file stores it, in double.
void addSeconds(ParsedTimes &parsed, double seconds);
// An entry that holds only white space is no solve and is not counted.
void addEntry(ParsedTimes &parsed, QStringView entry, TokenRules rules = {});

// Reads a list "11.52, DNF(13.01), 9.87[a, b]" split at the separator outside [comments].
void readList(ParsedTimes &parsed, QStringView list, QChar separator = u',', TokenRules rules = {});

// One record of a delimited file from pos on, which it moves past the record. A field that
// starts with '"' may hold the separator and line ends ("" is a quote inside it).
QList<QStringView> readRecord(QStringView text, qsizetype &pos, QChar separator);

// The float (or double) nearest a decimal number: an optional sign ("+", "-" or U+2212), digits
// with or without the decimal mark, and an exponent; nothing else, not even white space. False
// where the nearest is infinite or the number underflows to zero. A point also serves as the mark.
template<typename Number> bool readDecimal(QStringView number, Number *value, QChar mark = u'.');

// "12.34" (or "12,34" with a comma as the mark) with nothing but spaces or tabs around it, the
// bulk of a long list, read without the general rules; "12." and "12. 5" (a numbered line) are
// left to them.
bool readBareDecimal(QStringView entry, float *value, QChar mark = u'.');

// A JSON document in which each number beyond the double range (9e999, 1e-999) stands as null,
// where the toolkit would refuse the whole document for it.
QJsonDocument readJson(QStringView text);

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

// Seconds from "ss[.xx]", "m:ss[.xx]" or "h:mm:ss[.xx]"; the general rules use it as well.
bool readClockTime(QStringView entry, float *seconds);

} // namespace ReaderKit
