// Plays the title of the story test game through the real varo program,
// headless: the logo, the menu and its buttons, keys, quick load and leaving.
#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>

#include "EngineRunFixture.h"
#include "GoldenImage.h"

namespace {

// Centres of the menu buttons (160 x 36 at x 440, from y 236 every 48 pixels).
constexpr const char* kStart = "520 254";
constexpr const char* kContinue = "520 302";
constexpr const char* kBonus = "520 398";
constexpr const char* kEnd = "520 446";
// The logo shows from 1.5 s for 3 s; the menu's fade has ended by 5.5 s.
constexpr int kMenuShownMs = 5500;
// The click cursor, whose cells change while it waits.
constexpr int kCursorPixels = 16 * 16;

class TitleRun : public EngineRun {
protected:
    // The story game without its title skip.
    void SetUp() override {
        copyGame(QStringLiteral("story"));
        QString debug = document(QStringLiteral("debug.ini"));
        debug.remove(QStringLiteral("TitleSkip=True\r\n"));
        writeDocument(QStringLiteral("debug.ini"), debug);
    }

    static QString toMenu() { return QStringLiteral("wait %1\n").arg(kMenuShownMs); }
    std::string traceText() const { return trace.join(u'\n').toStdString(); }

    // Virtual time of the first event matching the pattern, -1 when none.
    qint64 timeOf(const QString& pattern) const {
        const QRegularExpression expression(QLatin1Char('^') + pattern + QLatin1Char('$'));
        for (const QString& line : trace) {
            if (expression.match(line.section(u' ', 1)).hasMatch()) {
                return line.section(u' ', 0, 0).mid(2).toLongLong();
            }
        }
        return -1;
    }
    int countOf(const QString& pattern) const {
        const QRegularExpression expression(QLatin1Char('^') + pattern + QLatin1Char('$'));
        int found = 0;
        for (const QString& event : events()) {
            found += expression.match(event).hasMatch() ? 1 : 0;
        }
        return found;
    }
};

}  // namespace

TEST_F(TitleRun, TheLogoGivesWayToTheMenuAndStartPlaysTheGame) {
    QString input =
        QStringLiteral("wait 2000\nshot logo\nwait %1\nshot title\n").arg(kMenuShownMs - 2000);
    input += QStringLiteral("move %1\nwait 100\nclick %1\nwait 3000\n").arg(kStart);
    play(0, input);

    const qint64 logoSound = timeOf(QStringLiteral("sound play se\\d se_logo"));
    const qint64 music = timeOf(QStringLiteral("sound play bgm\\d bgm_title"));
    ASSERT_GE(logoSound, 0) << traceText();
    // The menu comes by itself once AutoclickTime has passed after the logo.
    EXPECT_GE(music - logoSound, 3000);
    EXPECT_LT(music - logoSound, 3100);
    EXPECT_LT(timeOf(QStringLiteral("shot logo")), music);
    EXPECT_LT(music, timeOf(QStringLiteral("shot title")));
    EXPECT_GT(DifferingPixels(shot("logo"), shot("title")), 100000);
    EXPECT_TRUE(MatchesGoldenImage(shot("title"), "app", "story_title_menu", 2));

    EXPECT_EQ(countOf(QStringLiteral("sound play se\\d se_point")), 1);
    EXPECT_EQ(countOf(QStringLiteral("sound play se\\d se_click")), 1);
    EXPECT_TRUE(inOrder({"mode 1 1", "shot title", "mode 2 6", "exec main 0 bgm\tbgm_main\t%"}))
        << traceText();
}

TEST_F(TitleRun, AClickOnTheLogoSkipsItsWait) {
    play(0, QStringLiteral("wait 2000\nclick 320 240\nwait 1500\n"));
    const qint64 music = timeOf(QStringLiteral("sound play bgm\\d bgm_title"));
    EXPECT_GE(music, 2000) << traceText();
    EXPECT_LT(music, 2100);
    EXPECT_EQ(count(QStringLiteral("input dropped click 320 240")), 0);
}

TEST_F(TitleRun, LockedButtonsIgnoreThePointerClicksAndKeys) {
    QString input = toMenu();
    input +=
        QStringLiteral("move %1\nclick %1\nmove %2\nclick %2\nwait 100\n").arg(kContinue, kBonus);
    // Down selects NEW GAME, then LOAD past the locked CONTINUE; Return opens the slots.
    input += QStringLiteral("key Down\nkey Down\nkey Return\nwait 500\n");
    play(0, input);
    EXPECT_EQ(countOf(QStringLiteral("sound play se\\d se_point")), 2) << traceText();
    EXPECT_EQ(countOf(QStringLiteral("sound play se\\d se_click")), 1);
    EXPECT_EQ(count(QStringLiteral("mode 3 12")), 1);
    EXPECT_EQ(countOf(QStringLiteral("mode [25] .*")), 0);
    EXPECT_TRUE(events().filter(QStringLiteral("msgbox")).isEmpty()) << traceText();
}

TEST_F(TitleRun, QuickLoadFromTheTitleContinuesTheQuickSave) {
    play(0, toMenu() + QStringLiteral("shot without\nclick %1\nwait 3000\nshot saved\n"
                                      "menu file!qsave\nwait 100\n")
                           .arg(kStart));
    ASSERT_TRUE(dir.exists("game/savedata/sd99-00.ini")) << traceText();

    play(0,
         toMenu() + QStringLiteral("shot with\nclick %1\nwait 2000\nshot loaded\n").arg(kContinue));
    const qint64 clicked = timeOf(QStringLiteral("sound play se\\d se_click"));
    ASSERT_GE(clicked, kMenuShownMs) << traceText();
    EXPECT_GE(timeOf(QStringLiteral("mode 2 7")), clicked);
    EXPECT_EQ(count(QStringLiteral("mode 2 6")), 0);
    // Only the quick-load button changed on the title; the game is back where it was saved.
    EXPECT_GT(DifferingPixels(shot("without"), shot("with")), 1000);
    EXPECT_LT(DifferingPixels(shot("without"), shot("with")), 160 * 36);
    EXPECT_LE(DifferingPixels(shot("saved"), shot("loaded")), kCursorPixels);
}

TEST_F(TitleRun, EndLeavesTheProgram) {
    play(0, toMenu() + QStringLiteral("click %1\nwait 10000\n").arg(kEnd));
    EXPECT_TRUE(inOrder({"mode 1 1", "mode 0 0", "log Varo-Terminate", "exit 0"})) << traceText();
    EXPECT_LT(timeOf(QStringLiteral("exit 0")), kMenuShownMs + 2000);
}
