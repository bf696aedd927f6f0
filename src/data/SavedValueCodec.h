#pragma once

#include <QString>

class INIFile;

// Values the engine writes into save files (variables, the rest of a message,
// choice texts, site names) may hold what the INI syntax eats: ";" starts a
// comment, blanks around a value vanish and a line break ends the line. Such
// characters are written as "%" and two hexadecimal digits, and a marker in
// the file says so; files without the marker are read as they always were.
class SavedValueCodec {
public:
    // The section of the marker, where writers may keep other facts of the file.
    static const QString kMarkerSection;

    static QString Escape(const QString& value);
    static QString Unescape(const QString& value);

    // A copy of the document with every value escaped and the marker added.
    static INIFile Escaped(const INIFile& document);
    // Unescapes every value when the document carries the marker, and removes it.
    static void UnescapeMarked(INIFile& document);

private:
    static bool MustEscape(QChar c, bool atEdge);
};
