#include <gtest/gtest.h>

#include "app/CommandLine.h"

using Command = CommandLine::Command;

TEST(CommandLine, PlayWithOptions) {
    const auto cmd = CommandLine::Parse({QStringLiteral("game"), QStringLiteral("--headless"),
                                         QStringLiteral("--trace"), QStringLiteral("t.txt"),
                                         QStringLiteral("--save-dir"), QStringLiteral("s")});
    EXPECT_EQ(cmd.command, Command::Play);
    EXPECT_EQ(cmd.gameDir, QStringLiteral("game"));
    EXPECT_TRUE(cmd.headless);
    EXPECT_EQ(cmd.traceFile, QStringLiteral("t.txt"));
    EXPECT_EQ(cmd.saveDir, QStringLiteral("s"));
    EXPECT_EQ(CommandLine::Parse({}).command, Command::Play);
    EXPECT_TRUE(CommandLine::Parse({}).gameDir.isEmpty());
}

TEST(CommandLine, Errors) {
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("--trace")}).command, Command::Error);
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("a"), QStringLiteral("b")}).command,
              Command::Error);
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("--bogus")}).command, Command::Error);
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("save")}).command, Command::Error);
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("save"), QStringLiteral("decode")}).command,
              Command::Error);
    EXPECT_EQ(
        CommandLine::Parse({QStringLiteral("save"), QStringLiteral("zip"), QStringLiteral("f")})
            .command,
        Command::Error);
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("save"), QStringLiteral("decode"),
                                  QStringLiteral("f"), QStringLiteral("-o"), QStringLiteral("x")})
                  .command,
              Command::Error);
}

TEST(CommandLine, SaveCommands) {
    const auto decode = CommandLine::Parse(
        {QStringLiteral("save"), QStringLiteral("decode"), QStringLiteral("config.ini")});
    EXPECT_EQ(decode.command, Command::SaveDecode);
    EXPECT_EQ(decode.file, QStringLiteral("config.ini"));
    const auto encode = CommandLine::Parse({QStringLiteral("save"), QStringLiteral("encode"),
                                            QStringLiteral("c.txt"), QStringLiteral("-o"),
                                            QStringLiteral("c.ini")});
    EXPECT_EQ(encode.command, Command::SaveEncode);
    EXPECT_EQ(encode.file, QStringLiteral("c.txt"));
    EXPECT_EQ(encode.output, QStringLiteral("c.ini"));
}

TEST(CommandLine, HelpEverywhere) {
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("--help")}).command, Command::Help);
    const auto saveHelp = CommandLine::Parse(
        {QStringLiteral("save"), QStringLiteral("encode"), QStringLiteral("--help")});
    EXPECT_EQ(saveHelp.command, Command::Help);
    EXPECT_TRUE(saveHelp.text.contains(QStringLiteral("encode")));
    EXPECT_EQ(CommandLine::Parse({QStringLiteral("save"), QStringLiteral("--help")}).command,
              Command::Help);
}
