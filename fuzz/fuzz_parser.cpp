// Any clipboard text, read as UTF-8, as Latin-1 and as raw UTF-16 (lone surrogates, NULs and
// every other code unit), must parse without a fault into what parsedcheck.h requires.

#include "parsedcheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);
    checkParsed(QString::fromUtf8(bytes, length));
    checkParsed(QString::fromLatin1(bytes, length));

    QString units(length / 2, Qt::Uninitialized);
    std::memcpy(units.data(), data, std::size_t(units.size()) * sizeof(char16_t));
    checkParsed(units);

    // The same text under a first row thousands of cells wide, as a table bomb has it.
    const QString text = QString::fromUtf8(bytes, length);
    const QStringView first = QStringView(text).first(std::max<qsizetype>(0, text.indexOf(u'\n')));
    const QString cell = first.toString() + u',';
    checkParsed(cell.repeated(4096 / cell.size() + 2) + u'\n' + text);
    return 0;
}
