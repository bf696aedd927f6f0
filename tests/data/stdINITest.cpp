#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/ArchiveStartup.h"
#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "data/clsOskaDriver.h"
#include "data/stdINI.h"
#include "platform/os/Cp932Codec.h"

class stdINITest : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().Launcher = &launcher;
        App().IniDir = dir.file("ini");
    }
    void TearDown() override {
        App().Launcher = nullptr;
        App().Archives = nullptr;
        App().ResetSwitchesAndFolders();
    }
    QString logText() { return launcher.Log().Log(); }
    // Registers the archives of folder "arc" with an engine that system documents can see.
    void useArchives() {
        QString message;
        ASSERT_TRUE(ArchiveStartup::RegisterArchives(varo.Oska(), dir.file("arc"), message));
        App().Archives = &varo.Oska();
    }
    TempFolder dir;
    clsLaunch launcher;
    clsVaro varo;
};

TEST_F(stdINITest, SavesScrambledOrPlainAndLoadsBack) {
    INIFile doc;
    doc.KeySection("Config").SetKeyValue("Font", "ＭＳ ゴシック");
    for (bool scrambled : {true, false}) {
        App().INIEncript = scrambled;
        const QString path = dir.file(scrambled ? "config.ini" : "plain.ini");
        ASSERT_TRUE(stdINI::SaveINIFile(doc, path));
        EXPECT_EQ(dir.read(scrambled ? "config.ini" : "plain.ini"),
                  scrambled ? Scrambler::scrambleText(doc.Text()) : Cp932Codec::encode(doc.Text()));
        INIFile loaded;
        ASSERT_TRUE(stdINI::LoadINIFile(loaded, path));
        EXPECT_EQ(loaded.Text(), doc.Text());
        EXPECT_EQ(loaded.Path(), path);
        EXPECT_EQ(loaded.KeySection("config").KeyValue("font"), "ＭＳ ゴシック");
    }
}

TEST_F(stdINITest, MissingEmptyAndPathlessFiles) {
    INIFile doc;
    doc.SetText("[Old]\r\nx=1");
    EXPECT_FALSE(stdINI::LoadINIFile(doc, dir.file("none.ini")));
    EXPECT_EQ(doc.Text(), QString());
    EXPECT_EQ(doc.Count(), 1);
    dir.write("empty.ini", QByteArray());
    EXPECT_TRUE(stdINI::LoadINIFile(doc, dir.file("empty.ini")));
    EXPECT_EQ(doc.Text(), QString());
    INIFile blank;
    EXPECT_FALSE(stdINI::SaveINIFile(blank));  // no path
    blank.SetPath(dir.file("blank.ini"));
    ASSERT_TRUE(stdINI::SaveINIFile(blank));
    EXPECT_TRUE(dir.exists("blank.ini"));
    EXPECT_EQ(dir.read("blank.ini").size(), 0);
}

TEST_F(stdINITest, OddLengthFileIsDamagedAndLeftAlone) {
    const QByteArray damaged = Scrambler::scrambleText("[a]\r\nb=c") + 'x';
    dir.write("sd00.ini", damaged);
    INIFile doc;
    EXPECT_FALSE(stdINI::LoadINIFile(doc, dir.file("sd00.ini")));
    EXPECT_EQ(doc.Text(), QString());
    EXPECT_EQ(dir.read("sd00.ini"), damaged);
    EXPECT_TRUE(logText().contains("Damaged file"));
    EXPECT_TRUE(logText().contains(dir.file("sd00.ini")));
}

TEST_F(stdINITest, SystemDocumentsByKeyIgnoreLetterCaseStayPlainAndInTheFolder) {
    dir.write("ini/SYSTEMINFO.INI", Cp932Codec::encode(u"[Game]\r\nTitle=題名"));
    const auto doc = stdINI::LoadINIByKey("SystemInfo");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->KeySection("Game").KeyValue("Title"), "題名");
    EXPECT_EQ(stdINI::LoadINIByKey("title_mode"), nullptr);
    dir.write("secret.ini", "[a]\r\nb=c");
    EXPECT_EQ(stdINI::LoadINIByKey("../secret"), nullptr);
    EXPECT_TRUE(logText().contains("refused"));
}

TEST_F(stdINITest, SystemDocumentsFallBackToTheArchives) {
    dir.write("ini/title_mode.ini", "[Title]\r\nFrom=loose");
    dir.write("arc/data.oska",
              oskatest::archive({{"game_mode.ini",
                                  Cp932Codec::encode(u"[Game]\r\nName=書庫") + QByteArray(2, '\0')},
                                 {"title_mode.ini", "[Title]\r\nFrom=archive"}}));
    EXPECT_EQ(stdINI::LoadINIByKey("game_mode"), nullptr);  // no engine yet
    useArchives();
    const auto game = stdINI::LoadINIByKey("GAME_MODE");
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->KeySection("game").KeyValue("name"), "書庫");
    EXPECT_EQ(game->Text(), "[Game]\r\nName=書庫");  // trailing NULs trimmed
    const auto title = stdINI::LoadINIByKey("title_mode");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->KeySection("Title").KeyValue("From"), "loose");  // a loose file comes first
    EXPECT_EQ(stdINI::LoadINIByKey("oskalist"), nullptr);             // identifier 0: absent
    EXPECT_EQ(stdINI::LoadINIByKey("omake_mode"), nullptr);
}

TEST_F(stdINITest, ADamagedArchivedDocumentIsLoggedAndAbsent) {
    const QByteArray good = oskatest::archive({{"SystemInfo.ini", "[Game]\r\nTitle=x"}});
    dir.write("arc/data.oska", oskatest::withFlippedData(good, 1));
    useArchives();
    EXPECT_EQ(stdINI::LoadINIByKey("SystemInfo"), nullptr);
    EXPECT_TRUE(logText().contains("SystemInfo")) << logText().toStdString();
}

TEST_F(stdINITest, EveryRescuedCopyOfADamagedFileIsKept) {
    const QString path = dir.file("config.ini");
    dir.write("config.ini", "first damage");
    ASSERT_TRUE(stdINI::SetAsideDamaged(path, "Settings file"));
    dir.write("config.ini", "second damage");
    ASSERT_TRUE(stdINI::SetAsideDamaged(path, "Settings file"));
    EXPECT_EQ(dir.read("config.ini.damaged"), QByteArray("first damage"));
    EXPECT_EQ(dir.read("config.ini.damaged.2"), QByteArray("second damage"));
}

TEST_F(stdINITest, AFileFarBeyondAnyDocumentIsNotReadAndIsMovedAsideWhole) {
    const QString path = dir.file("sd00.ini");
    {
        QFile huge(path);
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(stdHelpers::kMaxDocumentBytes + 1));
    }
    for (const bool scrambled : {true, false}) {
        App().INIEncript = scrambled;
        INIFile doc;
        EXPECT_FALSE(stdINI::LoadINIFile(doc, path));
        QString text;
        EXPECT_FALSE(stdHelpers::ReadTextFile(path, text));
    }
    App().INIEncript = true;
    EXPECT_TRUE(logText().contains("File too large for a document"));
    ASSERT_TRUE(stdINI::SetAsideDamaged(path, "Shared data file"));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(dir.file("sd00.ini.damaged")).size(), stdHelpers::kMaxDocumentBytes + 1);
}
