#include "scenario/SceneInstructions.h"

#include "data/SharedData.h"
#include "scenario/InterpreterHost.h"
#include "scenario/clsInterpreter.h"

SceneInstructions::SceneInstructions(clsInterpreter& interpreter) : InstructionGroup(interpreter) {
    Register("bg", &SceneInstructions::Background);
    Register("bgfill", &SceneInstructions::Fill);
    Register("bglc", &SceneInstructions::Locate);
    Register("bgmv", &SceneInstructions::Move);
    Register("dd", &SceneInstructions::Freeze);
    Register("ddb", &SceneInstructions::FreezeBlack);
    Register("ddw", &SceneInstructions::FreezeWhite);
    Register("da", &SceneInstructions::Release);
    Register("daa", &SceneInstructions::ReleaseFade);
    Register("dam", &SceneInstructions::ReleaseMask);
    Register("wto", &SceneInstructions::ThroughWhite);
    Register("bto", &SceneInstructions::ThroughBlack);
    Register("mto", &SceneInstructions::ThroughMask);
}

void SceneInstructions::Background(const QStringList& words) {
    const QString& picture = words.value(1);
    const bool shown = mHost.BGCenter(picture, PositionX(words.value(2)), PositionY(words.value(3)),
                                      mIntprt.EffectTime(), true);
    if (Check(shown,
              QStringLiteral("背景 '") + picture + QStringLiteral("'のロードに失敗しました。"))) {
        mIntprt.Shared().AddCGHistory(picture);
    }
}

void SceneInstructions::Fill(const QStringList& words) {
    mHost.BGFill(Number(words.value(1)), mIntprt.EffectTime());
}

void SceneInstructions::Locate(const QStringList& words) {
    MoveBackground(PositionX(words.value(1)), PositionY(words.value(2)), words.value(3), true);
}

void SceneInstructions::Move(const QStringList& words) {
    MoveBackground(DistanceX(words.value(1)), DistanceY(words.value(2)), words.value(3), false);
}

void SceneInstructions::MoveBackground(qint32 x, qint32 y, const QString& duration, bool absolute) {
    const QString name = mHost.BGName();
    const bool moved = IsDefaultMark(duration)
                           ? mHost.BGCenter(name, x, y, mIntprt.EffectTime(), absolute)
                           : mHost.BGMove(x, y, Duration(duration), absolute);
    Check(moved, QStringLiteral("背景'") + name + QStringLiteral("'の移動に失敗しました。"));
}

void SceneInstructions::Freeze(const QStringList&) {
    mHost.DrawDeactivate(kAtOnce, kInstantDuration);
}

void SceneInstructions::FreezeBlack(const QStringList& words) {
    mHost.DrawDeactivate(kFade, Duration(words.value(1)));
}

void SceneInstructions::FreezeWhite(const QStringList& words) {
    mHost.DrawDeactivate(kSecond, Duration(words.value(1)));
}

void SceneInstructions::Release(const QStringList&) {
    mHost.DrawActivate(kAtOnce, kInstantDuration);
}

void SceneInstructions::ReleaseFade(const QStringList& words) {
    mHost.DrawActivate(kFade, Duration(words.value(1)));
}

void SceneInstructions::ReleaseMask(const QStringList& words) {
    LoadMask(words.value(1));
    mHost.DrawActivate(kSecond, Duration(words.value(2)));
}

void SceneInstructions::ThroughWhite(const QStringList& words) {
    mHost.DrawDeactivate(kSecond, mIntprt.EffectTime());
    RecordSceneChange(ChangeScene(words.value(1)), words.value(1));
    mHost.DrawActivate(kFade, mIntprt.EffectTime());
}

void SceneInstructions::ThroughBlack(const QStringList& words) {
    mHost.DrawDeactivate(kFade, mIntprt.EffectTime());
    RecordSceneChange(ChangeScene(words.value(1)), words.value(1));
    mHost.DrawActivate(kFade, mIntprt.EffectTime());
}

void SceneInstructions::ThroughMask(const QStringList& words) {
    mHost.SetCursorVisible(false);
    mIntprt.SetTextEnabled(false);
    mHost.DrawDeactivate(kAtOnce, 0);
    RecordSceneChange(ChangeScene(words.value(1)), words.value(1));
    LoadMask(words.value(2));
    mHost.DrawActivate(kSecond, Duration(words.value(3)));
}

bool SceneInstructions::ChangeScene(const QString& picture) {
    mHost.CGHideAll(0);
    mHost.TextPageTurn();
    return mHost.BGCenter(picture, kScreenCentre, kScreenCentre, kInstantDuration, true);
}

bool SceneInstructions::RecordSceneChange(bool ok, const QString& picture) {
    if (Check(ok, QStringLiteral("通常背景'") + picture +
                      QStringLiteral("'のロードに失敗しました。"))) {
        mIntprt.Shared().AddCGHistory(picture);
    }
    return ok;
}

void SceneInstructions::LoadMask(const QString& mask) {
    Check(mHost.LoadBuffMask(mask),
          QStringLiteral("マスク'") + mask + QStringLiteral("'のロードに失敗しました。"));
}
