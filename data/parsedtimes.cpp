#include "data/parsedtimes.h"

#include <QCoreApplication>

namespace {

// "1 234 567": groups of three digits with a space, the way the summary line writes counts.
QString grouped(qsizetype count)
{
    QString digits = QString::number(count);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u' ');
    return digits;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("TimesDistributionDialog", text);
}

} // namespace

QString ParsedTimes::summary() const
{
    if (times.isEmpty())
        return {};
    QString text
        = (times.size() == 1 ? tr("Read %1 time") : tr("Read %1 times")).arg(grouped(times.size()));
    if (dnfSkipped > 0)
        text += tr(" (%1 DNF skipped)").arg(grouped(dnfSkipped));
    if (!format.isEmpty())
        text += tr(" from %1").arg(format);
    if (!session.isEmpty())
        text += tr(", session \"%1\"").arg(session);
    if (sessionCount > 1)
        text += tr(" (the newest of %1)").arg(grouped(sessionCount));
    return text;
}
