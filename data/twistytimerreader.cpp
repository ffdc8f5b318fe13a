#include "data/readerkit.h"
#include "data/timereaders.h"

#include <QDateTime>
#include <QHash>
#include <QtNumeric>

using namespace ReaderKit;

namespace {

const QString twistyTimer = QStringLiteral("Twisty Timer");

// The fields of a backup line "333";"Normal";"14520";...: no escaping, so a comment may hold
// anything; only the fields before it are split off.
QList<QStringView> backupFields(QStringView line, qsizetype wanted)
{
    QList<QStringView> fields;
    if (!line.startsWith(u'"'))
        return fields;
    qsizetype start = 1;
    while (fields.size() < wanted) {
        const qsizetype end = line.indexOf(u"\";\"", start);
        if (end < 0) {
            fields.append(line.sliced(start).chopped(line.endsWith(u'"') ? 1 : 0));
            break;
        }
        fields.append(line.sliced(start, end - start));
        start = end + 3;
    }
    return fields;
}

// The fields of an external line "1:11.90";"<scramble>";"<date>";"DNF", where Twisty's own
// importer also takes spaces after the semicolons.
QList<QStringView> externalFields(QStringView line)
{
    QList<QStringView> fields;
    for (QStringView field : line.tokenize(u';')) {
        field = field.trimmed();
        if (field.size() >= 2 && field.startsWith(u'"') && field.endsWith(u'"'))
            field = field.sliced(1, field.size() - 2);
        fields.append(field);
    }
    return fields;
}

// "12.34", "1:11.90", and past an hour "1h 2:03.45".
Solve readExternalTime(QStringView time, float *seconds)
{
    const qsizetype hours = time.indexOf(u"h ");
    const TimeToken token = readTime(hours < 0 ? time : time.sliced(hours + 2));
    double wholeHours = 0;
    if (hours >= 0
        && (token.solve != Solve::Time || !isDigits(time.first(hours))
            || !toNumber(time.first(hours), &wholeHours) || wholeHours < 0))
        return Solve::None;
    *seconds = float(wholeHours * 3600.0 + double(token.seconds));
    return token.solve;
}

SessionSet readTwistyBackup(QStringView text)
{
    // Puzzle and category make a session; the one holding the newest solve is read at first.
    SessionSet set;
    set.format = twistyTimer;
    QHash<QString, qsizetype> byName;
    Lines lines(text);
    QStringView line;
    lines.next(line);
    while (lines.next(line)) {
        const QList<QStringView> fields = backupFields(line, 6);
        if (fields.size() < 6)
            continue;
        // Penalty 0 none, 1 +2 (already in the time), 2 DNF, 10 a placeholder row.
        const QStringView penalty = fields[5];
        if (penalty != u"0" && penalty != u"1" && penalty != u"2")
            continue;
        const QString name = fields[0] + u' ' + fields[1];
        auto found = byName.constFind(name);
        if (found == byName.cend()) {
            found = byName.insert(name, set.sessions.size());
            set.sessions.append(Session {name, {}, {}});
        }
        Session &session = set.sessions[*found];
        bool dated = false;
        const qint64 date = fields[3].toLongLong(&dated);
        const qint64 start = dated && date > 0 ? date : Session::noDate;
        bool ok = false;
        const qint64 millis = fields[2].toLongLong(&ok);
        if (penalty == u"2")
            addSolve(session, Solve::Dnf, 0, start);
        else
            addSeconds(session, ok ? double(millis) / 1000.0 : qQNaN(), start);
    }
    set.pickNewest();
    return set;
}

} // namespace

namespace TimeReaders {

std::optional<SessionSet> readTwistyTimer(QStringView text)
{
    const QStringView first = firstLine(text);
    if (first.startsWith(u"Puzzle,Category,Time(millis),Date(millis),Scramble,Penalty,Comment")
        || first.startsWith(u"\"Puzzle\";\"Category\";\"Time(millis)\";\"Date(millis)\""))
        return readTwistyBackup(text);

    // The export "for other timers": one quoted time, scramble and date a line, no header.
    const QList<QStringView> fields = externalFields(first);
    float seconds = 0;
    if (!first.startsWith(u'"') || fields.size() < 2 || fields.size() > 4
        || readExternalTime(fields[0], &seconds) != Solve::Time)
        return std::nullopt;
    Session session;
    Lines lines(text);
    QStringView line;
    while (lines.next(line)) {
        if (line.trimmed().isEmpty())
            continue;
        const QList<QStringView> solve = externalFields(line);
        // "2024-05-01T15:02:11.123+02:00"
        const QDateTime date = solve.size() >= 3
            ? QDateTime::fromString(solve[2].toString(), Qt::ISODateWithMs)
            : QDateTime();
        const qint64 start = date.isValid() ? date.toMSecsSinceEpoch() : Session::noDate;
        if (solve.size() >= 4 && solve[3] == u"DNF")
            addSolve(session, Solve::Dnf, 0, start);
        else if (readExternalTime(solve.value(0), &seconds) == Solve::Time)
            addSolve(session, Solve::Time, seconds, start);
        else
            addSolve(session, Solve::None, 0, start);
    }
    return oneSession(twistyTimer, std::move(session));
}

} // namespace TimeReaders
