#pragma once

#include <QString>

#include <memory>

class QSettings;

// Where the program keeps its settings: the platform's store (on Windows the registry), or, for a
// copy that travels on a USB stick, a file beside the program.
namespace SettingsStore {

// The file that makes a folder's copy of the program portable, and the one its settings live in.
inline const QString portableMark = QStringLiteral("portable.txt");
inline const QString portableFile = QStringLiteral("solvigram-charts.ini");

// Settles where the settings live from now on: in solvigram-charts.ini in the program's folder
// when that holds portable.txt, and nothing in the registry; otherwise in the platform's store.
void setUp(const QString &programFolder);

// The store, opened afresh: read at start, written at exit.
std::unique_ptr<QSettings> open();

// A portable copy whose folder takes no file: its settings last only until it closes.
bool isReadOnly();

} // namespace SettingsStore
