// Plays the extras screen of the story test game through the real varo
// program, headless: unlocking by a played scene, the gallery, a scene replay
// there and back, and the music room in its three play modes.
#include <gtest/gtest.h>

#include <QImage>

#include "EngineRunFixture.h"
#include "GoldenImage.h"

namespace {

// The title menu has faded in by 5.5 s; BONUS is its fourth button.
constexpr int kMenuShownMs = 5500;
constexpr const char* kBonus = "520 398";
// Extras buttons (96 x 24 at y 16) and the two panels (200 x 150 at y 130).
constexpr const char* kSceneButton = "168 28";
constexpr const char* kMusicButton = "272 28";
constexpr const char* kFirstPanel = "180 205";
constexpr const char* kAllButton = "464 382";
constexpr const char* kRandomButton = "536 382";

class OmakeRun : public EngineRun {
protected:
    void SetUp() override { copyGame(QStringLiteral("story")); }

    // First run: the extras scenario shows the sunset and opens the extras.
    void playTheUnlockingScene() {
        startAt(QStringLiteral("extras.start"));
        play(0, QStringLiteral("wait 2000\nclick 320 240\nwait 2000\nquit\n"));
        // With the title skipped, the title is the game again.
        ASSERT_EQ(events().filter(QStringLiteral("restarttitle")).size(), 1) << traceText();
        // The next run starts at the title.
        writeDocument(
            QStringLiteral("debug.ini"),
            document(QStringLiteral("debug.ini")).remove(QStringLiteral("TitleSkip=True\r\n")));
    }
    static QString toExtras() {
        return QStringLiteral("wait %1\nclick %2\nwait 1500\n").arg(kMenuShownMs).arg(kBonus);
    }
    std::string traceText() const { return trace.join(u'\n').toStdString(); }
    QStringList tracks() const {
        QStringList names;
        for (const QString& event : events()) {
            if (event.startsWith(QStringLiteral("sound play bgm")) &&
                event.section(u' ', 3).startsWith(QStringLiteral("trk_"))) {
                names << event.section(u' ', 3);
            }
        }
        return names;
    }
};

}  // namespace

TEST_F(OmakeRun, APlayedSceneUnlocksItsPanelsOnTheExtrasScreen) {
    playTheUnlockingScene();
    play(0, toExtras() + QStringLiteral("shot gallery\n"));
    ASSERT_EQ(count(QStringLiteral("mode 5 0")), 1) << traceText();
    EXPECT_TRUE(events().filter(QStringLiteral("msgbox")).isEmpty()) << traceText();
    // Sunset unlocked, night locked; 1 of 2 pictures gives the 50 counter.
    EXPECT_TRUE(MatchesGoldenImage(shot("gallery"), "app", "story_extras_gallery", 2));
}

TEST_F(OmakeRun, ASceneReplayReturnsToTheReplayPage) {
    playTheUnlockingScene();
    play(0, toExtras() + QStringLiteral("click %1\nwait 1000\nclick %2\nwait 2000\n"
                                        "click 320 240\nwait 2000\nshot back\n")
                             .arg(kSceneButton)
                             .arg(kFirstPanel));
    EXPECT_TRUE(inOrder({"mode 5 0", "mode 2 8", "mode 5 0"})) << traceText();
    EXPECT_EQ(events().filter(QStringLiteral("\tcg_sunset")).size(), 1) << traceText();
}

TEST_F(OmakeRun, TheMusicRoomPlaysItsTracksInEachPlayMode) {
    playTheUnlockingScene();
    QString input = toExtras();
    input += QStringLiteral("click %1\nwait 1000\nclick %2\nwait 2300\n")
                 .arg(kMusicButton)
                 .arg(kFirstPanel);
    input += QStringLiteral("click %1\nwait 4500\n").arg(kAllButton);
    input += QStringLiteral("click %1\nwait 6000\n").arg(kRandomButton);
    play(0, input);
    const QStringList played = tracks();
    ASSERT_GE(played.size(), 6) << traceText();
    // Single: the first track again; all: the following tracks in order, across the page.
    EXPECT_EQ(played.mid(0, 2), (QStringList{"trk_one", "trk_one"})) << traceText();
    const qsizetype afterAll = played.indexOf(QStringLiteral("trk_two"));
    ASSERT_GT(afterAll, 0);
    EXPECT_EQ(played.value(afterAll + 1), QStringLiteral("trk_three"));

    // The same input gives the same random choices.
    const QStringList first = played;
    play(0, input);
    EXPECT_EQ(tracks(), first);
}
