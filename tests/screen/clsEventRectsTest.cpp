#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "data/INISection.h"
#include "platform/os/Cp932Codec.h"
#include "screen/clsEventRects.h"

using namespace Qt::StringLiterals;

namespace {

std::vector<std::int32_t> IDs(const clsEventRects& rects) {
    std::vector<std::int32_t> ids;
    for (const auto& rect : rects) {
        ids.push_back(rect->ID());
    }
    return ids;
}

clsEventRects::RectPtr AddAt(clsEventRects& rects, std::int32_t left, std::int32_t top,
                             std::int32_t width, std::int32_t height) {
    auto rect = rects.Add(0, u"g"_s);
    rect->Move(left, top, width, height);
    return rect;
}

// The key=value lines of a section, without its leading empty line.
QStringList KeyLines(const INISection& section) {
    QStringList lines;
    for (int line = 0; line < section.Count(); ++line) {
        if (!section.LineText(line).isEmpty()) {
            lines.append(section.LineText(line));
        }
    }
    return lines;
}

}  // namespace

// ---- IDs, membership and groups

TEST(clsEventRectsTest, TheSmallestFreeIdIsReusedWhileIterationKeepsInsertionOrder) {
    clsEventRects rects;
    for (int i = 0; i < 3; ++i) {
        rects.Add(i, u"g"_s);
    }
    rects.Remove(1);
    rects.Remove(7);  // a missing ID is no error
    EXPECT_EQ(rects.Add(9, u"g"_s)->ID(), 1);
    EXPECT_EQ(rects.Add(9, u"g"_s)->ID(), 3);
    EXPECT_EQ(IDs(rects), (std::vector<std::int32_t>{0, 2, 1, 3}));
    rects.Remove(0);
    rects.Remove(2);
    EXPECT_EQ(rects.Add(9, u"g"_s)->ID(), 0);
    EXPECT_EQ(rects.Add(9, u"g"_s)->ID(), 2);
    EXPECT_EQ(rects.Add(9, u"g"_s)->ID(), 4);
    EXPECT_EQ(rects.Item(5), nullptr);
    EXPECT_EQ(rects.Item(4)->ID(), 4);

    // The copy stays intact while the collection changes.
    std::vector<std::int32_t> snapshot;
    for (const auto& rect : rects.NewEnum()) {
        rects.Remove(rect->ID());
        snapshot.push_back(rect->ID());
    }
    EXPECT_EQ(snapshot, (std::vector<std::int32_t>{1, 3, 0, 2, 4}));
    EXPECT_EQ(rects.Count(), 0);
    rects.Add(0, u"g"_s);
    rects.Clear();
    EXPECT_EQ(rects.Add(0, u"g"_s)->ID(), 0);
}

TEST(clsEventRectsTest, GroupOperationsTouchOneGroupOnly) {
    const QString menu = u"main_menu"_s;
    const QString items = u"selectionitem"_s;
    clsEventRects rects;
    for (auto [tag, group] : {std::pair{0, menu}, {1, menu}, {0, items}, {2, menu}, {1, items}}) {
        rects.Add(tag, group);
    }
    EXPECT_EQ(rects.CountByTag(menu), 3);
    EXPECT_EQ(rects.CountByTag(u"Main_Menu"_s), 0);
    EXPECT_EQ(rects.GetRectByTag(menu, 2)->ID(), 3);
    EXPECT_EQ(rects.GetRectByTag(items, 1)->ID(), 4);
    EXPECT_EQ(rects.GetRectByTag(menu, 7), nullptr);
    EXPECT_EQ(rects.GetRectByTag(u"other"_s), nullptr);

    rects.EnabledByTag(items, false);
    for (const auto& rect : rects) {
        EXPECT_EQ(rect->Enabled, rect->TagName == menu) << rect->ID();
    }
    // Tag -1 takes the first of the group whatever its tag.
    rects.Remove(0);
    EXPECT_EQ(rects.GetRectByTag(menu)->ID(), 1);
    rects.RemoveByTag(menu);
    rects.RemoveByTag(u"nothing"_s);
    EXPECT_EQ(IDs(rects), (std::vector<std::int32_t>{2, 4}));
}

// ---- hit tests and keyboard order

TEST(clsEventRectsTest, TheLaterEnabledRectangleSensingTheButtonWins) {
    clsEventRects rects;
    const auto under = AddAt(rects, 0, 0, 100, 100);
    const auto over = AddAt(rects, 50, 50, 100, 100);
    EXPECT_EQ(rects.HitRect(75, 75, 1), over);
    EXPECT_EQ(rects.HitRect(25, 25, 1), under);
    EXPECT_EQ(rects.HitRect(150, 150, 1), over);
    EXPECT_EQ(rects.HitRect(151, 151, 1), nullptr);

    const auto rightOnly = AddAt(rects, 0, 0, 10, 10);
    rightOnly->SetType(false, false, false, true);
    const auto leftOnly = AddAt(rects, 0, 0, 10, 10);
    leftOnly->SetType(true, false, false, false);
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::RightClickBit), rightOnly);
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::LeftClickBit), leftOnly);
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::PointBit), under);
    leftOnly->Enabled = false;
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::LeftClickBit), under);
    under->Enabled = false;
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::LeftClickBit), nullptr);
}

TEST(clsEventRectsTest, NearestByKBStepsThroughKeysSkippingUnkeyedAndDisabled) {
    clsEventRects rects;
    for (const std::int32_t kb : {2, -1, 0, 5, 3, 2}) {
        rects.Add(0, u"g"_s)->KB = kb;
    }
    rects.Item(4)->Enabled = false;  // KB 3
    const auto firstTwo = rects.Item(0);
    EXPECT_EQ(rects.NearestByKB(-1, true)->KB, 0);
    EXPECT_EQ(rects.NearestByKB(0, true), firstTwo);  // the earlier of equal keys
    EXPECT_EQ(rects.NearestByKB(2, true)->KB, 5);
    EXPECT_EQ(rects.NearestByKB(5, true), nullptr);
    EXPECT_EQ(rects.NearestByKB(5, false), firstTwo);
    EXPECT_EQ(rects.NearestByKB(0, false), nullptr);
}

// ---- debug listing and save data

// A launcher in debug mode (or not) whose log the tests read.
class clsEventRectsLogTest : public ::testing::Test {
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
    void startLauncher(bool debug) {
        if (debug) {
            dir.write(u"debug.ini"_s, Cp932Codec::encode(u"[debug]\r\n"_s));
        }
        ASSERT_TRUE(launcher.Init());
        ASSERT_EQ(launcher.IsDebugMode(), debug);
    }
    QString log() { return launcher.Log().Log(); }

    TempFolder dir;
    clsLaunch launcher;
};

TEST_F(clsEventRectsLogTest, DebugModeLogsEveryRectangleWithItsSenseLettersInLRDPOrder) {
    startLauncher(true);
    clsEventRects rects;
    auto all = rects.Add(3, u"main_menu"_s);
    all->Move(10, 20, 30, 40).SetType(true, true, true, true);
    all->KB = 2;
    auto off = rects.Add(-4, u"log_move"_s);
    off->Move(-5, 0, 5, 6).SetType(false, true, false, true);
    off->Enabled = false;
    rects.Add(0, u"%9"_s)->SetType(false, false, false, false);
    const QStringList listing{u"EventRect Info... 3 Rects "_s,
                              u"ID=0:(10,20)-(40,60):Tyep='LRDP':Tag=3,'main_menu':KB=2"_s,
                              u"(ID=1:(-5,0)-(0,6):Tyep='RP':Tag=-4,'log_move':KB=-1)"_s,
                              u"ID=2:(0,0)-(0,0):Tyep='':Tag=0,'%9':KB=-1"_s};
    EXPECT_EQ(rects.ShowAllRectLines(), listing);
    rects.ShowAllRect();
    EXPECT_TRUE(log().contains(listing.join(u"\r\n"_s) + u"\r\n"_s)) << log().toStdString();
}

TEST_F(clsEventRectsLogTest, ShowAllRectIsSilentOutsideDebugMode) {
    startLauncher(false);
    clsEventRects rects;
    rects.Add(1, u"g"_s);
    rects.ShowAllRect();
    EXPECT_FALSE(log().contains(u"EventRect"_s)) << log().toStdString();
}

TEST_F(clsEventRectsLogTest, SaveWritesTheStoredGroupsInTheirExactFormReplacingEarlierEntries) {
    startLauncher(true);
    clsEventRects rects;
    for (int i = 0; i < 3; ++i) {
        rects.Add(i, u"gamemode_button"_s);
    }
    INISection section;
    section.SetKeyValue(u"SiteName"_s, u"school"_s);
    rects.SaveStatus(section);
    rects.Clear();
    auto button = rects.Add(3, u"gamemode_button"_s);
    button->Move(10, 20, 30, 40).SetType(true, true, false, false);
    button->Text1 = u"face"_s;
    button->Text2 = u"hover"_s;
    button->Text3 = u"story.jump"_s;
    rects.Add(0, u"wndbutton"_s)->Move(1, 1, 1, 1);
    rects.Add(1, u"selectionitem"_s);
    auto panel = rects.Add(-2, u"repmode_panel"_s);
    panel->Move(-1, -2, 3, 4).SetType(false, false, true, true);
    panel->Enabled = false;
    panel->KB = 7;
    panel->Text4 = u"ｼｰﾝ①"_s;
    rects.SaveStatus(section);
    EXPECT_EQ(
        KeyLines(section),
        (QStringList{u"SiteName=school"_s,
                     u"ER000=5,3,gamemode_button,True,-1,10,20,40,60,hover,story.jump,,face"_s,
                     u"ER001=10,-2,repmode_panel,False,7,-1,-2,2,2,,,ｼｰﾝ①,"_s, u"ERCount=2"_s}));
}

TEST_F(clsEventRectsLogTest, LoadRestoresEveryStoredFieldUnderFreshIdsAndSavesItBackAlike) {
    startLauncher(true);
    INISection section;
    section.SetText(
        u"ER000=9,3,gamemode_button,False,4,10,20,40,60,t2,t3,t4,a,b\r\n"
        "ER001=5,5,other,True,-1,-3,-4,-2,-3,,,,\r\nERCount=2"_s);
    clsEventRects loaded;
    loaded.Add(0, u"stale"_s);
    loaded.LoadStatus(section);
    EXPECT_EQ(IDs(loaded), (std::vector<std::int32_t>{0, 1}));
    const auto& back = *loaded.Item(0);
    EXPECT_EQ(std::vector<std::int32_t>({back.Type, back.Tag, back.Enabled, back.KB, back.Left,
                                         back.Top, back.Right, back.Bottom}),
              std::vector<std::int32_t>({9, 3, false, 4, 10, 20, 40, 60}));
    EXPECT_EQ(QStringList({back.TagName, back.Text1, back.Text2, back.Text3, back.Text4}),
              QStringList({"gamemode_button", "a,b", "t2", "t3", "t4"}));
    EXPECT_EQ(loaded.Item(1)->Left, -3);
    INISection again;
    loaded.SaveStatus(again);
    EXPECT_EQ(KeyLines(again), KeyLines(section));
}

TEST_F(clsEventRectsLogTest, DamagedEntriesAreLoggedAndSkippedAndOnlyFalseDisables) {
    startLauncher(true);
    INISection section;
    section.SetText(
        u"ER000=5,0,off,FALSE,-1,0,0,0,0,,,,\r\n"
        "ER001=5,1,short,True\r\n"
        "ER002=5,2,zero,0,-1,1,2,3,4,,,,\r\n"
        "ER003=5,x,letters,True,-1,1,2,3,4,,,,\r\n"
        "ER004=5,4,blank,,-1,0,0,0,0,,,,\r\n"
        "ER006=5,6,beyond,True,-1,1,2,3,4,,,,\r\n"
        "ERCount=6"_s);
    clsEventRects rects;
    rects.LoadStatus(section);
    QStringList loaded;
    for (const auto& rect : rects) {
        loaded << rect->TagName + (rect->Enabled ? "" : " off");
    }
    EXPECT_EQ(loaded, QStringList({"off off", "zero", "blank"}));
    for (const QString& entry : {u"ER001='5,1,short,True'"_s, u"ER003="_s, u"ER005=''"_s}) {
        EXPECT_TRUE(log().contains(entry)) << entry.toStdString() << "\n" << log().toStdString();
    }
}

TEST_F(clsEventRectsLogTest, TheCountLoadsNoMoreThanIsThereAndNoCountNothing) {
    startLauncher(true);
    INISection section;
    section.SetText(u"SiteName=x"_s);
    clsEventRects rects;
    rects.Add(0, u"g"_s);
    rects.LoadStatus(section);
    EXPECT_EQ(rects.Count(), 0);
    EXPECT_FALSE(log().contains(u"EventRect"_s)) << log().toStdString();

    section.SetText(u"ER000=5,0,g,True,-1,0,0,0,0,,,,\r\nERCount=2147483647"_s);
    rects.LoadStatus(section);
    EXPECT_EQ(rects.Count(), 1);
    section.SetKeyValue(u"ERCount"_s, u"many"_s);
    rects.LoadStatus(section);
    EXPECT_EQ(rects.Count(), 0);
    EXPECT_TRUE(log().contains(u"ERCount 'many'"_s)) << log().toStdString();
}
