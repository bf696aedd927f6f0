#pragma once

#include <QString>
#include <memory>

class INIFile;

// Loading and storing whole INI documents.
namespace stdINI {

// Reads a settings, shared-data or save file into the document: scrambled when
// INIEncript is on, plain text otherwise. A missing file gives an empty document
// and false; a damaged scrambled file (odd byte count) gives an empty document
// and false, is logged and is left untouched.
bool LoadINIFile(INIFile& document, const QString& path);

// Writes the document durably, scrambled when INIEncript is on. "" means the
// document's own path. The old file survives any failed write.
bool SaveINIFile(const INIFile& document, const QString& path = QString());

// Keeps the bytes of a file that exists but cannot be read beside it, as
// PATH.damaged, before anything new is written over it; logs what happened with
// `what` naming the file's role. False when the copy could not be made.
bool SetAsideDamaged(const QString& path, const QString& what);

// A system document by key: IniDir/KEY.ini as plain text (letter case of the
// file name ignored), or the archive entry of that key; null when neither exists.
std::unique_ptr<INIFile> LoadINIByKey(const QString& key);

}  // namespace stdINI
