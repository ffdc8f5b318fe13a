#pragma once

#include "data/parsedtimes.h"
#include "data/sessions.h"

#include <QStringView>

#include <optional>

// One reader per timer family. Each is given the pasted text with its line ends turned into line
// feeds and its byte order mark removed; it returns nothing when the text is not in its format,
// and otherwise what it read (possibly no times at all).
namespace TimeReaders {

// Any pasted or dropped text: every session it holds, each solve with its date where the format
// keeps one. The timers' formats are tried first, then a spreadsheet's columns, then the
// plain list, which gives one session.
SessionSet readSessions(QString text);
// The times a paste reads unasked: all solves of the session `readSessions` names as current.
ParsedTimes read(QString text);

std::optional<SessionSet> readCsTimerText(QStringView text);
std::optional<SessionSet> readCsTimerCsv(QStringView text);
// The backups in JSON: csTimer's, the same shape from CubeTime's "JSON (csTimer)" export, and
// CubeDesk's data export. A text that starts as one does but is no JSON gives an unreadable set.
std::optional<SessionSet> readBackup(QStringView text);
std::optional<SessionSet> readTwistyTimer(QStringView text);
std::optional<SessionSet> readCubeDesk(QStringView text);
std::optional<SessionSet> readCubeTime(QStringView text);
std::optional<SessionSet> readQqTimer(QStringView text);
std::optional<SessionSet> readDcTimer(QStringView text);
// Columns copied from a spreadsheet: rows that share a separator, each column judged by its cells.
std::optional<SessionSet> readTable(QStringView text);
// Any other text: each line read by what it holds (a list mark, a unit, a decimal comma, commas
// between times), with the one line of a text a comma-separated list.
Session readPlainList(QStringView text);

} // namespace TimeReaders
