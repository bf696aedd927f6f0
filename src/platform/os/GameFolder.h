#pragma once

#include <QString>
#include <optional>

// Looks up names from game data and save files inside one folder.
// Game data was authored on a case-insensitive file system, so every name part
// matches regardless of letter case. Names may use "\" or "/" separators; a name
// that is absolute or climbs with ".." is refused, so nothing outside the
// folder is ever reached.
class GameFolder {
public:
    explicit GameFolder(QString root);

    const QString& root() const { return root_; }

    // The path of the existing file or folder the name designates, or nothing.
    // On refusal or absence `why` (when given) receives a one-line reason.
    std::optional<QString> find(const QString& name, QString* why = nullptr) const;

    // The path a new file of that name would have: existing parts keep the
    // spelling found on disk, the rest is taken as written. Nothing on refusal.
    std::optional<QString> place(const QString& name, QString* why = nullptr) const;

    // True when the name is relative and never climbs with "..".
    static bool isConfined(const QString& name);

private:
    std::optional<QString> resolve(const QString& name, bool mustExist, QString* why) const;

    QString root_;
};
