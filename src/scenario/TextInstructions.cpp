#include "scenario/TextInstructions.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/AppState.h"
#include "data/clsSaveData.h"
#include "scenario/InterpreterHost.h"
#include "scenario/Script.h"
#include "scenario/clsInterpreter.h"

namespace {

// The settings' text speed is scaled by this for the text window.
constexpr qint32 kTextSpeedFactor = 15;
// The voice pan at the screen edges.
constexpr double kPanRange = 30.0;
// Voice file names start with the character ID.
constexpr qsizetype kCidLength = 3;

}  // namespace

TextInstructions::TextInstructions(clsInterpreter& interpreter) : InstructionGroup(interpreter) {
    Register("put", &TextInstructions::Put);
    Register("pt", &TextInstructions::PageTurn);
    Register("textwindow", &TextInstructions::TextWindow);
    Register("textnovel", &TextInstructions::TextNovel);
    Register("ts", &TextInstructions::Show);
    Register("th", &TextInstructions::Hide);
    Register("wnd", &TextInstructions::WindowType);
    Register("site", &TextInstructions::Site);
}

void TextInstructions::Put(const QStringList& words) {
    mIntprt.SetTextEnabled(true);
    mHost.SetWaitCancelEnabled(true);
    mIntprt.SetWaitMode(clsInterpreter::kRevealing);
    // While skipping the page is shown at once and input stays off: a window
    // button or the wheel must not act inside the step.
    if (!mIntprt.IsSkipping()) {
        mHost.SetEventEnabled(true);
    }
    mHost.ResetSOLength();
    mHost.TextSpeedSetting(mHost.LongSetting(QStringLiteral("TextSpeed")) * kTextSpeedFactor);
    if (mHost.IsEngineClosing()) {
        mIntprt.AbortStep();
        return;
    }
    const Page page = NextPage(words.value(1));
    mIntprt.SetRestText(page.rest);
    if (mIntprt.IsSkipping()) {
        mHost.TextStart(page.text, false);
        mIntprt.SetWaitMode(clsInterpreter::kSkippedWait);
        mHost.RemoveRectsByTag(kButtonTag);
    } else {
        PlayVoice(page.voice);
        if (!Reveal(page)) {
            mIntprt.AbortStep();
            return;
        }
    }
    if (page.rest.isEmpty()) {
        mIntprt.SaveData().AddHistory(mIntprt.CurrentScript()->Name(), mIntprt.Address());
    } else {
        // The same put runs again after the click and shows the next page.
        mIntprt.JumpDone();
    }
}

TextInstructions::Page TextInstructions::NextPage(const QString& messageWord) {
    Page page;
    const qint32 filmSet = mHost.BaseFilmSet();
    if (!mIntprt.RestText().isEmpty()) {
        page.text =
            mHost.ConvertMessageText(mIntprt.RestText(), page.rest, page.wait, page.voice, filmSet);
        return page;
    }
    mHost.StopCV();
    const QString message = Text(messageWord);
    if (filmSet != kNovelMode) {
        // Cleared first: the conversion shows the message's name plate.
        mHost.TextPageTurn();
    }
    const QString converted =
        mHost.ConvertMessageText(message, page.rest, page.wait, page.voice, filmSet);
    if (filmSet == kNovelMode) {
        const QString prefix =
            mIntprt.SystemInfoValue(QStringLiteral("Game"), QStringLiteral("NovelBlockPrefix"));
        const QString feed = mHost.CurrentText().isEmpty() ? QString() : QStringLiteral("\n");
        page.text = feed + prefix + converted;
    } else {
        page.text =
            mIntprt.SystemInfoValue(QStringLiteral("Game"), QStringLiteral("WindowBlockPrefix")) +
            converted;
    }
    return page;
}

bool TextInstructions::Reveal(const Page& page) {
    mHost.TextStart(page.text, true);
    if (mHost.IsEngineClosing()) {
        return false;
    }
    mHost.SetCursorVisible(true);
    if (page.wait) {
        mIntprt.SetWaitMode(clsInterpreter::kClickWait);
        mHost.RaiseScreenCmd(4);
        mHost.EnableRectsByTag(kButtonTag, true);
    } else {
        mIntprt.SetWaitMode(clsInterpreter::kRunning);
        mHost.RemoveRectsByTag(kButtonTag);
    }
    mHost.SetEventEnabled(false);
    const qint32 delay = AutoAdvanceDelay(page.text);
    mIntprt.SetPendingDelay(delay);
    mIntprt.SetLastAutoClickTimer(delay);
    return true;
}

void TextInstructions::PlayVoice(const QString& voice) {
    if (voice.isEmpty()) {
        return;
    }
    const QString cid = voice.left(kCidLength);
    const int index = mHost.GetIndexByCID(cid);
    const bool enabled = index == -1 || mHost.CharVoiceEnabled(index);
    const bool allowed = !mHost.CharIsMale(cid) || mHost.BoolSetting(QStringLiteral("MaleVoice"));
    if (!enabled || !allowed) {
        return;
    }
    const qint32 pan = mHost.BoolSetting(QStringLiteral("CVPan")) ? VoicePan(cid) : 0;
    Check(mHost.PlayCV(voice, pan), QStringLiteral("CV '") + voice + QStringLiteral("' 再生失敗"));
}

// -30 at the left edge of the screen, 0 in the middle, 30 at the right edge.
qint32 TextInstructions::VoicePan(const QString& cid) const {
    const qint32 width = App().ScreenSizeX;
    if (width <= 0) {
        return 0;
    }
    const qint32 x = std::clamp(mHost.GetCharXPos(cid), 0, width);
    return static_cast<qint32>(std::lround((x * 2.0 / width - 1.0) * kPanRange));
}

qint32 TextInstructions::AutoAdvanceDelay(const QString& page) const {
    const qint64 autoWait = mHost.LongSetting(QStringLiteral("AutoModeWait"));
    const qint64 voiceLength = mHost.SOLength();
    const qint64 delay =
        voiceLength > 0
            ? voiceLength + autoWait
            : (mHost.LongSetting(QStringLiteral("TextSpeed")) + qint64{3}) * 5 * page.size() +
                  autoWait;
    return static_cast<qint32>(std::clamp<qint64>(delay, 0, std::numeric_limits<qint32>::max()));
}

void TextInstructions::PageTurn(const QStringList&) {
    mHost.TextPageTurn();
}

void TextInstructions::TextWindow(const QStringList&) {
    SwitchFilmSet(kWindowMode);
}

void TextInstructions::TextNovel(const QStringList&) {
    SwitchFilmSet(kNovelMode);
}

void TextInstructions::SwitchFilmSet(qint32 set) {
    if (mHost.BaseFilmSet() != set) {
        mHost.SetBaseFilmSet(set);
        mIntprt.SetTextEnabled(false);
    }
}

void TextInstructions::Show(const QStringList&) {
    mIntprt.SetTextEnabled(true);
    mHost.SetCursorVisible(false);
}

void TextInstructions::Hide(const QStringList&) {
    mHost.SetCursorVisible(false);
    mIntprt.SetTextEnabled(false);
}

void TextInstructions::WindowType(const QStringList& words) {
    const QString type = IsDefaultMark(words.value(1)) ? QStringLiteral("0") : words.value(1);
    Check(mHost.ChangeWindowType(Number(type)),
          QStringLiteral("ウィンドウタイプ ") + type + QStringLiteral(" の変更に失敗しました。"));
}

void TextInstructions::Site(const QStringList& words) {
    mHost.SetSiteName(Text(words.value(1)));
}
