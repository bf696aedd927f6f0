#include "modes/clsModeBase.h"

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "media/clsDovDriver.h"
#include "modes/ModeHost.h"
#include "platform/os/MsgBox.h"
#include "screen/clsGameView.h"

clsModeBase::clsModeBase(clsGameView& view) : mView(view) {}

clsModeBase::~clsModeBase() {
    StopListening();
}

void clsModeBase::Listen() {
    StopListening();
    std::weak_ptr<clsModeBase> weak = weak_from_this();
    mSubscription = mView.AddScreenCmdListener(
        [weak](std::int32_t mode, std::int32_t command, const RectPtr& rect) {
            if (const std::shared_ptr<clsModeBase> self = weak.lock()) {
                self->mGV_ScreenCmd(mode, command, rect);
            }
        });
}

void clsModeBase::StopListening() {
    if (mSubscription != 0) {
        mView.RemoveScreenCmdListener(mSubscription);
        mSubscription = 0;
    }
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

void clsModeBase::ShowMessage(const QString& text) {
    if (App().Launcher != nullptr) {
        App().Launcher->Msg(text, MsgBox::OkOnly);
    }
}

void clsModeBase::PlayEffect(const QString& name) {
    GameViewHost* engine = mView.Host();
    if (!name.isEmpty() && engine != nullptr) {
        engine->Dov().PlaySE(name, 0);
    }
}
