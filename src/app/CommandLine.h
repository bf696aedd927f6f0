#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do, read from its arguments.
struct CommandLine {
    enum class Command {
        Play,
        SaveDecode,
        SaveEncode,
        OskaPack,
        OskaList,
        OskaExtract,
        Asm,
        Lint,
        Help,
        Version,
        Error
    };

    Command command = Command::Play;
    QString gameDir;  // empty: the bundled demo game; lint: the game to check
    QString saveDir;
    bool headless = false;
    QString inputFile;
    QString traceFile;
    QString shotsDir;
    QString file;    // save decode / encode: the input file; oska: DIR to pack or ARCHIVE
    QString output;  // save encode: -o OUT; oska pack: OUT; oska extract: DIR
    QString text;    // Help: the usage text; Version: the version line; Error: the message

    // Arguments without the program name.
    static CommandLine Parse(const QStringList& args);

    static QString PlayUsage();
    // "varo VERSION" and a line break, as --version prints it.
    static QString VersionText();
    static QString SaveUsage();
    static QString OskaUsage();
    static QString AsmUsage();
    static QString LintUsage();
};
