#include "app/CommandLine.h"

namespace {

bool isHelp(const QString& arg) {
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

bool isVersion(const QString& arg) {
    return arg == QLatin1String("--version") || arg == QLatin1String("-V");
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

// The operands each oska action takes, in order.
QStringList oskaOperands(CommandLine::Command command) {
    switch (command) {
        case CommandLine::Command::OskaPack:
            return {QStringLiteral("DIR"), QStringLiteral("OUT")};
        case CommandLine::Command::OskaExtract:
            return {QStringLiteral("ARCHIVE"), QStringLiteral("DIR")};
        default:
            return {QStringLiteral("ARCHIVE")};
    }
}

CommandLine parseOska(const QStringList& args) {
    if (args.size() < 2) {
        return failure(QStringLiteral("oska: missing action\n") + CommandLine::OskaUsage());
    }
    const QString& action = args.at(1);
    if (isHelp(action)) {
        return help(CommandLine::OskaUsage());
    }
    CommandLine result;
    if (action == QLatin1String("pack")) {
        result.command = CommandLine::Command::OskaPack;
    } else if (action == QLatin1String("list")) {
        result.command = CommandLine::Command::OskaList;
    } else if (action == QLatin1String("extract")) {
        result.command = CommandLine::Command::OskaExtract;
    } else {
        return failure(QStringLiteral("oska: unknown action ") + action + QLatin1Char('\n') +
                       CommandLine::OskaUsage());
    }
    const QStringList wanted = oskaOperands(result.command);
    QStringList operands;
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (isHelp(arg)) {
            return help(CommandLine::OskaUsage());
        }
        if (arg.startsWith(QLatin1Char('-')) || operands.size() == wanted.size()) {
            return failure(QStringLiteral("oska ") + action +
                           QStringLiteral(": unexpected argument ") + arg);
        }
        operands.append(arg);
    }
    if (operands.size() < wanted.size()) {
        return failure(QStringLiteral("oska ") + action + QStringLiteral(": missing ") +
                       wanted.at(operands.size()) + QLatin1Char('\n') + CommandLine::OskaUsage());
    }
    result.file = operands.at(0);
    result.output = operands.value(1);
    return result;
}

CommandLine parsePlay(const QStringList& args) {
    CommandLine result;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (isHelp(arg)) {
            return help(CommandLine::PlayUsage());
        }
        if (isVersion(arg)) {
            CommandLine version;
            version.command = CommandLine::Command::Version;
            version.text = CommandLine::VersionText();
            return version;
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

CommandLine parseAsm(const QStringList& args) {
    CommandLine result;
    result.command = CommandLine::Command::Asm;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (isHelp(arg)) {
            return help(CommandLine::AsmUsage());
        }
        QString* target = nullptr;
        if (arg == QLatin1String("--game")) {
            target = &result.gameDir;
        } else if (arg == QLatin1String("-o")) {
            target = &result.output;
        }
        if (target != nullptr) {
            if (++i >= args.size()) {
                return failure(QStringLiteral("asm: ") + arg + QStringLiteral(" needs a value"));
            }
            *target = args.at(i);
        } else if (arg.startsWith(QLatin1Char('-')) || !result.file.isEmpty()) {
            return failure(QStringLiteral("asm: unexpected argument ") + arg + QLatin1Char('\n') +
                           CommandLine::AsmUsage());
        } else {
            result.file = arg;
        }
    }
    if (result.file.isEmpty()) {
        return failure(QStringLiteral("asm: missing FILE\n") + CommandLine::AsmUsage());
    }
    return result;
}

namespace {

CommandLine parseLint(const QStringList& args) {
    CommandLine result;
    result.command = CommandLine::Command::Lint;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (isHelp(arg)) {
            return help(CommandLine::LintUsage());
        }
        if (arg.startsWith(QLatin1Char('-')) || !result.gameDir.isEmpty()) {
            return failure(QStringLiteral("lint: unexpected argument ") + arg + QLatin1Char('\n') +
                           CommandLine::LintUsage());
        }
        result.gameDir = arg;
    }
    if (result.gameDir.isEmpty()) {
        return failure(QStringLiteral("lint: missing GAME_DIR\n") + CommandLine::LintUsage());
    }
    return result;
}

}  // namespace

CommandLine CommandLine::Parse(const QStringList& args) {
    if (!args.isEmpty() && args.first() == QLatin1String("asm")) {
        return parseAsm(args);
    }
    if (!args.isEmpty() && args.first() == QLatin1String("lint")) {
        return parseLint(args);
    }
    if (!args.isEmpty() && args.first() == QLatin1String("save")) {
        return parseSave(args);
    }
    if (!args.isEmpty() && args.first() == QLatin1String("oska")) {
        return parseOska(args);
    }
    return parsePlay(args);
}

QString CommandLine::AsmUsage() {
    return QStringLiteral(
        "usage: varo asm FILE [--game DIR] [-o OUT]\n"
        "Assembles one scenario with the text-block settings of the game in DIR (by default the\n"
        "folder above FILE's scenario folder, else FILE's folder). A folder without the game's\n"
        "SystemInfo.ini (loose or in an archive) is refused: name the game with --game DIR.\n"
        "An archive of the game that cannot be read is only warned about. With -o the\n"
        "instruction lines are written as an archive stores them (CP932, CR LF); otherwise\n"
        "they are printed as UTF-8, one per line. An assembly error is printed as the player\n"
        "would see it; exit 1.\n");
}

QString CommandLine::LintUsage() {
    return QStringLiteral(
        "usage: varo lint GAME_DIR\n"
        "Checks a game as the player would read it (debug.ini's switches and folders, loose\n"
        "files and .oska archives, letter case ignored) and prints one line per problem:\n"
        "  FILE:LINE: message\n"
        "FILE is relative to GAME_DIR (an archived file as ARCHIVE.oska/ENTRY). LINE is the\n"
        "scenario source line, or the line of the INI key; a missing key is reported at its\n"
        "section's header line, a missing section or document at line 0.\n"
        "Checked:\n"
        "  - every scenario assembles; no label is defined twice; every instruction decodes\n"
        "    against the game's Instruction table;\n"
        "  - every label expression (go, call, if, item, er, ercg, the entry points, the replay\n"
        "    panels) names an existing scenario and label;\n"
        "  - every picture, mask, sound, voice (\\v codes) and movie named in the scenarios\n"
        "    and the mode documents exists, in its folder or in an archive;\n"
        "  - game_mode, title_mode, saveload_mode and omake_mode have the keys their screens\n"
        "    need (the ending roll takes its pictures from playending, checked above).\n"
        "Only literal operands (a quoted text, a number) are checked: a message or movie\n"
        "given by a variable or a constant, or computed from one, is not.\n"
        "Exit status: 0 when nothing was found, 1 when something was, 2 when the game\n"
        "could not be checked.\n");
}

QString CommandLine::PlayUsage() {
    return QStringLiteral(
        "usage: varo [GAME_DIR] [--save-dir DIR] [--headless] [--input FILE] [--trace FILE] "
        "[--shots DIR]\n"
        "       varo asm FILE [--game DIR] [-o OUT]\n"
        "       varo lint GAME_DIR\n"
        "       varo save decode FILE\n"
        "       varo save encode FILE [-o OUT]\n"
        "       varo oska pack DIR OUT | list ARCHIVE | extract ARCHIVE DIR\n"
        "       varo --version\n"
        "Plays the game in GAME_DIR (the bundled demo game without it).\n"
        "  --save-dir DIR  keep settings and save slots in DIR\n"
        "  --headless      run without a window on a virtual clock\n"
        "  --input FILE    scripted input for a headless run\n"
        "  --trace FILE    write the run's events to FILE\n"
        "  --shots DIR     folder for screenshots taken by the input script\n"
        "  -V, --version   print the version and exit\n"
        "Each command has --help. More in the manual page, varo(1).\n");
}

QString CommandLine::VersionText() {
    return QStringLiteral("varo " VARO_VERSION "\n");
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

QString CommandLine::OskaUsage() {
    return QStringLiteral(
        "usage: varo oska pack DIR OUT\n"
        "       varo oska list ARCHIVE\n"
        "       varo oska extract ARCHIVE DIR\n"
        "pack writes every file of DIR and its subfolders into the archive OUT; a file's\n"
        "key is its name without extension, and two files with the same key are an error.\n"
        "list prints one line per entry: identifier offset, key, entry name, size in bytes,\n"
        "separated by tabs.\n"
        "extract writes every entry under its entry name inside DIR.\n");
}
