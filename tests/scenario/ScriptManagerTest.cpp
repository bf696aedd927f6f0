#include <gtest/gtest.h>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/clsOskaDriver.h"
#include "platform/Platform.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"
#include "scenario/Script.h"
#include "scenario/ScriptManager.h"

class ScriptManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        info.SetText(QStringLiteral("[TextBlock]\r\nCharCount=10\r\nLineCount=2\r\n"));
    }
    void TearDown() override { App().ResetSwitchesAndFolders(); }
    void scenario(const QString& name, const QString& text) {
        dir.write(QStringLiteral("scenario/") + name, Cp932Codec::encode(text));
    }
    QStringList boxes() { return platform.trace().lines().filter(QStringLiteral("msgbox")); }

    TempFolder dir;
    ScriptedPlayer player;
    Platform& platform = player.platform;
    clsLaunch& launcher = player.launcher;
    INIFile info;
    ScriptManager store{&info};
};

TEST_F(ScriptManagerTest, InitNeedsTheTextBlockSettings) {
    INIFile empty;
    ScriptManager bare(&empty);
    EXPECT_FALSE(bare.Init(true, QString()));
    EXPECT_FALSE(bare.FileMode());
    EXPECT_TRUE(store.Init(true, QString()));
    EXPECT_TRUE(store.FileMode());
}

TEST_F(ScriptManagerTest, LoadsOnceAndSharesTheCacheAcrossLetterCase) {
    scenario(QStringLiteral("Start.TXT"), QStringLiteral("top:\r\nbg title\r\n"));
    ASSERT_TRUE(store.Init(true, QString()));
    const auto first = store.GetScript(QStringLiteral("start"), false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Element(0), QStringLiteral("bg\ttitle"));
    EXPECT_EQ(first->LabelAddress(QStringLiteral("top")), 0);
    dir.write(QStringLiteral("scenario/Start.TXT"), "changed");
    EXPECT_EQ(store.GetScript(QStringLiteral("START"), false), first);
    EXPECT_EQ(store.CachedCount(), 1);
    EXPECT_EQ(store.GetScript(QStringLiteral("missing"), false), nullptr);
}

TEST_F(ScriptManagerTest, AssemblyErrorIsShownAndTheScenarioIsUnavailable) {
    scenario(QStringLiteral("bad.txt"), QStringLiteral("nop\r\nendif\r\n"));
    ASSERT_TRUE(store.Init(true, QString()));
    EXPECT_EQ(store.GetScript(QStringLiteral("bad"), false), nullptr);
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(boxes().first().contains(
        QStringLiteral("シナリオアセンブルエラー  bad . 2\\nendif\\nendif without if")))
        << boxes().first().toStdString();
    EXPECT_EQ(store.CachedCount(), 0);
}

TEST_F(ScriptManagerTest, ParseErrorIsShownButTheScriptKept) {
    scenario(QStringLiteral("dup.txt"), QStringLiteral("a:\r\nnop\r\nA:\r\nnop\r\n"));
    ASSERT_TRUE(store.Init(true, QString()));
    EXPECT_NE(store.GetScript(QStringLiteral("dup"), false), nullptr);
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(
        boxes().first().contains(QStringLiteral("パースエラー：ラベル'a'が重複しています。")));
}

TEST_F(ScriptManagerTest, DisposeKeepsReservedScripts) {
    scenario(QStringLiteral("a.txt"), QStringLiteral("nop"));
    scenario(QStringLiteral("b.txt"), QStringLiteral("nop"));
    ASSERT_TRUE(store.Init(true, QStringLiteral("a")));  // preloaded, reserved
    store.GetScript(QStringLiteral("b"), false);
    store.Dispose(QStringLiteral("A"));
    store.Dispose(QStringLiteral("B"));
    store.Dispose(QStringLiteral("unknown"));
    EXPECT_EQ(store.CachedCount(), 1);
    store.DisposeAllScript();
    EXPECT_EQ(store.CachedCount(), 0);
}

TEST_F(ScriptManagerTest, NamesNeverLeaveTheScenarioFolder) {
    dir.write(QStringLiteral("secret.txt"), "nop");
    ASSERT_TRUE(store.Init(true, QString()));
    EXPECT_EQ(store.GetScript(QStringLiteral("../secret"), false), nullptr);
    EXPECT_EQ(store.GetScript(dir.file(QStringLiteral("secret")), false), nullptr);
    EXPECT_TRUE(launcher.Log().Log().contains(QStringLiteral("refused")));
}

TEST_F(ScriptManagerTest, ArchiveModeReadsAssembledEntries) {
    const QString archive = dir.file(QStringLiteral("data.oska"));
    dir.write(QStringLiteral("data.oska"),
              oskatest::archive({{QStringLiteral("scenario/story.txt"), "go\tnext\r\nnext:nop"}}));
    clsVaro varo;
    App().Archives = &varo.Oska();
    ASSERT_TRUE(varo.Oska().Init(1));
    ASSERT_TRUE(varo.Oska().LoadArchive(archive));
    QString list;
    ASSERT_TRUE(varo.Oska().LoadTextFile(0, list));
    ASSERT_TRUE(varo.Oska().LoadArchiveList(list, 0));
    ASSERT_TRUE(store.Init(false, QString()));
    const auto script = store.GetScript(QStringLiteral("STORY"), false);
    App().Archives = nullptr;
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->Element(0), QStringLiteral("go\tnext"));  // not assembled again
    EXPECT_EQ(script->LabelAddress(QStringLiteral("next")), 1);
}

TEST_F(ScriptManagerTest, DebugModeListsLoadedScripts) {
    dir.write(QStringLiteral("debug.ini"), "[debug]\r\n");
    ASSERT_TRUE(launcher.Init());
    launcher.Log().SetAutoSave(false);
    scenario(QStringLiteral("a.txt"), QStringLiteral("nop"));
    ASSERT_TRUE(store.Init(true, QStringLiteral("a")));
    EXPECT_TRUE(launcher.Log().Log().contains(QStringLiteral("a (reserved)")));
}
