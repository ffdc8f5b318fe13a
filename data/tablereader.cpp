#include "data/dialogtext.h"
#include "data/readerkit.h"
#include "data/timereaders.h"

#include <QCoreApplication>
#include <QString>
#include <QVarLengthArray>

#include <algorithm>
#include <functional>
#include <limits>

using namespace ReaderKit;

namespace {

// What a spreadsheet puts between cells, in the order they are tried: a copy gives tabs, a
// European CSV semicolons, any other CSV commas. A single row may be split by blanks instead.
constexpr char16_t separators[] = {u'\t', u';', u','};
constexpr char16_t blanks = u' ';
// Rows of a solve number, a time and the rest, lined up with blanks.
constexpr char16_t aligned = u'\v';
constexpr qsizetype alignedCells = 3;

// Column headings that name the solve time, in the languages csTimer speaks, lower case.
const QStringView timeHeadings[] = {
    u"time",  u"times", u"zeit",    u"zeiten",    u"tiempo", u"tiempos", u"temps",      u"temp",
    u"tempo", u"tempi", u"tempos",  u"czas",      u"czasy",  u"время",   u"час",        u"时间",
    u"時間",  u"成绩",  u"成績",    u"タイム",    u"시간",   u"기록",    u"זמן",        u"זמנים",
    u"tid",   u"tider", u"tijd",    u"tijden",    u"čas",    u"časy",    u"idő",        u"vrijeme",
    u"vreme", u"süre",  u"süreler", u"thời gian", u"single", u"singolo", u"pojedyncze", u"один",
};

// A cell that holds nothing; no time reads as infinite, so it stands apart from every reading.
constexpr float blankCell = std::numeric_limits<float>::infinity();

// The next row that is not blank. Spaces around a row go, a tab stays: it may end an empty cell.
bool nextRow(Lines &lines, QStringView &row)
{
    while (lines.next(row)) {
        while (!row.isEmpty() && row.front().isSpace() && row.front() != u'\t')
            row = row.sliced(1);
        while (!row.isEmpty() && row.back().isSpace() && row.back() != u'\t')
            row.chop(1);
        if (!withoutInvisibleEnds(row).isEmpty())
            return true;
    }
    return false;
}

// Calls `take` with each cell of a row: between separators, or between runs of blanks. Columns
// lined up with blanks end in a last cell that holds the rest of the row, a scramble or a comment.
template<typename Take> void forEachCell(QStringView row, char16_t separator, Take take)
{
    if (separator == aligned) {
        qsizetype i = 0;
        const qsizetype n = row.size();
        for (qsizetype cells = 0; cells < alignedCells; ++cells) {
            while (i < n && isBlank(row[i]))
                ++i;
            if (i == n)
                return;
            qsizetype end = cells + 1 == alignedCells ? n : i;
            while (end < n && !isBlank(row[end]))
                ++end;
            take(row.sliced(i, end - i));
            i = end;
        }
        return;
    }
    if (separator != blanks) {
        for (QStringView cell : row.tokenize(QChar(separator)))
            take(cell);
        return;
    }
    for (QStringView piece : row.tokenize(u' ', Qt::SkipEmptyParts)) {
        for (QStringView cell : piece.tokenize(u'\t', Qt::SkipEmptyParts))
            take(cell);
    }
}

QVarLengthArray<QStringView, 8> cellsOf(QStringView row, char16_t separator)
{
    QVarLengthArray<QStringView, 8> cells;
    forEachCell(row, separator, [&](QStringView cell) { cells.append(cell); });
    return cells;
}

TimeToken readCell(QStringView cell)
{
    cell = withoutInvisibleEnds(cell);
    if (cell.size() >= 2 && cell.startsWith(u'"') && cell.endsWith(u'"'))
        cell = cell.sliced(1, cell.size() - 2);
    // Each column is judged by its own cells, so a comma between digits is a decimal comma.
    return readTime(cell, {.decimalComma = true, .entryOnly = true});
}

struct Layout
{
    char16_t separator = 0;
    // A title above the table, the one row without the separator.
    bool skipTitle = false;
    qsizetype rows = 0;
};

// The separator on every row (on all but the first, which may be a title); a single row is
// split by semicolons, or by blanks and tabs alike.
Layout findLayout(QStringView text)
{
    Layout layout;
    qsizetype withSeparator[std::size(separators)] = {};
    bool firstHas[std::size(separators)] = {};
    qsizetype decimalCommaRows = 0;
    // The rows within the head tell the layout, as the head tells a timer's format; a row the
    // head cuts is left out.
    QStringView sample = head(text);
    if (sample.size() < text.size()) {
        // A heading longer than the head is looked at whole, with the head's worth of rows
        // after it.
        qsizetype firstEnd = text.indexOf(u'\n');
        if (firstEnd >= sample.size())
            sample = text.first(std::min(text.size(), firstEnd + 1 + sample.size()));
        if (sample.size() < text.size() && sample.contains(u'\n'))
            sample = sample.first(sample.lastIndexOf(u'\n'));
    }
    Lines rows(sample);
    QStringView row;
    while (nextRow(rows, row)) {
        bool has[std::size(separators)] = {};
        for (QChar c : row) {
            for (std::size_t i = 0; i < std::size(separators); ++i)
                has[i] = has[i] || c == separators[i];
        }
        // Past the first row, one without any separator leaves no column to find.
        if (layout.rows > 0 && !std::any_of(std::begin(has), std::end(has), std::identity()))
            return {};
        for (std::size_t i = 0; i < std::size(separators); ++i) {
            withSeparator[i] += has[i];
            firstHas[i] = layout.rows == 0 ? has[i] : firstHas[i];
        }
        // "12,34" on every row is one column of decimal commas, not two columns.
        decimalCommaRows += has[2] && isDecimalComma(row);
        ++layout.rows;
    }
    if (layout.rows == 1) {
        layout.separator = withSeparator[1] > 0 ? u';' : blanks;
        return layout;
    }
    for (std::size_t i = 0; i < std::size(separators); ++i) {
        const qsizetype needed = firstHas[i] ? layout.rows : layout.rows - 1;
        if (separators[i] == u',' && decimalCommaRows >= needed)
            continue;
        if (withSeparator[i] == needed && needed > 0) {
            layout.separator = separators[i];
            layout.skipTitle = needed < layout.rows;
            return layout;
        }
    }
    return layout;
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

float cellValue(const TimeToken &token)
{
    return token.why == NotTime::Blank ? blankCell
        : token.solve == Solve::Time   ? token.seconds
        : token.solve == Solve::Dnf    ? Session::dnf
                                       : Session::notRead;
}

// A cell's reading into a session. A blank cell of the time column costs that row; a blank
// between a row's times is none.
void addCell(Session &session, float cell, bool timeColumn)
{
    if (cell == blankCell && timeColumn)
        session.add(Session::notRead);
    else if (cell != blankCell)
        addSolve(session, cell == Session::dnf ? Solve::Dnf : Solve::Time, cell);
}

struct Column
{
    qsizetype times = 0;
    qsizetype others = 0;
    qsizetype clockLike = 0;
    // 1, 2, 3, ... (or counting down): a solve number, never a time.
    bool running = true;
    bool hasNumber = false;
    float lastNumber = 0;
    float step = 0;
    // The reading of each data row that reaches this column: a time, Session::dnf,
    // Session::notRead or blankCell. A wide row costs only itself.
    TimeList cells;

    void add(const TimeToken &token)
    {
        cells.append(cellValue(token));
        if (token.why == NotTime::Blank)
            return;
        // A dash or a word between solve numbers leaves them solve numbers.
        if (token.solve == Solve::None) {
            ++others;
            return;
        }
        times += token.solve == Solve::Time;
        clockLike += token.clockLike;
        if (!token.digitsOnly) {
            running = false;
            return;
        }
        const float change = token.seconds - lastNumber;
        running = running && (!hasNumber || ((change == 1 || change == -1) && step != -change));
        step = hasNumber ? change : 0;
        hasNumber = true;
        lastNumber = token.seconds;
    }

    // Mostly times, and not a solve number; a clock time of day is no time.
    bool holdsTimes(qsizetype rows) const
    {
        return times > others && clockLike < times && !(running && rows > 1);
    }
};

struct Table
{
    Layout layout;
    QStringView heading;
    qsizetype namedColumn = -1;
    qsizetype dataRows = 0;
    // The cells of each data row: a row of n cells reaches the first n columns.
    QList<qsizetype> widths;
    QVarLengthArray<Column, 8> columns;
};

// The first row is a heading when it holds words and no time.
bool isHeading(QStringView row, char16_t separator)
{
    if (separator == blanks)
        return false;
    bool letter = false;
    for (QStringView cell : cellsOf(row, separator)) {
        if (readCell(cell).solve != Solve::None)
            return false;
        letter
            = letter || std::any_of(cell.begin(), cell.end(), [](QChar c) { return c.isLetter(); });
    }
    return letter;
}

// Reads every cell once, column by column, and the heading's name for the time.
Table readColumns(QStringView text, const Layout &layout)
{
    Table table;
    table.layout = layout;
    Lines rows(text);
    QStringView row;
    if (layout.skipTitle)
        nextRow(rows, row);
    while (nextRow(rows, row)) {
        if (table.dataRows == 0 && table.heading.isNull() && isHeading(row, layout.separator)) {
            table.heading = row;
            const auto names = cellsOf(row, layout.separator);
            const auto named = std::find_if(names.begin(), names.end(), namesTheTime);
            table.namedColumn = named == names.end() ? -1 : named - names.begin();
            continue;
        }
        qsizetype i = 0;
        forEachCell(row, layout.separator, [&](QStringView cell) {
            if (i == table.columns.size())
                table.columns.append(Column {});
            table.columns[i++].add(readCell(cell));
        });
        table.widths.append(i);
        ++table.dataRows;
    }
    return table;
}

// The column read; -1 reads every cell row by row, as a list; none leaves the text to the lists.
std::optional<qsizetype> chooseColumn(const Table &table)
{
    const auto &columns = table.columns;
    const qsizetype named = table.namedColumn;
    if (named >= 0 && named < columns.size() && columns[named].holdsTimes(table.dataRows))
        return named;
    // One row is a list across.
    if (table.dataRows == 1)
        return -1;
    qsizetype timeColumns = 0;
    qsizetype last = -1;
    bool other = false;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns[i].holdsTimes(table.dataRows)) {
            ++timeColumns;
            last = i;
        } else {
            other = other || columns[i].times + columns[i].others > 0;
        }
    }
    if (last < 0)
        return std::nullopt;
    // Times in every column, with no heading over them, are a list written in rows.
    return timeColumns > 1 && !other && table.heading.isNull() ? -1 : last;
}

Session readCells(const Table &table, qsizetype chosen)
{
    Session session;
    if (chosen >= 0) {
        const TimeList &cells = table.columns[chosen].cells;
        qsizetype next = 0;
        for (qsizetype width : table.widths)
            addCell(session, width > chosen ? cells[next++] : blankCell, true);
        return session;
    }
    QList<qsizetype> next(table.columns.size(), 0);
    for (qsizetype width : table.widths) {
        for (qsizetype i = 0; i < width; ++i)
            addCell(session, table.columns[i].cells[next[i]++], false);
    }
    return session;
}

// A text of one row is a list across, read as it goes: a line of a million times is no table
// of a million columns.
std::optional<Session> readOneRow(QStringView text, char16_t separator)
{
    const QStringView row = withoutInvisibleEnds(text);
    if (row.contains(u'\n'))
        return std::nullopt;
    Session session;
    forEachCell(row, separator,
                [&](QStringView cell) { addCell(session, cellValue(readCell(cell)), false); });
    return session;
}

// Lined up with blanks, rows are a table only where the first column counts the solves.
bool countsTheSolves(const Table &table, qsizetype chosen)
{
    return table.columns.size() > 1 && chosen > 0 && table.dataRows > 1 && table.columns[0].running
        && table.columns[0].hasNumber;
}

// Which column was read: its heading, or its number.
QString columnNote(const Table &table, qsizetype chosen)
{
    if (chosen < 0 || table.columns.size() < 2)
        return {};
    const auto names = cellsOf(table.heading, table.layout.separator);
    const QStringView name = chosen < names.size() ? names[chosen].trimmed() : QStringView();
    return name.isEmpty()
        ? DialogText::tr("a table (column %1)").arg(chosen + 1)
        : DialogText::tr("a table (column \"%1\")").arg(noteName(name.toString()));
}

} // namespace

namespace TimeReaders {

std::optional<SessionSet> readTable(QStringView text)
{
    Layout layout = findLayout(text);
    if (layout.rows == 1) {
        if (std::optional<Session> row = readOneRow(text, layout.separator))
            return holdsTime(*row) ? std::optional(oneSession({}, std::move(*row))) : std::nullopt;
    }
    if (layout.separator == 0) {
        // Lined up with blanks, perhaps: the rows within the head tell, as they tell a layout.
        layout = {aligned, false, 0};
        QStringView sample = head(text);
        if (sample.size() < text.size())
            sample = sample.first(std::max<qsizetype>(0, sample.lastIndexOf(u'\n')));
        const Table probe = readColumns(sample, layout);
        const std::optional<qsizetype> chosen = chooseColumn(probe);
        if (!chosen || !countsTheSolves(probe, *chosen))
            return std::nullopt;
    }
    const Table table = readColumns(text, layout);
    const std::optional<qsizetype> chosen = chooseColumn(table);
    if (!chosen || (layout.separator == aligned && !countsTheSolves(table, *chosen)))
        return std::nullopt;
    Session session = readCells(table, *chosen);
    if (!holdsTime(session))
        return std::nullopt;
    return oneSession(columnNote(table, *chosen), std::move(session));
}

} // namespace TimeReaders
