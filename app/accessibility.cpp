#include "app/form/timesdistributionform.h"
#include "app/timesdistributiondialog.h"
#include "data/parsedtimes.h"
#include "stats/timestatistics.h"

#include <QLineEdit>
#include <QWidget>

// "Chart Title. First list (OH): 118 times. Best 9.27, Worst 17.03, ..."
QString TimesDistributionDialog::chartDescription() const
{
    QStringList parts;
    if (!form->nameEdit->text().trimmed().isEmpty())
        parts << form->nameEdit->text().trimmed() + u'.';
    for (const bool primary : {true, false}) {
        const TimeList &times = primary ? primaryTimes : secondaryTimes;
        if (times.isEmpty())
            continue;
        const ListLabel &label = primary ? primaryLabel : secondaryLabel;
        QString list = primary ? tr("First list") : tr("Second list");
        if (!label.name.trimmed().isEmpty())
            list += QStringLiteral(" (%1)").arg(noteName(label.name));
        const TimeStatistics statistics = SummaryStatistics::of(times);
        const auto number = [](float value) {
            return QString::number(value, 'f', 2);
        };
        parts << list + QStringLiteral(": ")
                + (times.size() == 1 ? tr("1 time.")
                                     : tr("%1 times.").arg(groupedCount(times.size())))
                + tr(" Best %1, Worst %2, Average %3, Median %4, MoXAo5 %5.")
                      .arg(number(statistics.best()), number(statistics.worst()),
                           number(statistics.average()), number(statistics.median()),
                           number(statistics.meanOfAveragesOfFive()));
    }
    if (primaryTimes.isEmpty() && secondaryTimes.isEmpty())
        parts << tr("No times yet.");
    return parts.join(u' ');
}

// Set only when it changes: each change is an event to every screen reader listening.
void TimesDistributionDialog::describeChart()
{
    const QString description = chartDescription();
    if (form->display->accessibleDescription() != description)
        form->display->setAccessibleDescription(description);
}
