#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/os/GameFolder.h"

class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write(QStringLiteral("Scenario/Start.txt"), "x");
        dir.write(QStringLiteral("bg/BG01.png"), "p");
    }
    TempFolder dir;
};

TEST_F(GameFolderTest, FindsFilesIgnoringLetterCase) {
    const GameFolder game(dir.path());
    EXPECT_EQ(game.find(QStringLiteral("scenario/start.TXT")),
              dir.file(QStringLiteral("Scenario/Start.txt")));
    EXPECT_EQ(game.find(QStringLiteral("BG\\bg01.PNG")), dir.file(QStringLiteral("bg/BG01.png")));
    EXPECT_EQ(game.find(QStringLiteral("./bg//BG01.png")), dir.file(QStringLiteral("bg/BG01.png")));
}

TEST_F(GameFolderTest, MissingFilesAreNotFound) {
    const GameFolder game(dir.path());
    QString why;
    EXPECT_FALSE(game.find(QStringLiteral("scenario/none.txt"), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("scenario/none.txt")));
}

TEST_F(GameFolderTest, NamesOutsideTheFolderAreRefused) {
    dir.write(QStringLiteral("outside.txt"), "secret");
    const GameFolder game(dir.file(QStringLiteral("bg")));
    QString why;
    EXPECT_FALSE(game.find(QStringLiteral("../outside.txt"), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("refused")));
    EXPECT_FALSE(game.find(QStringLiteral("..\\outside.txt")));
    EXPECT_FALSE(game.find(QStringLiteral("a/../../outside.txt")));
    EXPECT_FALSE(game.find(dir.file(QStringLiteral("outside.txt"))));
    EXPECT_FALSE(game.find(QStringLiteral("C:\\windows\\win.ini")));
    EXPECT_FALSE(game.place(QStringLiteral("../new.txt")));
    EXPECT_FALSE(GameFolder::isConfined(QStringLiteral("/etc/passwd")));
    EXPECT_TRUE(GameFolder::isConfined(QStringLiteral("a..b/c..txt")));
}

TEST_F(GameFolderTest, PlaceKeepsExistingSpellingAndAppendsTheRest) {
    const GameFolder game(dir.path());
    EXPECT_EQ(game.place(QStringLiteral("SCENARIO/new/file.txt")),
              dir.file(QStringLiteral("Scenario/new/file.txt")));
}
