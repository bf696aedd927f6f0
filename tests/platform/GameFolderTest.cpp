#include "platform/os/GameFolder.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

TEST(GameFolder, FindsFilesIgnoringLetterCaseAndPlacesNewOnesInTheExistingSpelling) {
    TempFolder dir;
    dir.write("Scenario/Start.txt", "x");
    dir.write("bg/BG01.png", "p");
    const GameFolder game(dir.path());
    EXPECT_EQ(game.find("scenario/start.TXT"), dir.file("Scenario/Start.txt"));
    EXPECT_EQ(game.find("BG\\bg01.PNG"), dir.file("bg/BG01.png"));
    EXPECT_EQ(game.find("./bg//BG01.png"), dir.file("bg/BG01.png"));
    QString why;
    EXPECT_FALSE(game.find("scenario/none.txt", &why));
    EXPECT_TRUE(why.contains("scenario/none.txt"));
    EXPECT_EQ(game.place("SCENARIO/new/file.txt"), dir.file("Scenario/new/file.txt"));
}

TEST(GameFolder, NamesOutsideTheFolderAreRefused) {
    TempFolder dir;
    dir.write("outside.txt", "secret");
    const GameFolder game(dir.file("bg"));
    QString why;
    EXPECT_FALSE(game.find("../outside.txt", &why));
    EXPECT_TRUE(why.contains("refused"));
    for (const QString& name : {QString("..\\outside.txt"), QString("a/../../outside.txt"),
                                dir.file("outside.txt"), QString("C:\\windows\\win.ini")}) {
        EXPECT_FALSE(game.find(name)) << name.toStdString();
    }
    EXPECT_FALSE(game.place("../new.txt"));
    EXPECT_FALSE(GameFolder::isConfined("/etc/passwd"));
    EXPECT_TRUE(GameFolder::isConfined("a..b/c..txt"));
}
