#include "app/InputScript.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>

#include "platform/os/FileIo.h"

namespace {

using Command = InputScript::Command;
using Kind = InputScript::Kind;
using Key = InputScript::Key;

constexpr qint64 kLongestWaitMs = 0x7fffffff;
constexpr int kLargestCoordinate = 0x7fff;

bool isWord(const QString& word, QLatin1StringView keyword) {
    return word.compare(keyword, Qt::CaseInsensitive) == 0;
}

QStringList wordsOf(QString line) {
    const qsizetype comment = line.indexOf(QLatin1Char('#'));
    if (comment >= 0) {
        line.truncate(comment);
    }
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return line.split(blanks, Qt::SkipEmptyParts);
}

// A decimal number without sign, at most `largest`.
std::optional<qint64> numberOf(const QString& word, qint64 largest) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(word).hasMatch()) {
        return std::nullopt;
    }
    const qint64 value = word.toLongLong();
    return value <= largest ? std::optional<qint64>(value) : std::nullopt;
}

QString quoted(const QString& word) {
    return QLatin1Char('\'') + word + QLatin1Char('\'');
}

QString expected(const char* form) {
    return QStringLiteral("expected '") + QLatin1String(form) + QLatin1Char('\'');
}

QString parsePosition(const QStringList& words, Command& command) {
    if (words.size() != 3) {
        return QStringLiteral("expected '") + words[0].toLower() + QStringLiteral(" X Y'");
    }
    const auto x = numberOf(words[1], kLargestCoordinate);
    const auto y = numberOf(words[2], kLargestCoordinate);
    if (!x || !y) {
        return QStringLiteral("bad position ") + quoted(words[1] + QLatin1Char(' ') + words[2]);
    }
    command.position = QPoint(static_cast<int>(*x), static_cast<int>(*y));
    return {};
}

std::optional<Key> keyNamed(const QString& name) {
    static const std::array<std::pair<QLatin1StringView, Key>, 7> names{{
        {QLatin1StringView("Return"), Key::Return},
        {QLatin1StringView("Space"), Key::Space},
        {QLatin1StringView("Escape"), Key::Escape},
        {QLatin1StringView("Up"), Key::Up},
        {QLatin1StringView("Down"), Key::Down},
        {QLatin1StringView("Tab"), Key::Tab},
        {QLatin1StringView("Ctrl"), Key::Ctrl},
    }};
    for (const auto& [keyword, key] : names) {
        if (isWord(name, keyword)) {
            return key;
        }
    }
    return std::nullopt;
}

QString parseKey(const QStringList& words, Command& command) {
    if (words.size() < 2 || words.size() > 3) {
        return expected("key NAME [down|up]");
    }
    const std::optional<Key> key = keyNamed(words[1]);
    if (!key) {
        return QStringLiteral("unknown key ") + quoted(words[1]);
    }
    command.key = *key;
    if (words.size() == 2) {
        command.kind = Kind::KeyPress;
    } else if (isWord(words[2], QLatin1StringView("down"))) {
        command.kind = Kind::KeyDown;
    } else if (isWord(words[2], QLatin1StringView("up"))) {
        command.kind = Kind::KeyUp;
    } else {
        return expected("key NAME [down|up]");
    }
    return {};
}

QString parseWheel(const QStringList& words, Command& command) {
    if (words.size() == 2 && isWord(words[1], QLatin1StringView("up"))) {
        command.kind = Kind::WheelUp;
    } else if (words.size() == 2 && isWord(words[1], QLatin1StringView("down"))) {
        command.kind = Kind::WheelDown;
    } else {
        return expected("wheel up|down");
    }
    return {};
}

QString parseMenu(const QStringList& words, Command& command) {
    const qsizetype bang = words.size() == 2 ? words[1].indexOf(QLatin1Char('!')) : -1;
    if (bang <= 0 || bang == words[1].size() - 1) {
        return expected("menu GROUP!ITEM");
    }
    command.text = words[1];
    return {};
}

QString parseAnswer(const QStringList& words, Command& command) {
    if (words.size() != 2) {
        return expected("answer yes|no|ok|cancel");
    }
    for (const char* answer : {"yes", "no", "ok", "cancel"}) {
        if (isWord(words[1], QLatin1StringView(answer))) {
            command.text = QLatin1String(answer);
            return {};
        }
    }
    return QStringLiteral("unknown answer ") + quoted(words[1]);
}

QString parseShot(const QStringList& words, Command& command) {
    if (words.size() != 2) {
        return expected("shot NAME");
    }
    if (!InputScript::isPlainFileName(words[1])) {
        return QStringLiteral("bad shot name ") + quoted(words[1]);
    }
    command.text = words[1];
    return {};
}

QString parseQuit(const QStringList& words, Command& /*command*/) {
    return words.size() == 1 ? QString() : expected("quit");
}

using ParseFunction = QString (*)(const QStringList&, Command&);

struct CommandForm {
    QLatin1StringView name;
    Kind kind;
    ParseFunction parse;
};

// The kind is a default that the key and wheel forms settle from their words.
const std::array<CommandForm, 10>& commandForms() {
    static const std::array<CommandForm, 10> forms{{
        {QLatin1StringView("click"), Kind::Click, parsePosition},
        {QLatin1StringView("rclick"), Kind::RightClick, parsePosition},
        {QLatin1StringView("dclick"), Kind::DoubleClick, parsePosition},
        {QLatin1StringView("move"), Kind::Move, parsePosition},
        {QLatin1StringView("key"), Kind::KeyPress, parseKey},
        {QLatin1StringView("wheel"), Kind::WheelUp, parseWheel},
        {QLatin1StringView("menu"), Kind::Menu, parseMenu},
        {QLatin1StringView("answer"), Kind::Answer, parseAnswer},
        {QLatin1StringView("shot"), Kind::Shot, parseShot},
        {QLatin1StringView("quit"), Kind::Quit, parseQuit},
    }};
    return forms;
}

QString parseWait(const QStringList& words, qint64& timeMs) {
    if (words.size() != 2) {
        return expected("wait MS");
    }
    const auto ms = numberOf(words[1], kLongestWaitMs);
    if (!ms) {
        return QStringLiteral("bad wait time ") + quoted(words[1]);
    }
    timeMs += *ms;
    return {};
}

// Parses one non-empty line: a wait moves `timeMs` on, any other command is
// appended to `commands`. Returns the error, or nothing.
QString parseLine(const QStringList& words, int line, qint64& timeMs,
                  std::vector<Command>& commands) {
    if (isWord(words[0], QLatin1StringView("wait"))) {
        return parseWait(words, timeMs);
    }
    for (const CommandForm& form : commandForms()) {
        if (!isWord(words[0], form.name)) {
            continue;
        }
        Command command;
        command.kind = form.kind;
        command.atMs = timeMs;
        command.line = line;
        QString error = form.parse(words, command);
        if (error.isEmpty()) {
            commands.push_back(std::move(command));
        }
        return error;
    }
    return QStringLiteral("unknown command ") + quoted(words[0]);
}

}  // namespace

bool InputScript::parse(const QString& text, QString& error) {
    commands_.clear();
    endMs_ = 0;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF))) {
        body.remove(0, 1);
    }
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = body.split(lineBreak);
    std::vector<Command> commands;
    qint64 timeMs = 0;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QStringList words = wordsOf(lines[index]);
        if (words.isEmpty()) {
            continue;
        }
        const int line = static_cast<int>(index + 1);
        const QString lineError = parseLine(words, line, timeMs, commands);
        if (!lineError.isEmpty()) {
            error = QStringLiteral("input line ") + QString::number(line) + QStringLiteral(": ") +
                    lineError;
            return false;
        }
    }
    commands_ = std::move(commands);
    endMs_ = timeMs;
    return true;
}

bool InputScript::load(const QString& path, QString& error) {
    const std::optional<QByteArray> bytes = FileIo::readAll(path);
    if (!bytes) {
        error = QStringLiteral("cannot read input file ") + path;
        return false;
    }
    return parse(QString::fromUtf8(*bytes), error);
}

bool InputScript::isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QStringLiteral(".."));
}
