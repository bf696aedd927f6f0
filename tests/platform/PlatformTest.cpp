#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/os/MsgBox.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

TEST(Platform, TraceReadsThePlatformClockAndBoxesWriteToIt) {
    Platform platform(std::make_unique<VirtualClock>(), nullptr);
    auto boxes = std::make_unique<ScriptedMessageBoxPresenter>(platform.trace());
    boxes->queueAnswer(QStringLiteral("no"));
    platform.setMessageBoxes(std::move(boxes));
    platform.trace().keepInMemory(true);
    platform.clock().sleep(30);
    EXPECT_EQ(
        platform.messageBoxes().show(QStringLiteral("Quit?"), MsgBox::YesNo, QString(), nullptr),
        MsgBox::IdNo);
    EXPECT_EQ(platform.trace().lines(), QStringList{QStringLiteral("t=30 msgbox \"Quit?\" -> no")});
}
