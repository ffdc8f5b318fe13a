#pragma once

#include "data/parsedtimes.h"

#include <QStringView>

#include <optional>

// One reader per timer family. Each is given the pasted text with its line ends turned into line
// feeds and its byte order mark removed; it returns nothing when the text is not in its format,
// and otherwise what it read (possibly no times at all).
namespace TimeReaders {

// Any pasted or dropped text: the times in pasted order, and what the user is told about them.
// The timers' formats are tried first, then a spreadsheet's columns, then the plain-list rules.
ParsedTimes read(QString text);

std::optional<ParsedTimes> readCsTimerText(QStringView text);
std::optional<ParsedTimes> readCsTimerCsv(QStringView text);
// csTimer's backup file; CubeTime's "JSON (csTimer)" export has the same shape.
std::optional<ParsedTimes> readCsTimerBackup(QStringView text);
std::optional<ParsedTimes> readTwistyTimer(QStringView text);
std::optional<ParsedTimes> readCubeDesk(QStringView text);
std::optional<ParsedTimes> readCubeDeskData(QStringView text);
std::optional<ParsedTimes> readCubeTime(QStringView text);
std::optional<ParsedTimes> readQqTimer(QStringView text);
std::optional<ParsedTimes> readDcTimer(QStringView text);
// Columns copied from a spreadsheet, and lists with units, list marks or decimal commas. Tried
// only on text in which the plain-list rules find no time.
std::optional<ParsedTimes> readTable(QStringView text);

} // namespace TimeReaders
