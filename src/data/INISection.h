#pragma once

#include <QHash>
#include <QString>

#include <QStringView>
#include <memory>
#include <optional>
#include <vector>
#include "base/StringKeyHash.h"
#include "base/stdHelpers.h"

class INIFile;

// One section of an INI document: its header line split into three name parts
// and its body lines. Lines keep their text exactly as read; each one is parsed
// into indent, key, equal, value and comment only when a key or field is first
// asked for, and a changed line gets its text back only when the text is read.
// Key names ignore letter case. Line numbers count from 0.
class INISection {
public:
    // One empty line and no name.
    INISection();

    QString Name() const { return nameContent_; }
    void SetName(const QString& name) { nameContent_ = name; }
    QString NamePrefix() const { return namePrefix_; }
    QString NameSuffix() const { return nameSuffix_; }
    // The header line: prefix + name + suffix ("" for the unnamed section).
    QString NameFullText() const;
    // Splits a header line into the name parts; a line that is not a header
    // leaves all three empty.
    void SetNameFullText(const QString& line);

    // Number of lines, never below 1.
    int Count() const { return static_cast<int>(lines_.size()); }
    // The document line (from 1) of the first body line as the text was read;
    // body line i is document line FirstLine() + i. 0 for a section made in memory.
    int FirstLine() const { return firstLine_; }
    // All lines joined with CR LF.
    QString Text() const;
    // Replaces every line: the text split at CR LF ("" gives one empty line).
    void SetText(const QString& text);
    void ParseAllLines();

    // The value of the first line with that key, "" when there is none.
    QString KeyValue(const QString& key) const;
    // Sets the value of the first line with that key, or appends key=value.
    void SetKeyValue(const QString& key, const QString& value);
    // The number of the first line with that key, -1 when there is none.
    int KeyIndex(QStringView key) const;
    int KeyIndex(const QString& key) const { return KeyIndex(QStringView(key)); }
    bool KeyExists(const QString& key) const { return KeyIndex(key) != -1; }
    void UpdateIndex() const;

    // Line writes: -1 appends a line; a number at or beyond Count first grows
    // the section with empty lines. Reads of a missing line give "".
    bool LineExists(int line) const { return line >= 0 && line < Count(); }
    void LineRemove(int line);
    QString LineText(int line) const;
    void SetLineText(int line, const QString& text);
    QString LineKey(int line) const;
    void SetLineKey(int line, const QString& key);
    QString LineValue(int line) const;
    void SetLineValue(int line, const QString& value);

    // Keeps only a plain header and key=value lines.
    void Optimize();

    // Diagnostic dumps of the stored lines and of the name parts.
    QString DebugCondition() const;
    QString DebugNameAry() const;

private:
    friend class INIFile;

    enum class LineCondition { TextOnly = 0, ParsedOnly = 1, Both = 2 };

    // The parts of a line; their concatenation is the line.
    struct LineRecord {
        QString indent;
        QString key;
        QString equal;
        QString value;
        QString comment;
    };

    // The record is allocated only once the line is parsed or changed, so that
    // large documents cost little more than their text; no record means all
    // five parts are empty.
    struct Line {
        Line() = default;
        explicit Line(QString lineText, LineCondition state)
            : text(std::move(lineText)), condition(state) {}
        Line(const Line& other);
        Line& operator=(const Line& other);
        Line(Line&&) noexcept = default;
        Line& operator=(Line&&) noexcept = default;

        QString text;
        std::unique_ptr<LineRecord> record;
        LineCondition condition = LineCondition::Both;
    };

    // Splits a header line; false when it is not a header. The name may come
    // out empty (brackets holding only blanks).
    static bool ParseHeader(QStringView line, QString& prefix, QString& content, QString& suffix);
    static LineRecord ParseLineText(QStringView text);
    static void MoveBlanks(QString& left, QString& middle, QString& right);
    static void EnsureParsed(Line& line);
    static void RebuildText(Line& line);
    static QString ConditionName(LineCondition condition);
    static QString FoldKey(const QString& key) { return stdHelpers::CaseFolded(key); }

    // Replaces the lines by the body split at CR LF, every line "TextOnly".
    void AssignLines(QStringView body);
    // Length of Text, rebuilding changed lines on the way.
    qsizetype TextSize() const;
    // Appends Text; valid right after TextSize.
    void AppendText(QString& text) const;
    void ResetToEmptyLine();
    // The index of the line a write goes to, grown as needed; -1 for an invalid number.
    int WritableLine(int line);
    bool IsIndexedLine(int line) const;
    QString DebugLineEntry(int line) const;

    QString namePrefix_;
    QString nameContent_;
    QString nameSuffix_;
    int firstLine_ = 0;
    // Reads parse and rebuild lines in place and build the key index.
    mutable std::vector<Line> lines_;
    mutable std::optional<StringKeyMap<int>> keyIndex_;
};
