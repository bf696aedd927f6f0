#include "platform/os/VirtualModalDialogRunner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

#include "platform/Platform.h"
#include "platform/os/QtModalDialogRunner.h"
#include "platform/os/RealClock.h"
#include "platform/os/VirtualClock.h"

namespace {

class VirtualModalDialogRunnerTest : public ::testing::Test {
protected:
    VirtualClock clock;
    VirtualModalDialogRunner runner{clock};
    QDialog dialog;
};

}  // namespace

TEST_F(VirtualModalDialogRunnerTest, TheDialogIsModalWhileTheClockDeliversInputAndTimers) {
    QWidget* modalAtInput = nullptr;
    bool timerFired = false;
    clock.startTimer(30, [&timerFired] { timerFired = true; });
    clock.scheduleInput(100, [&] {
        modalAtInput = QApplication::activeModalWidget();
        dialog.accept();
    });
    EXPECT_TRUE(runner.exec(dialog));
    EXPECT_EQ(modalAtInput, &dialog);
    EXPECT_TRUE(timerFired);
    EXPECT_EQ(clock.now(), 100);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Input due at the same time as the one that closes the dialog is not run
// inside the dialog's loop: it is left to whoever pumps next.
TEST_F(VirtualModalDialogRunnerTest, InputAfterTheClosingOneWaitsOutsideTheDialog) {
    bool ranInLoop = false;
    bool looping = true;
    clock.scheduleInput(10, [this] { dialog.reject(); });
    clock.scheduleInput(10, [&] { ranInLoop = looping; });
    EXPECT_FALSE(runner.exec(dialog));
    looping = false;
    EXPECT_TRUE(clock.hasPendingInput());
    clock.pump();
    EXPECT_FALSE(ranInLoop);
    EXPECT_FALSE(clock.hasPendingInput());
}

TEST_F(VirtualModalDialogRunnerTest, WithNoInputToComeTheDialogIsCancelledAtOnce) {
    int rejected = 0;
    QObject::connect(&dialog, &QDialog::rejected, [&rejected] { ++rejected; });
    clock.startTimer(50, [] {});
    dialog.setResult(QDialog::Accepted);
    EXPECT_FALSE(runner.exec(dialog));
    EXPECT_EQ(rejected, 1);
    EXPECT_EQ(clock.now(), 0);
}

TEST(PlatformModalDialogs, TheRunnerFollowsTheClock) {
    Platform headless(std::make_unique<VirtualClock>(), nullptr);
    EXPECT_NE(dynamic_cast<VirtualModalDialogRunner*>(&headless.modalDialogs()), nullptr);
    Platform windowed(std::make_unique<RealClock>(), nullptr);
    EXPECT_NE(dynamic_cast<QtModalDialogRunner*>(&windowed.modalDialogs()), nullptr);
}
