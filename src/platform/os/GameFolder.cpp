#include "platform/os/GameFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

QStringList nameParts(const QString& name) {
    QString unified = name;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return unified.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

bool looksAbsolute(const QString& name) {
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\'))) {
        return true;
    }
    return name.size() >= 2 && name.at(1) == QLatin1Char(':');  // drive letter
}

// The entry of `dir` named `part`, exact spelling first, then ignoring case.
std::optional<QString> matchEntry(const QString& dir, const QString& part) {
    const QString exact = dir + QLatin1Char('/') + part;
    if (QFileInfo::exists(exact)) {
        return exact;
    }
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(part, Qt::CaseInsensitive) == 0) {
            return dir + QLatin1Char('/') + entry;
        }
    }
    return std::nullopt;
}

void tell(QString* why, const QString& text) {
    if (why != nullptr) {
        *why = text;
    }
}

}  // namespace

GameFolder::GameFolder(QString root) : root_(std::move(root)) {
    while (root_.size() > 1 && root_.endsWith(QLatin1Char('/'))) {
        root_.chop(1);
    }
}

bool GameFolder::isConfined(const QString& name) {
    if (looksAbsolute(name)) {
        return false;
    }
    const QStringList parts = nameParts(name);
    return !parts.contains(QStringLiteral(".."));
}

std::optional<QString> GameFolder::find(const QString& name, QString* why) const {
    return resolve(name, true, why);
}

std::optional<QString> GameFolder::place(const QString& name, QString* why) const {
    return resolve(name, false, why);
}

std::optional<QString> GameFolder::resolve(const QString& name, bool mustExist,
                                           QString* why) const {
    if (!isConfined(name)) {
        tell(why, QStringLiteral("refused a name outside the game folder: ") + name);
        return std::nullopt;
    }
    const QStringList parts = nameParts(name);
    QString path = root_;
    bool onDisk = true;
    for (const QString& part : parts) {
        if (part == QLatin1String(".")) {
            continue;
        }
        std::optional<QString> found;
        if (onDisk) {
            found = matchEntry(path, part);
        }
        if (found) {
            path = *found;
            continue;
        }
        if (mustExist) {
            tell(why, QStringLiteral("not found: ") + name);
            return std::nullopt;
        }
        onDisk = false;
        path += QLatin1Char('/') + part;
    }
    return path;
}
