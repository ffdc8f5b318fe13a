#include "data/parsedtimes.h"
#include "data/dialogtext.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

constexpr qsizetype longestNoteName = 60;

// "1 234 567": groups of three digits with a space, the way the summary line writes counts.
QString grouped(qsizetype count)
{
    QString digits = QString::number(count);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u' ');
    return digits;
}

} // namespace

QString noteName(const QString &name)
{
    if (name.size() <= longestNoteName)
        return name;
    qsizetype kept = longestNoteName - 1;
    // Never half a character outside the Basic Multilingual Plane.
    if (name.at(kept - 1).isHighSurrogate())
        --kept;
    return name.first(kept) + u'…';
}

QString ParsedTimes::summary() const
{
    if (noSolves)
        return DialogText::tr("The %1 backup holds no solves").arg(format);
    if (unreadable)
        return DialogText::tr("The text could not be read as a backup");
    if (times.isEmpty())
        return {};
    QString text
        = (times.size() == 1 ? DialogText::tr("Read %1 time") : DialogText::tr("Read %1 times"))
              .arg(grouped(times.size()));
    QStringList skipped;
    if (dnfSkipped > 0)
        skipped << DialogText::tr("%1 DNF skipped").arg(grouped(dnfSkipped));
    if (notRead > 0)
        skipped << DialogText::tr("%1 not read").arg(grouped(notRead));
    if (!skipped.isEmpty())
        text += QStringLiteral(" (") + skipped.join(QStringLiteral(", ")) + u')';
    if (!format.isEmpty())
        text += DialogText::tr(" from %1").arg(format);
    if (!session.isEmpty())
        text += DialogText::tr(", session \"%1\"").arg(noteName(session));
    if (sessionCount > 1) {
        const QString count = grouped(sessionCount);
        switch (pick) {
        case Pick::Chosen:
            break;
        case Pick::Newest:
            text += DialogText::tr(" (the newest of %1)").arg(count);
            break;
        case Pick::Current:
            text += DialogText::tr(" (the current one of %1)").arg(count);
            break;
        case Pick::First:
            text += DialogText::tr(" (the first of %1)").arg(count);
            break;
        }
    }
    if (!period.isEmpty())
        text += QStringLiteral(", ") + period;
    return text;
}
