#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "app/clsLaunch.h"
#include "platform/kest/KestLibrary.h"
#include "platform/os/RealClock.h"
#include "screen/KestPictureLoader.h"

class INIFile;
class clsInterpreter;
class clsOskaDriver;
class clsVaro;

// A game folder opened for `varo lint` the way the player opens it: debug.ini's
// switches and folders, the .oska archives, the system information and its
// instruction table. Tells where a name from a scenario or a document is
// found, using the player's own lookups. While open, the process-wide state
// describes this game.
class LintGame {
public:
    LintGame();
    ~LintGame();
    LintGame(const LintGame&) = delete;
    LintGame& operator=(const LintGame&) = delete;

    // False, with the reason, when the game cannot be checked at all: no such
    // folder, an archive that cannot be registered, no system information.
    bool Open(const QString& gameDir, QString& error);

    INIFile& SystemInfo();
    // debug.ini's "debug" section (empty without the file).
    const INISection& DebugSection() const { return mLauncher.DebugSec(); }
    bool HasDebugSettings() const { return mLauncher.IsDebugMode(); }
    // Decodes instruction lines with the game's instruction table.
    clsInterpreter& Interpreter();
    clsOskaDriver& Archives();
    bool HasArchives() const { return !mArchivePaths.isEmpty(); }

    // A path as findings show it: relative to the game folder.
    QString Shown(const QString& path) const;
    // The archive entry of a key as findings show it: ARCHIVE.oska/ENTRY.
    QString ShownEntry(const QString& key);
    // Where a document loaded by key came from, as findings show it.
    QString ShownDocument(const INIFile& document, const QString& key);
    // The keys of the archive entries stored as scenario/NAME.txt.
    QStringList ArchivedScenarioKeys();

    // Each gives "" when the player finds the name, else what is wrong. `what`
    // names the role in the message ("picture", "mask"; "sound", "voice").
    QString PictureProblem(const QString& name, const QString& what);
    QString SoundProblem(const QString& name, const QString& what);
    // A movie file as playmovie and the extras screen name it, inside the movie folder.
    QString MovieProblem(const QString& file) const;
    // Where scenarios are read from, for messages: "scenario/" or "the archives".
    QString ScenarioPlace() const;

private:
    // "WHAT 'NAME' not found in FOLDER/ or the archives", saying when the loose
    // files are not read because debug.ini's switch is off.
    QString NotFound(const QString& what, const QString& name, const QString& folder, bool fileMode,
                     const QString& switchName) const;
    QString ShownFolder(const QString& path) const;

    clsLaunch mLauncher;
    std::unique_ptr<clsVaro> mVaro;
    RealClock mClock;
    KestLibrary mKest;
    KestPictureLoader mPictures;
    QStringList mArchivePaths;
};
