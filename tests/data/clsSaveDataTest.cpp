#include "data/clsSaveData.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>

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

const QString kDamaged = QStringLiteral("セーブデータが破損しています。");
const QString kImpossible = QStringLiteral("ありえない");
const QString kBeyondCount = QStringLiteral("全体個数を超えている");

class clsSaveDataTest : public ::testing::Test {
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
    }
    void TearDown() override {
        App().platform = savedPlatform;
        App().Launcher = savedLauncher;
        App().SaveDir = savedSaveDir;
        App().INIEncript = true;
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
    static QImage preview() {
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(QColor(10, 200, 30));
        image.setPixelColor(3, 4, QColor(250, 5, 120));
        return image;
    }
    // A game in progress: a few status keys, variables and texts shown.
    static void fill(clsSaveData& data) {
        data.KestStatus().SetKeyValue(QStringLiteral("BGName"), QStringLiteral("bg01"));
        data.IntprtStatus().SetKeyValue(QStringLiteral("Address"), QStringLiteral("s01,42"));
        data.VaroStatus().SetKeyValue(QStringLiteral("DateString"),
                                      QStringLiteral("２４／０１／０２"));
        data.Var().SetKeyValue(QStringLiteral("flag"), QStringLiteral("5"));
        data.AddHistory(QStringLiteral("s01"), 4);
        data.AddHistory(QStringLiteral("s01"), 9);
        data.AddHistory(QStringLiteral("s02"), 1);
    }

    TempFolder dir;
    Platform platform{std::make_unique<VirtualClock>(), nullptr};
    clsLaunch launcher;
    Platform* savedPlatform = nullptr;
    clsLaunch* savedLauncher = nullptr;
    QString savedSaveDir;
};

struct Entry {
    QString script;
    std::int32_t index = -1;
};

Entry historyAt(const clsSaveData& data, std::int32_t n) {
    Entry entry{QStringLiteral("untouched"), -1};
    EXPECT_TRUE(data.GetHistory(n, entry.script, entry.index)) << n;
    return entry;
}

}  // namespace

// ---- history

TEST_F(clsSaveDataTest, ConsecutiveTextsOfOneScriptShareARecord) {
    clsSaveData data;
    data.AddHistory(QStringLiteral("a"), 1);
    data.AddHistory(QStringLiteral("a"), 2);
    data.AddHistory(QStringLiteral("b"), 7);
    EXPECT_TRUE(data.AddHistory(QStringLiteral("a"), 3));
    EXPECT_EQ(data.HistoryCount(), 4);
    EXPECT_EQ(data.HistorySection(), QStringLiteral("a:1,2\r\nb:7\r\na:3"));
    const std::vector<std::pair<QString, int>> expected = {{"a", 1}, {"a", 2}, {"b", 7}, {"a", 3}};
    for (int n = 0; n < 4; ++n) {
        const Entry entry = historyAt(data, n);
        EXPECT_EQ(entry.script, expected[n].first) << n;
        EXPECT_EQ(entry.index, expected[n].second) << n;
    }
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(clsSaveDataTest, PositionsOutsideTheHistoryAreReportedToThePlayer) {
    clsSaveData data;
    QString script = QStringLiteral("kept");
    std::int32_t index = 99;
    EXPECT_FALSE(data.GetHistory(0, script, index));
    data.AddHistory(QStringLiteral("a"), 1);
    data.AddHistory(QStringLiteral("b"), 2);
    EXPECT_FALSE(data.GetHistory(2, script, index));
    EXPECT_FALSE(data.GetHistory(-1, script, index));
    EXPECT_EQ(script, QStringLiteral("kept"));
    EXPECT_EQ(index, 99);
    EXPECT_EQ(messages(), (QStringList{kBeyondCount, kBeyondCount, kImpossible}));
}

TEST_F(clsSaveDataTest, HistorySectionRoundTrip) {
    clsSaveData data;
    EXPECT_EQ(data.HistorySection(), QString());
    data.SetHistorySection(QStringLiteral(" \r\ns01:4,9,12\r\nx:1\r\n  "));
    EXPECT_EQ(data.HistoryCount(), 4);
    EXPECT_EQ(data.HistorySection(), QStringLiteral("s01:4,9,12\r\nx:1"));
    EXPECT_EQ(historyAt(data, 2).index, 12);
    EXPECT_EQ(historyAt(data, 3).script, QStringLiteral("x"));
    // Adding continues the last record.
    data.AddHistory(QStringLiteral("x"), 5);
    EXPECT_EQ(data.HistorySection(), QStringLiteral("s01:4,9,12\r\nx:1,5"));
    EXPECT_EQ(historyAt(data, 4).index, 5);

    data.SetHistorySection(QString());
    EXPECT_EQ(data.HistoryCount(), 0);
    EXPECT_EQ(data.HistorySection(), QString());
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(clsSaveDataTest, LineWithoutColonEmptiesTheHistoryWithOneMessage) {
    clsSaveData data;
    data.AddHistory(QStringLiteral("old"), 1);
    data.SetHistorySection(QStringLiteral("a:1\r\nabc\r\nb:2\r\nalso bad"));
    EXPECT_EQ(data.HistoryCount(), 0);
    EXPECT_EQ(data.HistorySection(), QString());
    EXPECT_EQ(messages(), QStringList{kDamaged});
    data.AddHistory(QStringLiteral("c"), 8);
    EXPECT_EQ(historyAt(data, 0).script, QStringLiteral("c"));
}

// ---- slot names

TEST_F(clsSaveDataTest, SlotNamesAndPaths) {
    EXPECT_EQ(clsSaveData::FormatSlotName(12, 5), QStringLiteral("sd12-05"));
    EXPECT_EQ(clsSaveData::FormatSlotName(100, 1), QStringLiteral("sd100-01"));
    EXPECT_EQ(clsSaveData::FormatSlotName(1, 3), QStringLiteral("sd01-03"));
    EXPECT_EQ(clsSaveData::FormatSlotName(0, 123), QStringLiteral("sd00-123"));
    EXPECT_EQ(clsSaveData::FormatINIPath(12, 5), App().SaveDir + QStringLiteral("/sd12-05.ini"));
    EXPECT_EQ(clsSaveData::FormatBMPPath(100, 1), App().SaveDir + QStringLiteral("/sd100-01.bmp"));
}

// ---- slots on disk

TEST_F(clsSaveDataTest, SaveWritesPreviewAndDocumentAndLoadRestoresThem) {
    clsSaveData data;
    fill(data);
    EXPECT_FALSE(data.IsLoadable(QStringLiteral("sd01-02")));
    ASSERT_TRUE(data.Save(QStringLiteral("sd01-02"), preview()));
    EXPECT_TRUE(data.IsLoadable(QStringLiteral("sd01-02")));
    EXPECT_TRUE(data.IsPreviewExists(QStringLiteral("sd01-02")));
    EXPECT_FALSE(data.IsLoadable(QStringLiteral("sd01-03")));

    const QByteArray bmp = dir.read(QStringLiteral("savedata/sd01-02.bmp"));
    EXPECT_TRUE(bmp.startsWith("BM"));
    QImage shown;
    ASSERT_TRUE(shown.loadFromData(bmp, "BMP"));
    EXPECT_EQ(shown.size(), QSize(32, 24));
    EXPECT_EQ(shown.pixelColor(3, 4), QColor(250, 5, 120));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(10, 200, 30));

    INIFile stored;
    ASSERT_TRUE(stdINI::LoadINIFile(stored, clsSaveData::FormatINIPath(1, 2)));
    EXPECT_EQ(stored.KeySection(QStringLiteral("History")).Text(),
              QStringLiteral("s01:4,9\r\ns02:1"));

    clsSaveData loaded;
    ASSERT_TRUE(loaded.Load(QStringLiteral("sd01-02")));
    EXPECT_EQ(loaded.KestStatus().KeyValue(QStringLiteral("BGName")), QStringLiteral("bg01"));
    EXPECT_EQ(loaded.IntprtStatus().KeyValue(QStringLiteral("Address")), QStringLiteral("s01,42"));
    EXPECT_EQ(loaded.VaroStatus().KeyValue(QStringLiteral("DateString")),
              QStringLiteral("２４／０１／０２"));
    EXPECT_EQ(loaded.Var().KeyValue(QStringLiteral("flag")), QStringLiteral("5"));
    EXPECT_EQ(loaded.HistoryCount(), 3);
    EXPECT_EQ(historyAt(loaded, 2).script, QStringLiteral("s02"));
    EXPECT_EQ(historyAt(loaded, 1).index, 9);
}

TEST_F(clsSaveDataTest, SavingAgainReplacesTheSlot) {
    clsSaveData data;
    fill(data);
    ASSERT_TRUE(data.Save(QStringLiteral("sd02-01"), preview()));
    data.Clear();
    data.Var().SetKeyValue(QStringLiteral("other"), QStringLiteral("1"));
    ASSERT_TRUE(data.Save(QStringLiteral("sd02-01"), QImage()));
    clsSaveData loaded;
    ASSERT_TRUE(loaded.Load(QStringLiteral("sd02-01")));
    EXPECT_FALSE(loaded.Var().KeyExists(QStringLiteral("flag")));
    EXPECT_EQ(loaded.HistoryCount(), 0);
    EXPECT_FALSE(dir.exists(QStringLiteral("savedata/sd02-01.ini.damaged")));
}

TEST_F(clsSaveDataTest, WithoutAPictureOnlyTheDocumentIsWritten) {
    App().INIEncript = false;
    clsSaveData data;
    fill(data);
    ASSERT_TRUE(data.Save(QStringLiteral("sd03-01"), QImage()));
    EXPECT_TRUE(data.IsLoadable(QStringLiteral("sd03-01")));
    EXPECT_FALSE(data.IsPreviewExists(QStringLiteral("sd03-01")));
    EXPECT_TRUE(dir.read(QStringLiteral("savedata/sd03-01.ini")).contains("s01:4,9"));
}

TEST_F(clsSaveDataTest, SaveFailsWhenTheDocumentCannotBeWritten) {
    dir.write(QStringLiteral("savedata"), QByteArray("in the way"));
    clsSaveData data;
    fill(data);
    EXPECT_FALSE(data.Save(QStringLiteral("sd01-01"), preview()));
    EXPECT_FALSE(data.IsLoadable(QStringLiteral("sd01-01")));
}

TEST_F(clsSaveDataTest, SlotNamesMustStayInTheSaveFolder) {
    clsSaveData data;
    fill(data);
    for (const char* name : {"../sd01-01", "sub/sd01-01", "a\\b", ""}) {
        EXPECT_FALSE(data.Save(QString::fromUtf8(name), preview())) << name;
        EXPECT_FALSE(data.Load(QString::fromUtf8(name))) << name;
        EXPECT_FALSE(data.IsLoadable(QString::fromUtf8(name))) << name;
    }
    EXPECT_FALSE(dir.exists(QStringLiteral("sd01-01.ini")));
    EXPECT_FALSE(dir.exists(QStringLiteral("savedata")));
}

TEST_F(clsSaveDataTest, FailedLoadKeepsTheGameInProgress) {
    clsSaveData data;
    fill(data);
    EXPECT_FALSE(data.Load(QStringLiteral("sd09-09")));
    EXPECT_EQ(data.Var().KeyValue(QStringLiteral("flag")), QStringLiteral("5"));
    EXPECT_EQ(data.HistoryCount(), 3);
}

TEST_F(clsSaveDataTest, DamagedSlotIsKeptAsideAndNotLoaded) {
    const QByteArray damaged = Scrambler::scrambleText(QStringLiteral("[Var]\r\nflag=1")) + 'x';
    dir.write(QStringLiteral("savedata/sd01-04.ini"), damaged);
    clsSaveData data;
    fill(data);
    EXPECT_TRUE(data.IsLoadable(QStringLiteral("sd01-04")));
    EXPECT_FALSE(data.Load(QStringLiteral("sd01-04")));
    EXPECT_EQ(dir.read(QStringLiteral("savedata/sd01-04.ini.damaged")), damaged);
    EXPECT_TRUE(launcher.Log().Log().contains(QStringLiteral("sd01-04.ini.damaged")));
    EXPECT_EQ(data.Var().KeyValue(QStringLiteral("flag")), QStringLiteral("5"));
    EXPECT_EQ(data.HistoryCount(), 3);
}

TEST_F(clsSaveDataTest, SavingOverADamagedSlotKeepsItAsideFirst) {
    const QByteArray damaged = QByteArray("odd", 3);
    dir.write(QStringLiteral("savedata/sd01-05.ini"), damaged);
    clsSaveData data;
    fill(data);
    ASSERT_TRUE(data.Save(QStringLiteral("sd01-05"), QImage()));
    EXPECT_EQ(dir.read(QStringLiteral("savedata/sd01-05.ini.damaged")), damaged);
    clsSaveData loaded;
    EXPECT_TRUE(loaded.Load(QStringLiteral("sd01-05")));
    EXPECT_EQ(loaded.HistoryCount(), 3);
}

TEST_F(clsSaveDataTest, LoadWithADamagedHistoryGoesOnWithoutIt) {
    INIFile doc;
    doc.SetText(QStringLiteral("[Var]\r\nflag=2\r\n[History]\r\ns01:1\r\ngarbage"));
    FileIo::makeDirectories(App().SaveDir);
    ASSERT_TRUE(stdINI::SaveINIFile(doc, clsSaveData::FormatINIPath(2, 2)));
    clsSaveData data;
    data.AddHistory(QStringLiteral("old"), 1);
    ASSERT_TRUE(data.Load(QStringLiteral("sd02-02")));
    EXPECT_EQ(data.Var().KeyValue(QStringLiteral("flag")), QStringLiteral("2"));
    EXPECT_EQ(data.HistoryCount(), 0);
    EXPECT_EQ(messages(), QStringList{kDamaged});
}

TEST_F(clsSaveDataTest, ClearEmptiesDocumentAndHistory) {
    clsSaveData data;
    fill(data);
    data.Clear();
    EXPECT_EQ(data.Document().Text(), QString());
    EXPECT_EQ(data.HistoryCount(), 0);
    EXPECT_FALSE(data.Var().KeyExists(QStringLiteral("flag")));
    QString script;
    std::int32_t index = 0;
    EXPECT_FALSE(data.GetHistory(0, script, index));
}
