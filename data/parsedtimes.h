#pragma once

#include "data/timelist.h"

#include <QString>

// What a paste or a dropped file gave: the times and what the user should be told about them.
struct ParsedTimes
{
    TimeList times;
    qsizetype dnfSkipped = 0;
    // Entries that held something but gave neither a time nor a DNF, so that nothing is dropped
    // unsaid: text that is no time, and in a timer's file a time no timer writes.
    qsizetype notRead = 0;
    // The timer format recognised ("csTimer", "Twisty Timer", ...); empty for a plain list.
    QString format;
    // The session read, where the text names one.
    QString session;
    // Sessions the text holds when it holds several.
    int sessionCount = 0;
    // Why this session of several: the user's choice, or the one a paste takes unasked.
    enum class Pick { Chosen, Newest, Current, First };
    Pick pick = Pick::Chosen;
    // The part of the session read, as the note names it; empty for all of it.
    QString period;
    // A backup recognised as such whose sessions hold no solve at all.
    bool noSolves = false;
    // A text that starts as a backup does but could not be read as one.
    bool unreadable = false;

    // One line for the user: "Read 1 234 times (12 DNF skipped, 2 not read) ...". Empty when
    // nothing was read, but for a backup without solves or one that could not be read, which say
    // so.
    QString summary() const;
};

// A name from a file as the user is shown it: cut to `longest` characters, the last of them "…";
// its own direction marks and overrides dropped and control characters shown as spaces, so that
// it can neither reorder nor break the text around it; and isolated (U+2068 … U+2069), so that a
// right-to-left name stays in one piece wherever it stands.
QString shownName(const QString &name, qsizetype longest);
// A name as a note shows it, cut to 60 characters, so that a note stays one short line.
QString noteName(const QString &name);

// A count as the notes, the chooser and the chart's key write it: in the user's locale, "1,234,567"
// in English.
QString groupedCount(qsizetype count);
// "1 time", "118 times".
QString timesCount(qsizetype count);
