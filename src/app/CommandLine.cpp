#include "app/CommandLine.h"

namespace {

bool isHelp(const QString& arg) {
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

CommandLine failure(const QString& message) {
    CommandLine result;
    result.command = CommandLine::Command::Error;
    result.text = message;
    return result;
}

CommandLine help(const QString& usage) {
    CommandLine result;
    result.command = CommandLine::Command::Help;
    result.text = usage;
    return result;
}

CommandLine parseSave(const QStringList& args) {
    if (args.size() < 2 || isHelp(args.at(1))) {
        return args.size() >= 2
                   ? help(CommandLine::SaveUsage())
                   : failure(QStringLiteral("save: missing action\n") + CommandLine::SaveUsage());
    }
    CommandLine result;
    const QString& action = args.at(1);
    if (action == QLatin1String("decode")) {
        result.command = CommandLine::Command::SaveDecode;
    } else if (action == QLatin1String("encode")) {
        result.command = CommandLine::Command::SaveEncode;
    } else {
        return failure(QStringLiteral("save: unknown action ") + action + QLatin1Char('\n') +
                       CommandLine::SaveUsage());
    }
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (isHelp(arg)) {
            return help(CommandLine::SaveUsage());
        }
        if (arg == QLatin1String("-o") && result.command == CommandLine::Command::SaveEncode) {
            if (++i >= args.size()) {
                return failure(QStringLiteral("save encode: -o needs a file name"));
            }
            result.output = args.at(i);
        } else if (arg.startsWith(QLatin1Char('-')) || !result.file.isEmpty()) {
            return failure(QStringLiteral("save ") + action +
                           QStringLiteral(": unexpected argument ") + arg);
        } else {
            result.file = arg;
        }
    }
    if (result.file.isEmpty()) {
        return failure(QStringLiteral("save ") + action + QStringLiteral(": missing FILE\n") +
                       CommandLine::SaveUsage());
    }
    return result;
}

CommandLine parsePlay(const QStringList& args) {
    CommandLine result;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (isHelp(arg)) {
            return help(CommandLine::PlayUsage());
        }
        if (arg == QLatin1String("--headless")) {
            result.headless = true;
            continue;
        }
        QString* target = nullptr;
        if (arg == QLatin1String("--save-dir")) {
            target = &result.saveDir;
        } else if (arg == QLatin1String("--input")) {
            target = &result.inputFile;
        } else if (arg == QLatin1String("--trace")) {
            target = &result.traceFile;
        } else if (arg == QLatin1String("--shots")) {
            target = &result.shotsDir;
        }
        if (target != nullptr) {
            if (++i >= args.size()) {
                return failure(arg + QStringLiteral(" needs a value"));
            }
            *target = args.at(i);
        } else if (arg.startsWith(QLatin1String("--")) || !result.gameDir.isEmpty()) {
            return failure(QStringLiteral("unexpected argument ") + arg + QLatin1Char('\n') +
                           CommandLine::PlayUsage());
        } else {
            result.gameDir = arg;
        }
    }
    return result;
}

}  // namespace

CommandLine CommandLine::Parse(const QStringList& args) {
    if (!args.isEmpty() && args.first() == QLatin1String("save")) {
        return parseSave(args);
    }
    return parsePlay(args);
}

QString CommandLine::PlayUsage() {
    return QStringLiteral(
        "usage: varo [GAME_DIR] [--save-dir DIR] [--headless] [--input FILE] [--trace FILE] "
        "[--shots DIR]\n"
        "       varo save decode FILE\n"
        "       varo save encode FILE [-o OUT]\n"
        "Plays the game in GAME_DIR (the bundled demo game without it).\n"
        "  --save-dir DIR  keep settings and save slots in DIR\n"
        "  --headless      run without a window on a virtual clock\n"
        "  --input FILE    scripted input for a headless run\n"
        "  --trace FILE    write the run's events to FILE\n"
        "  --shots DIR     folder for screenshots taken by the input script\n");
}

QString CommandLine::SaveUsage() {
    return QStringLiteral(
        "usage: varo save decode FILE\n"
        "       varo save encode FILE [-o OUT]\n"
        "decode prints a scrambled settings, shared-data or save file as UTF-8 text.\n"
        "encode scrambles UTF-8 text (as printed by decode) back into that form, to OUT\n"
        "or to standard output. Line ends are kept; a text edited into LF-only lines\n"
        "gets CR LF line ends back.\n");
}
