// Plays the story test game's slot scenario through the real varo program,
// headless: the slot screen opened from the game's menu, saving into two slots,
// returning, and loading the first slot again.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include "EngineRunFixture.h"
#include "GoldenImage.h"

namespace {

// Slot i of the story game's 2 x 3 grid lies at column i / 3, row i % 3.
QPoint slotAt(int slot) {
    return QPoint(14 + 316 * (slot / 3), 60 + 120 * (slot % 3));
}
QString clickOn(QPoint at) {
    return QStringLiteral("click %1 %2\n").arg(at.x()).arg(at.y());
}
QString saveButton(int slot) {
    return clickOn(slotAt(slot) + QPoint(152, 84));
}
QString loadButton(int slot) {
    return clickOn(slotAt(slot) + QPoint(244, 84));
}
const QString kReturnButton = QStringLiteral("click 584 444\n");
// Opens the slot screen and answers the question of the next save or load.
const QString kOpenSlots = QStringLiteral("menu file!saveload\nwait 1000\nanswer yes\n");
// Between the two columns of slots, where nothing lights up.
const QString kPointerAside = QStringLiteral("move 322 250\nwait 500\n");
// The click cursor, whose cells change while it waits.
constexpr int kCursorPixels = 16 * 16;

class SaveLoadRun : public EngineRun {
protected:
    void SetUp() override {
        copyGame(QStringLiteral("story"));
        startAt(QStringLiteral("slots.start"));
    }
    bool saved(const QString& slotName) const {
        return QFileInfo::exists(dir.file("game/savedata/" + slotName + ".ini")) &&
               QFileInfo::exists(dir.file("game/savedata/" + slotName + ".bmp"));
    }
    int executed(const QString& instruction) const {
        return static_cast<int>(
            events()
                .filter(QRegularExpression(QStringLiteral("^exec slots \\d+ ") +
                                           QRegularExpression::escape(instruction)))
                .size());
    }

    // The date and time lines of a slot's text come from the wall clock.
    static QImage withoutClock(QImage image, std::initializer_list<int> filled) {
        QPainter painter(&image);
        for (const int slot : filled) {
            painter.fillRect(QRect(slotAt(slot) + QPoint(112, 8), QSize(180, 32)), Qt::magenta);
        }
        return image;
    }
};

}  // namespace

TEST_F(SaveLoadRun, SavesIntoTwoSlotsAndLoadsTheFirstOneBack) {
    QString input = QStringLiteral("wait 3000\nshot first\n");
    input += kOpenSlots + saveButton(0) + QStringLiteral("wait 1000\nrclick 320 240\nwait 1000\n");
    input += QStringLiteral("click 320 240\nwait 4000\n");  // to the park
    input += kOpenSlots + saveButton(1) + QStringLiteral("wait 1000\n") + kPointerAside;
    input += QStringLiteral("shot slots\n") + kReturnButton + QStringLiteral("wait 1000\n");
    input += QStringLiteral("click 320 240\nwait 2000\n");  // the last text
    input += kOpenSlots + loadButton(0) + QStringLiteral("wait 2000\nshot loaded\n");
    input += QStringLiteral("click 320 240\nwait 4000\n");
    play(0, input);

    EXPECT_TRUE(inOrder(
        {"mode 2 6", "mode 3 13", "msgbox \"このスロットにセーブしますか。\" -> yes", "mode 2 7",
         "mode 3 13", "msgbox \"このスロットにセーブしますか。\" -> yes", "mode 2 7", "mode 3 13",
         "msgbox \"このスロットのデータをロードしますか。\" -> yes", "mode 2 7"}));
    EXPECT_TRUE(saved(QStringLiteral("sd01-00")));
    EXPECT_TRUE(saved(QStringLiteral("sd01-01")));
    // Two saves, the right click and the return button, the load.
    EXPECT_EQ(
        events().filter(QRegularExpression(QStringLiteral("^sound play se\\d+ se_click$"))).size(),
        5);
    // The loaded game stands where the first save was made and goes on from there.
    EXPECT_LE(DifferingPixels(shot("first"), shot("loaded")), kCursorPixels);
    EXPECT_EQ(executed(QStringLiteral("bto\tbg_park")), 2);
    EXPECT_TRUE(
        MatchesGoldenImage(withoutClock(shot("slots"), {0, 1}), "app", "story_save_slots", 2));
}
