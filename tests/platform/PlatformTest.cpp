#include "platform/Platform.h"

#include <gtest/gtest.h>

#include "platform/os/MsgBox.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

TEST(Platform, TraceReadsThePlatformClockAndBoxesWriteToIt) {
    Platform platform(std::make_unique<VirtualClock>(), nullptr);
    platform.setMessageBoxes(std::make_unique<ScriptedMessageBoxPresenter>(platform.trace()));
    platform.trace().keepInMemory(true);
    platform.clock().sleep(30);
    EXPECT_EQ(platform.messageBoxes().show("Quit?", MsgBox::YesNo, QString(), nullptr),
              MsgBox::IdYes);
    EXPECT_EQ(platform.trace().lines(), QStringList{"t=30 msgbox \"Quit?\" -> yes"});
}
