#pragma once

#include <QString>

// Tells at start whether a folder holds a game at all, so that a wrong folder is
// named as such instead of failing deep in the start-up: a game has its system
// information as a loose SystemInfo.ini in its INI folder or as an entry of one
// of its archives. An archive that cannot be read counts as possibly holding it;
// the start-up then names the damaged archive itself.
class GameFolderCheck {
public:
    // "" when the folder may hold a game; otherwise why not, to follow
    // "FOLDER: ": "no such folder", "not a folder" or "not a Varo game (no SystemInfo.ini)".
    static QString Problem(const QString& gameDir, const QString& iniDir,
                           const QString& archiveDir);

private:
    static bool HasLooseSystemInfo(const QString& iniDir);
    // True when an archive lists the system information or cannot be read.
    static bool MayHoldSystemInfo(const QString& archive);
};
