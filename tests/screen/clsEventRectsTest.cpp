#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/AppState.h"
#include "app/clsLaunch.h"
#include "data/INISection.h"
#include "platform/os/Cp932Codec.h"
#include "screen/clsEventRects.h"

namespace {

std::vector<std::int32_t> IDs(const clsEventRects& rects) {
    std::vector<std::int32_t> ids;
    for (const auto& rect : rects) {
        ids.push_back(rect->ID());
    }
    return ids;
}

clsEventRects::RectPtr AddAt(clsEventRects& rects, const QString& group, std::int32_t left,
                             std::int32_t top, std::int32_t width, std::int32_t height) {
    auto rect = rects.Add(0, group);
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

// ---- IDs and membership

TEST(clsEventRectsTest, AddTakesTheSmallestFreeIdSoRemovedIdsComeBack) {
    clsEventRects rects;
    for (int i = 0; i < 3; ++i) {
        rects.Add(i, QStringLiteral("g"));
    }
    rects.Remove(1);
    EXPECT_EQ(rects.Add(9, QStringLiteral("g"))->ID(), 1);
    EXPECT_EQ(rects.Add(9, QStringLiteral("g"))->ID(), 3);
    rects.Remove(0);
    rects.Remove(2);
    EXPECT_EQ(rects.Add(9, QStringLiteral("g"))->ID(), 0);
    EXPECT_EQ(rects.Add(9, QStringLiteral("g"))->ID(), 2);
    EXPECT_EQ(rects.Add(9, QStringLiteral("g"))->ID(), 4);
}

TEST(clsEventRectsTest, IterationKeepsInsertionOrderEvenForAReusedId) {
    clsEventRects rects;
    for (int i = 0; i < 3; ++i) {
        rects.Add(i, QStringLiteral("g"));
    }
    rects.Remove(1);
    rects.Add(0, QStringLiteral("g"));
    EXPECT_EQ(IDs(rects), (std::vector<std::int32_t>{0, 2, 1}));
    std::vector<std::int32_t> snapshot;
    for (const auto& rect : rects.NewEnum()) {
        rects.Remove(rect->ID());  // the copy stays intact while the collection changes
        snapshot.push_back(rect->ID());
    }
    EXPECT_EQ(snapshot, (std::vector<std::int32_t>{0, 2, 1}));
    EXPECT_EQ(rects.Count(), 0);
}

TEST(clsEventRectsTest, AddSetsTagAndGroup) {
    clsEventRects rects;
    const auto rect = rects.Add(4, QStringLiteral("main_menu"));
    EXPECT_EQ(rect->Tag, 4);
    EXPECT_EQ(rect->TagName, QStringLiteral("main_menu"));
    EXPECT_EQ(rects.Item(rect->ID()), rect);
}

TEST(clsEventRectsTest, AMissingIdIsNoError) {
    clsEventRects rects;
    rects.Add(0, QStringLiteral("g"));
    EXPECT_EQ(rects.Item(5), nullptr);
    EXPECT_FALSE(rects.Exist(5));
    EXPECT_TRUE(rects.Exist(0));
    rects.Remove(5);
    EXPECT_EQ(rects.Count(), 1);
}

TEST(clsEventRectsTest, ARemovedRectangleStaysUsableForItsHolder) {
    clsEventRects rects;
    const auto held = rects.Add(3, QStringLiteral("g"));
    held->Text3 = QStringLiteral("label");
    rects.Clear();
    EXPECT_EQ(rects.Count(), 0);
    EXPECT_EQ(held->Text3, QStringLiteral("label"));
    EXPECT_EQ(rects.Add(0, QStringLiteral("g"))->ID(), 0);
}

// ---- groups

class clsEventRectsGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        rects.Add(0, menu);
        rects.Add(1, menu);
        rects.Add(0, QStringLiteral("selectionitem"));
        rects.Add(2, menu);
        rects.Add(1, QStringLiteral("selectionitem"));
    }
    const QString menu = QStringLiteral("main_menu");
    clsEventRects rects;
};

TEST_F(clsEventRectsGroupTest, RemoveByTagRemovesTheWholeGroupOnly) {
    rects.RemoveByTag(menu);
    EXPECT_EQ(IDs(rects), (std::vector<std::int32_t>{2, 4}));
    rects.RemoveByTag(QStringLiteral("nothing"));
    EXPECT_EQ(rects.Count(), 2);
}

TEST_F(clsEventRectsGroupTest, CountByTagCountsOneGroup) {
    EXPECT_EQ(rects.CountByTag(menu), 3);
    EXPECT_EQ(rects.CountByTag(QStringLiteral("selectionitem")), 2);
    EXPECT_EQ(rects.CountByTag(QStringLiteral("Main_Menu")), 0);
}

TEST_F(clsEventRectsGroupTest, EnabledByTagSwitchesOneGroup) {
    rects.EnabledByTag(QStringLiteral("selectionitem"), false);
    for (const auto& rect : rects) {
        EXPECT_EQ(rect->Enabled, rect->TagName == menu) << rect->ID();
    }
    rects.EnabledByTag(QStringLiteral("selectionitem"), true);
    EXPECT_TRUE(rects.Item(4)->Enabled);
}

TEST_F(clsEventRectsGroupTest, GetRectByTagFindsTheFirstMatchInInsertionOrder) {
    EXPECT_EQ(rects.GetRectByTag(menu, 2)->ID(), 3);
    EXPECT_EQ(rects.GetRectByTag(QStringLiteral("selectionitem"), 1)->ID(), 4);
    EXPECT_EQ(rects.GetRectByTag(menu, 7), nullptr);
    EXPECT_EQ(rects.GetRectByTag(QStringLiteral("other")), nullptr);
}

TEST_F(clsEventRectsGroupTest, GetRectByTagWithMinusOneTakesTheFirstOfTheGroupWhateverItsTag) {
    rects.Remove(0);
    EXPECT_EQ(rects.GetRectByTag(menu)->ID(), 1);
    EXPECT_EQ(rects.GetRectByTag(menu)->Tag, 1);
}

// ---- hit tests

TEST(clsEventRectsHitTest, TheLaterRectangleWinsWhereRectanglesOverlap) {
    clsEventRects rects;
    const auto under = AddAt(rects, QStringLiteral("g"), 0, 0, 100, 100);
    const auto over = AddAt(rects, QStringLiteral("g"), 50, 50, 100, 100);
    EXPECT_EQ(rects.HitRect(75, 75, 1), over);
    EXPECT_EQ(rects.HitRect(25, 25, 1), under);
    EXPECT_EQ(rects.HitRect(100, 100, 1), over);
    EXPECT_EQ(rects.HitRect(151, 151, 1), nullptr);
}

TEST(clsEventRectsHitTest, OnlyRectanglesSensingTheButtonTakePart) {
    clsEventRects rects;
    const auto leftOnly = AddAt(rects, QStringLiteral("g"), 0, 0, 10, 10);
    leftOnly->SetType(true, false, false, false);
    const auto rightOnly = AddAt(rects, QStringLiteral("g"), 0, 0, 10, 10);
    rightOnly->SetType(false, false, false, true);
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::LeftClickBit), leftOnly);
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::RightClickBit), rightOnly);
    EXPECT_EQ(rects.HitRect(5, 5, clsEventRect::PointBit), nullptr);
}

TEST(clsEventRectsHitTest, ADisabledRectangleLetsTheOneBelowBeHit) {
    clsEventRects rects;
    const auto under = AddAt(rects, QStringLiteral("g"), 0, 0, 10, 10);
    const auto over = AddAt(rects, QStringLiteral("g"), 0, 0, 10, 10);
    over->Enabled = false;
    EXPECT_EQ(rects.HitRect(10, 10, 1), under);
    under->Enabled = false;
    EXPECT_EQ(rects.HitRect(10, 10, 1), nullptr);
}

TEST(clsEventRectsHitTest, NearestByKBStepsThroughKeysSkippingUnkeyedAndDisabled) {
    clsEventRects rects;
    for (const std::int32_t kb : {2, -1, 0, 5, 3}) {
        rects.Add(0, QStringLiteral("g"))->KB = kb;
    }
    rects.Item(4)->Enabled = false;  // KB 3
    EXPECT_EQ(rects.NearestByKB(-1, true)->KB, 0);
    EXPECT_EQ(rects.NearestByKB(0, true)->KB, 2);
    EXPECT_EQ(rects.NearestByKB(2, true)->KB, 5);
    EXPECT_EQ(rects.NearestByKB(5, true), nullptr);
    EXPECT_EQ(rects.NearestByKB(5, false)->KB, 2);
    EXPECT_EQ(rects.NearestByKB(0, false), nullptr);
}

TEST(clsEventRectsHitTest, NearestByKBTakesTheEarlierOfEqualKeys) {
    clsEventRects rects;
    const auto first = rects.Add(0, QStringLiteral("g"));
    first->KB = 1;
    rects.Add(0, QStringLiteral("g"))->KB = 1;
    EXPECT_EQ(rects.NearestByKB(0, true), first);
    EXPECT_EQ(rects.NearestByKB(2, false), first);
}

// ---- debug listing

TEST(clsEventRectsShowTest, ListsEveryRectangleWithItsSenseLettersInLRDPOrder) {
    clsEventRects rects;
    auto all = rects.Add(3, QStringLiteral("main_menu"));
    all->Move(10, 20, 30, 40).SetType(true, true, true, true);
    all->KB = 2;
    auto off = rects.Add(-4, QStringLiteral("log_move"));
    off->Move(-5, 0, 5, 6).SetType(false, true, false, true);
    off->Enabled = false;
    rects.Add(0, QStringLiteral("%9"))->SetType(false, false, false, false);
    EXPECT_EQ(
        rects.ShowAllRectLines(),
        (QStringList{QStringLiteral("EventRect Info... 3 Rects "),
                     QStringLiteral("ID=0:(10,20)-(40,60):Tyep='LRDP':Tag=3,'main_menu':KB=2"),
                     QStringLiteral("(ID=1:(-5,0)-(0,6):Tyep='RP':Tag=-4,'log_move':KB=-1)"),
                     QStringLiteral("ID=2:(0,0)-(0,0):Tyep='':Tag=0,'%9':KB=-1")}));
}

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
            dir.write(QStringLiteral("debug.ini"),
                      Cp932Codec::encode(QStringLiteral("[debug]\r\n")));
        }
        ASSERT_TRUE(launcher.Init());
        ASSERT_EQ(launcher.IsDebugMode(), debug);
    }
    QString log() { return launcher.Log().Log(); }

    TempFolder dir;
    clsLaunch launcher;
};

TEST_F(clsEventRectsLogTest, ShowAllRectWritesTheListingInDebugMode) {
    startLauncher(true);
    clsEventRects rects;
    rects.Add(1, QStringLiteral("g"))->Move(1, 2, 3, 4);
    rects.ShowAllRect();
    EXPECT_TRUE(
        log().contains(QStringLiteral("EventRect Info... 1 Rects \r\n"
                                      "ID=0:(1,2)-(4,6):Tyep='LP':Tag=1,'g':KB=-1\r\n")))
        << log().toStdString();
}

TEST_F(clsEventRectsLogTest, ShowAllRectIsSilentOutsideDebugMode) {
    startLauncher(false);
    clsEventRects rects;
    rects.Add(1, QStringLiteral("g"));
    rects.ShowAllRect();
    EXPECT_FALSE(log().contains(QStringLiteral("EventRect"))) << log().toStdString();
}

// ---- save data

class clsEventRectsSaveTest : public clsEventRectsLogTest {
protected:
    void SetUp() override {
        clsEventRectsLogTest::SetUp();
        startLauncher(true);
    }
};

TEST_F(clsEventRectsSaveTest, SaveWritesTheStoredGroupsInTheirExactForm) {
    clsEventRects rects;
    auto button = rects.Add(3, QStringLiteral("gamemode_button"));
    button->Move(10, 20, 30, 40).SetType(true, true, false, false);
    button->Text1 = QStringLiteral("face");
    button->Text2 = QStringLiteral("hover");
    button->Text3 = QStringLiteral("story.jump");
    rects.Add(0, QStringLiteral("wndbutton"))->Move(1, 1, 1, 1);
    rects.Add(1, QStringLiteral("selectionitem"));
    auto panel = rects.Add(-2, QStringLiteral("repmode_panel"));
    panel->Move(-1, -2, 3, 4).SetType(false, false, true, true);
    panel->Enabled = false;
    panel->KB = 7;
    panel->Text4 = QStringLiteral("ｼｰﾝ①");
    INISection section;
    rects.SaveStatus(section);
    EXPECT_EQ(KeyLines(section),
              (QStringList{QStringLiteral("ER000=5,3,gamemode_button,True,-1,10,20,40,60,hover,"
                                          "story.jump,,face"),
                           QStringLiteral("ER001=10,-2,repmode_panel,False,7,-1,-2,2,2,,,ｼｰﾝ①,"),
                           QStringLiteral("ERCount=2")}));
}

TEST_F(clsEventRectsSaveTest, SavingAgainReplacesTheEntriesWrittenBefore) {
    clsEventRects rects;
    for (int i = 0; i < 3; ++i) {
        rects.Add(i, QStringLiteral("g"));
    }
    INISection section;
    section.SetKeyValue(QStringLiteral("SiteName"), QStringLiteral("school"));
    rects.SaveStatus(section);
    rects.RemoveByTag(QStringLiteral("g"));
    rects.Add(9, QStringLiteral("h"));
    rects.SaveStatus(section);
    EXPECT_EQ(KeyLines(section), (QStringList{QStringLiteral("SiteName=school"),
                                              QStringLiteral("ER000=5,9,h,True,-1,0,0,0,0,,,,"),
                                              QStringLiteral("ERCount=1")}));
}

TEST_F(clsEventRectsSaveTest, LoadRestoresEveryStoredFieldUnderFreshIds) {
    clsEventRects saved;
    saved.Add(0, QStringLiteral("wndbutton"));
    auto button = saved.Add(3, QStringLiteral("gamemode_button"));
    button->Move(10, 20, 30, 40).SetType(true, false, true, false);
    button->KB = 4;
    button->Enabled = false;
    button->FilmID = 77;
    button->Text1 = QStringLiteral("a,b");
    button->Text2 = QStringLiteral("t2");
    button->Text3 = QStringLiteral("t3");
    button->Text4 = QStringLiteral("t4");
    saved.Add(5, QStringLiteral("other"))->Move(-3, -4, 1, 1);
    INISection section;
    saved.SaveStatus(section);

    clsEventRects loaded;
    loaded.Add(0, QStringLiteral("stale"));
    loaded.LoadStatus(section);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(IDs(loaded), (std::vector<std::int32_t>{0, 1}));
    const auto& back = *loaded.Item(0);
    EXPECT_EQ(back.Tag, 3);
    EXPECT_EQ(back.TagName, QStringLiteral("gamemode_button"));
    EXPECT_EQ(back.Type, 9);
    EXPECT_FALSE(back.Enabled);
    EXPECT_EQ(back.KB, 4);
    EXPECT_EQ(back.Left, 10);
    EXPECT_EQ(back.Top, 20);
    EXPECT_EQ(back.Right, 40);
    EXPECT_EQ(back.Bottom, 60);
    EXPECT_EQ(back.FilmID, -1);  // films are rebuilt, not stored
    EXPECT_EQ(back.Text1, QStringLiteral("a,b"));
    EXPECT_EQ(back.Text2, QStringLiteral("t2"));
    EXPECT_EQ(back.Text3, QStringLiteral("t3"));
    EXPECT_EQ(back.Text4, QStringLiteral("t4"));
    EXPECT_EQ(loaded.Item(1)->Left, -3);

    INISection again;
    loaded.SaveStatus(again);
    EXPECT_EQ(again.Text(), section.Text());
}

TEST_F(clsEventRectsSaveTest, OnlyTheWordFalseInAnyCaseDisables) {
    INISection section;
    section.SetText(
        QStringLiteral("ER000=5,0,g,FALSE,-1,0,0,0,0,,,,\r\n"
                       "ER001=5,1,g,0,-1,0,0,0,0,,,,\r\n"
                       "ER002=5,2,g,,-1,0,0,0,0,,,,\r\n"
                       "ERCount=3"));
    clsEventRects rects;
    rects.LoadStatus(section);
    ASSERT_EQ(rects.Count(), 3);
    EXPECT_FALSE(rects.Item(0)->Enabled);
    EXPECT_TRUE(rects.Item(1)->Enabled);
    EXPECT_TRUE(rects.Item(2)->Enabled);
}

TEST_F(clsEventRectsSaveTest, DamagedEntriesAreLoggedAndSkipped) {
    INISection section;
    section.SetText(
        QStringLiteral("ER000=5,0,short,True\r\n"
                       "ER001=5,1,good,True,-1,1,2,3,4,,,,\r\n"
                       "ER002=5,x,letters,True,-1,1,2,3,4,,,,\r\n"
                       "ER004=5,4,beyond,True,-1,1,2,3,4,,,,\r\n"
                       "ERCount=4"));
    clsEventRects rects;
    rects.LoadStatus(section);
    ASSERT_EQ(rects.Count(), 1);
    EXPECT_EQ(rects.Item(0)->TagName, QStringLiteral("good"));
    EXPECT_TRUE(log().contains(QStringLiteral("ER000='5,0,short,True'"))) << log().toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("ER002="))) << log().toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("ER003=''"))) << log().toStdString();
}

TEST_F(clsEventRectsSaveTest, ACountBeyondTheSectionOrUnreadableLoadsNoMoreThanIsThere) {
    INISection section;
    section.SetText(QStringLiteral("ER000=5,0,g,True,-1,0,0,0,0,,,,\r\nERCount=2147483647"));
    clsEventRects rects;
    rects.LoadStatus(section);
    EXPECT_EQ(rects.Count(), 1);
    section.SetKeyValue(QStringLiteral("ERCount"), QStringLiteral("many"));
    rects.LoadStatus(section);
    EXPECT_EQ(rects.Count(), 0);
    EXPECT_TRUE(log().contains(QStringLiteral("ERCount 'many'"))) << log().toStdString();
}

TEST_F(clsEventRectsSaveTest, ASectionWithoutRectanglesLoadsEmptyWithoutComplaint) {
    INISection section;
    section.SetText(QStringLiteral("SiteName=x"));
    clsEventRects rects;
    rects.Add(0, QStringLiteral("g"));
    rects.LoadStatus(section);
    EXPECT_EQ(rects.Count(), 0);
    EXPECT_FALSE(log().contains(QStringLiteral("EventRect"))) << log().toStdString();
}
