// A game saved in the middle of a scene comes back exactly: the same picture,
// the same instructions on the next clicks, the same music, after the program
// was closed and started again.
#include <gtest/gtest.h>

#include <QImage>

#include "EngineRunFixture.h"
#include "GoldenImage.h"

namespace {

// The click cursor, whose cells change while it waits.
constexpr int kCursorPixels = 16 * 16;

// A scene with music, a looping effect, three characters (one moving slowly),
// a name plate, choices added but not yet shown, a two-page message on its
// first page, and variables that decide where the scene goes after the choice.
const char* const kScene =
    "start:\r\n"
    "bgm bgm_main\r\n"
    "sel sel_rain\r\n"
    "bg bg_room\r\n"
    "cg st_aki_1, 160, 260\r\n"
    "cg st_mio_1, 320, 260\r\n"
    "cg st_ren_1, 480, 260, 160, 360\r\n"
    "let route, 2\r\n"
    "let clearflag, 5\r\n"
    "da\r\n"
    "cgmvas st_ren_1, -20, 0, 60000\r\n"
    "item \"Ａの道へ\", route_a\r\n"
    "item \"Ｂの道へ\", route_b\r\n"
    "【アキ】「１ページ目です。」\\w\r\n"
    "「２ページ目です。」\\b\r\n"
    "select\r\n"
    "route_a:\r\n"
    "if route==2, remembered\r\n"
    "忘れた。\\b\r\n"
    "restarttitle\r\n"
    "remembered:\r\n"
    "if clearflag==5, shared\r\n"
    "共有を忘れた。\\b\r\n"
    "restarttitle\r\n"
    "shared:\r\n"
    "覚えている。\\b\r\n"
    "restarttitle\r\n"
    "route_b:\r\n"
    "Ｂの道。\\b\r\n"
    "restarttitle\r\n"
    "idle:\r\n"
    "bgfill 0\r\n"
    "da\r\n"
    "待っている。\\b\r\n"
    "restarttitle\r\n";

// After the save point: the second page, the choices, the first one, the branch
// on both variables.
const char* const kAfterSave =
    "click 320 240\nwait 2500\nclick 320 240\nwait 2500\nclick 320 150\nwait 2500\n"
    "click 320 240\nwait 2000\n";

class SaveRestoreRun : public EngineRun {
protected:
    void SetUp() override {
        copyGame(QStringLiteral("story"));
        writeDocument(QStringLiteral("scenario/savetest.txt"), QString::fromUtf8(kScene));
        QString info = document(QStringLiteral("SystemInfo.ini"));
        // A shared variable of the scene, beside the game's own.
        info.replace(QStringLiteral("[shared]\r\n"), QStringLiteral("[shared]\r\nclearflag=0\r\n"));
        writeDocument(QStringLiteral("SystemInfo.ini"), info);
        startAt(QStringLiteral("savetest.start"));
    }
    // Executed instructions and sound events after the given event, up to the next mode change.
    QStringList after(const QString& event) const {
        const QStringList all = events();
        QStringList result;
        for (qsizetype i = all.indexOf(event) + 1; i > 0 && i < all.size(); ++i) {
            const QString& line = all.at(i);
            if (line.startsWith(QStringLiteral("mode "))) {
                break;
            }
            if (line.startsWith(QStringLiteral("exec ")) ||
                line.startsWith(QStringLiteral("sound "))) {
                result << line;
            }
        }
        return result;
    }
};

}  // namespace

TEST_F(SaveRestoreRun, AQuickSaveComesBackAfterARestartAsTheSceneWas) {
    // The uninterrupted run, for comparison.
    play(0, QStringLiteral("wait 3000\nshot reference\n") + QString::fromUtf8(kAfterSave));
    const QStringList uninterrupted = after(QStringLiteral("shot reference"));
    // Both variables took the scene to its last message.
    ASSERT_FALSE(uninterrupted.filter(QStringLiteral("put\t\"覚えている。\"")).isEmpty())
        << trace.join(u'\n').toStdString();

    play(0, QStringLiteral("wait 3000\nshot before\nmenu file!qsave\nwait 100\nquit\n"));
    ASSERT_TRUE(dir.exists(QStringLiteral("game/savedata/sd99-00.ini")));

    // A new start waits somewhere else; the quick load brings the scene back.
    startAt(QStringLiteral("savetest.idle"));
    play(0, QStringLiteral("wait 2000\nanswer yes\nmenu file!qload\nwait 1000\nshot loaded\n") +
                QString::fromUtf8(kAfterSave));
    EXPECT_LE(DifferingPixels(shot("before"), shot("loaded")), kCursorPixels);
    EXPECT_EQ(DifferingPixels(shot("reference"), shot("before")), 0);
    EXPECT_TRUE(inOrder({"msgbox \"クイックロードを行いますか。\" -> yes",
                         "sound play bgm0 bgm_main", "sound play seloop sel_rain", "shot loaded"}));
    EXPECT_EQ(after(QStringLiteral("shot loaded")), uninterrupted);
}

TEST_F(SaveRestoreRun, AutoModeGoesOnAfterLoadingAsItWouldHave) {
    QString info = document(QStringLiteral("SystemInfo.ini"));
    info.replace(QStringLiteral("TextAutoClick=False"), QStringLiteral("TextAutoClick=True"));
    writeDocument(QStringLiteral("SystemInfo.ini"), info);
    play(0, QStringLiteral("wait 1000\nshot reference\nwait 10000\n"));
    const QStringList uninterrupted = after(QStringLiteral("shot reference"));
    // Auto mode turns the page and shows the choices by itself.
    ASSERT_FALSE(uninterrupted.filter(QStringLiteral(" select")).isEmpty())
        << trace.join(u'\n').toStdString();

    play(0, QStringLiteral("wait 1000\nmenu file!qsave\nwait 100\nquit\n"));
    startAt(QStringLiteral("savetest.idle"));
    play(0, QStringLiteral("wait 1500\nanswer yes\nmenu file!qload\nshot loaded\nwait 10000\n"));
    EXPECT_EQ(after(QStringLiteral("shot loaded")).filter(QStringLiteral("exec ")),
              uninterrupted.filter(QStringLiteral("exec ")));
}

TEST_F(SaveRestoreRun, ASlotSaveComesBackAfterARestartAsTheSceneWas) {
    // Slot 0 of the story game's slot screen: its save and load buttons.
    const QString save = QStringLiteral("click 166 144\n");
    const QString load = QStringLiteral("click 258 144\n");
    const QString open = QStringLiteral("menu file!saveload\nwait 1000\nanswer yes\n");
    play(0, QStringLiteral("wait 3000\nshot reference\n") + QString::fromUtf8(kAfterSave));
    const QStringList uninterrupted = after(QStringLiteral("shot reference"));

    play(0, QStringLiteral("wait 3000\nshot before\n") + open + save +
                QStringLiteral("wait 1000\nrclick 320 240\nwait 1000\nshot returned\nquit\n"));
    ASSERT_TRUE(dir.exists(QStringLiteral("game/savedata/sd01-00.ini")))
        << trace.join(u'\n').toStdString();
    // Back from the slot screen the scene is as it was.
    EXPECT_LE(DifferingPixels(shot("before"), shot("returned")), kCursorPixels);

    startAt(QStringLiteral("savetest.idle"));
    play(0, QStringLiteral("wait 2000\n") + open + load +
                QStringLiteral("wait 1500\nshot loaded\n") + QString::fromUtf8(kAfterSave));
    EXPECT_LE(DifferingPixels(shot("before"), shot("loaded")), kCursorPixels);
    EXPECT_TRUE(inOrder({"mode 3 13", "mode 2 7", "sound play bgm0 bgm_main",
                         "sound play seloop sel_rain", "shot loaded"}));
    EXPECT_EQ(after(QStringLiteral("shot loaded")), uninterrupted);
}

TEST_F(SaveRestoreRun, FromTheTitleTheSlotAndTheQuickSaveComeBackAsTheSceneWas) {
    const QString open = QStringLiteral("menu file!saveload\nwait 1000\nanswer yes\n");
    play(0, QStringLiteral("wait 3000\nshot reference\n") + QString::fromUtf8(kAfterSave));
    const QStringList uninterrupted = after(QStringLiteral("shot reference"));
    play(0, QStringLiteral("wait 3000\nshot before\n") + open +
                QStringLiteral("click 166 144\nwait 1000\nrclick 320 240\nwait 1000\n"
                               "shot beforequick\nmenu file!qsave\nwait 100\nquit\n"));

    // Without the title skip the program starts at the logo, then the menu.
    QString debug = document(QStringLiteral("debug.ini"));
    debug.remove(QStringLiteral("TitleSkip=True\r\n"));
    writeDocument(QStringLiteral("debug.ini"), debug);
    const QString toMenu = QStringLiteral("wait 5500\n");
    // The menu's LOAD button opens the slot screen; slot 0's load button loads.
    play(0, toMenu +
                QStringLiteral("click 520 350\nwait 1500\nanswer yes\nclick 258 144\n"
                               "wait 1500\nshot loaded\n") +
                QString::fromUtf8(kAfterSave));
    EXPECT_TRUE(inOrder({"mode 1 1", "mode 3 12", "mode 2 7", "shot loaded"}));
    EXPECT_LE(DifferingPixels(shot("before"), shot("loaded")), kCursorPixels);
    EXPECT_EQ(after(QStringLiteral("shot loaded")), uninterrupted);

    // CONTINUE loads the quick save.
    play(0, toMenu + QStringLiteral("click 520 302\nwait 1500\nshot quick\n") +
                QString::fromUtf8(kAfterSave));
    EXPECT_TRUE(inOrder({"mode 1 1", "mode 2 7", "shot quick"}));
    // The moving character went on a little while the slot screen was open.
    EXPECT_LE(DifferingPixels(shot("beforequick"), shot("quick")), kCursorPixels);
    EXPECT_EQ(after(QStringLiteral("shot quick")), uninterrupted);
}
