#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

#include "app/clsLaunch.h"
#include "platform/Platform.h"

// A fresh folder for one test, removed afterwards.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    // Writes raw bytes, creating parent folders.
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;
    QStringList entries() const;

private:
    QTemporaryDir dir_;
};

// Copies the files of the test game tests/games/NAME into the folder; false
// when one cannot be read.
bool CopyTestGame(const TempFolder& dir, const QString& name);

// For one test: a platform on a virtual clock whose message boxes answer from a
// script and whose trace stays in memory, and a launcher; both are installed as
// the process's own and the earlier ones (and the save folder) come back after.
class ScriptedPlayer {
public:
    ScriptedPlayer();
    ~ScriptedPlayer();
    ScriptedPlayer(const ScriptedPlayer&) = delete;
    ScriptedPlayer& operator=(const ScriptedPlayer&) = delete;

    Platform platform;
    clsLaunch launcher;

private:
    Platform* savedPlatform_;
    LauncherServices* savedLauncher_;
    QString savedSaveDir_;
};

// What a run of the real varo program (or another program) gave.
struct ProgramRun {
    int exitCode = -1;  // -1 when it crashed, hung or did not start
    QByteArray out;
    QByteArray err;
};
// One run of a program on the offscreen platform. A run that has not finished
// after `timeoutMs` (longer in a sanitizer build) is killed; its `err` ends with
// "timed out after N ms".
ProgramRun RunProgram(const QString& program, const QStringList& args, int timeoutMs);
ProgramRun RunVaro(const QStringList& args, int timeoutMs = 30000);

// Readable failures for lists of calls and texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(QStringLiteral(" | ")).toStdString() << ']';
}

// Bytes of a UTF-8 source literal, for tests that talk about encoded files.
inline QByteArray Bytes(const char* text) {
    return QByteArray(text);
}
