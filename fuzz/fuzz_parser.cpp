// Any clipboard text, read as UTF-8, as Latin-1 and as raw UTF-16 (lone surrogates, NULs and
// every other code unit), must parse without a fault into finite times, at most one per entry.

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
    const TimeList times = TimesDistributionDialog::parseTimeList(text);

    // Entries are split at commas and line ends; nothing can yield more times than that.
    const qsizetype entries = text.count(u',') + text.count(u'\n') + text.count(u'\r') + 1;
    if (times.size() > entries) {
        std::fprintf(stderr, "%lld times from at most %lld entries\n",
                     static_cast<long long>(times.size()), static_cast<long long>(entries));
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
