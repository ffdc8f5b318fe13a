#pragma once

#include <QSettings>
#include <QTemporaryDir>

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
    QString storeFile() const { return folder.path() + QStringLiteral("/Orvane/SolvigramCharts.conf"); }

private:
    QTemporaryDir folder;
};
