// The dialog's reading operations, by the names the rest of the program calls them.

#include "app/timesdistributiondialog.h"
#include "data/timereaders.h"

#include <utility>

TimeList TimesDistributionDialog::parseTimeList(QString text)
{
    return TimeReaders::read(std::move(text)).times;
}

ParsedTimes TimesDistributionDialog::readTimeList(QString text)
{
    return TimeReaders::read(std::move(text));
}
