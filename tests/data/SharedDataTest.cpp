#include "data/SharedData.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <limits>

#include "TestSupport.h"
#include "app/AppState.h"
#include "app/clsLaunch.h"
#include "data/Scrambler.h"
#include "data/stdINI.h"
#include "platform/Platform.h"
#include "platform/os/FileIo.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

namespace {

const QString kUnexpected = QStringLiteral("システムデータに予期しないエラーが発生しました。");

class SharedDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPlatform = App().platform;
        savedLauncher = App().Launcher;
        savedSaveDir = App().SaveDir;
        platform.setMessageBoxes(std::make_unique<ScriptedMessageBoxPresenter>(platform.trace()));
        platform.trace().keepInMemory(true);
        App().platform = &platform;
        App().Launcher = &launcher;
        App().SaveDir = dir.file(QStringLiteral("savedata"));
        App().INIEncript = true;
        systemInfo.SetText(QStringLiteral("[Game]\r\nx=1\r\n[Shared]\r\nflag=3\r\nname=太郎"));
        omake.SetText(
            QStringLiteral("[cgmode_cmd]\r\ncmd01=CG_A,10,20\r\nCMD02 = cg_b\r\nother=cg_c\r\n"
                           "xcmd=cg_d ; not a command\r\n"));
    }
    void TearDown() override {
        App().platform = savedPlatform;
        App().Launcher = savedLauncher;
        App().SaveDir = savedSaveDir;
        App().INIEncript = true;
    }

    QString path() const { return dir.file(QStringLiteral("savedata/sd00.ini")); }
    bool fileExists() const { return dir.exists(QStringLiteral("savedata/sd00.ini")); }
    void removeFile() const { QFile::remove(path()); }
    INIFile readFile() const {
        INIFile doc;
        stdINI::LoadINIFile(doc, path());
        return doc;
    }
    QString storedHistory() const {
        return readFile().KeySection(QStringLiteral("AlreadyRead")).Text();
    }
    void writeFile(const QString& text) const {
        INIFile doc;
        doc.SetText(text);
        FileIo::makeDirectories(App().SaveDir);
        ASSERT_TRUE(stdINI::SaveINIFile(doc, path()));
    }
    QStringList messages() {
        static const QRegularExpression box(QStringLiteral("^t=\\d+ msgbox \"(.*)\" -> "));
        QStringList texts;
        for (const QString& line : platform.trace().lines()) {
            const auto match = box.match(line);
            if (match.hasMatch()) {
                texts << match.captured(1);
            }
        }
        return texts;
    }

    TempFolder dir;
    Platform platform{std::make_unique<VirtualClock>(), nullptr};
    clsLaunch launcher;
    INIFile systemInfo;
    INIFile omake;
    Platform* savedPlatform = nullptr;
    clsLaunch* savedLauncher = nullptr;
    QString savedSaveDir;
};

// Adds the lines in order to one scenario and gives the history text.
QString afterAdding(SharedData& data, const QString& name, std::initializer_list<int> lines) {
    for (int line : lines) {
        data.AddCmdHistory(name, line);
    }
    return data.CmdHistorySection();
}

}  // namespace

// ---- read history ranges

TEST_F(SharedDataTest, ForwardReadingGrowsOneRange) {
    SharedData data;
    EXPECT_EQ(afterAdding(data, "intro", {1, 2, 3}), QStringLiteral("intro:1-3"));
    EXPECT_EQ(afterAdding(data, "intro", {5}), QStringLiteral("intro:1-3,5"));
    EXPECT_EQ(afterAdding(data, "intro", {4}), QStringLiteral("intro:1-5"));
    EXPECT_EQ(afterAdding(data, "intro", {6, 7, 15, 18, 16, 17}),
              QStringLiteral("intro:1-7,15-18"));
}

TEST_F(SharedDataTest, FillingTheGapMergesTheNeighbours) {
    SharedData data;
    EXPECT_EQ(afterAdding(data, "s", {10, 8}), QStringLiteral("s:8,10"));
    EXPECT_EQ(afterAdding(data, "s", {9}), QStringLiteral("s:8-10"));
    // The current range (8-10) ends just before a later range: extending it must merge.
    EXPECT_EQ(afterAdding(data, "s", {12, 13, 14}), QStringLiteral("s:8-10,12-14"));
    EXPECT_EQ(afterAdding(data, "s", {9, 11}), QStringLiteral("s:8-14"));
}

TEST_F(SharedDataTest, InsertionsBeforeBetweenAndAfterRanges) {
    SharedData data;
    EXPECT_EQ(afterAdding(data, "s", {20, 30, 40}), QStringLiteral("s:20,30,40"));
    EXPECT_EQ(afterAdding(data, "s", {5}), QStringLiteral("s:5,20,30,40"));
    EXPECT_EQ(afterAdding(data, "s", {29, 31}), QStringLiteral("s:5,20,29-31,40"));
    EXPECT_EQ(afterAdding(data, "s", {19, 4, 50, 25}),
              QStringLiteral("s:4-5,19-20,25,29-31,40,50"));
    // Lines already recorded change nothing.
    EXPECT_EQ(afterAdding(data, "s", {4, 5, 30, 50, 20}),
              QStringLiteral("s:4-5,19-20,25,29-31,40,50"));
}

TEST_F(SharedDataTest, ExtremeLineNumbersDoNotOverflow) {
    constexpr int kMax = std::numeric_limits<std::int32_t>::max();
    constexpr int kMin = std::numeric_limits<std::int32_t>::min();
    SharedData data;
    EXPECT_EQ(afterAdding(data, "s", {kMax, kMax - 1}), QStringLiteral("s:2147483646-2147483647"));
    EXPECT_EQ(afterAdding(data, "s", {kMin, kMin + 1}),
              QStringLiteral("s:-2147483648--2147483647,2147483646-2147483647"));
    EXPECT_TRUE(data.CmdExists("s", kMax));
    EXPECT_FALSE(data.CmdExists("s", 0));
}

// ---- CmdExists

TEST_F(SharedDataTest, CmdExistsFindsRecordedLinesOfEveryScenario) {
    SharedData data;
    EXPECT_FALSE(data.CmdExists("a", 1));
    data.SetCmdHistorySection(QStringLiteral("a:1-3,10\r\nb:5\r\nc:7-8"));
    for (int line : {1, 2, 3, 10}) {
        EXPECT_TRUE(data.CmdExists("a", line)) << line;
    }
    for (int line : {0, 4, 9, 11}) {
        EXPECT_FALSE(data.CmdExists("a", line)) << line;
    }
    EXPECT_TRUE(data.CmdExists("b", 5));
    EXPECT_FALSE(data.CmdExists("b", 6));
    EXPECT_TRUE(data.CmdExists("c", 8));
    EXPECT_FALSE(data.CmdExists("C", 8));  // scenario names keep their letter case
    EXPECT_FALSE(data.CmdExists("d", 1));
}

TEST_F(SharedDataTest, CmdExistsSearchesTheRecordsAfterTheCurrentOneFirst) {
    SharedData data;
    // Two records named x: which one answers depends on the current record.
    data.SetCmdHistorySection(QStringLiteral("x:1\r\ny:2\r\nx:3"));
    EXPECT_TRUE(data.CmdExists("x", 1));
    EXPECT_FALSE(data.CmdExists("x", 3));
    data.AddCmdHistory("y", 2);  // y becomes current
    EXPECT_TRUE(data.CmdExists("x", 3));
    EXPECT_FALSE(data.CmdExists("x", 1));
}

TEST_F(SharedDataTest, CmdExistsMovesNeitherRecordNorRange) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    afterAdding(data, "a", {1, 2});
    afterAdding(data, "b", {1});
    afterAdding(data, "a", {5, 6});
    EXPECT_TRUE(data.CmdExists("b", 1));
    EXPECT_TRUE(data.CmdExists("a", 1));
    removeFile();
    // Still on "a" and on its range 5-6: 7 extends it without switching scenarios.
    data.AddCmdHistory("a", 7);
    EXPECT_FALSE(fileExists());
    EXPECT_EQ(data.CmdHistorySection(), QStringLiteral("a:1-2,5-7\r\nb:1"));
}

// ---- scenario switches write the file

TEST_F(SharedDataTest, EverySwitchOfScenarioWritesTheFileAndNothingElseDoes) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    ASSERT_TRUE(fileExists());
    removeFile();
    afterAdding(data, "a", {1, 2});
    EXPECT_FALSE(fileExists());
    data.AddCmdHistory("b", 1);
    ASSERT_TRUE(fileExists());
    // Written before the new scenario is recorded.
    EXPECT_EQ(storedHistory(), QStringLiteral("a:1-2"));
    removeFile();
    afterAdding(data, "b", {2, 2, 9});
    EXPECT_FALSE(fileExists());
    data.AddCmdHistory("a", 3);
    ASSERT_TRUE(fileExists());
    EXPECT_EQ(storedHistory(), QStringLiteral("a:1-2\r\nb:1-2,9"));
    removeFile();
    data.AddCmdHistory("a", 3);  // already recorded, same scenario as the call before
    EXPECT_FALSE(fileExists());
    data.AddCmdHistory("c", 1);
    EXPECT_TRUE(fileExists());
    EXPECT_EQ(storedHistory(), QStringLiteral("a:1-3\r\nb:1-2,9"));
    EXPECT_EQ(data.CmdHistorySection(), QStringLiteral("a:1-3\r\nb:1-2,9\r\nc:1"));
}

TEST_F(SharedDataTest, ReturningToAKnownScenarioInsertsIntoItsRecord) {
    SharedData data;
    data.SetCmdHistorySection(QStringLiteral("a:1-3,10\r\nb:5"));
    data.AddCmdHistory("b", 6);
    data.AddCmdHistory("a", 4);
    data.AddCmdHistory("a", 9);
    EXPECT_EQ(data.CmdHistorySection(), QStringLiteral("a:1-4,9-10\r\nb:5-6"));
}

// ---- text form

TEST_F(SharedDataTest, HistoryTextRoundTripsAndNormalisesRanges) {
    SharedData data;
    data.SetCmdHistorySection(QStringLiteral("  \r\nintro:1-15,18\r\nend:3\r\n \r\n"));
    EXPECT_EQ(data.CmdHistorySection(), QStringLiteral("intro:1-15,18\r\nend:3"));
    EXPECT_TRUE(data.CmdExists("intro", 15));
    EXPECT_FALSE(data.CmdExists("intro", 16));
    // Out of order, reversed, overlapping and touching ranges are brought back in shape.
    data.SetCmdHistorySection(QStringLiteral("s:20,9-5,1-3,4,12-30,40"));
    EXPECT_EQ(data.CmdHistorySection(), QStringLiteral("s:1-9,12-30,40"));
    // Decimal numbers, held to 32 bits; text after the digits is ignored.
    data.SetCmdHistorySection(QStringLiteral("s:4294967297, 7x,abc"));
    EXPECT_EQ(data.CmdHistorySection(), QStringLiteral("s:0,7,2147483647"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(SharedDataTest, BlankHistoryIsEmpty) {
    SharedData data;
    data.SetCmdHistorySection(QStringLiteral("a:1"));
    data.SetCmdHistorySection(QStringLiteral(" \r\n  \r\n\r\n "));
    EXPECT_EQ(data.CmdHistorySection(), QString());
    EXPECT_FALSE(data.CmdExists("a", 1));
    EXPECT_EQ(afterAdding(data, "b", {2}), QStringLiteral("b:2"));
}

TEST_F(SharedDataTest, DamagedLinesBecomeErrorScenarioWithOneMessage) {
    SharedData data;
    data.SetCmdHistorySection(QStringLiteral("a:1-3\r\nbroken\r\nb:4\r\nalso broken"));
    EXPECT_EQ(data.CmdHistorySection(),
              QStringLiteral("a:1-3\r\nERROR_SCENARIO:0\r\nb:4\r\nERROR_SCENARIO:0"));
    EXPECT_EQ(messages(), QStringList{kUnexpected});
    EXPECT_TRUE(data.CmdExists("ERROR_SCENARIO", 0));
    EXPECT_TRUE(data.CmdExists("b", 4));
    EXPECT_TRUE(launcher.Log().Log().contains(QStringLiteral("broken")));
}

// ---- file

TEST_F(SharedDataTest, MissingFileIsCreatedFromTheSharedSection) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    ASSERT_TRUE(fileExists());
    EXPECT_EQ(data.Var().KeyValue(QStringLiteral("name")), QStringLiteral("太郎"));
    INIFile stored = readFile();
    EXPECT_EQ(stored.KeySection(QStringLiteral("Var")).KeyValue(QStringLiteral("flag")),
              QStringLiteral("3"));
    EXPECT_EQ(stored.KeySection(QStringLiteral("Var")).KeyValue(QStringLiteral("x")), QString());
    // Scrambled, as every data file is by default.
    EXPECT_EQ(dir.read(QStringLiteral("savedata/sd00.ini")),
              Scrambler::scrambleText(stored.Text()));
}

TEST_F(SharedDataTest, ExistingFileIsUsedAsItIs) {
    writeFile(
        QStringLiteral("[Var]\r\nflag=9\r\n[AlreadyRead]\r\nintro:1-4\r\n[CGHistory]\r\ncg_b=1"));
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    EXPECT_EQ(data.Var().KeyValue(QStringLiteral("flag")), QStringLiteral("9"));
    EXPECT_FALSE(data.Var().KeyExists(QStringLiteral("name")));
    EXPECT_TRUE(data.CmdExists("intro", 4));
    EXPECT_EQ(data.CGHistory().KeyValue(QStringLiteral("cg_b")), QStringLiteral("1"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(SharedDataTest, DamagedHistoryInTheFileIsReportedAtInit) {
    writeFile(QStringLiteral("[Var]\r\n[AlreadyRead]\r\nintro:1\r\nnonsense"));
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    EXPECT_EQ(messages(), QStringList{kUnexpected});
    EXPECT_EQ(data.CmdHistorySection(), QStringLiteral("intro:1\r\nERROR_SCENARIO:0"));
}

TEST_F(SharedDataTest, DamagedFileIsKeptAsideAndStartedAnew) {
    const QByteArray damaged = Scrambler::scrambleText(QStringLiteral("[Var]\r\nflag=7")) + 'x';
    dir.write(QStringLiteral("savedata/sd00.ini"), damaged);
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    EXPECT_EQ(dir.read(QStringLiteral("savedata/sd00.ini.damaged")), damaged);
    EXPECT_EQ(readFile().KeySection(QStringLiteral("Var")).KeyValue(QStringLiteral("flag")),
              QStringLiteral("3"));
    EXPECT_TRUE(launcher.Log().Log().contains(QStringLiteral("sd00.ini.damaged")));
}

TEST_F(SharedDataTest, InitFailsWhenTheFileCannotBeCreated) {
    dir.write(QStringLiteral("savedata"), QByteArray("a file where the folder should be"));
    SharedData data;
    EXPECT_FALSE(data.Init(systemInfo, omake));
    EXPECT_FALSE(data.Save());
    EXPECT_EQ(dir.read(QStringLiteral("savedata")),
              QByteArray("a file where the folder should be"));
}

TEST_F(SharedDataTest, ReleaseSavesOnlyAfterASuccessfulInit) {
    {
        SharedData data;
        data.AddCmdHistory("a", 1);
    }
    EXPECT_FALSE(fileExists());
    {
        SharedData data;
        ASSERT_TRUE(data.Init(systemInfo, omake));
        data.AddCmdHistory("a", 1);
        data.AddCmdHistory("a", 2);
        data.Var().SetKeyValue(QStringLiteral("flag"), QStringLiteral("4"));
        removeFile();
    }
    ASSERT_TRUE(fileExists());
    EXPECT_EQ(storedHistory(), QStringLiteral("a:1-2"));
    EXPECT_EQ(readFile().KeySection(QStringLiteral("Var")).KeyValue(QStringLiteral("flag")),
              QStringLiteral("4"));
}

// ---- CG history

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
    ASSERT_TRUE(fileExists());
    EXPECT_EQ(readFile().KeySection(QStringLiteral("CGHistory")).KeyValue(QStringLiteral("cg_a")),
              QStringLiteral("1"));
    data.AddCGHistory("CG_B");
    EXPECT_EQ(data.CGHistory().KeyValue(QStringLiteral("cg_b")), QStringLiteral("1"));
    EXPECT_EQ(readFile().KeySection(QStringLiteral("CGHistory")).KeyValue(QStringLiteral("cg_b")),
              QStringLiteral("1"));
}

TEST_F(SharedDataTest, WithoutCGCommandsNothingIsRecorded) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, INIFile()));
    data.AddCGHistory("cg_a");
    EXPECT_EQ(data.CGHistory().Text(), QString());
}

// ---- replay fields

TEST_F(SharedDataTest, ReplayFieldsStartClearedAndAreNeverStored) {
    SharedData data;
    ASSERT_TRUE(data.Init(systemInfo, omake));
    EXPECT_FALSE(data.ReplayReturn());
    EXPECT_EQ(data.ReplayPage(), 0);
    data.SetReplayReturn(true);
    data.SetReplayPage(3);
    EXPECT_TRUE(data.ReplayReturn());
    EXPECT_EQ(data.ReplayPage(), 3);
    ASSERT_TRUE(data.Save());
    EXPECT_FALSE(readFile().Text().contains(QStringLiteral("Replay"), Qt::CaseInsensitive));
}
