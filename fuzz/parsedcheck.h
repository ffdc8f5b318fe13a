#pragma once

// What the reading of any text must give, whichever timer's reader takes it: finite times, at most
// one time, DNF or entry not read per entry, a summary only when times were read (or a backup has
// no solve to read), and a summary
// short enough for a note whatever names the text holds.

#include "data/timereaders.h"

#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>

inline void checkParsed(const QString &text)
{
    const ParsedTimes parsed = TimeReaders::read(text);
    const TimeList &times = parsed.times;

    // Entries are split at commas, semicolons (DCTimer) and line ends, and on a single line at
    // spaces and tabs; nothing can yield more solves than that. JSON solves hold commas too.
    const qsizetype entries = text.count(u',') + text.count(u';') + text.count(u'\n')
        + text.count(u'\r') + text.count(u' ') + text.count(u'\t') + 1;
    if (parsed.dnfSkipped < 0 || parsed.notRead < 0
        || times.size() + parsed.dnfSkipped + parsed.notRead > entries) {
        std::fprintf(stderr, "%lld times, %lld DNF and %lld not read from at most %lld entries\n",
                     static_cast<long long>(times.size()),
                     static_cast<long long>(parsed.dnfSkipped),
                     static_cast<long long>(parsed.notRead), static_cast<long long>(entries));
        std::abort();
    }
    const QString summary = parsed.summary();
    if (summary.isEmpty() != (times.isEmpty() && !parsed.noSolves && !parsed.unreadable)
        || summary.size() > 200) {
        std::fprintf(stderr, "summary \"%s\" for %lld times\n", qPrintable(summary),
                     static_cast<long long>(times.size()));
        std::abort();
    }
    for (float time : times) {
        if (!std::isfinite(time)) {
            std::fprintf(stderr, "non-finite time %g accepted\n", double(time));
            std::abort();
        }
    }
}
