#include "data/readerkit.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <cmath>

namespace ReaderKit {

namespace {

constexpr qsizetype headLength = 64 * 1024;
// Longer than any time a timer writes ("1:02:03.456789012"); a run of digits is not converted.
constexpr qsizetype longestNumber = 64;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

// "ss", "ss.", "ss.xx": a plain unsigned decimal without sign or exponent.
bool isPlainDecimal(QStringView text)
{
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return isDigits(text);
    const QStringView fraction = text.mid(point + 1);
    return isDigits(text.first(point)) && (fraction.isEmpty() || isDigits(fraction));
}

bool readClock(QStringView entry, double *seconds)
{
    if (entry.count(u':') > 2)
        return false;
    const QList<QStringView> parts = entry.trimmed().split(u':');
    const QStringView secondsPart = parts.last();
    if (!isPlainDecimal(secondsPart))
        return false;
    const double secs = secondsPart.toDouble();
    if (!(secs < 60.0))
        return false;
    double total = 0.0;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (!isDigits(parts[i]) || parts[i].size() > 9)
            return false;
        const double unit = parts[i].toDouble();
        if (i > 0 && unit >= 60.0) // the minutes of h:mm:ss
            return false;
        total = total * 60.0 + unit;
    }
    *seconds = total * 60.0 + secs;
    return true;
}

bool endsToken(QChar c)
{
    return c == u'=' || c == u'[' || c == u')' || c.isSpace();
}

// Timers count in milliseconds at best.
constexpr float shortestTime = 0.001f;

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, the grammar of a JSON number.
bool isJsonNumber(QByteArrayView number)
{
    qsizetype i = 0;
    const qsizetype n = number.size();
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && isAsciiDigit(number[i]))
            ++i;
        return i > from;
    };
    if (i < n && number[i] == '-')
        ++i;
    if (i < n && number[i] == '0')
        ++i;
    else if (!digits())
        return false;
    if (i < n && number[i] == '.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < n && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        if (i < n && (number[i] == '+' || number[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == n;
}

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
    if (number)
        *number = line.first(std::min<qsizetype>(digits, 18)).toLongLong();
    return line.sliced(digits + 2);
}

// With at most 15 digits both the digits and the power of ten are exact doubles, so the one
// division rounds as strtod does, and the float is the one toFloat gives.
bool readBareDecimal(QStringView entry, float *value)
{
    constexpr int mostDigits = 15;
    static constexpr double powersOfTen[mostDigits + 1]
        = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char16_t *c = entry.utf16();
    const char16_t *const end = c + entry.size();
    const auto isBlank = [](char16_t ch) {
        return ch == u' ' || ch == u'\t';
    };
    const auto isDigit = [](char16_t ch) {
        return ch >= u'0' && ch <= u'9';
    };
    while (c != end && isBlank(*c))
        ++c;
    if (c == end || !isDigit(*c))
        return false;
    quint64 digits = 0;
    int count = 0;
    int fraction = 0;
    for (; c != end && isDigit(*c); ++c, ++count)
        digits = digits * 10 + (*c - u'0');
    if (c != end && *c == u'.') {
        ++c;
        // "12." and "12. 5" take the general rules: the second is a numbered line.
        if (c == end || !isDigit(*c))
            return false;
        for (; c != end && isDigit(*c); ++c, ++count, ++fraction)
            digits = digits * 10 + (*c - u'0');
    }
    while (c != end && isBlank(*c))
        ++c;
    if (c != end || count > mostDigits)
        return false;
    *value = float(double(digits) / powersOfTen[fraction]);
    return true;
}

bool readClockTime(QStringView entry, float *seconds)
{
    double total = 0.0;
    if (!readClock(entry, &total))
        return false;
    *seconds = float(total);
    return std::isfinite(*seconds);
}

bool readSeconds(QStringView number, double *seconds)
{
    if (number.contains(u':'))
        return readClock(number, seconds);
    if (!isPlainDecimal(number))
        return false;
    *seconds = number.toDouble();
    return true;
}

Solve readSolve(QStringView entry, float *seconds, TokenRules rules)
{
    qsizetype i = 0;
    const qsizetype n = entry.size();
    while (i < n && entry[i].isSpace())
        ++i;
    if (i < n && entry[i] == u'(')
        ++i;
    if (entry.sliced(i).startsWith(u"DNF"))
        return Solve::Dnf;
    const qsizetype start = i;
    while (i < n
           && (isDigit(entry[i]) || entry[i] == u'.' || entry[i] == u':'
               || (rules.decimalComma && entry[i] == u',')))
        ++i;
    QStringView number = entry.sliced(start, i - start);
    const bool plus = i < n && entry[i] == u'+';
    if (plus)
        ++i;
    if (number.isEmpty() || number.size() > longestNumber || (i < n && !endsToken(entry[i])))
        return Solve::None;
    QString withPoint;
    if (rules.decimalComma && number.contains(u',')) {
        withPoint = number.toString().replace(u',', u'.');
        number = withPoint;
    }
    double value = 0.0;
    if (!readSeconds(number, &value))
        return Solve::None;
    if (plus && rules.plus == Plus::AddsTwo)
        value += 2.0;
    *seconds = float(value);
    return std::isfinite(*seconds) ? Solve::Time : Solve::None;
}

void addSolve(Session &session, Solve solve, float seconds, qint64 start)
{
    if (solve == Solve::Dnf)
        session.add(Session::dnf, start);
    else if (solve == Solve::Time && seconds >= shortestTime && std::isfinite(seconds))
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
    float seconds = 0;
    const Solve solve = readSolve(entry, &seconds, rules);
    if (solve != Solve::None || !entry.trimmed().isEmpty())
        addSolve(session, solve, seconds, start);
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
        int value = 0;
        for (QChar c : text.sliced(from, size)) {
            if (!isDigit(c))
                return -1;
            value = value * 10 + (c.unicode() - u'0');
        }
        return value;
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
        }
        return lastMidnight + sinceMidnight;
    }
    // "+0000": the offset of a time in UTC.
    if (zone.size() != 5 || (zone[0] != u'+' && zone[0] != u'-'))
        return Session::noDate;
    int offset = 0;
    for (QChar c : zone.sliced(1)) {
        if (!isDigit(c))
            return Session::noDate;
        offset = offset * 10 + (c.unicode() - u'0');
    }
    const qint64 offsetMs = ((offset / 100) * 60 + offset % 100) * qint64(60'000);
    const qint64 utc = day.startOfDay(Qt::UTC).toMSecsSinceEpoch() + sinceMidnight;
    return zone[0] == u'+' ? utc - offsetMs : utc + offsetMs;
}

QJsonDocument readJson(QStringView text)
{
    QByteArray json = text.toUtf8();
    QJsonParseError error {};
    QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::IllegalNumber)
        return document;
    // One pass over the numbers outside strings; a malformed number stays and fails again.
    QByteArray kept;
    kept.reserve(json.size());
    const qsizetype n = json.size();
    qsizetype copied = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = json[i];
        if (c == '"') {
            for (++i; i < n && json[i] != '"'; ++i)
                i += json[i] == '\\' ? 1 : 0;
            continue;
        }
        if (c != '-' && !isAsciiDigit(c))
            continue;
        qsizetype end = i + 1;
        while (end < n
               && (isAsciiDigit(json[end]) || json[end] == '.' || json[end] == 'e'
                   || json[end] == 'E' || json[end] == '+' || json[end] == '-'))
            ++end;
        bool ok = false;
        const QByteArray number = QByteArray::fromRawData(json.constData() + i, end - i);
        number.toDouble(&ok);
        if (!ok && isJsonNumber(number)) {
            kept.append(json.constData() + copied, i - copied);
            kept.append("null");
            copied = end;
        }
        i = end - 1;
    }
    kept.append(json.constData() + copied, n - copied);
    return QJsonDocument::fromJson(kept);
}

void readList(Session &session, QStringView list, QChar separator, TokenRules rules)
{
    qsizetype start = 0;
    CommentScanner comments;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list[i];
        if (!comments.inComment(c) && (c == separator || c == u'\n')) {
            addEntry(session, list.sliced(start, i - start), rules);
            start = i + 1;
        }
    }
    addEntry(session, list.sliced(start), rules);
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
