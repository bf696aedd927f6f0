#include "data/SharedData.h"

#include <gtest/gtest.h>

#include <QFile>
#include <limits>

#include "TestSupport.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "data/Scrambler.h"
#include "data/stdINI.h"
#include "platform/Platform.h"
#include "platform/os/FileIo.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

namespace {

const QString kUnexpected = "システムデータに予期しないエラーが発生しました。";
constexpr int kMax = std::numeric_limits<std::int32_t>::max();
constexpr int kMin = std::numeric_limits<std::int32_t>::min();

class SharedDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().SaveDir = dir.file("savedata");
        App().INIEncript = true;
        systemInfo.SetText("[Game]\r\nx=1\r\n[Shared]\r\nflag=3\r\nname=太郎");
        omake.SetText(
            "[cgmode_cmd]\r\ncmd01=CG_A,10,20\r\nCMD02 = cg_b\r\nother=cg_c\r\n"
            "xcmd=cg_d ; not a command\r\n");
    }
    QString path() const { return dir.file("savedata/sd00.ini"); }
    bool fileExists() const { return dir.exists("savedata/sd00.ini"); }
    void removeFile() const { QFile::remove(path()); }
    // One section of the file as stored now.
    INISection stored(const QString& section) const {
        INIFile doc;
        stdINI::LoadINIFile(doc, path());
        return doc.KeySection(section);
    }
    void writeFile(const QString& text) const {
        INIFile doc;
        doc.SetText(text);
        FileIo::makeDirectories(App().SaveDir);
        ASSERT_TRUE(stdINI::SaveINIFile(doc, path()));
    }
    QStringList messages() {
        QStringList texts = platform.trace().lines().filter(" msgbox \"");
        for (QString& text : texts) {
            text = text.section(u'"', 1, -2);
        }
        return texts;
    }
    TempFolder dir;
    ScriptedPlayer player;
    Platform& platform = player.platform;
    clsLaunch& launcher = player.launcher;
    INIFile systemInfo;
    INIFile omake;
};

// Adds the lines in order to one scenario and gives the history text.
QString afterAdding(SharedData& data, const QString& name, const std::vector<int>& lines) {
    for (int line : lines) {
        data.AddCmdHistory(name, line);
    }
    return data.CmdHistorySection();
}

// For each line, 1 when the history has it, else 0.
QString present(const SharedData& data, const QString& name, const std::vector<int>& lines) {
    QString found;
    for (int line : lines) {
        found += data.CmdExists(name, line) ? u'1' : u'0';
    }
    return found;
}

}  // namespace

TEST_F(SharedDataTest, ReadLinesKeepSortedRangesThatNeverTouch) {
    SharedData data;
    EXPECT_EQ(afterAdding(data, "s", {1, 2, 3}), "s:1-3");
    EXPECT_EQ(afterAdding(data, "s", {5}), "s:1-3,5");
    EXPECT_EQ(afterAdding(data, "s", {4}), "s:1-5");
    EXPECT_EQ(afterAdding(data, "s", {6, 7, 15, 18, 16, 17}), "s:1-7,15-18");
    // 20 joins 15-19 and 21; extending that current range by 22 must merge it with 23-24.
    EXPECT_EQ(afterAdding(data, "s", {21, 19, 23, 24}), "s:1-7,15-19,21,23-24");
    EXPECT_EQ(afterAdding(data, "s", {20, 22}), "s:1-7,15-24");
    EXPECT_EQ(afterAdding(data, "t", {40, 30, 50, 29, 31, 10, 51, 39}),
              "s:1-7,15-24\r\nt:10,29-31,39-40,50-51");
    // Lines already recorded change nothing.
    EXPECT_EQ(afterAdding(data, "t", {10, 30, 51, 40}), "s:1-7,15-24\r\nt:10,29-31,39-40,50-51");
    SharedData extremes;
    EXPECT_EQ(afterAdding(extremes, "s", {kMax, kMax - 1, kMin, kMin + 1}),
              "s:-2147483648--2147483647,2147483646-2147483647");
}

TEST_F(SharedDataTest, CmdExistsFindsRecordedLinesOfEveryScenario) {
    SharedData data;
    EXPECT_FALSE(data.CmdExists("a", 1));
    data.SetCmdHistorySection("a:1-3,10\r\nb:5\r\nc:7-8\r\nd:2147483646-2147483647");
    EXPECT_EQ(present(data, "a", {0, 1, 2, 3, 4, 9, 10, 11}), "01110010");
    EXPECT_EQ(present(data, "b", {4, 5, 6}), "010");
    EXPECT_EQ(present(data, "c", {8}), "1");
    EXPECT_EQ(present(data, "C", {8}), "0");  // scenario names keep their letter case
    EXPECT_EQ(present(data, "e", {1}), "0");
    EXPECT_EQ(present(data, "d", {kMin, kMax}), "01");
    // Two records named x: which one answers depends on the current record.
    data.SetCmdHistorySection("x:1\r\ny:2\r\nx:3");
    EXPECT_EQ(present(data, "x", {1, 3}), "10");
    data.AddCmdHistory("y", 2);  // y becomes current: the records after it come first
    EXPECT_EQ(present(data, "x", {1, 3}), "01");
}

TEST_F(SharedDataTest, CmdExistsMovesNeitherRecordNorRange) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    afterAdding(data, "a", {1, 2});
    afterAdding(data, "b", {1});
    afterAdding(data, "a", {5, 6});
    EXPECT_EQ(present(data, "b", {1}) + present(data, "a", {1}), "11");
    removeFile();
    // Still on "a" and on its range 5-6: 7 extends it without switching scenarios.
    data.AddCmdHistory("a", 7);
    EXPECT_FALSE(fileExists());
    EXPECT_EQ(data.CmdHistorySection(), "a:1-2,5-7\r\nb:1");
}

TEST_F(SharedDataTest, EverySwitchOfScenarioWritesTheFileAndNothingElseDoes) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    ASSERT_TRUE(fileExists());
    const struct {
        const char* name;
        std::vector<int> lines;
        const char* next;
        int nextLine;
        const char* stored;
    } rows[] = {{"a", {1, 2}, "b", 1, "a:1-2"},
                {"b", {2, 2, 9}, "a", 3, "a:1-2\r\nb:1-2,9"},
                {"a", {3}, "c", 1, "a:1-3\r\nb:1-2,9"}};  // a:3 is already recorded
    for (const auto& row : rows) {
        removeFile();
        afterAdding(data, row.name, row.lines);
        EXPECT_FALSE(fileExists()) << row.stored;
        data.AddCmdHistory(row.next, row.nextLine);
        // Written before the new scenario is recorded.
        EXPECT_EQ(stored("AlreadyRead").Text(), row.stored);
    }
    EXPECT_EQ(data.CmdHistorySection(), "a:1-3\r\nb:1-2,9\r\nc:1");
}

TEST_F(SharedDataTest, HistoryTextRoundTripsAndNormalisesRanges) {
    SharedData data;
    const std::pair<const char*, const char*> rows[] = {
        {"  \r\nintro:1-15,18\r\nend:3\r\n \r\n", "intro:1-15,18\r\nend:3"},
        // Out of order, reversed, overlapping and touching ranges are brought back in shape.
        {"s:20,9-5,1-3,4,12-30,40", "s:1-9,12-30,40"},
        // Decimal numbers, held to 32 bits; text after the digits is ignored.
        {"s:4294967297, 7x,abc", "s:0,7,2147483647"},
        {" \r\n  \r\n\r\n ", ""}};
    for (const auto& [text, normal] : rows) {
        data.SetCmdHistorySection(text);
        EXPECT_EQ(data.CmdHistorySection(), normal) << text;
    }
    EXPECT_FALSE(data.CmdExists("s", 7));
    EXPECT_EQ(afterAdding(data, "b", {2}), "b:2");
    // Returning to a known scenario inserts into its record.
    data.SetCmdHistorySection("a:1-3,10\r\nb:5");
    EXPECT_EQ(afterAdding(data, "b", {6}), "a:1-3,10\r\nb:5-6");
    EXPECT_EQ(afterAdding(data, "a", {4, 9}), "a:1-4,9-10\r\nb:5-6");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(SharedDataTest, DamagedLinesBecomeErrorScenarioWithOneMessage) {
    SharedData data;
    data.SetCmdHistorySection("a:1-3\r\nbroken\r\nb:4\r\nalso broken");
    EXPECT_EQ(data.CmdHistorySection(), "a:1-3\r\nERROR_SCENARIO:0\r\nb:4\r\nERROR_SCENARIO:0");
    EXPECT_EQ(messages(), QStringList{kUnexpected});
    EXPECT_EQ(present(data, "ERROR_SCENARIO", {0}) + present(data, "b", {4}), "11");
    EXPECT_TRUE(launcher.Log().Log().contains("broken"));
    writeFile("[Var]\r\n[AlreadyRead]\r\nintro:1\r\nnonsense");
    ASSERT_TRUE(data.Init(systemInfo, omake));
    EXPECT_EQ(messages(), QStringList({kUnexpected, kUnexpected}));
    EXPECT_EQ(data.CmdHistorySection(), "intro:1\r\nERROR_SCENARIO:0");
}

TEST_F(SharedDataTest, ExistingFileIsUsedAsItIs) {
    writeFile("[Var]\r\nflag=9\r\n[AlreadyRead]\r\nintro:1-4\r\n[CGHistory]\r\ncg_b=1");
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    EXPECT_EQ(data.Var().Text(), "flag=9");
    EXPECT_EQ(data.CmdHistorySection(), "intro:1-4");
    EXPECT_EQ(data.CGHistory().Text(), "cg_b=1");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(SharedDataTest, DamagedFileIsKeptAsideAndStartedAnewOrInitFails) {
    const QByteArray damaged = Scrambler::scrambleText("[Var]\r\nflag=7") + 'x';
    dir.write("savedata/sd00.ini", damaged);
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    EXPECT_EQ(dir.read("savedata/sd00.ini.damaged"), damaged);
    EXPECT_EQ(stored("Var").Text(), "flag=3\r\nname=太郎");
    EXPECT_TRUE(launcher.Log().Log().contains("sd00.ini.damaged"));
    App().SaveDir = dir.file("blocked");
    dir.write("blocked", "a file where the folder should be");
    SharedData blocked;
    EXPECT_FALSE(blocked.Init(systemInfo, omake));
    EXPECT_FALSE(blocked.Save());
    EXPECT_EQ(dir.read("blocked"), "a file where the folder should be");
}

TEST_F(SharedDataTest, AMissingFileIsCreatedAndTheReleaseSavesOnlyAfterASuccessfulInit) {
    {
        SharedData data;
        data.AddCmdHistory("a", 1);
    }
    EXPECT_FALSE(fileExists());
    {
        SharedData data;
        ASSERT_TRUE(data.Init(systemInfo, omake));  // from section "Shared", scrambled
        EXPECT_EQ(data.Var().KeyValue("name"), "太郎");
        EXPECT_EQ(stored("Var").Text(), "flag=3\r\nname=太郎");
        INIFile doc;
        ASSERT_TRUE(stdINI::LoadINIFile(doc, path()));
        EXPECT_EQ(dir.read("savedata/sd00.ini"), Scrambler::scrambleText(doc.Text()));
        afterAdding(data, "a", {1, 2});
        data.Var().SetKeyValue("flag", "4");
        data.SetReplayReturn(true);  // the replay fields live only in memory
        data.SetReplayPage(3);
        removeFile();
    }
    EXPECT_EQ(stored("AlreadyRead").Text(), "a:1-2");
    EXPECT_EQ(stored("Var").Text(), "flag=4\r\nname=太郎");
    EXPECT_FALSE(Scrambler::unscrambleText(dir.read("savedata/sd00.ini"))->contains("Replay"));
}

TEST_F(SharedDataTest, OnlyCGCommandsAreRecordedAndEachIsWrittenAtOnce) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    removeFile();
    for (const char* name : {"cg_c", "cg_d", "10", "cmd01"}) {
        data.AddCGHistory(name);
    }
    EXPECT_FALSE(fileExists());
    EXPECT_EQ(data.CGHistory().Text(), QString());
    data.AddCGHistory("cg_a");  // listed as CG_A: letter case is ignored
    EXPECT_EQ(stored("CGHistory").KeyValue("cg_a"), "1");
    data.AddCGHistory("CG_B");
    EXPECT_EQ(data.CGHistory().KeyValue("cg_b"), "1");
    EXPECT_EQ(stored("CGHistory").KeyValue("cg_b"), "1");
    removeFile();
    SharedData withoutCommands;
    ASSERT_TRUE(withoutCommands.Init(systemInfo, INIFile()));
    withoutCommands.AddCGHistory("cg_a");
    EXPECT_EQ(withoutCommands.CGHistory().Text(), QString());
}
