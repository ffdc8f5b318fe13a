#include "data/readerkit.h"

#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

#include <bit>
#include <charconv>
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

// "ss", "ss.", "ss.xx": a plain unsigned decimal without sign or exponent. With a decimal comma
// the timers still write some times with a point, so either serves as the mark.
bool isPlainDecimal(QStringView text, QChar mark)
{
    qsizetype point = 0;
    while (point < text.size() && isDigit(text[point]))
        ++point;
    if (point == 0)
        return false;
    if (point == text.size())
        return true;
    const QStringView fraction = text.sliced(point + 1);
    return (text[point] == u'.' || text[point] == mark)
        && (fraction.isEmpty() || isDigits(fraction));
}

bool readClock(QStringView entry, double *seconds, QChar mark = u'.')
{
    if (entry.count(u':') > 2)
        return false;
    const QList<QStringView> parts = entry.trimmed().split(u':');
    const QStringView secondsPart = parts.last();
    double secs = 0.0;
    if (!isPlainDecimal(secondsPart, mark) || !readDecimal(secondsPart, &secs, mark))
        return false;
    if (!(secs < 60.0))
        return false;
    double total = 0.0;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        double unit = 0.0;
        if (!isDigits(parts[i]) || parts[i].size() > 9 || !readDecimal(parts[i], &unit))
            return false;
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

template<typename Number> bool readDecimal(QStringView number, Number *value, QChar mark)
{
    // The characters are ASCII or the number is not read, so one byte each is enough.
    QVarLengthArray<char, 64> ascii(number.size());
    const char16_t *c = number.utf16();
    const char16_t *const end = c + number.size();
    char *out = ascii.data();
    if (c != end && (*c == u'+' || *c == u'-' || *c == u'\u2212')) {
        if (*c != u'+')
            *out++ = '-';
        ++c;
    }
    // from_chars would also take "inf", "nan" and a second sign.
    if (c == end || !((*c >= u'0' && *c <= u'9') || *c == u'.' || *c == mark))
        return false;
    for (; c != end; ++c) {
        if (*c > 0x7f)
            return false;
        *out++ = *c == mark ? '.' : char(*c);
    }
    Number read {};
    const auto [stop, error] = std::from_chars(ascii.data(), out, read);
    if (error != std::errc() || stop != out || !std::isfinite(read))
        return false;
    *value = read;
    return true;
}

template bool readDecimal(QStringView number, float *value, QChar mark);
template bool readDecimal(QStringView number, double *value, QChar mark);

namespace {

// Longer bare numbers are rare enough to take the general rules.
constexpr qsizetype longestBare = 64;

// Digits with at most one mark, through from_chars; kept out of the short numbers' path, which a
// long list takes a million times.
[[gnu::noinline]] bool readLongDecimal(QStringView number, float *value, QChar mark)
{
    char ascii[longestBare];
    if (number.size() > longestBare)
        return false;
    for (qsizetype i = 0; i < number.size(); ++i)
        ascii[i] = number[i] == mark ? '.' : char(number[i].unicode());
    const auto [stop, error] = std::from_chars(ascii, ascii + number.size(), *value);
    return error == std::errc() && stop == ascii + number.size();
}

} // namespace

// With at most 15 digits both the digits and the power of ten are exact doubles, so the one
// division gives the double nearest the number. Rounding that double to float gives the float
// nearest the number too, unless the double lies exactly halfway between two floats: only there
// can the number lie on the other side of the tie. Those and longer numbers take from_chars.
bool readBareDecimal(QStringView entry, float *value, QChar mark)
{
    constexpr int mostDigits = 15;
    static constexpr double powersOfTen[mostDigits + 1]
        = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    // The 29 bits a double holds below a float's last bit, at a tie.
    constexpr quint64 belowFloat = (quint64(1) << 29) - 1;
    constexpr quint64 floatTie = quint64(1) << 28;
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
    const char16_t *const start = c;
    quint64 digits = 0;
    int count = 0;
    int fraction = 0;
    for (; c != end && isDigit(*c); ++c, ++count)
        digits = digits * 10 + (*c - u'0');
    if (c != end && *c == mark) {
        ++c;
        // "12." and "12. 5" take the general rules: the second is a numbered line.
        if (c == end || !isDigit(*c))
            return false;
        for (; c != end && isDigit(*c); ++c, ++count, ++fraction)
            digits = digits * 10 + (*c - u'0');
    }
    const qsizetype length = c - start;
    while (c != end && isBlank(*c))
        ++c;
    if (c != end || length > longestBare)
        return false;
    if (count <= mostDigits) {
        const double nearest = double(digits) / powersOfTen[fraction];
        if ((std::bit_cast<quint64>(nearest) & belowFloat) != floatTie) {
            *value = float(nearest);
            return true;
        }
    }
    return readLongDecimal(QStringView(start, length), value, mark);
}

bool readClockTime(QStringView entry, float *seconds)
{
    double total = 0.0;
    if (!readClock(entry, &total))
        return false;
    *seconds = float(total);
    return std::isfinite(*seconds);
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
    const QChar mark = rules.decimalComma ? u',' : u'.';
    const bool addsTwo = plus && rules.plus == Plus::AddsTwo;
    // A time as written is read straight to the float nearest it; a clock time or a time plus
    // two seconds is a sum, formed in double first.
    if (!number.contains(u':') && !addsTwo) {
        if (!isPlainDecimal(number, mark) || !readDecimal(number, seconds, mark))
            return Solve::None;
        return Solve::Time;
    }
    double value = 0.0;
    if (number.contains(u':') ? !readClock(number, &value, mark)
                              : !isPlainDecimal(number, mark) || !readDecimal(number, &value, mark))
        return Solve::None;
    if (addsTwo)
        value += 2.0;
    *seconds = float(value);
    return std::isfinite(*seconds) ? Solve::Time : Solve::None;
}

void addSolve(ParsedTimes &parsed, Solve solve, float seconds)
{
    if (solve == Solve::Dnf)
        ++parsed.dnfSkipped;
    else if (solve == Solve::Time && seconds >= shortestTime && std::isfinite(seconds))
        parsed.times.append(seconds);
    else
        ++parsed.notRead;
}

void addSeconds(ParsedTimes &parsed, double seconds)
{
    addSolve(parsed, Solve::Time, float(seconds));
}

void addEntry(ParsedTimes &parsed, QStringView entry, TokenRules rules)
{
    float seconds = 0;
    const Solve solve = readSolve(entry, &seconds, rules);
    if (solve != Solve::None || !entry.trimmed().isEmpty())
        addSolve(parsed, solve, seconds);
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

void readList(ParsedTimes &parsed, QStringView list, QChar separator, TokenRules rules)
{
    qsizetype start = 0;
    CommentScanner comments;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list[i];
        if (!comments.inComment(c) && (c == separator || c == u'\n')) {
            addEntry(parsed, list.sliced(start, i - start), rules);
            start = i + 1;
        }
    }
    addEntry(parsed, list.sliced(start), rules);
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
