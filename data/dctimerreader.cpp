#include "data/readerkit.h"
#include "data/timereaders.h"

#include <iterator>

using namespace ReaderKit;

namespace {

const QStringView markers[] = {u"Individual Times:", u"成绩列表：", u"成績列表："};

} // namespace

namespace TimeReaders {

std::optional<SessionSet> readDcTimer(QStringView text)
{
    const qsizetype listStart = afterMarkerLine(text, markers, std::size(markers));
    if (listStart < 0)
        return std::nullopt;
    const QString dcTimer = QStringLiteral("DCTimer");
    Session session;
    Lines lines(text, listStart);
    QStringView line;
    lines.next(line);
    const QStringView list = line.trimmed();
    if (!list.isEmpty()) {
        // The session copy puts every time on the marker line, "11.523, DNF (13.017)"; with
        // the decimal-comma option the times read "11,523" and "; " separates them.
        const bool decimalComma = list.contains(u"; ") || !list.contains(u", ");
        readList(session, list, decimalComma ? u';' : u',', {.decimalComma = decimalComma});
        return oneSession(dcTimer, std::move(session));
    }
    // The detailed copy: "1. 11.523[comment]  <scramble>" lines.
    while (lines.next(line)) {
        const QStringView entry = afterNumber(line);
        if (!entry.isNull())
            addEntry(session, entry, {.decimalComma = true});
    }
    return oneSession(dcTimer, std::move(session));
}

} // namespace TimeReaders
