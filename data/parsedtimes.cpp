#include "data/parsedtimes.h"
#include "data/dialogtext.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

namespace {

constexpr qsizetype longestNoteName = 60;

} // namespace

QString groupedCount(qsizetype count)
{
    return QLocale().toString(qlonglong(count));
}

QString timesCount(qsizetype count)
{
    return count == 1 ? DialogText::tr("1 time")
                      : DialogText::tr("%1 times").arg(groupedCount(count));
}

QString shownName(const QString &name, qsizetype longest)
{
    const bool cut = name.size() > longest;
    qsizetype kept = cut ? longest - 1 : name.size();
    // Never half a character outside the Basic Multilingual Plane.
    if (cut && kept > 0 && name.at(kept - 1).isHighSurrogate())
        --kept;
    QString shown;
    shown.reserve(kept + 3);
    shown += u'\x2068';
    for (const QChar c : QStringView(name).first(kept)) {
        const char16_t u = c.unicode();
        const bool bidiControl = u == 0x061c || u == 0x200e || u == 0x200f
            || (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if (bidiControl)
            continue;
        const bool breaksText = u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0x2028 || u == 0x2029;
        shown += breaksText ? QChar(u' ') : c;
    }
    if (cut)
        shown += u'…';
    shown += u'\x2069';
    return shown;
}

QString noteName(const QString &name)
{
    return shownName(name, longestNoteName);
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
              .arg(groupedCount(times.size()));
    QStringList skipped;
    if (dnfSkipped > 0)
        skipped << DialogText::tr("%1 DNF skipped").arg(groupedCount(dnfSkipped));
    if (notRead > 0)
        skipped << DialogText::tr("%1 not read").arg(groupedCount(notRead));
    if (!skipped.isEmpty())
        text += QStringLiteral(" (") + skipped.join(QStringLiteral(", ")) + u')';
    if (!format.isEmpty())
        text += DialogText::tr(" from %1").arg(format);
    if (!session.isEmpty())
        text += DialogText::tr(", session \"%1\"").arg(noteName(session));
    if (sessionCount > 1) {
        const QString count = groupedCount(sessionCount);
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
