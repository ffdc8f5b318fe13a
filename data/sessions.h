#pragma once

#include "data/parsedtimes.h"
#include "data/timelist.h"

#include <QDate>
#include <QList>
#include <QString>

#include <limits>

// One session of a timer's file, or the one list of any other text: every entry in solve order,
// so that any period of it can be read again without the text.
struct Session
{
    // What an entry that gave no time holds instead.
    static constexpr float dnf = -std::numeric_limits<float>::infinity();
    static constexpr float notRead = std::numeric_limits<float>::quiet_NaN();
    // A start the file does not give.
    static constexpr qint64 noDate = std::numeric_limits<qint64>::min();

    // As the timer shows it; empty where the text names no session.
    QString name;
    // A time in seconds, `dnf` or `notRead`, in solve order.
    TimeList entries;
    // Each entry's start in milliseconds since 1970 UTC, or `noDate`; empty where the format keeps
    // no dates.
    QList<qint64> starts;

    void add(float entry, qint64 start = noDate);
    // Times and DNFs: what the timer counts as solves.
    qsizetype solveCount() const;
    bool hasDates() const;
    // The local dates of the first and last solve; null without dates.
    QDate firstDate() const;
    QDate lastDate() const;
};

// The part of a session to chart: its solves within `from`..`to` (local dates, both included; a
// null date leaves that side open), then the last `lastSolves` of them when that is above 0.
struct Period
{
    qsizetype lastSolves = 0;
    QDate from;
    QDate to;

    bool isWhole() const { return lastSolves <= 0 && from.isNull() && to.isNull(); }
};

// Everything a text holds, and the session a paste reads unless the user chooses another.
struct SessionSet
{
    QString format;
    QList<Session> sessions;
    // The session a paste reads at first, and why: the newest solve's, the one the file names as
    // open, or the first.
    qsizetype current = 0;
    ParsedTimes::Pick why = ParsedTimes::Pick::Newest;
    // A text that starts as a backup does but is no complete JSON: nothing in it is read.
    bool unreadable = false;

    // Sessions that hold any entry: a timer's file lists its empty sessions too, but only the
    // others are worth asking about.
    qsizetype filledCount() const;

    // Makes `current` the session of the latest solve date, the first listed of those that share
    // it. Without any date it is the session the file names as open (`open`, -1 for none), else
    // the first; an empty session is never picked while another holds entries. The note says
    // which.
    void pickNewest(qsizetype open = -1);

    // The solves of one session within a period, with what the user is told about them.
    ParsedTimes choose(qsizetype session, const Period &period = {}) const;
    ParsedTimes chooseDefault() const { return choose(current); }
};
