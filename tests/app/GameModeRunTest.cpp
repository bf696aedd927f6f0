// Plays the story test game through the real varo program, headless: clicks,
// choices, the scenario button, skip, auto, the hidden window, the back-log
// with voice replay, movies and the return to the title.
#include <gtest/gtest.h>

#include <QImage>

#include "EngineRunFixture.h"
#include "GoldenImage.h"

namespace {

// Choice rectangles of the story game's layout (two items), Ren's scenario
// button, the back-log's voice button of block 2 and a neutral spot.
constexpr const char* kChoiceA = "320 150";
constexpr const char* kChoiceB = "320 200";
constexpr const char* kOnRen = "320 300";
constexpr const char* kOffRen = "60 100";
constexpr const char* kLogVoice2 = "552 280";
// The click cursor, whose cells change while it waits.
constexpr int kCursorPixels = 16 * 16;

class GameModeRun : public EngineRun {
protected:
    void SetUp() override { copyGame(QStringLiteral("story")); }

    void setConfig(const QString& key, const QString& value) {
        QString info = document(QStringLiteral("SystemInfo.ini"));
        const qsizetype at = info.indexOf(key + QLatin1Char('='));
        ASSERT_GE(at, 0) << key.toStdString();
        const qsizetype end = info.indexOf(QStringLiteral("\r\n"), at);
        info.replace(at, end - at, key + QLatin1Char('=') + value);
        writeDocument(QStringLiteral("SystemInfo.ini"), info);
    }

    // The executed instructions as "SCRIPT ADDRESS", in order, up to the next
    // mode change (the title is skipped, so restarttitle starts the game again).
    QStringList executed() const {
        QStringList result;
        for (const QString& event : events()) {
            if (event.startsWith(QStringLiteral("exec "))) {
                result << event.section(u' ', 1, 2).section(u'\t', 0, 0);
            } else if (event.startsWith(QStringLiteral("mode ")) && !result.isEmpty()) {
                break;
            }
        }
        return result;
    }
    // "main FROM" .. "main TO".
    static QStringList range(int from, int to, const QString& script = QStringLiteral("main")) {
        QStringList lines;
        for (int address = from; address <= to; ++address) {
            lines << script + QLatin1Char(' ') + QString::number(address);
        }
        return lines;
    }
    QString traceText() const { return trace.join(u'\n'); }

    // Clicks through the opening to the shown choice (eight click waits).
    static QString toTheChoice() {
        QString input = QStringLiteral("wait 3000\n");
        for (int click = 0; click < 8; ++click) {
            input += QStringLiteral("click 320 240\nwait 2500\n");
        }
        return input;
    }
};

// The opening: one put with a wait inside its message runs twice, and every
// following message waits for its click; the choice stops the run.
const QStringList kOpening = QStringList()
                             << QStringList{"main 0", "main 1", "main 2", "main 3",
                                            "main 4", "main 5", "main 6", "main 6"}
                             << QStringList{"main 7",  "main 8",  "main 9",  "main 10", "main 11",
                                            "main 12", "main 13", "main 14", "main 15", "main 16",
                                            "main 17", "main 18", "main 19"};

}  // namespace

TEST_F(GameModeRun, RouteAPlaysToTheTitleWithClicksTheChoiceTheButtonAndTheMovie) {
    QString input = toTheChoice();
    input += QStringLiteral("shot choices\nmove %1\nwait 100\nclick %1\nwait 3000\n").arg(kChoiceA);
    input += QStringLiteral("click 320 240\nwait 4000\n");          // to the park
    input += QStringLiteral("click %1\nwait 2000\n").arg(kOffRen);  // Ren's button waits
    input += QStringLiteral("move %1\nwait 1500\n").arg(kOnRen);    // pointer label
    input += QStringLiteral("click %1\nwait 2500\n").arg(kOnRen);   // click label
    input += QStringLiteral("click %1\nwait 4000\n").arg(kOffRen);  // novel chapter
    input += QStringLiteral("click 320 240\nwait 4000\nclick 320 240\nwait 4000\nshot novel\n");
    input += QStringLiteral("click 320 240\nwait 6000\n");  // the movie ends by itself
    input += QStringLiteral("click 320 240\nwait 3000\nclick 320 240\nwait 2000\n");
    play(0, input);

    QStringList expected = kOpening;
    expected << range(20, 22) << range(25, 30) << range(31, 33) << range(29, 30) << range(34, 35)
             << range(36, 39) << "main 40"
             << "main 41" << range(42, 47) << range(48, 50);
    EXPECT_EQ(executed(), expected) << traceText().toStdString();
    EXPECT_TRUE(
        inOrder({"exec main 19 select", "sound play se4 se_point", "sound play se4 se_click",
                 "exec main 20 let\troute\troutea", "exec main 46 playmovie\t\"op.avi\"\t0",
                 "movie play op.avi", "exec main 50 restarttitle", "mode 2 6"}));
    EXPECT_TRUE(MatchesGoldenImage(shot("choices"), "app", "story_choices", 2));
    EXPECT_TRUE(MatchesGoldenImage(shot("novel"), "app", "story_novel_page", 2));
}

TEST_F(GameModeRun, RouteBTakesTheOtherLabel) {
    QString input = toTheChoice();
    input += QStringLiteral("click %1\nwait 3000\nclick 320 240\nwait 4000\n").arg(kChoiceB);
    play(0, input);
    QStringList expected = kOpening;
    expected << range(23, 28);
    EXPECT_EQ(executed(), expected) << traceText().toStdString();
    EXPECT_EQ(count("exec main 23 let\troute\trouteb"), 1);
}

TEST_F(GameModeRun, TheFirstPageMatchesItsPictureAndClickWaitsHoldUntilTheClick) {
    play(0, QStringLiteral("wait 3000\nshot page\nwait 5000\n"));
    EXPECT_EQ(executed(), range(0, 6));
    EXPECT_TRUE(MatchesGoldenImage(shot("page"), "app", "story_text_page", 2));
}

TEST_F(GameModeRun, ARightClickHidesTheWindowAndTheNextClickOnlyShowsIt) {
    play(0, QStringLiteral("wait 3000\nshot shown\nrclick 320 240\nwait 1500\nshot hidden\n"
                           "click 320 240\nwait 1500\nshot again\nclick 320 240\nwait 2000\n"));
    // The click that shows the window again does not advance the text.
    EXPECT_EQ(executed(), QStringList(range(0, 6)) << "main 6");
    EXPECT_GT(DifferingPixels(shot("shown"), shot("hidden")), 10000);
    // Only the blinking click cursor may differ.
    EXPECT_LE(DifferingPixels(shot("shown"), shot("again")), kCursorPixels);
}

TEST_F(GameModeRun, TheWheelOpensTheBackLogWhichReplaysVoicesAndClosesPastTheNewest) {
    QString input =
        QStringLiteral("wait 3000\nclick 320 240\nwait 2500\nclick 320 240\nwait 3000\n");
    input += QStringLiteral("shot before\nwheel up\nwait 2500\nshot log\n");
    input += QStringLiteral("click %1\nwait 3000\n").arg(kLogVoice2);
    input += QStringLiteral("wheel down\nwait 2500\nshot after\nclick 320 240\nwait 2000\n");
    play(0, input);
    EXPECT_TRUE(MatchesGoldenImage(shot("log"), "app", "story_back_log", 2));
    EXPECT_LE(DifferingPixels(shot("before"), shot("after")), kCursorPixels);
    // The log's voice button replays the first entry's voice; then the game goes on.
    EXPECT_TRUE(inOrder({"exec main 8 put\t\"\\np(2)\\v(mio001)「３：うん、ばっちりだよ。」\"",
                         "sound play cv mio001", "shot log", "sound play cv aki001", "shot after",
                         "exec main 9 put\t\"４：窓の外で鳥が鳴いている。\""}));
    EXPECT_EQ(executed(), QStringList(range(0, 6)) << "main 6" << range(7, 9));
}

TEST_F(GameModeRun, SkipStopsAtUnreadTextAndRunsThroughTextAlreadyRead) {
    startAt(QStringLiteral("skip.start"));
    const QString skipInput =
        QStringLiteral("wait 1500\nmenu message!skip\nclick 320 240\nwait 3000\n");
    play(0, skipInput);
    // Nothing is read yet: skip mode ends at once and one click shows one message.
    EXPECT_EQ(executed(), range(0, 3, QStringLiteral("skip")));

    QString readAll = QStringLiteral("wait 1500\n");
    for (int click = 0; click < 12; ++click) {
        readAll += QStringLiteral("click 320 240\nwait 1500\n");
    }
    play(0, readAll);
    EXPECT_TRUE(inOrder({"exec skip 14 restarttitle", "mode 2 6"}));

    play(0, skipInput);
    EXPECT_EQ(executed(), range(0, 14, QStringLiteral("skip")));
    EXPECT_TRUE(inOrder({"exec skip 14 restarttitle", "mode 2 6"}));
}

TEST_F(GameModeRun, SkipWithoutStopAtUnreadRunsToTheEnd) {
    startAt(QStringLiteral("skip.start"));
    setConfig(QStringLiteral("SkipStopUnread"), QStringLiteral("False"));
    play(0, QStringLiteral("wait 1500\nmenu message!skip\nclick 320 240\nwait 3000\n"));
    EXPECT_EQ(executed(), range(0, 14, QStringLiteral("skip")));
}

TEST_F(GameModeRun, AutoModeAdvancesByItselfUntilTheChoice) {
    play(0, QStringLiteral("wait 1000\nmenu message!auto\nwait 60000\n"));
    EXPECT_EQ(executed(), kOpening);
}

TEST_F(GameModeRun, AClickDuringATransitionIsDroppedAndTheFirstMessageStillWaits) {
    // "daa 500" runs from 2 ms to 502 ms after the start.
    play(0, QStringLiteral("wait 100\nclick 320 240\nwait 3000\n"));
    EXPECT_EQ(count("input dropped click 320 240"), 1) << traceText().toStdString();
    EXPECT_EQ(executed(), range(0, 6));
}

TEST_F(GameModeRun, MovieModesDecideWhichClickEndsAMovie) {
    dir.write(
        "game/scenario/movies.txt",
        Cp932Codec::encode(QStringLiteral("zero:\r\nda\r\nplaymovie \"op.avi\", 0\r\nゼロ\\b\r\n"
                                          "one:\r\nda\r\nplaymovie \"op.avi\", 1\r\nイチ\\b\r\n"
                                          "two:\r\nda\r\nplaymovie \"op.avi\", 2\r\nニ\\b\r\n")));
    // Mode 0: a plain click does nothing; Ctrl and Tab held with it end the movie.
    startAt(QStringLiteral("movies.zero"));
    play(0, QStringLiteral("wait 500\nclick 320 240\nwait 300\nkey Ctrl down\nkey Tab down\n"
                           "click 320 240\nkey Tab up\nkey Ctrl up\nwait 1000\n"));
    EXPECT_EQ(executed(), range(0, 2, QStringLiteral("movies")));
    const QStringList zero = events();
    const qsizetype skipped = zero.indexOf(QStringLiteral("movie stop op.avi"));
    ASSERT_GE(skipped, 0) << traceText().toStdString();
    EXPECT_LT(trace.at(skipped).section(u' ', 0, 0).mid(2).toInt(), 1000);

    // Mode 1 ignores the click and ends at the right click; mode 2 ends at a click.
    writeDocument(QStringLiteral("debug.ini"),
                  document(QStringLiteral("debug.ini"))
                      .replace(QStringLiteral("movies.zero"), QStringLiteral("movies.one")));
    play(0, QStringLiteral("wait 500\nclick 320 240\nwait 300\nrclick 320 240\nwait 1000\n"));
    EXPECT_EQ(executed(), range(3, 5, QStringLiteral("movies")));
    EXPECT_LT(events().indexOf(QStringLiteral("movie stop op.avi")),
              events().indexOf(QStringLiteral("exec movies 5 put\t\"イチ\"")));
    writeDocument(QStringLiteral("debug.ini"),
                  document(QStringLiteral("debug.ini"))
                      .replace(QStringLiteral("movies.one"), QStringLiteral("movies.two")));
    play(0, QStringLiteral("wait 500\nclick 320 240\nwait 1000\n"));
    EXPECT_EQ(executed(), range(6, 8, QStringLiteral("movies")));
    const qsizetype two = events().indexOf(QStringLiteral("exec movies 8 put\t\"ニ\""));
    ASSERT_GE(two, 0);
    EXPECT_LT(trace.at(two).section(u' ', 0, 0).mid(2).toInt(), 1000);
}
