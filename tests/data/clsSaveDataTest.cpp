#include "data/clsSaveData.h"

#include <gtest/gtest.h>

#include <QImage>

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

const QString kDamaged = "セーブデータが破損しています。";
const QString kImpossible = "ありえない";
const QString kBeyondCount = "全体個数を超えている";

class clsSaveDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().SaveDir = dir.file("savedata");
        App().INIEncript = true;
    }
    void TearDown() override { App().INIEncript = true; }
    QStringList messages() {
        QStringList texts = platform.trace().lines().filter(" msgbox \"");
        for (QString& text : texts) {
            text = text.section(u'"', 1, -2);
        }
        return texts;
    }
    static QImage preview() {
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(QColor(10, 200, 30));
        image.setPixelColor(3, 4, QColor(250, 5, 120));
        return image;
    }
    // A game in progress: a few status keys, variables and texts shown.
    static void fill(clsSaveData& data) {
        data.KestStatus().SetKeyValue("BGName", "bg01");
        data.IntprtStatus().SetKeyValue("Address", "s01,42");
        data.VaroStatus().SetKeyValue("DateString", "２４／０１／０２");
        data.Var().SetKeyValue("flag", "5");
        data.AddHistory("s01", 4);
        data.AddHistory("s01", 9);
        data.AddHistory("s02", 1);
    }
    // Every history entry as "script:index", joined by spaces.
    static QString entries(const clsSaveData& data) {
        QStringList all;
        for (std::int32_t n = 0; n < data.HistoryCount(); ++n) {
            QString script;
            std::int32_t index = -1;
            EXPECT_TRUE(data.GetHistory(n, script, index)) << n;
            all << script + ':' + QString::number(index);
        }
        return all.join(u' ');
    }
    // Whether the slot's document and preview exist.
    QString slot(const QString& name) const {
        return QString("%1 %2").arg(data.IsLoadable(name)).arg(data.IsPreviewExists(name));
    }

    clsSaveData data;
    TempFolder dir;
    ScriptedPlayer player;
    Platform& platform = player.platform;
    clsLaunch& launcher = player.launcher;
};

}  // namespace

TEST_F(clsSaveDataTest, ConsecutiveTextsOfOneScriptShareARecord) {
    data.AddHistory("a", 1);
    data.AddHistory("a", 2);
    data.AddHistory("b", 7);
    EXPECT_TRUE(data.AddHistory("a", 3));
    EXPECT_EQ(data.HistoryCount(), 4);
    EXPECT_EQ(data.HistorySection(), "a:1,2\r\nb:7\r\na:3");
    EXPECT_EQ(entries(data), "a:1 a:2 b:7 a:3");
    EXPECT_TRUE(messages().isEmpty());
    fill(data);
    data.Clear();
    EXPECT_EQ(data.Document().Text(), QString());
    EXPECT_EQ(data.HistoryCount(), 0);
    EXPECT_EQ(data.HistorySection(), QString());
}

TEST_F(clsSaveDataTest, PositionsOutsideTheHistoryAreReportedToThePlayer) {
    QString script = "kept";
    std::int32_t index = 99;
    EXPECT_FALSE(data.GetHistory(0, script, index));
    data.AddHistory("a", 1);
    data.AddHistory("b", 2);
    EXPECT_FALSE(data.GetHistory(2, script, index));
    EXPECT_FALSE(data.GetHistory(-1, script, index));
    EXPECT_EQ(script + QString::number(index), "kept99");
    EXPECT_EQ(messages(), QStringList({kBeyondCount, kBeyondCount, kImpossible}));
}

TEST_F(clsSaveDataTest, HistorySectionRoundTripsUnlessALineLacksItsColon) {
    EXPECT_EQ(data.HistorySection(), QString());
    data.SetHistorySection(" \r\ns01:4,9,12\r\nx:1\r\n  ");
    EXPECT_EQ(data.HistorySection(), "s01:4,9,12\r\nx:1");
    data.AddHistory("x", 5);  // adding continues the last record
    EXPECT_EQ(data.HistorySection(), "s01:4,9,12\r\nx:1,5");
    EXPECT_EQ(entries(data), "s01:4 s01:9 s01:12 x:1 x:5");
    data.SetHistorySection(QString());
    EXPECT_EQ(data.HistoryCount(), 0);
    EXPECT_TRUE(messages().isEmpty());
    // A line without a colon empties the history, with one message.
    data.AddHistory("old", 1);
    data.SetHistorySection("a:1\r\nabc\r\nb:2\r\nalso bad");
    EXPECT_EQ(data.HistorySection(), QString());
    EXPECT_EQ(messages(), QStringList{kDamaged});
    data.AddHistory("c", 8);
    EXPECT_EQ(entries(data), "c:8");
}

TEST_F(clsSaveDataTest, SlotNamesAndPaths) {
    const std::tuple<int, int, const char*> rows[] = {
        {12, 5, "sd12-05"}, {100, 1, "sd100-01"}, {1, 3, "sd01-03"}, {0, 123, "sd00-123"}};
    for (const auto& [page, slot, name] : rows) {
        EXPECT_EQ(clsSaveData::FormatSlotName(page, slot), name);
        EXPECT_EQ(clsSaveData::FormatINIPath(page, slot), App().SaveDir + "/" + name + ".ini");
        EXPECT_EQ(clsSaveData::FormatBMPPath(page, slot), App().SaveDir + "/" + name + ".bmp");
    }
}

TEST_F(clsSaveDataTest, SaveWritesPreviewAndDocumentAndLoadRestoresThem) {
    fill(data);
    EXPECT_EQ(slot("sd01-02"), "0 0");
    ASSERT_TRUE(data.Save("sd01-02", preview()));
    EXPECT_EQ(slot("sd01-02") + slot("sd01-03"), "1 10 0");
    const QByteArray bmp = dir.read("savedata/sd01-02.bmp");
    EXPECT_TRUE(bmp.startsWith("BM"));
    QImage shown;
    ASSERT_TRUE(shown.loadFromData(bmp, "BMP"));
    EXPECT_EQ(shown.size(), QSize(32, 24));
    EXPECT_EQ(shown.pixelColor(3, 4), QColor(250, 5, 120));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(10, 200, 30));
    INIFile stored;
    ASSERT_TRUE(stdINI::LoadINIFile(stored, dir.file("savedata/sd01-02.ini")));
    EXPECT_EQ(stored.KeySection("History").Text(), "s01:4,9\r\ns02:1");
    EXPECT_EQ(stored.KeySection("VaroStatus").KeyValue("DateString"), "２４／０１／０２");
    clsSaveData loaded;
    ASSERT_TRUE(loaded.Load("sd01-02"));
    EXPECT_EQ(loaded.Document().Text(), data.Document().Text());
    EXPECT_EQ(entries(loaded), "s01:4 s01:9 s02:1");
}

TEST_F(clsSaveDataTest, SavingAgainReplacesTheSlotAndAPreviewIsOptional) {
    App().INIEncript = false;
    fill(data);
    ASSERT_TRUE(data.Save("sd02-01", QImage()));
    EXPECT_EQ(slot("sd02-01"), "1 0");
    EXPECT_TRUE(dir.read("savedata/sd02-01.ini").contains("s01:4,9"));
    data.Clear();
    data.Var().SetKeyValue("other", "1");
    ASSERT_TRUE(data.Save("sd02-01", QImage()));
    clsSaveData loaded;
    ASSERT_TRUE(loaded.Load("sd02-01"));
    EXPECT_FALSE(loaded.Var().KeyExists("flag"));
    EXPECT_EQ(loaded.HistoryCount(), 0);
    EXPECT_FALSE(dir.exists("savedata/sd02-01.ini.damaged"));
}

TEST_F(clsSaveDataTest, SaveFailsOutsideTheSaveFolderOrWhenTheDocumentCannotBeWritten) {
    fill(data);
    for (const char* name : {"../sd01-01", "sub/sd01-01", "a\\b", ""}) {
        EXPECT_FALSE(data.Save(name, preview())) << name;
        EXPECT_FALSE(data.Load(name)) << name;
        EXPECT_EQ(slot(name), "0 0") << name;
    }
    EXPECT_FALSE(dir.exists("savedata"));
    dir.write("savedata", "in the way");  // the document cannot be written
    EXPECT_FALSE(data.Save("sd01-01", preview()));
    EXPECT_EQ(slot("sd01-01"), "0 0");
}

TEST_F(clsSaveDataTest, MissingOrDamagedSlotsAreNotLoadedAndKeepTheGameInProgress) {
    const QByteArray damaged = Scrambler::scrambleText("[Var]\r\nflag=1") + 'x';
    dir.write("savedata/sd01-04.ini", damaged);
    fill(data);
    const QString game = data.Document().Text();
    EXPECT_FALSE(data.Load("sd09-09"));
    EXPECT_EQ(slot("sd01-04"), "1 0");
    EXPECT_FALSE(data.Load("sd01-04"));
    EXPECT_EQ(dir.read("savedata/sd01-04.ini.damaged"), damaged);
    EXPECT_TRUE(launcher.Log().Log().contains("sd01-04.ini.damaged"));
    EXPECT_EQ(data.Document().Text(), game);
    EXPECT_EQ(entries(data), "s01:4 s01:9 s02:1");
    // Saving over a damaged slot keeps it aside first.
    dir.write("savedata/sd01-05.ini", "odd");
    ASSERT_TRUE(data.Save("sd01-05", QImage()));
    EXPECT_EQ(dir.read("savedata/sd01-05.ini.damaged"), "odd");
    clsSaveData loaded;
    EXPECT_TRUE(loaded.Load("sd01-05"));
    EXPECT_EQ(loaded.HistoryCount(), 3);
}

TEST_F(clsSaveDataTest, LoadWithADamagedHistoryGoesOnWithoutIt) {
    INIFile doc;
    doc.SetText("[Var]\r\nflag=2\r\n[History]\r\ns01:1\r\ngarbage");
    FileIo::makeDirectories(App().SaveDir);
    ASSERT_TRUE(stdINI::SaveINIFile(doc, dir.file("savedata/sd02-02.ini")));
    data.AddHistory("old", 1);
    ASSERT_TRUE(data.Load("sd02-02"));
    EXPECT_EQ(data.Var().KeyValue("flag"), "2");
    EXPECT_EQ(data.HistoryCount(), 0);
    EXPECT_EQ(messages(), QStringList{kDamaged});
}
