#include "app/clsLaunch.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include "TestSupport.h"
#include "base/AppState.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"

class clsLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        // Make every switch differ from its default, so Init must reset them.
        App().ScenarioFileMode = App().AllCG = true;
        App().INIEncript = App().SubClassMode = false;
        App().IniDir = "/elsewhere";
    }
    void TearDown() override { App().ResetSwitchesAndFolders(); }
    // Starts a launcher with that debug.ini, none for "".
    std::unique_ptr<clsLaunch> launched(const QString& debugIni) {
        if (!debugIni.isEmpty()) {
            dir.write("debug.ini", Cp932Codec::encode(debugIni));
        }
        auto launcher = std::make_unique<clsLaunch>();
        EXPECT_TRUE(launcher->Init());
        return launcher;
    }
    // The switches as 0/1 in a fixed order.
    static QString switches() {
        QString bits;
        for (bool on :
             {App().ScenarioFileMode, App().CGFileMode, App().SoundFileMode, App().NovelMode,
              App().DrawActivity, App().AllCG, App().INIEncript, App().SubClassMode}) {
            bits += on ? u'1' : u'0';
        }
        return bits;
    }
    TempFolder dir;
};

TEST_F(clsLaunchTest, WithoutDebugIniEverythingKeepsItsDefault) {
    auto launcher = launched("");
    EXPECT_FALSE(launcher->IsDebugMode());
    EXPECT_EQ(launcher->Title(), "ゲーム起動中");
    EXPECT_EQ(switches(), "00000011");
    for (const QString* folder : {&App().WorkspaceDir, &App().ArchiveDir, &App().ResourceDir,
                                  &App().IniDir, &App().MovieDir}) {
        EXPECT_EQ(*folder, dir.path());
    }
    EXPECT_EQ(launcher->DebugSec().Count(), 1);
    EXPECT_TRUE(launcher->Log().Path().isEmpty());
}

TEST_F(clsLaunchTest, SwitchesCompareLowerCased) {
    auto launcher = launched(
        "[debug]\r\nScenarioFileMode=TRUE\r\nCGFileMode=yes\r\nSoundFileMode=True\r\n"
        "NovelMode=1\r\nAllCG=true\r\nINIEncript=False\r\nSubClassMode=no\r\n");
    EXPECT_TRUE(launcher->IsDebugMode());
    EXPECT_EQ(switches(), "10100101");
    EXPECT_EQ(launcher->DebugSec().KeyValue("cgfilemode"), "yes");
}

TEST_F(clsLaunchTest, FoldersJoinTheWorkspace) {
    launched("[Folder]\r\nWorkspace=\r\nArchive=arc\r\nini=data\\ini\r\n");
    EXPECT_EQ(App().WorkspaceDir, dir.path());
    EXPECT_EQ(App().ArchiveDir, dir.path() + "/arc");
    EXPECT_EQ(App().IniDir, dir.path() + "/data/ini");
    // Missing keys still join: the workspace followed by a separator.
    EXPECT_EQ(App().MovieDir, dir.path() + "/");
    EXPECT_EQ(App().ResourceDir, dir.path() + "/");
}

TEST_F(clsLaunchTest, WorkspaceAbsoluteOrRelativeToTheGameFolder) {
    launched("[Folder]\r\nWorkspace=/data/game\r\nmovie=mv\r\n");
    EXPECT_EQ(App().WorkspaceDir, "/data/game");
    EXPECT_EQ(App().MovieDir, "/data/game/mv");
    launched("[Folder]\r\nWorkspace=work\r\n");
    EXPECT_EQ(App().WorkspaceDir, dir.path() + "/work");
}

TEST_F(clsLaunchTest, DebugModeLogIsSavedUnderLogOnRelease) {
    auto launcher = launched("[debug]\r\n");
    const QString logPath = launcher->Log().Path();
    EXPECT_EQ(launcher->Log().SaveMode(), 0);
    launcher->Log().PutMsg("シナリオ読み込み");
    launcher.reset();
    EXPECT_TRUE(logPath.startsWith(dir.path() + "/log/"));
    EXPECT_TRUE(
        QString::fromUtf8(FileIo::readAll(logPath).value_or("")).contains("シナリオ読み込み"));
}

TEST_F(clsLaunchTest, ReadingOnlyTheDebugSettingsWritesNothing) {
    clsLaunch plain;
    EXPECT_FALSE(plain.ReadDebugSettings());
    EXPECT_EQ(switches(), "00000011");
    EXPECT_EQ(App().IniDir, dir.path());
    dir.write("debug.ini",
              Cp932Codec::encode(QStringLiteral("[debug]\r\nCGFileMode=True\r\nEntryPoint=a.b\r\n"
                                                "[Folder]\r\nmovie=mv\r\n")));
    clsLaunch launcher;
    EXPECT_TRUE(launcher.ReadDebugSettings());
    EXPECT_TRUE(launcher.IsDebugMode());
    EXPECT_TRUE(App().CGFileMode);
    EXPECT_EQ(App().MovieDir, dir.path() + "/mv");
    EXPECT_EQ(launcher.DebugSec().KeyValue("EntryPoint"), "a.b");
    EXPECT_TRUE(launcher.Log().Path().isEmpty());
    EXPECT_FALSE(dir.exists("log"));
}

TEST(clsLaunch, LogFileNameIsTwoDigitYearToSeconds) {
    EXPECT_EQ(clsLaunch::LogFileName(QDateTime(QDate(2026, 3, 4), QTime(17, 5, 9))),
              "log/260304170509.txt");
}
