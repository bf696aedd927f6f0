#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>

#include "TestSupport.h"
#include "app/AppState.h"
#include "app/clsLaunch.h"
#include "platform/os/Cp932Codec.h"

class clsLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        // Make every switch differ from its default, so Init must reset them.
        App().ScenarioFileMode = App().AllCG = true;
        App().INIEncript = App().SubClassMode = false;
        App().IniDir = QStringLiteral("/elsewhere");
    }
    void TearDown() override { App().ResetSwitchesAndFolders(); }

    void writeDebugIni(const QString& text) {
        dir.write(QStringLiteral("debug.ini"), Cp932Codec::encode(text));
    }

    TempFolder dir;
};

TEST_F(clsLaunchTest, WithoutDebugIniEverythingKeepsItsDefault) {
    clsLaunch launcher;
    ASSERT_TRUE(launcher.Init());
    EXPECT_FALSE(launcher.IsDebugMode());
    EXPECT_EQ(launcher.Title(), QStringLiteral("ゲーム起動中"));
    EXPECT_FALSE(App().ScenarioFileMode);
    EXPECT_FALSE(App().AllCG);
    EXPECT_TRUE(App().INIEncript);
    EXPECT_TRUE(App().SubClassMode);
    for (const QString* folder : {&App().WorkspaceDir, &App().ArchiveDir, &App().ResourceDir,
                                  &App().IniDir, &App().MovieDir}) {
        EXPECT_EQ(*folder, dir.path());
    }
    EXPECT_EQ(launcher.DebugSec().Count(), 1);
    EXPECT_TRUE(launcher.Log().Path().isEmpty());
    launcher.Log().PutMsg(QStringLiteral("line"));
}

TEST_F(clsLaunchTest, SwitchesCompareLowerCased) {
    writeDebugIni(
        QStringLiteral("[debug]\r\nScenarioFileMode=TRUE\r\nCGFileMode=yes\r\n"
                       "SoundFileMode=True\r\nNovelMode=1\r\nAllCG=true\r\n"
                       "INIEncript=False\r\nSubClassMode=no\r\n"));
    clsLaunch launcher;
    ASSERT_TRUE(launcher.Init());
    EXPECT_TRUE(launcher.IsDebugMode());
    EXPECT_TRUE(App().ScenarioFileMode);
    EXPECT_FALSE(App().CGFileMode);
    EXPECT_TRUE(App().SoundFileMode);
    EXPECT_FALSE(App().NovelMode);
    EXPECT_FALSE(App().DrawActivity);
    EXPECT_TRUE(App().AllCG);
    EXPECT_FALSE(App().INIEncript);
    EXPECT_TRUE(App().SubClassMode);
    EXPECT_EQ(launcher.DebugSec().KeyValue(QStringLiteral("cgfilemode")), QStringLiteral("yes"));
}

TEST_F(clsLaunchTest, FoldersJoinTheWorkspace) {
    writeDebugIni(QStringLiteral("[Folder]\r\nWorkspace=\r\nArchive=arc\r\nini=data\\ini\r\n"));
    clsLaunch launcher;
    ASSERT_TRUE(launcher.Init());
    EXPECT_EQ(App().WorkspaceDir, dir.path());
    EXPECT_EQ(App().ArchiveDir, dir.path() + QStringLiteral("/arc"));
    EXPECT_EQ(App().IniDir, dir.path() + QStringLiteral("/data/ini"));
    // Missing keys still join: the workspace followed by a separator.
    EXPECT_EQ(App().MovieDir, dir.path() + QStringLiteral("/"));
    EXPECT_EQ(App().ResourceDir, dir.path() + QStringLiteral("/"));
}

TEST_F(clsLaunchTest, WorkspaceAbsoluteOrRelativeToTheGameFolder) {
    writeDebugIni(QStringLiteral("[Folder]\r\nWorkspace=/data/game\r\nmovie=mv\r\n"));
    {
        clsLaunch launcher;
        ASSERT_TRUE(launcher.Init());
        EXPECT_EQ(App().WorkspaceDir, QStringLiteral("/data/game"));
        EXPECT_EQ(App().MovieDir, QStringLiteral("/data/game/mv"));
    }
    writeDebugIni(QStringLiteral("[Folder]\r\nWorkspace=work\r\n"));
    clsLaunch launcher;
    ASSERT_TRUE(launcher.Init());
    EXPECT_EQ(App().WorkspaceDir, dir.path() + QStringLiteral("/work"));
}

TEST_F(clsLaunchTest, DebugModeLogIsSavedUnderLogOnRelease) {
    writeDebugIni(QStringLiteral("[debug]\r\n"));
    QString logPath;
    {
        clsLaunch launcher;
        ASSERT_TRUE(launcher.Init());
        logPath = launcher.Log().Path();
        EXPECT_EQ(launcher.Log().SaveMode(), 0);
        EXPECT_TRUE(launcher.Log().AutoSave());
        launcher.Log().PutMsg(QStringLiteral("シナリオ読み込み"));
    }
    EXPECT_TRUE(logPath.startsWith(dir.path() + QStringLiteral("/log/")));
    QFile file(logPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(QStringLiteral("シナリオ読み込み")));
}

TEST(clsLaunch, LogFileNameIsTwoDigitYearToSeconds) {
    const QDateTime start(QDate(2026, 3, 4), QTime(17, 5, 9));
    EXPECT_EQ(clsLaunch::LogFileName(start), QStringLiteral("log/260304170509.txt"));
}
