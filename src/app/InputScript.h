#pragma once

#include <QPoint>
#include <QString>
#include <QtGlobal>
#include <vector>

// The input of a headless run: one command per line, each with the virtual time
// at which it happens (the sum of the waits before it). "#" starts a comment.
class InputScript {
public:
    enum class Kind {
        Click,
        RightClick,
        DoubleClick,
        Move,
        KeyPress,  // press and release
        KeyDown,   // held until KeyUp
        KeyUp,
        WheelUp,
        WheelDown,
        Menu,
        Answer,
        Shot,
        Quit
    };

    // The keys a script can name.
    enum class Key { Return, Space, Escape, Up, Down, Tab, Ctrl };

    struct Command {
        Kind kind = Kind::Quit;
        qint64 atMs = 0;
        int line = 0;
        QPoint position;  // mouse commands, game-screen pixels
        Key key = Key::Return;
        QString text;  // menu tag "group!item", answer word (lower case), shot name
    };

    // Replaces the commands with those of `text`. On a bad line nothing is kept
    // and `error` names the line: "input line 3: unknown command 'jump'".
    bool parse(const QString& text, QString& error);
    // Reads a UTF-8 script file and parses it.
    bool load(const QString& path, QString& error);

    const std::vector<Command>& commands() const { return commands_; }
    // The sum of all waits, trailing ones included.
    qint64 endMs() const { return endMs_; }

    // Whether `name` can name a screenshot file: not empty, no folder parts.
    static bool isPlainFileName(const QString& name);

private:
    std::vector<Command> commands_;
    qint64 endMs_ = 0;
};
