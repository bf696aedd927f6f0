#include "app/clsModeBase.h"

#include "screen/clsGameView.h"

clsModeBase::clsModeBase(clsGameView& view) : mView(view) {
    mSubscription = mView.AddScreenCmdListener(
        [this](std::int32_t mode, std::int32_t command, const RectPtr& rect) {
            mGV_ScreenCmd(mode, command, rect);
        });
}

clsModeBase::~clsModeBase() {
    mView.RemoveScreenCmdListener(mSubscription);
}

// The fallback mode shows nothing of its own but leaves the window usable:
// its menus work and it can be closed.
bool clsModeBase::ModeStart(std::int32_t& /*subMode*/, const QVariant& /*argument*/) {
    mView.SetEventEnabled(true);
    return false;
}

bool clsModeBase::ModeEnd() {
    return false;
}

void clsModeBase::mGV_ScreenCmd(std::int32_t /*mode*/, std::int32_t /*command*/,
                                const RectPtr& /*rect*/) {}
