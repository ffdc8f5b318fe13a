#include "app/settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

constexpr auto organisationName = "Orvane";
constexpr auto applicationName = "SolvigramCharts";

// Empty unless the copy is portable.
QString iniPath;
bool readOnly = false;

#ifdef Q_OS_WIN
// Qt's file and colour dialogs keep their state under this key whatever the program asks.
constexpr wchar_t qtDialogsKey[] = L"Software\\QtProject";

bool qtDialogsKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, qtDialogsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
#endif

// A portable copy leaves the registry as it found it: the key the dialogs made during the run is
// removed when the program ends, after Qt's own last writes.
void removeQtDialogsKeyAtExit()
{
#ifdef Q_OS_WIN
    if (!qtDialogsKeyExists())
        std::atexit([] { RegDeleteTreeW(HKEY_CURRENT_USER, qtDialogsKey); });
#endif
}

} // namespace

namespace SettingsStore {

void setUp(const QString &programFolder)
{
    const QDir folder(programFolder);
    if (programFolder.isEmpty() || !folder.exists(portableMark)) {
        iniPath.clear();
        readOnly = false;
        return;
    }
    iniPath = folder.absoluteFilePath(portableFile);
    // QSettings writes a new file beside the old one and renames it, so the folder must take one.
    QTemporaryFile probe(folder.absoluteFilePath(QStringLiteral(".solvigram-charts-XXXXXX")));
    const QFileInfo ini(iniPath);
    readOnly = !probe.open() || (ini.exists() && !ini.isWritable());
    // Elsewhere Qt's dialogs keep their state in files, which can lie beside the program too.
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, folder.absolutePath());
    removeQtDialogsKeyAtExit();
}

std::unique_ptr<QSettings> open()
{
    if (!iniPath.isEmpty())
        return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromLatin1(organisationName),
                                       QString::fromLatin1(applicationName));
}

bool isReadOnly()
{
    return readOnly;
}

} // namespace SettingsStore
