// The story game's ending roll through the real varo program, headless: a
// one-minute roll that runs out by itself and one cut short by a right click,
// each going on with the scenario after it.
#include <gtest/gtest.h>

#include <QImage>

#include "EngineRunFixture.h"
#include "GoldenImage.h"

namespace {

constexpr qint64 kRollMs = 60000;
// The first message is up and waits for its click well before this.
constexpr const char* kToTheRoll = "wait 3000\nclick 320 240\n";

class EndingRun : public EngineRun {
protected:
    void SetUp() override {
        copyGame(QStringLiteral("story"));
        startAt(QStringLiteral("ending.start"));
    }

    // Virtual time of the first trace event that starts with `prefix`; -1 if none.
    qint64 timeOf(const QString& prefix) const {
        for (const QString& line : trace) {
            if (line.section(u' ', 1).startsWith(prefix)) {
                return line.section(u' ', 0, 0).mid(2).toLongLong();
            }
        }
        return -1;
    }
    static int pinkPixels(const QImage& image, const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                count += NearColor(image.pixel(x, y), qRgb(250, 120, 160), 8) ? 1 : 0;
            }
        }
        return count;
    }
    QString traceText() const { return trace.join(u'\n'); }

    static inline const QString kPlayEnding =
        QStringLiteral("exec ending 3 playending\t60000\tend_back\tend_credits\tend_effect");
};

}  // namespace

TEST_F(EndingRun, AOneMinuteRollEndsByItselfAndTheScenarioGoesOn) {
    play(0, QString::fromLatin1(kToTheRoll) +
                QStringLiteral("wait 30000\nshot halfway\nwait 7500\nshot pass3\nwait 25500\n"
                               "shot after\n"));
    ASSERT_TRUE(inOrder({kPlayEnding, "mode 4 14", "mode 2 7", "exec ending 4 textwindow",
                         "exec ending 7 put\t\"エンド２：エンディングのあとの台詞。\""}))
        << traceText().toStdString();
    const qint64 started = timeOf(QStringLiteral("mode 4 14"));
    EXPECT_EQ(timeOf(QStringLiteral("mode 2 7")) - started, kRollMs);
    // The roll is the only thing between the two messages: no message box, no clicks.
    EXPECT_EQ(count("exec ending 8 restarttitle"), 0);
    EXPECT_TRUE(events().filter(QStringLiteral("msgbox")).isEmpty()) << traceText().toStdString();
    EXPECT_TRUE(MatchesGoldenImage(shot("halfway"), "app", "story_ending_halfway", 2));
    EXPECT_GT(DifferingPixels(shot("halfway"), shot("after")), 100000);
    // Half-way through its third pass the effect shows its third cell, the
    // pink star, centred in its 96 pixel column at x 256.
    EXPECT_GT(pinkPixels(shot("pass3"), QRect(256, 120, 96, 240)), 500);
    EXPECT_EQ(pinkPixels(shot("halfway"), QRect(0, 0, 640, 480)), 0);
}

TEST_F(EndingRun, ARightClickAfterFiveSecondsEndsTheRollAtOnce) {
    play(0, QString::fromLatin1(kToTheRoll) +
                QStringLiteral("wait 5000\nrclick 320 240\nwait 3000\n"));
    ASSERT_TRUE(inOrder({kPlayEnding, "mode 4 14", "mode 2 7", "exec ending 4 textwindow"}))
        << traceText().toStdString();
    const qint64 roll = timeOf(QStringLiteral("mode 2 7")) - timeOf(QStringLiteral("mode 4 14"));
    EXPECT_GE(roll, 5000);
    EXPECT_LT(roll, 5100);
}

TEST_F(EndingRun, ClicksDuringTheRollDoNotShortenIt) {
    play(0, QString::fromLatin1(kToTheRoll) +
                QStringLiteral("wait 5000\nclick 320 240\nwait 20000\nclick 320 240\n"
                               "wait 40000\n"));
    ASSERT_TRUE(inOrder({"mode 4 14", "mode 2 7"})) << traceText().toStdString();
    EXPECT_EQ(timeOf(QStringLiteral("mode 2 7")) - timeOf(QStringLiteral("mode 4 14")), kRollMs);
}
