#pragma once

#include "data/timelist.h"

#include <QByteArray>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest/qtestcase.h>

#ifdef Q_OS_LINUX
#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

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

#ifdef Q_OS_LINUX
// Root ignores permission bits but not the immutable attribute: nothing can be created in an
// immutable folder, and an immutable file can be neither replaced nor changed.
inline bool setImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
#endif
