// Any clipboard text, read as UTF-8, as Latin-1 and as raw UTF-16 (lone surrogates, NULs and
// every other code unit), must parse without a fault into finite times, at most one time or DNF
// per entry, whichever timer's reader takes it; the summary speaks only when times were read.

#include "app/timesdistributiondialog.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(const QString &text)
{
    const ParsedTimes parsed = TimesDistributionDialog::readTimeList(text);
    const TimeList &times = parsed.times;

    // Entries are split at commas, semicolons (DCTimer) and line ends, and on a single line at
    // spaces and tabs; nothing can yield more solves than that. JSON solves hold commas too.
    const qsizetype entries = text.count(u',') + text.count(u';') + text.count(u'\n')
        + text.count(u'\r') + text.count(u' ') + text.count(u'\t') + 1;
    if (parsed.dnfSkipped < 0 || times.size() + parsed.dnfSkipped > entries) {
        std::fprintf(stderr, "%lld times and %lld DNF from at most %lld entries\n",
                     static_cast<long long>(times.size()),
                     static_cast<long long>(parsed.dnfSkipped), static_cast<long long>(entries));
        std::abort();
    }
    if (parsed.summary().isEmpty() != times.isEmpty()) {
        std::fprintf(stderr, "summary \"%s\" for %lld times\n", qPrintable(parsed.summary()),
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);
    check(QString::fromUtf8(bytes, length));
    check(QString::fromLatin1(bytes, length));

    QString units(length / 2, Qt::Uninitialized);
    std::memcpy(units.data(), data, std::size_t(units.size()) * sizeof(char16_t));
    check(units);
    return 0;
}
