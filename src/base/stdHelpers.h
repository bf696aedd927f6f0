#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

// Text and file helpers used by every part of the engine.
namespace stdHelpers {

// True when the path names an existing file (not a folder).
bool FileExists(const QString& path);

// Reads a whole plain text file (CP932, or UTF-8 after a byte-order mark).
// A missing or unreadable file gives false and "".
// Documents (settings, saves, INI and scenario files) are far below this size;
// a larger file is damaged or not a document, and is not read.
constexpr qint64 kMaxDocumentBytes = 64LL * 1024 * 1024;
// The bytes of a document file; nothing (logged) when it is larger than any real one.
std::optional<QByteArray> ReadDocumentBytes(const QString& path);
bool ReadTextFile(const QString& path, QString& text);

// Writes the text in CP932, replacing the file durably. True on success.
bool WriteTextFile(const QString& path, const QString& text);

// Replaces "%1", "%2", ... in turn by the values; markers without a value stay.
QString FormatMsg(const QString& templ, const QStringList& values = {});

// Removes characters of the set from both ends of the text.
QString TrimChars(const QString& text, const QString& set);
// The text case-folded for lookups; text that is already folded (ASCII without
// capitals, the usual key) comes back shared, without a new string.
QString CaseFolded(const QString& text);
// True for ASCII text without capitals, which case folding leaves as it is.
bool IsCaseFolded(QStringView text);

// Removes every character of the set from the text.
QString RemoveChars(const QString& text, const QString& set);

// Upper-case hexadecimal, left-padded with "0" to width; a longer result is
// returned as is, or "" when truncate is set.
QString HexPad(std::uint32_t value, int width, bool truncate = false);

// True when every character takes one code-page byte (true for "").
bool IsSingleByteText(const QString& text);

// True when every character takes two code-page bytes (true for "").
bool IsDoubleByteText(const QString& text);

// The decimal integer at the start of the text (blanks before it skipped, sign
// allowed, anything after it ignored); 0 without digits; held to 32 bits.
std::int32_t LeadingInteger(QStringView text);

// 0xRRGGBB <-> 0xBBGGRR; the top byte is dropped.
std::uint32_t SwapRB(std::uint32_t colour);

}  // namespace stdHelpers
