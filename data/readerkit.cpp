#include "data/readerkit.h"

#include <QDateTime>
#include <QString>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <optional>
#include <type_traits>

namespace ReaderKit {

namespace {

constexpr qsizetype headLength = 64 * 1024;
// Longer than any time a timer writes ("1:02:03.456789012"); a run of digits is not converted.
constexpr qsizetype longestNumber = 64;

// Timers count in milliseconds at best, and a solve of more than a day is a corrupt record.
constexpr float shortestTime = 0.001f;
constexpr float longestTime = 24 * 60 * 60;

} // namespace

QStringView head(QStringView text)
{
    return text.first(std::min(text.size(), headLength));
}

QStringView firstLine(QStringView text)
{
    const QStringView start = head(text);
    const qsizetype end = start.indexOf(u'\n');
    return end < 0 ? start : start.first(end);
}

bool Lines::next(QStringView &line, QChar separator)
{
    if (pos > text.size())
        return false;
    qsizetype end = text.indexOf(separator, pos);
    if (end < 0)
        end = text.size();
    line = text.sliced(pos, end - pos);
    pos = end + 1;
    return true;
}

qsizetype afterMarkerLine(QStringView text, const QStringView *markers, qsizetype count)
{
    Lines lines(head(text));
    QStringView line;
    while (lines.next(line)) {
        for (qsizetype i = 0; i < count; ++i) {
            if (line.startsWith(markers[i]))
                return line.data() - text.data() + markers[i].size();
        }
    }
    return -1;
}

QStringView afterNumber(QStringView line, qsizetype *number)
{
    qsizetype digits = 0;
    while (digits < line.size() && isDigit(line[digits]))
        ++digits;
    if (digits == 0 || digits + 1 >= line.size() || line[digits] != u'.'
        || line[digits + 1] != u' ')
        return {};
    double value = 0;
    if (number && toNumber(line.first(std::min<qsizetype>(digits, 15)), &value))
        *number = qsizetype(value);
    return line.sliced(digits + 2);
}

bool isDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isDigit);
}

bool betweenDigits(QStringView text, qsizetype i)
{
    return i > 0 && i + 1 < text.size() && isDigit(text[i - 1]) && isDigit(text[i + 1]);
}

bool isDecimalComma(QStringView text)
{
    const qsizetype comma = text.indexOf(u',');
    if (!betweenDigits(text, comma) || text.indexOf(u',', comma + 1) >= 0)
        return false;
    for (qsizetype point = text.indexOf(u'.'); point >= 0; point = text.indexOf(u'.', point + 1)) {
        if (betweenDigits(text, point))
            return false;
    }
    return true;
}

QStringView withoutInvisibleEnds(QStringView text)
{
    while (!text.isEmpty() && isInvisible(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isInvisible(text.back()))
        text.chop(1);
    return text;
}

namespace {

bool isSign(QChar c)
{
    return c == u'-' || c == u'+' || c == u'\u2212';
}

bool isMark(QChar c)
{
    return c == u'.' || c == u',';
}

// [[h:]m:]ss[.xx] in seconds: whole hours and minutes, the minutes of h:mm:ss and the seconds
// under 60.
bool readClock(QStringView number, double *seconds)
{
    *seconds = 0.0;
    qsizetype from = 0;
    for (int part = 0; part < 3; ++part) {
        const qsizetype colon = number.indexOf(u':', from);
        const QStringView piece = number.sliced(from, (colon < 0 ? number.size() : colon) - from);
        double value = 0.0;
        if (piece.isEmpty() || !isDigit(piece[0])
            || (colon >= 0 && (piece.size() > 9 || !isDigits(piece))) || !toNumber(piece, &value)
            || (part > 0 && value >= 60.0))
            return false;
        *seconds = *seconds * 60.0 + value;
        if (colon < 0)
            return part > 0;
        from = colon + 1;
    }
    return false;
}

// What a whole entry may hold after its time: white space, [comments], and phases after "=".
bool onlyDecorationLeft(QStringView rest)
{
    CommentScanner comments;
    for (QChar c : rest) {
        if (comments.inComment(c))
            continue;
        if (c == u'=')
            return true;
        if (!isInvisible(c))
            return false;
    }
    return true;
}

// A comment is free text: a "DNF" inside it says nothing about the solve.
bool holdsDnf(QStringView entry)
{
    CommentScanner comments;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        // The first letter is compared alone: the entry may be a whole line of times.
        if (!comments.inComment(entry[i]) && entry[i] == u'D' && entry.sliced(i).startsWith(u"DNF"))
            return true;
    }
    return false;
}

qsizetype unitLength(QStringView rest)
{
    for (QStringView unit : {QStringView(u"sec"), QStringView(u"s"), QStringView(u"秒")}) {
        if (rest.startsWith(unit, Qt::CaseInsensitive))
            return unit.size();
    }
    return 0;
}

} // namespace

namespace {

// The checked number as ASCII, its mark a point, through from_chars: the nearest float or double,
// and no "inf" or "nan", which the grammar has already left out.
template<typename Number> bool fromChars(QStringView number, Number *value)
{
    char ascii[longestNumber];
    qsizetype n = 0;
    for (QChar c : number) {
        if (c == u'+')
            continue;
        ascii[n++] = c == u',' ? '.' : isSign(c) ? '-' : char(c.unicode());
    }
    Number read {};
    const auto [stop, error] = std::from_chars(ascii, ascii + n, read);
    if (error != std::errc() || stop != ascii + n || !std::isfinite(read))
        return false;
    *value = read;
    return true;
}

template<typename Number> bool convert(QStringView number, Number *value)
{
    // With at most 15 digits both the digits and the power of ten are exact doubles, so the one
    // division gives the double nearest the number. Rounded to float it gives the float nearest
    // the number too, unless it lies exactly halfway between two floats: only there can the
    // number lie on the other side of the tie. Those, and longer numbers, take from_chars.
    constexpr int mostDigits = 15;
    static constexpr double powersOfTen[mostDigits + 1]
        = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    // The 29 bits a double holds below a float's last bit, at a tie.
    constexpr quint64 belowFloat = (quint64(1) << 29) - 1;
    constexpr quint64 floatTie = quint64(1) << 28;
    const qsizetype n = number.size();
    qsizetype i = 0;
    const bool negative = n > 0 && number[0] != u'+' && isSign(number[0]);
    if (n > 0 && isSign(number[0]))
        ++i;
    quint64 digits = 0;
    int count = 0;
    int fraction = 0;
    for (; i < n && isDigit(number[i]); ++i, ++count)
        digits = digits * 10 + (number[i].unicode() - u'0');
    if (i < n && isMark(number[i])) {
        for (++i; i < n && isDigit(number[i]); ++i, ++count, ++fraction)
            digits = digits * 10 + (number[i].unicode() - u'0');
    }
    if (count == 0)
        return false;
    if (i == n && count <= mostDigits) {
        const double magnitude = double(digits) / powersOfTen[fraction];
        if (std::is_same_v<
                Number, double> || (std::bit_cast<quint64>(magnitude) & belowFloat) != floatTie) {
            const Number nearest = Number(negative ? -magnitude : magnitude);
            if (!std::isfinite(nearest))
                return false;
            *value = nearest;
            return true;
        }
    }
    if (i < n && (number[i] == u'e' || number[i] == u'E')) {
        ++i;
        if (i < n && isSign(number[i]))
            ++i;
        const qsizetype exponent = i;
        while (i < n && isDigit(number[i]))
            ++i;
        if (i == exponent)
            return false;
    }
    if (i != n || n > longestNumber)
        return false;
    return fromChars(number, value);
}

} // namespace

bool toNumber(QStringView number, double *value)
{
    return convert(number, value);
}

bool toNumber(QStringView number, float *value)
{
    return convert(number, value);
}

namespace {

// The number at the start of a time, as scanned: its digits and marks, and where it ends.
struct ScannedNumber
{
    QStringView digits;
    qsizetype end = 0;
    bool colon = false;
    bool mark = false;
    bool exponent = false;
};

// Drops the comments before a whole entry's time. The bulk of a long list or column, digits with
// at most one mark, converts at once; anything else is left to the full grammar.
std::optional<TimeToken> readBareEntry(QStringView &entry, bool decimalComma)
{
    // A comment may stand before the time as well as after it.
    entry = withoutInvisibleEnds(entry);
    while (entry.startsWith(u'[')) {
        const qsizetype close = entry.indexOf(u']');
        entry = withoutInvisibleEnds(close < 0 ? QStringView() : entry.sliced(close + 1));
    }
    if (entry.isEmpty())
        return TimeToken {.why = NotTime::Blank};
    qsizetype marks = 0;
    for (QChar c : entry)
        marks += isDigit(c) ? 0 : c == u'.' || (decimalComma && c == u',') ? 1 : 2;
    float seconds = 0;
    if (marks < 2 && isDigit(entry.front()) && toNumber(entry, &seconds))
        return TimeToken {.solve = Solve::Time, .seconds = seconds, .digitsOnly = marks == 0};
    return std::nullopt;
}

// [[h:]m:]s with a point, or the rules' comma, for its mark; with signs allowed, a sign before it
// and an exponent.
ScannedNumber scanNumber(QStringView entry, qsizetype start, const TokenRules &rules)
{
    ScannedNumber scanned;
    const qsizetype n = entry.size();
    qsizetype i = start;
    if (rules.signs && i < n && isSign(entry[i]))
        ++i;
    for (; i < n; ++i) {
        const QChar c = entry[i];
        if (c == u':' || c == u'.' || (rules.decimalComma && c == u',')) {
            scanned.colon = scanned.colon || c == u':';
            scanned.mark = scanned.mark || c != u':';
        } else if (rules.signs && (c == u'e' || c == u'E') && i > start) {
            scanned.exponent = true;
            if (i + 1 < n && isSign(entry[i + 1]))
                ++i;
        } else if (!isDigit(c)) {
            break;
        }
    }
    scanned.digits = entry.sliced(start, i - start);
    scanned.end = i;
    return scanned;
}

// What may follow the number: a "+", then in a whole entry closing brackets, a unit and nothing
// but decoration, and in a timer's line the end of the time. False for anything else.
bool endsTime(QStringView entry, qsizetype i, bool entryOnly, bool *plus)
{
    const qsizetype n = entry.size();
    *plus = i < n && entry[i] == u'+';
    i += *plus ? 1 : 0;
    if (!entryOnly)
        return i == n || entry[i] == u'=' || entry[i] == u'[' || entry[i] == u')'
            || entry[i].isSpace();
    while (i < n && entry[i] == u')')
        ++i;
    qsizetype unit = i;
    while (unit < n && isBlank(entry[unit]))
        ++unit;
    if (const qsizetype length = unitLength(entry.sliced(unit)))
        i = unit + length;
    return onlyDecorationLeft(entry.sliced(i));
}

// A time as written is read straight to the float nearest it; a clock time or a time plus two
// seconds is a sum, formed in double first.
TimeToken convertTime(const ScannedNumber &scanned, bool plus, const TokenRules &rules)
{
    const QStringView number = scanned.digits;
    const bool addsTwo = plus && rules.plus == Plus::AddsTwo;
    const bool sum = scanned.colon || addsTwo;
    double total = 0.0;
    float seconds = 0.0f;
    const bool read = number.size() <= longestNumber
        && (scanned.colon ? !scanned.exponent && !isSign(number[0]) && readClock(number, &total)
                : !(rules.signs || isDigit(number[0])) ? false
                : sum                                  ? toNumber(number, &total)
                                                       : toNumber(number, &seconds));
    // A number too large for a float, or too small to be anything but zero, is no time.
    if (!read && !sum && number.size() <= longestNumber && toNumber(number, &total))
        return {.why = NotTime::OutOfRange};
    if (!read)
        return {.why = NotTime::Malformed};
    if (sum) {
        seconds = float(addsTwo ? total + 2.0 : total);
        if (!std::isfinite(seconds) || (seconds == 0.0f && total != 0.0))
            return {.why = NotTime::OutOfRange};
    }
    return {.solve = Solve::Time,
            .seconds = seconds,
            .clockLike = scanned.colon && !scanned.mark,
            .digitsOnly
            = !scanned.colon && !scanned.mark && !plus && !scanned.exponent && isDigit(number[0])};
}

} // namespace

TimeToken readTime(QStringView entry, TokenRules rules)
{
    if (rules.entryOnly) {
        if (const std::optional<TimeToken> bare = readBareEntry(entry, rules.decimalComma))
            return *bare;
    }
    const qsizetype n = entry.size();
    qsizetype i = 0;
    while (i < n && entry[i].isSpace())
        ++i;
    if (i == n)
        return {.why = NotTime::Blank};
    // A timer brackets a solve left out of an average once; a hurried list may do it twice.
    if (entry[i] == u'(')
        ++i;
    while (rules.entryOnly && i < n && entry[i] == u'(')
        ++i;
    if (entry.sliced(i).startsWith(u"DNF"))
        return {.solve = Solve::Dnf};
    const ScannedNumber scanned = scanNumber(entry, i, rules);
    // What follows a whole entry's time is looked at only where there is something.
    if (rules.entryOnly && scanned.end < n && holdsDnf(entry.sliced(i)))
        return {.solve = Solve::Dnf};
    if (scanned.digits.isEmpty())
        return {.why = NotTime::NoNumber};
    bool plus = false;
    if (!endsTime(entry, scanned.end, rules.entryOnly, &plus))
        return {.why = NotTime::TrailingText};
    return convertTime(scanned, plus, rules);
}

void addSolve(Session &session, Solve solve, float seconds, qint64 start)
{
    if (solve == Solve::Dnf)
        session.add(Session::dnf, start);
    else if (solve == Solve::Time && seconds >= shortestTime && seconds <= longestTime)
        session.add(seconds, start);
    else
        session.add(Session::notRead, start);
}

void addSeconds(Session &session, double seconds, qint64 start)
{
    addSolve(session, Solve::Time, float(seconds), start);
}

void addEntry(Session &session, QStringView entry, TokenRules rules, qint64 start)
{
    const TimeToken token = readTime(entry, rules);
    if (token.why != NotTime::Blank)
        addSolve(session, token.solve, token.seconds, start);
}

bool holdsTime(const Session &session)
{
    return std::any_of(session.entries.cbegin(), session.entries.cend(),
                       [](float entry) { return entry > Session::dnf; });
}

SessionSet oneSession(const QString &format, Session session)
{
    SessionSet set;
    set.format = format;
    set.sessions.append(std::move(session));
    set.why = ParsedTimes::Pick::Chosen;
    return set;
}

qint64 DateReader::read(QStringView text)
{
    text = text.trimmed();
    const auto number = [&](qsizetype from, qsizetype size) {
        const QStringView digits = text.sliced(from, size);
        double value = -1;
        return isDigits(digits) && toNumber(digits, &value) ? int(value) : -1;
    };
    if (text.size() < 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' '
        || text[13] != u':' || text[16] != u':')
        return Session::noDate;
    const QDate day(number(0, 4), number(5, 2), number(8, 2));
    const int hour = number(11, 2);
    const int minute = number(14, 2);
    const int second = number(17, 2);
    if (!day.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0
        || second > 60)
        return Session::noDate;
    const qint64 sinceMidnight = ((hour * 60 + minute) * 60 + second) * qint64(1000);
    const QStringView zone = text.sliced(19).trimmed();
    if (zone.isEmpty()) {
        if (day != lastDay) {
            lastDay = day;
            lastMidnight = day.startOfDay().toMSecsSinceEpoch();
            evenDay = day.addDays(1).startOfDay().toMSecsSinceEpoch() - lastMidnight
                == qint64(24 * 60 * 60 * 1000);
        }
        // On the day a clock is put forward or back, a time of day is no fixed span past
        // midnight.
        if (!evenDay) {
            const QDateTime local(day, QTime(hour, minute, std::min(second, 59)));
            if (local.isValid())
                return local.toMSecsSinceEpoch() + (second == 60 ? 1000 : 0);
        }
        return lastMidnight + sinceMidnight;
    }
    // "+0000": the offset of a time in UTC.
    text = zone;
    const int offset = zone.size() == 5 ? number(1, 4) : -1;
    if (offset < 0 || (zone[0] != u'+' && zone[0] != u'-'))
        return Session::noDate;
    const qint64 offsetMs = ((offset / 100) * 60 + offset % 100) * qint64(60'000);
    const qint64 utc = day.startOfDay(Qt::UTC).toMSecsSinceEpoch() + sinceMidnight;
    return zone[0] == u'+' ? utc - offsetMs : utc + offsetMs;
}

QList<QStringView> entries(QStringView list, QChar separator)
{
    QList<QStringView> found;
    qsizetype start = 0;
    CommentScanner comments;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list[i];
        if (!comments.inComment(c) && (c == separator || c == u'\n')) {
            found.append(list.sliced(start, i - start));
            start = i + 1;
        }
    }
    found.append(list.sliced(start));
    return found;
}

void readList(Session &session, QStringView list, QChar separator, TokenRules rules)
{
    for (QStringView entry : entries(list, separator))
        addEntry(session, entry, rules);
}

QList<QStringView> readRecord(QStringView text, qsizetype &pos, QChar separator)
{
    QList<QStringView> fields;
    const qsizetype n = text.size();
    while (pos <= n) {
        qsizetype start = pos;
        qsizetype end = pos;
        if (pos < n && text[pos] == u'"') {
            qsizetype q = pos + 1;
            while (q < n && !(text[q] == u'"' && (q + 1 >= n || text[q + 1] != u'"')))
                q += text[q] == u'"' ? 2 : 1;
            start = pos + 1;
            end = std::min(q, n);
            pos = end + 1;
            // Anything between the closing quote and the separator belongs to the field.
            while (pos < n && text[pos] != separator && text[pos] != u'\n')
                ++pos;
        } else {
            while (pos < n && text[pos] != separator && text[pos] != u'\n')
                ++pos;
            end = pos;
        }
        fields.append(text.sliced(start, end - start));
        if (pos >= n || text[pos] == u'\n') {
            ++pos;
            break;
        }
        ++pos;
    }
    return fields;
}

} // namespace ReaderKit
