// The dialogs in headless runs of the real program: scripted keys reach the
// open dialog, the game under it takes no other input, and a run never hangs
// on a dialog.
#include <gtest/gtest.h>

#include "app/EngineRunFixture.h"
#include "data/INIFile.h"
#include "data/stdINI.h"

namespace {

class DialogRun : public EngineRun {
protected:
    void SetUp() override { copyGame(); }

    // The time of the first trace line with that event; -1 if none.
    qint64 timeOf(const QString& event) const {
        for (const QString& line : trace) {
            if (line.section(u' ', 1) == event) {
                return line.section(u' ', 0, 0).mid(2).toLongLong();
            }
        }
        return -1;
    }
    QString stored(const QString& key) {
        INIFile file;
        EXPECT_TRUE(stdINI::LoadINIFile(file, dir.file("game/savedata/config.ini")));
        return file.KeySection(QStringLiteral("Config")).KeyValue(key);
    }
};

}  // namespace

TEST_F(DialogRun, MenuDialogsCloseWithEscapeAndReturn) {
    // The title's logo fades in over its first second, taking no input.
    play(0, QStringLiteral("wait 1100\n"
                           "menu property!screen\nwait 50\nkey Escape\n"
                           "menu help!version\nwait 50\nkey Return\n"
                           "menu property!char\nwait 50\nkey Return\n"));
    EXPECT_TRUE(inOrder({"dialog open config", "dialog close config cancel", "dialog open about",
                         "dialog close about ok", "dialog open config", "dialog close config ok",
                         "exit 0"}));
    EXPECT_EQ(count(QStringLiteral("dialog open config")), 2);
    EXPECT_EQ(timeOf(QStringLiteral("dialog open about")), 1150);
    EXPECT_EQ(timeOf(QStringLiteral("dialog close about ok")), 1200);
    // The minimal game's wait of 2000 has no speed: OK stored the normal speed's.
    EXPECT_EQ(stored(QStringLiteral("AutoModeWait")), QStringLiteral("1800"));
}

TEST_F(DialogRun, InputUnderAnOpenDialogIsDroppedAndQuitWaitsForTheDialog) {
    play(0, QStringLiteral("menu property!system\nwait 50\n"
                           "click 100 100\nwheel down\nmenu file!exit\nquit\n"
                           "wait 200\nkey Escape\n"));
    EXPECT_TRUE(inOrder({"dialog open config", "input dropped click 100 100",
                         "input dropped wheel down", "input dropped menu file!exit",
                         "dialog close config cancel", "mode 0 0", "exit 0"}));
    EXPECT_EQ(timeOf(QStringLiteral("dialog close config cancel")), 250);
    EXPECT_EQ(count(QStringLiteral("dialog open about")), 0);
    EXPECT_EQ(stored(QStringLiteral("AutoModeWait")), QStringLiteral("2000"));
}

TEST_F(DialogRun, ADialogStillOpenWhenTheInputEndsIsCancelled) {
    play(0, QStringLiteral("menu help!version\nwait 300\n"));
    EXPECT_TRUE(inOrder({"dialog open about", "dialog close about cancel", "exit 0"}));
    EXPECT_EQ(timeOf(QStringLiteral("dialog close about cancel")), 300);
}
