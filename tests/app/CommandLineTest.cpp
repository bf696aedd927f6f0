#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using Command = CommandLine::Command;

namespace {

CommandLine parse(const char* line) {
    return CommandLine::Parse(QString(line).split(u' ', Qt::SkipEmptyParts));
}

}  // namespace

TEST(CommandLine, PlayWithOptions) {
    const CommandLine cmd = parse("game --headless --trace t.txt --save-dir s");
    EXPECT_EQ(cmd.command, Command::Play);
    EXPECT_EQ(cmd.gameDir, "game");
    EXPECT_TRUE(cmd.headless);
    EXPECT_EQ(cmd.traceFile, "t.txt");
    EXPECT_EQ(cmd.saveDir, "s");
    EXPECT_EQ(parse("").command, Command::Play);
    EXPECT_TRUE(parse("").gameDir.isEmpty());
}

TEST(CommandLine, SaveCommandsHelpAndErrors) {
    const std::pair<const char*, Command> rows[] = {{"save decode config.ini", Command::SaveDecode},
                                                    {"save encode c.txt", Command::SaveEncode},
                                                    {"--help", Command::Help},
                                                    {"save --help", Command::Help},
                                                    {"save encode --help", Command::Help},
                                                    {"--trace", Command::Error},
                                                    {"a b", Command::Error},
                                                    {"--bogus", Command::Error},
                                                    {"save", Command::Error},
                                                    {"save decode", Command::Error},
                                                    {"save zip f", Command::Error},
                                                    {"save decode f -o x", Command::Error}};
    for (const auto& [line, command] : rows) {
        EXPECT_EQ(parse(line).command, command) << line;
    }
    EXPECT_EQ(parse("save decode config.ini").file, "config.ini");
    const CommandLine encode = parse("save encode c.txt -o c.ini");
    EXPECT_EQ(encode.command, Command::SaveEncode);
    EXPECT_EQ(encode.file, "c.txt");
    EXPECT_EQ(encode.output, "c.ini");
    EXPECT_TRUE(parse("save encode --help").text.contains("encode"));
}

TEST(CommandLine, VersionPrintsTheProgramNameAndVersion) {
    for (const char* line : {"--version", "-V", "game --version", "--headless -V"}) {
        const CommandLine cmd = parse(line);
        EXPECT_EQ(cmd.command, Command::Version) << line;
        EXPECT_EQ(cmd.text, QStringLiteral("varo " VARO_VERSION "\n")) << line;
    }
    EXPECT_TRUE(QString(VARO_VERSION).contains(QRegularExpression("^\\d+\\.\\d+\\.\\d+$")));
    // Only the play command takes it; the tools read it as an argument.
    EXPECT_EQ(parse("asm --version").command, Command::Error);
    EXPECT_EQ(parse("--version-x").command, Command::Error);
    EXPECT_TRUE(parse("--help").text.contains("--version"));
}
