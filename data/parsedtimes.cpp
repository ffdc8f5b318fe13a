#include "data/parsedtimes.h"

#include <QCoreApplication>

QString ParsedTimes::summary() const
{
    if (times.isEmpty())
        return {};
    QString text = QCoreApplication::translate("TimesDistributionDialog", "Read %n time(s)",
                                               nullptr, int(times.size()));
    if (dnfSkipped > 0)
        text += QStringLiteral(" (%1 DNF skipped)").arg(dnfSkipped);
    return text;
}
