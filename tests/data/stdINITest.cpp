#include <gtest/gtest.h>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/ArchiveStartup.h"
#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "data/stdINI.h"
#include "media/clsOskaDriver.h"
#include "platform/os/Cp932Codec.h"

class stdINITest : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().Launcher = &launcher;
    }
    void TearDown() override {
        App().Launcher = nullptr;
        App().ResetSwitchesAndFolders();
    }
    QString logText() { return launcher.Log().Log(); }

    TempFolder dir;
    clsLaunch launcher;
};

TEST_F(stdINITest, SavesScrambledAndLoadsBack) {
    INIFile doc;
    doc.KeySection(QStringLiteral("Config"))
        .SetKeyValue(QStringLiteral("Font"), QStringLiteral("ＭＳ ゴシック"));
    const QString path = dir.file(QStringLiteral("config.ini"));
    ASSERT_TRUE(stdINI::SaveINIFile(doc, path));
    EXPECT_EQ(dir.read(QStringLiteral("config.ini")), Scrambler::scrambleText(doc.Text()));

    INIFile loaded;
    ASSERT_TRUE(stdINI::LoadINIFile(loaded, path));
    EXPECT_EQ(loaded.Text(), doc.Text());
    EXPECT_EQ(loaded.Path(), path);
    EXPECT_EQ(loaded.KeySection(QStringLiteral("config")).KeyValue(QStringLiteral("font")),
              QStringLiteral("ＭＳ ゴシック"));
}

TEST_F(stdINITest, PlainWhenScramblingIsOff) {
    App().INIEncript = false;
    INIFile doc;
    doc.SetText(QStringLiteral("[Save]\r\n名前=太郎"));
    const QString path = dir.file(QStringLiteral("sd01-01.ini"));
    ASSERT_TRUE(stdINI::SaveINIFile(doc, path));
    EXPECT_EQ(dir.read(QStringLiteral("sd01-01.ini")), Cp932Codec::encode(doc.Text()));
    INIFile loaded;
    ASSERT_TRUE(stdINI::LoadINIFile(loaded, path));
    EXPECT_EQ(loaded.Text(), doc.Text());
}

TEST_F(stdINITest, MissingAndEmptyFiles) {
    INIFile doc;
    doc.SetText(QStringLiteral("[Old]\r\nx=1"));
    EXPECT_FALSE(stdINI::LoadINIFile(doc, dir.file(QStringLiteral("none.ini"))));
    EXPECT_EQ(doc.Text(), QString());
    EXPECT_EQ(doc.Count(), 1);

    dir.write(QStringLiteral("empty.ini"), QByteArray());
    EXPECT_TRUE(stdINI::LoadINIFile(doc, dir.file(QStringLiteral("empty.ini"))));
    EXPECT_EQ(doc.Text(), QString());

    INIFile blank;
    ASSERT_TRUE(stdINI::SaveINIFile(blank, dir.file(QStringLiteral("blank.ini"))));
    EXPECT_EQ(dir.read(QStringLiteral("blank.ini")).size(), 0);
}

TEST_F(stdINITest, OddLengthFileIsDamagedAndLeftAlone) {
    const QByteArray damaged = Scrambler::scrambleText(QStringLiteral("[a]\r\nb=c")) + 'x';
    dir.write(QStringLiteral("sd00.ini"), damaged);
    INIFile doc;
    EXPECT_FALSE(stdINI::LoadINIFile(doc, dir.file(QStringLiteral("sd00.ini"))));
    EXPECT_EQ(doc.Text(), QString());
    EXPECT_EQ(dir.read(QStringLiteral("sd00.ini")), damaged);
    EXPECT_TRUE(logText().contains(QStringLiteral("Damaged file")));
    EXPECT_TRUE(logText().contains(dir.file(QStringLiteral("sd00.ini"))));
}

TEST_F(stdINITest, SaveWithoutPathFails) {
    INIFile doc;
    EXPECT_FALSE(stdINI::SaveINIFile(doc));
    doc.SetPath(dir.file(QStringLiteral("own.ini")));
    EXPECT_TRUE(stdINI::SaveINIFile(doc));
    EXPECT_TRUE(dir.exists(QStringLiteral("own.ini")));
}

TEST_F(stdINITest, SystemDocumentsByKeyIgnoreLetterCaseAndStayPlain) {
    dir.write(QStringLiteral("ini/SYSTEMINFO.INI"),
              Cp932Codec::encode(QStringLiteral("[Game]\r\nTitle=題名")));
    App().IniDir = dir.file(QStringLiteral("ini"));
    const auto doc = stdINI::LoadINIByKey(QStringLiteral("SystemInfo"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->KeySection(QStringLiteral("Game")).KeyValue(QStringLiteral("Title")),
              QStringLiteral("題名"));
    EXPECT_EQ(stdINI::LoadINIByKey(QStringLiteral("title_mode")), nullptr);
}

TEST_F(stdINITest, SystemDocumentKeysCannotLeaveTheFolder) {
    dir.write(QStringLiteral("secret.ini"), "[a]\r\nb=c");
    App().IniDir = dir.file(QStringLiteral("ini"));
    dir.write(QStringLiteral("ini/x.ini"), "");
    EXPECT_EQ(stdINI::LoadINIByKey(QStringLiteral("../secret")), nullptr);
    EXPECT_TRUE(logText().contains(QStringLiteral("refused")));
}

TEST_F(stdINITest, SystemDocumentsFallBackToTheArchives) {
    App().IniDir = dir.file(QStringLiteral("ini"));
    dir.write(QStringLiteral("ini/title_mode.ini"), "[Title]\r\nFrom=loose");
    dir.write(QStringLiteral("arc/data.oska"),
              oskatest::archive({{QStringLiteral("game_mode.ini"),
                                  Cp932Codec::encode(QStringLiteral("[Game]\r\nName=書庫")) +
                                      QByteArray(2, '\0')},
                                 {QStringLiteral("title_mode.ini"), "[Title]\r\nFrom=archive"}}));
    EXPECT_EQ(stdINI::LoadINIByKey(QStringLiteral("game_mode")), nullptr);  // no engine yet

    clsVaro varo;
    QString message;
    ASSERT_TRUE(
        ArchiveStartup::RegisterArchives(varo.Oska(), dir.file(QStringLiteral("arc")), message));
    struct EngineScope {
        explicit EngineScope(clsVaro* varo) { App().Varo = varo; }
        ~EngineScope() { App().Varo = nullptr; }
    } scope(&varo);

    const auto game = stdINI::LoadINIByKey(QStringLiteral("GAME_MODE"));
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->KeySection(QStringLiteral("game")).KeyValue(QStringLiteral("name")),
              QStringLiteral("書庫"));
    EXPECT_EQ(game->Text(), QStringLiteral("[Game]\r\nName=書庫"));  // trailing NULs trimmed

    const auto title = stdINI::LoadINIByKey(QStringLiteral("title_mode"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->KeySection(QStringLiteral("Title")).KeyValue(QStringLiteral("From")),
              QStringLiteral("loose"));  // a loose file comes first

    EXPECT_EQ(stdINI::LoadINIByKey(QStringLiteral("oskalist")), nullptr);  // identifier 0: absent
    EXPECT_EQ(stdINI::LoadINIByKey(QStringLiteral("omake_mode")), nullptr);
}

TEST_F(stdINITest, ADamagedArchivedDocumentIsLoggedAndAbsent) {
    const QByteArray good =
        oskatest::archive({{QStringLiteral("SystemInfo.ini"), "[Game]\r\nTitle=x"}});
    dir.write(QStringLiteral("arc/data.oska"), oskatest::withFlippedData(good, 1));
    clsVaro varo;
    QString message;
    ASSERT_TRUE(
        ArchiveStartup::RegisterArchives(varo.Oska(), dir.file(QStringLiteral("arc")), message));
    App().Varo = &varo;
    const auto doc = stdINI::LoadINIByKey(QStringLiteral("SystemInfo"));
    App().Varo = nullptr;
    EXPECT_EQ(doc, nullptr);
    EXPECT_TRUE(logText().contains(QStringLiteral("SystemInfo"))) << logText().toStdString();
}
