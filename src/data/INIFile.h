#pragma once

#include <QHash>
#include <QString>

#include <QStringView>
#include <memory>
#include <vector>
#include "base/stdHelpers.h"

#include "data/INISection.h"

// An INI document: the leading unnamed section (lines before the first header)
// followed by the named sections in file order. Reading a text and writing it
// back keeps every line, comment and blank. Section names ignore letter case;
// of two sections with the same name only the first is found by name, but both
// are kept and written back.
class INIFile {
public:
    // An empty document: one unnamed section holding one empty line.
    INIFile();
    INIFile(const INIFile& other);
    INIFile& operator=(const INIFile& other);
    INIFile(INIFile&&) noexcept = default;
    INIFile& operator=(INIFile&&) noexcept = default;
    ~INIFile() = default;

    void Clear() { SetText(QString()); }
    // Number of sections, the unnamed one included.
    int Count() const { return static_cast<int>(sections_.size()); }

    QString Path() const { return path_; }
    void SetPath(const QString& path) { path_ = path; }

    // The whole document as text, without a line break after the last section.
    QString Text() const;
    // Replaces every section by those of the text.
    void SetText(const QString& text);

    // Reads a plain text file; false (document unchanged) when it cannot be read.
    bool Load(const QString& path);
    // Writes Text to the file; "" means Path. False when there is no path or
    // the write fails. Path becomes the file written.
    bool Save(const QString& path = QString());

    const std::vector<std::unique_ptr<INISection>>& Sections() const { return sections_; }
    // The section of that name; a missing one is created with the header
    // "[" + name + "]" and appended. The reference stays valid while the
    // document holds the section.
    INISection& KeySection(const QString& name);
    // Replaces the body of the named section (created when missing) by the
    // body of the given section.
    void SetKeySection(const QString& name, const INISection& section);
    bool KeyExists(const QString& name) const;
    // Removes the named section with its header; references to it end.
    void RemoveSection(const QString& name);

    // Optimize on every section.
    void Optimize();

private:
    static std::unique_ptr<INISection> HeaderSection(QStringView line);
    static QString FoldName(const QString& name) { return stdHelpers::CaseFolded(name); }
    // Appends a section; it is found by name unless an earlier one has that name.
    void AddSection(std::unique_ptr<INISection> section);
    INISection* FindSection(const QString& name) const;

    std::vector<std::unique_ptr<INISection>> sections_;
    QHash<QString, INISection*> byName_;
    // The last section looked up: the same few names are asked for again and again.
    mutable QString lastName_;
    mutable INISection* lastSection_ = nullptr;
    QString path_;
};
