#include "data/sessions.h"
#include "data/dialogtext.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace {

QDate localDate(qint64 start)
{
    return QDateTime::fromMSecsSinceEpoch(start).date();
}

qint64 startOfDay(QDate date)
{
    return date.startOfDay().toMSecsSinceEpoch();
}

bool isSolve(float entry)
{
    return !std::isnan(entry);
}

} // namespace

void Session::add(float entry, qint64 start)
{
    // Dates are kept from the first solve that has one, the ones before it standing without.
    const bool dated = start != noDate || !starts.isEmpty();
    if (dated && starts.size() < entries.size())
        starts.fill(noDate, entries.size());
    entries.append(entry);
    if (dated)
        starts.append(start);
}

qsizetype Session::solveCount() const
{
    return std::count_if(entries.cbegin(), entries.cend(), isSolve);
}

bool Session::hasDates() const
{
    return !starts.isEmpty();
}

QDate Session::firstDate() const
{
    qint64 first = std::numeric_limits<qint64>::max();
    for (qint64 start : starts) {
        if (start != noDate)
            first = std::min(first, start);
    }
    return hasDates() ? localDate(first) : QDate();
}

QDate Session::lastDate() const
{
    const qint64 last
        = starts.isEmpty() ? noDate : *std::max_element(starts.cbegin(), starts.cend());
    return last == noDate ? QDate() : localDate(last);
}

qsizetype SessionSet::filledCount() const
{
    return std::count_if(sessions.cbegin(), sessions.cend(),
                         [](const Session &session) { return !session.entries.isEmpty(); });
}

void SessionSet::pickNewest(qsizetype open)
{
    qint64 newest = Session::noDate;
    current = 0;
    for (qsizetype i = 0; i < sessions.size(); ++i) {
        const QList<qint64> &starts = sessions[i].starts;
        const qint64 last = starts.isEmpty() ? Session::noDate
                                             : *std::max_element(starts.cbegin(), starts.cend());
        if (last > newest) {
            newest = last;
            current = i;
        }
    }
    why = ParsedTimes::Pick::Newest;
    if (newest != Session::noDate)
        return;
    const bool named = open >= 0 && open < sessions.size() && !sessions[open].entries.isEmpty();
    const auto filled = std::find_if(sessions.cbegin(), sessions.cend(),
                                     [](const Session &s) { return !s.entries.isEmpty(); });
    current = named ? open : filled == sessions.cend() ? 0 : filled - sessions.cbegin();
    why = named ? ParsedTimes::Pick::Current : ParsedTimes::Pick::First;
}

ParsedTimes SessionSet::choose(qsizetype index, const Period &period) const
{
    ParsedTimes parsed;
    parsed.format = format;
    if (sessions.isEmpty()) {
        parsed.noSolves = !unreadable;
        parsed.unreadable = unreadable;
        return parsed;
    }
    index = std::clamp<qsizetype>(index, 0, sessions.size() - 1);
    const Session &session = sessions[index];
    parsed.session = session.name;
    if (const qsizetype filled = filledCount(); filled > 1) {
        parsed.sessionCount = int(filled);
        parsed.pick = index == current ? why : ParsedTimes::Pick::Chosen;
    }

    // Dates bound the period only where the solves have them; a solve without one is outside any
    // bound.
    const bool byDate = session.hasDates() && !(period.from.isNull() && period.to.isNull());
    const qint64 low = period.from.isNull() ? Session::noDate : startOfDay(period.from);
    const qint64 high = period.to.isNull() ? std::numeric_limits<qint64>::max()
                                           : startOfDay(period.to.addDays(1));
    const auto inDates = [&](qsizetype i) {
        const qint64 start = session.starts[i];
        return start != Session::noDate && start >= low && start < high;
    };
    const TimeList &entries = session.entries;
    qsizetype from = 0;
    if (period.lastSolves > 0) {
        qsizetype solves = 0;
        from = entries.size();
        while (from > 0 && solves < period.lastSolves) {
            --from;
            solves += isSolve(entries[from]) && (!byDate || inDates(from)) ? 1 : 0;
        }
    }
    for (qsizetype i = from; i < entries.size(); ++i) {
        if (byDate && !inDates(i))
            continue;
        const float entry = entries[i];
        if (std::isnan(entry))
            ++parsed.notRead;
        else if (entry == Session::dnf)
            ++parsed.dnfSkipped;
        else
            parsed.times.append(entry);
    }

    QStringList named;
    if (byDate) {
        const QDate first = period.from.isNull() ? session.firstDate() : period.from;
        const QDate last = period.to.isNull() ? session.lastDate() : period.to;
        named << DialogText::tr("%1 to %2")
                     .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate));
    }
    if (period.lastSolves > 0)
        named << DialogText::tr("the last %1").arg(period.lastSolves);
    parsed.period = named.join(QStringLiteral(", "));
    return parsed;
}
