#include "data/readerkit.h"
#include "data/timereaders.h"

#include <QRegularExpression>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

using namespace ReaderKit;

namespace {

// Text with a single line that is not blank, whatever blank lines stand around it.
QStringView onlyLine(QStringView text)
{
    text = withoutInvisibleEnds(text);
    return text.isEmpty() || text.contains(u'\n') ? QStringView() : text;
}

// What stands before the time of a list line: a timer's number "12. ", a mark "1) ", "1)",
// "#1 ", "- " or "* ", a label "solve 1: ", or a solve number and a tab before a time with a
// fraction or minutes ("1<tab>21" may be two times).
QStringView withoutListMark(QStringView line)
{
    static const QRegularExpression mark(QStringLiteral(
        R"(^(?:\d+\. |\d+\)[ \t]*|#\d+[ \t]+|[-*][ \t]+|\p{L}+ #?\d+: |\d+\t(?=.*[.,:])))"));
    return line.sliced(mark.match(line).capturedLength());
}

// The time of a list line: before three spaces, which set it apart from a scramble or a date.
QStringView timeField(QStringView line)
{
    qsizetype start = 0;
    // Padding before the time, as in a right-aligned column, is not the gap before the scramble.
    while (start < line.size() && line[start].isSpace())
        ++start;
    const qsizetype end = line.indexOf(u"   ", start);
    return line.sliced(start, (end < 0 ? line.size() : end) - start);
}

// A plain list keeps every time it reads, zero and negative ones too; a blank entry is none.
void readEntry(Session &session, QStringView entry)
{
    entry = withoutInvisibleEnds(entry);
    if (entry.isEmpty())
        return;
    const QStringView field = timeField(withoutListMark(entry));
    const TimeToken token = readTime(
        field, {.decimalComma = isDecimalComma(field), .entryOnly = true, .signs = true});
    session.add(token.solve == Solve::Time      ? token.seconds
                    : token.solve == Solve::Dnf ? Session::dnf
                                                : Session::notRead);
}

// Each line is read by what it holds. A comma in its time separates times on the one line of a
// text; on another line only where a space or the line's end follows it ("12.34, 13.50,") and
// none stands between digits, where it may be a decimal comma ("12,5, 13").
bool commasSeparate(QStringView field, bool oneLine)
{
    if (oneLine)
        return true;
    bool spaced = false;
    for (qsizetype i = field.indexOf(u','); i >= 0; i = field.indexOf(u',', i + 1)) {
        if (betweenDigits(field, i))
            return false;
        spaced = spaced || i + 1 == field.size() || field[i + 1].isSpace();
    }
    return spaced;
}

void readLine(Session &session, QStringView line, bool oneLine)
{
    // A number alone on a line, the bulk of a long list, needs no other rule.
    const QStringView bare = withoutInvisibleEnds(line);
    float value = 0;
    if (!oneLine && !bare.isEmpty() && isDigit(bare.front()) && isDigit(bare.back())
        && toNumber(bare, &value))
        return session.add(value);
    const QStringView field = timeField(withoutListMark(bare));
    // Semicolons between entries leave the commas inside them decimal commas: "12,34;13,50".
    if (field.contains(u';')) {
        for (QStringView entry : entries(line, u';'))
            readEntry(session, entry);
        return;
    }
    if (!field.contains(u',') || !commasSeparate(field, oneLine)) {
        readEntry(session, line);
        return;
    }
    for (QStringView entry : entries(line, u','))
        readEntry(session, entry);
}

// The timers' own formats, tried in turn before the general rules. The JSON and CSV files come
// first: their headers are exact; the texts with a summary above a marked list come after.
using Reader = std::optional<SessionSet> (*)(QStringView);
constexpr Reader readers[] = {
    TimeReaders::readBackup,   TimeReaders::readCsTimerCsv,  TimeReaders::readTwistyTimer,
    TimeReaders::readCubeDesk, TimeReaders::readCubeTime,    TimeReaders::readDcTimer,
    TimeReaders::readQqTimer,  TimeReaders::readCsTimerText,
};

// Carriage returns end lines too, CRLF from Windows and a lone CR from old Mac tools: each line
// end becomes one line feed, in one pass inside the text's own storage.
void normaliseLineEnds(QString &text)
{
    const qsizetype first = text.indexOf(u'\r');
    if (first < 0)
        return;
    QChar *chars = text.data();
    const qsizetype n = text.size();
    qsizetype kept = first;
    for (qsizetype i = first; i < n; ++i) {
        const QChar c = chars[i];
        if (c != u'\r') {
            chars[kept++] = c;
            continue;
        }
        chars[kept++] = u'\n';
        if (i + 1 < n && chars[i + 1] == u'\n')
            ++i;
    }
    text.truncate(kept);
}

} // namespace

namespace TimeReaders {

Session readPlainList(QStringView text)
{
    Session session;
    if (const QStringView line = onlyLine(text); !line.isNull()) {
        readLine(session, line, true);
        return session;
    }
    Lines lines(text);
    QStringView line;
    while (lines.next(line))
        readLine(session, line, false);
    return session;
}

ParsedTimes read(QString text)
{
    return readSessions(std::move(text)).chooseDefault();
}

SessionSet readSessions(QString text)
{
    normaliseLineEnds(text);
    // A byte order mark from a copied file is no part of the first time or of the export marker.
    QStringView body = text;
    if (body.startsWith(QChar(QChar::ByteOrderMark)))
        body = body.sliced(1);

    for (Reader reader : readers) {
        if (std::optional<SessionSet> read = reader(body))
            return std::move(*read);
    }

    // Rows that share a separator are a table; one line is a list first, a row of a table
    // where the list finds no time.
    const bool oneLine = !onlyLine(body).isNull();
    if (!oneLine) {
        if (std::optional<SessionSet> table = readTable(body))
            return std::move(*table);
    }
    Session plain = readPlainList(body);
    if (oneLine && !holdsTime(plain)) {
        if (std::optional<SessionSet> table = readTable(body))
            return std::move(*table);
    }
    return oneSession({}, std::move(plain));
}

} // namespace TimeReaders
