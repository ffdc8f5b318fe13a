#include "data/dialogtext.h"
#include "data/readerkit.h"
#include "data/timereaders.h"

#include <QCoreApplication>
#include <QString>
#include <QVarLengthArray>

using namespace ReaderKit;

namespace {

// What a spreadsheet puts between cells, in the order they are tried: a copy gives tabs, a
// European CSV semicolons, any other CSV commas.
constexpr char16_t separators[] = {u'\t', u';', u','};
constexpr char16_t noSeparator = 0;
constexpr char16_t blanks = u' ';

// Column headings that name the solve time, in the languages csTimer speaks, lower case.
const QStringView timeHeadings[] = {
    u"time",  u"times", u"zeit",    u"zeiten",    u"tiempo", u"tiempos", u"temps",      u"temp",
    u"tempo", u"tempi", u"tempos",  u"czas",      u"czasy",  u"время",   u"час",        u"时间",
    u"時間",  u"成绩",  u"成績",    u"タイム",    u"시간",   u"기록",    u"זמן",        u"זמנים",
    u"tid",   u"tider", u"tijd",    u"tijden",    u"čas",    u"časy",    u"idő",        u"vrijeme",
    u"vreme", u"süre",  u"süreler", u"thời gian", u"single", u"singolo", u"pojedyncze", u"один",
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Where the numbers of the text put their decimals: a digit, the mark and a digit, with no
// second mark in the same number (a date "13.05.2024" is no decimal).
bool hasDecimal(QStringView line, QChar mark)
{
    for (qsizetype i = 1; i + 1 < line.size(); ++i) {
        if (line[i] != mark || !isDigit(line[i - 1]) || !isDigit(line[i + 1]))
            continue;
        qsizetype end = i + 1;
        while (end < line.size() && isDigit(line[end]))
            ++end;
        qsizetype start = i - 1;
        while (start > 0 && isDigit(line[start - 1]))
            --start;
        const bool markAround
            = (end + 1 < line.size() && line[end] == mark && isDigit(line[end + 1]))
            || (start > 1 && line[start - 1] == mark && isDigit(line[start - 2]));
        if (!markAround)
            return true;
        i = end;
    }
    return false;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The cells of a row: between separators, or between runs of spaces and tabs.
class Cells
{
public:
    Cells(QStringView row, char16_t separator)
        : row(row)
        , separator(separator)
    { }
    bool next(QStringView &cell)
    {
        if (separator == blanks) {
            while (pos < row.size() && isBlank(row[pos]))
                ++pos;
            if (pos >= row.size())
                return false;
            const qsizetype start = pos;
            while (pos < row.size() && !isBlank(row[pos]))
                ++pos;
            cell = row.sliced(start, pos - start);
            return true;
        }
        if (pos > row.size())
            return false;
        qsizetype end = separator == noSeparator ? -1 : row.indexOf(QChar(separator), pos);
        if (end < 0)
            end = row.size();
        cell = row.sliced(pos, end - pos);
        pos = end + 1;
        return true;
    }

private:
    QStringView row;
    char16_t separator;
    qsizetype pos = 0;
};

// The non-blank lines of a text.
class Rows
{
public:
    explicit Rows(QStringView text)
        : lines(text)
    { }
    bool next(QStringView &row)
    {
        while (lines.next(row)) {
            row = row.trimmed();
            if (!row.isEmpty())
                return true;
        }
        return false;
    }

private:
    Lines lines;
};

// "1)", "1.", "#1", "-" or "*" before the time of a list line.
QStringView withoutListMark(QStringView cell)
{
    qsizetype i = 0;
    if (cell.startsWith(u'-') || cell.startsWith(u'*')) {
        i = 1;
    } else {
        const bool hash = cell.startsWith(u'#');
        i = hash ? 1 : 0;
        const qsizetype digits = i;
        while (i < cell.size() && isDigit(cell[i]))
            ++i;
        if (i == digits)
            return cell;
        if (!hash) {
            if (i >= cell.size() || (cell[i] != u')' && cell[i] != u'.'))
                return cell;
            ++i;
        }
    }
    // "1.5" is a time, "1. 5" a numbered one; "1)5" can only be numbered.
    if (i < cell.size() && !cell[i].isSpace() && cell[i - 1] != u')')
        return cell;
    const QStringView rest = cell.sliced(i).trimmed();
    return rest.isEmpty() ? cell : rest;
}

// A unit after the time: "12.34s", "12.34 sec".
QStringView withoutUnit(QStringView cell)
{
    for (QStringView unit : {QStringView(u"sec"), QStringView(u"s")}) {
        if (cell.size() > unit.size() && cell.endsWith(unit, Qt::CaseInsensitive)) {
            const QChar before = cell[cell.size() - unit.size() - 1];
            if (isDigit(before) || before == u')' || before == u'+' || before.isSpace())
                return cell.chopped(unit.size()).trimmed();
        }
    }
    return cell;
}

struct CellReading
{
    bool empty = true;
    Solve solve = Solve::None;
    float seconds = 0;
    // Written h:mm or h:mm:ss without a fraction, as a time of day is.
    bool clockLike = false;
    // A whole number, perhaps a solve number.
    bool whole = false;
    qint64 number = 0;
};

CellReading readCell(QStringView cell, bool decimalComma, bool listMarks)
{
    CellReading reading;
    cell = cell.trimmed();
    if (cell.size() >= 2 && cell.startsWith(u'"') && cell.endsWith(u'"'))
        cell = cell.sliced(1, cell.size() - 2).trimmed();
    if (listMarks)
        cell = withoutListMark(cell);
    cell = withoutUnit(cell);
    if (cell.isEmpty())
        return reading;
    reading.empty = false;
    // Anything but the characters of a time (a letter, a date's "-" or "/", a space inside)
    // makes the cell no time; readSolve alone would stop at the space and read "7:04 PM".
    bool fraction = false;
    bool colon = false;
    bool whole = false;
    if (!cell.startsWith(u"DNF") && !cell.startsWith(u"(DNF")) {
        whole = true;
        for (QChar c : cell) {
            const bool decimal = c == u'.' || (decimalComma && c == u',');
            if (!isDigit(c) && !decimal && c != u':' && c != u'+' && c != u'(' && c != u')')
                return reading;
            fraction = fraction || decimal;
            colon = colon || c == u':';
            whole = whole && isDigit(c);
        }
    }
    reading.solve = readBareDecimal(cell, &reading.seconds)
            || (decimalComma && readBareDecimal(cell, &reading.seconds, u','))
        ? Solve::Time
        : readSolve(cell, &reading.seconds, {Plus::Included, decimalComma});
    reading.clockLike = colon && !fraction;
    reading.whole = whole && cell.size() <= 18;
    if (reading.whole)
        reading.number = cell.toLongLong();
    return reading;
}

bool namesTheTime(QStringView heading)
{
    // "Time (s)", "Zeit:", "Solve time": the words of the heading before any sign or unit.
    qsizetype end = 0;
    while (end < heading.size() && (heading[end].isLetter() || heading[end] == u' '))
        ++end;
    const QString words = heading.first(end).trimmed().toString().toLower();
    const QStringView lastWord = QStringView(words).sliced(words.lastIndexOf(u' ') + 1);
    for (QStringView name : timeHeadings) {
        if (words == name || lastWord == name)
            return true;
    }
    return false;
}

struct Column
{
    qsizetype times = 0;
    qsizetype others = 0;
    qsizetype clockLike = 0;
    // 1, 2, 3, ... (or counting down): a solve number, never a time.
    bool running = true;
    bool hasNumber = false;
    qint64 lastNumber = 0;
    qint64 step = 0;

    void add(const CellReading &reading)
    {
        if (reading.empty)
            return;
        if (reading.solve == Solve::None) {
            ++others;
            running = false;
            return;
        }
        if (reading.solve == Solve::Time)
            ++times;
        if (reading.clockLike)
            ++clockLike;
        if (!reading.whole) {
            running = false;
            return;
        }
        const qint64 change = reading.number - lastNumber;
        if (hasNumber && !((change == 1 || change == -1) && (step == 0 || step == change)))
            running = false;
        if (hasNumber)
            step = change;
        hasNumber = true;
        lastNumber = reading.number;
    }

    // A date or a clock time of day in a cell is no time; neither is a solve number.
    bool holdsTimes(qsizetype rows) const
    {
        return times > 0 && others == 0 && clockLike < times && !(running && rows > 1);
    }
};

} // namespace

namespace TimeReaders {

std::optional<ParsedTimes> readTable(QStringView text)
{
    // The first pass finds the separator: the first one on every row (a title above the table
    // may lack it) and whether the numbers write their decimals with a comma.
    qsizetype rowCount = 0;
    qsizetype withSeparator[std::size(separators)] = {};
    bool firstHas[std::size(separators)] = {};
    bool pointDecimals = false;
    bool commaDecimals = false;
    // Rows whose one comma stands between digits, "12,34".
    qsizetype decimalCommaRows = 0;
    {
        Rows rows(text);
        QStringView row;
        while (rows.next(row)) {
            for (std::size_t i = 0; i < std::size(separators); ++i) {
                const bool has = row.contains(QChar(separators[i]));
                withSeparator[i] += has;
                if (rowCount == 0)
                    firstHas[i] = has;
            }
            pointDecimals = pointDecimals || hasDecimal(row, u'.');
            const bool commaDecimal = hasDecimal(row, u',');
            commaDecimals = commaDecimals || commaDecimal;
            decimalCommaRows += commaDecimal && row.count(u',') == 1;
            ++rowCount;
        }
    }
    if (rowCount == 0)
        return std::nullopt;
    const bool decimalComma = commaDecimals && !pointDecimals;

    char16_t separator = rowCount == 1 ? blanks : noSeparator;
    bool skipTitle = false;
    for (std::size_t i = 0; i < std::size(separators); ++i) {
        // On a single row tabs separate times as spaces do.
        if (rowCount == 1 && separators[i] != u';')
            continue;
        const qsizetype needed = rowCount > 1 && !firstHas[i] ? rowCount - 1 : rowCount;
        // "12,34" on every row is one column of decimal commas, not two columns.
        if (separators[i] == u',' && decimalComma && decimalCommaRows == needed)
            continue;
        if (withSeparator[i] == needed && needed > 0) {
            separator = separators[i];
            skipTitle = needed < rowCount;
            break;
        }
    }
    const bool listMarks = separator == noSeparator;

    // The second pass takes a heading row and judges every column.
    QStringView heading;
    qsizetype namedColumn = -1;
    QVarLengthArray<Column, 8> columns;
    qsizetype dataRows = 0;
    {
        Rows rows(text);
        QStringView row;
        if (skipTitle)
            rows.next(row);
        bool first = true;
        while (rows.next(row)) {
            QVarLengthArray<CellReading, 8> readings;
            Cells cells(row, separator);
            QStringView cell;
            bool anySolve = false;
            bool anyLetter = false;
            while (cells.next(cell)) {
                readings.append(readCell(cell, decimalComma, listMarks));
                anySolve = anySolve || readings.last().solve != Solve::None;
                for (QChar c : cell)
                    anyLetter = anyLetter || c.isLetter();
            }
            if (first && !anySolve && anyLetter && separator != blanks) {
                heading = row;
                Cells names(row, separator);
                for (qsizetype i = 0; names.next(cell); ++i) {
                    if (namedColumn < 0 && namesTheTime(cell.trimmed()))
                        namedColumn = i;
                }
                first = false;
                continue;
            }
            first = false;
            ++dataRows;
            if (columns.size() < readings.size())
                columns.resize(readings.size());
            for (qsizetype i = 0; i < readings.size(); ++i)
                columns[i].add(readings[i]);
        }
    }

    // One row is a list across: every cell is an entry.
    const bool across = dataRows == 1;
    qsizetype chosen = -1;
    if (namedColumn >= 0 && namedColumn < columns.size() && columns[namedColumn].times > 0)
        chosen = namedColumn;
    // A plain column takes the lines that read, as the plain lines do.
    if (listMarks && !columns.isEmpty() && columns[0].times > 0)
        chosen = 0;
    for (qsizetype i = columns.size() - 1; chosen < 0 && !across && i >= 0; --i) {
        if (columns[i].holdsTimes(dataRows))
            chosen = i;
    }
    if (chosen < 0 && !across)
        return std::nullopt;

    ParsedTimes parsed;
    Rows rows(text);
    QStringView row;
    if (skipTitle)
        rows.next(row);
    if (!heading.isNull())
        rows.next(row);
    while (rows.next(row)) {
        Cells cells(row, separator);
        QStringView cell;
        for (qsizetype i = 0; cells.next(cell); ++i) {
            if (across || i == chosen) {
                const CellReading reading = readCell(cell, decimalComma, listMarks);
                addSolve(parsed, reading.solve, reading.seconds);
            }
        }
    }
    if (parsed.times.isEmpty())
        return std::nullopt;
    if (columns.size() > 1 && !across) {
        QStringView name;
        Cells names(heading, separator);
        for (qsizetype i = 0; !heading.isNull() && names.next(name); ++i) {
            if (i == chosen)
                break;
            name = {};
        }
        name = name.trimmed();
        parsed.format = name.isEmpty()
            ? DialogText::tr("a table (column %1)").arg(chosen + 1)
            : DialogText::tr("a table (column \"%1\")").arg(noteName(name.toString()));
    }
    return parsed;
}

} // namespace TimeReaders
