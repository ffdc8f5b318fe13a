#pragma once

#include "data/timelist.h"

#include <QByteArray>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest/qtestcase.h>

// Counts are written in the user's locale; the tests expect them in American English wherever
// they run.
inline const bool americanCounts = [] {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return true;
}();

// Lets QCOMPARE_EQ print both lists when they differ.
inline char *toString(const TimeList &times)
{
    QByteArray text = "(";
    for (qsizetype i = 0; i < times.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += QByteArray::number(times.at(i), 'g', 9);
    }
    text += ")";
    return qstrdup(text.constData());
}

// Points the user-scope settings store at a fresh temporary folder for the life of the object, so
// no test reads or writes the real user's settings.
class IsolatedSettings
{
public:
    IsolatedSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    }
    QString path() const { return folder.path(); }
    // The file QSettings uses for the program's organisation and application names.
    QString storeFile() const
    {
        return folder.path() + QStringLiteral("/Orvane/SolvigramCharts.conf");
    }

private:
    QTemporaryDir folder;
};
