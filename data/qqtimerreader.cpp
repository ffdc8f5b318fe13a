#include "data/readerkit.h"
#include "data/timereaders.h"

using namespace ReaderKit;

namespace TimeReaders {

std::optional<SessionSet> readQqTimer(QStringView text)
{
    const QStringView first = firstLine(text);
    const QString qqTimer = QStringLiteral("qqTimer");
    Session session;
    // The times pane: "times (reset, import):" over a comma list.
    const QStringView pane = u"times (reset, import):";
    if (first.startsWith(pane)) {
        readList(session, text.sliced(pane.size()));
        return oneSession(qqTimer, std::move(session));
    }
    // The average popup: "Average of 5: 12.81", then "1. 11.52 \u00A0 <scramble>" lines.
    const bool popup = first.startsWith(u"Average of ") || first.startsWith(u"Mean of ")
        || first.startsWith(u"Session average");
    Lines lines(text, first.size() + 1);
    QStringView line;
    if (!popup || !first.contains(u": ") || !lines.next(line) || !line.startsWith(u"1. "))
        return std::nullopt;
    do {
        const QStringView entry = afterNumber(line);
        if (!entry.isNull())
            addEntry(session, entry);
    } while (lines.next(line));
    return oneSession(qqTimer, std::move(session));
}

} // namespace TimeReaders
