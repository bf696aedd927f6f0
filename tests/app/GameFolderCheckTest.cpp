#include "app/GameFolderCheck.h"

#include <gtest/gtest.h>

#include "OskaTestArchives.h"
#include "TestSupport.h"

namespace {

const QString kNotAGame = QStringLiteral("not a Varo game (no SystemInfo.ini)");

class GameFolderCheckTest : public ::testing::Test {
protected:
    // The folder checked with its INI and archive folders both the game folder.
    QString problem(const QString& name = QStringLiteral("game")) const {
        return GameFolderCheck::Problem(dir.file(name), dir.file(name), dir.file(name));
    }
    TempFolder dir;
};

}  // namespace

TEST_F(GameFolderCheckTest, AMissingFolderOrAFileIsNamedAsSuch) {
    EXPECT_EQ(problem(), "no such folder");
    dir.write("game", "a file");
    EXPECT_EQ(problem(), "not a folder");
}

TEST_F(GameFolderCheckTest, AFolderWithoutSystemInformationIsNotAGame) {
    dir.write("game/scenario/start.txt", "nop\r\n");
    dir.write("game/game_mode.ini", "[Base]\r\n");
    EXPECT_EQ(problem(), kNotAGame);
    // A folder of that name is no document.
    dir.write("game/SystemInfo.ini/inside.txt", "");
    EXPECT_EQ(problem(), kNotAGame);
}

TEST_F(GameFolderCheckTest, ALooseSystemInfoInAnyLetterCaseMakesAGame) {
    dir.write("game/systeminfo.INI", "[Game]\r\n");
    EXPECT_EQ(problem(), "");
}

TEST_F(GameFolderCheckTest, TheLooseDocumentIsLookedForInTheIniFolder) {
    dir.write("game/ini/SystemInfo.ini", "[Game]\r\n");
    EXPECT_EQ(problem(), kNotAGame);
    EXPECT_EQ(GameFolderCheck::Problem(dir.file("game"), dir.file("game/ini"), dir.file("game")),
              "");
}

TEST_F(GameFolderCheckTest, AnArchiveThatListsTheSystemInformationMakesAGame) {
    dir.write("game/data.oska", oskatest::archive({{"title_mode.ini", "[Title]\r\n"}}));
    EXPECT_EQ(problem(), kNotAGame);
    dir.write("game/arc/more.OSKA", oskatest::archive({{"SYSTEMINFO.ini", "[Game]\r\n"}}));
    EXPECT_EQ(problem(), kNotAGame);  // not in the archive folder
    EXPECT_EQ(GameFolderCheck::Problem(dir.file("game"), dir.file("game"), dir.file("game/arc")),
              "");
}

TEST_F(GameFolderCheckTest, AnArchiveThatCannotBeReadIsLeftToTheStart) {
    dir.write("game/broken.oska", "PK\x03\x04 not really a zip");
    EXPECT_EQ(problem(), "");
}
