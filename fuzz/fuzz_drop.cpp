// The bytes of a dropped file, through the read and decoding the drop uses: with a limit just
// below, at or just above their size, and whether or not the file reports its size, the read
// takes at most the limit plus one byte and refuses exactly when there are more bytes than the
// limit; what it reads parses as parsedcheck.h requires.

#include "app/timesdistributiondialog.h"
#include "parsedcheck.h"

#include <QBuffer>

#include <algorithm>
#include <cstdint>

namespace {

// A file that reports no size, as those under /proc do.
class Unsized : public QBuffer
{
public:
    qint64 size() const override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto length = static_cast<qint64>(size);
    // The first byte picks the limit, the size less 2 up to the size plus 1, and the device.
    const int pick = size > 0 ? data[0] : 0;
    const qint64 limit = std::max<qint64>(0, length - 2 + pick % 4);
    QBuffer sized;
    Unsized unsized;
    QBuffer &file = pick & 4 ? unsized : sized;
    file.setData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    file.open(QIODevice::ReadOnly);
    const std::optional<QString> text = TimesDistributionDialog::readDroppedText(file, limit);
    if (text.has_value() != (length <= limit) || file.pos() > limit + 1) {
        std::fprintf(stderr, "%lld bytes, limit %lld: %s after reading %lld\n",
                     static_cast<long long>(length), static_cast<long long>(limit),
                     text ? "read" : "refused", static_cast<long long>(file.pos()));
        std::abort();
    }
    if (text)
        checkParsed(*text);
    return 0;
}
