#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

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

// One run of the real varo program, on the offscreen platform.
struct ProgramRun {
    int exitCode = -1;  // -1 when it crashed or hung
    QByteArray out;
    QByteArray err;
};
ProgramRun RunVaro(const QStringList& args);

// Bytes of a UTF-8 source literal, for tests that talk about encoded files.
inline QByteArray Bytes(const char* text) {
    return QByteArray(text);
}
