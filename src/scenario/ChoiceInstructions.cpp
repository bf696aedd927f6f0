#include "scenario/ChoiceInstructions.h"

#include "platform/os/MsgBox.h"
#include "scenario/clsInterpreter.h"

namespace {

constexpr qint32 kLeftClickBit = 1;
constexpr qint32 kPointBit = 4;

}  // namespace

ChoiceInstructions::ChoiceInstructions(clsInterpreter& interpreter)
    : InstructionGroup(interpreter) {
    Register("item", &ChoiceInstructions::Item);
    Register("select", &ChoiceInstructions::Select);
    Register("er", &ChoiceInstructions::Button);
    Register("ercg", &ChoiceInstructions::CharacterButton);
    Register("selecter", &ChoiceInstructions::SelectButton);
    Register("alarm", &ChoiceInstructions::Alarm);
    Register("restarttitle", &ChoiceInstructions::RestartTitle);
    Register("restartreplaymode", &ChoiceInstructions::RestartReplayMode);
    Register("playending", &ChoiceInstructions::PlayEnding);
}

bool ChoiceInstructions::InWindowMode() {
    return Check(mHost.BaseFilmSet() != kNovelMode,
                 QStringLiteral("ノベルモードにおける選択肢命令は対応できません。"));
}

void ChoiceInstructions::Item(const QStringList& words) {
    if (!InWindowMode()) {
        return;
    }
    const QString text =
        mIntprt.SystemInfoValue(QStringLiteral("Game"), QStringLiteral("ChoicePrefix")) +
        Text(words.value(1));
    Check(mHost.AddChoiceItem(text, words.value(2)),
          QStringLiteral("選択肢") + text + QStringLiteral("を追加できません。"));
}

void ChoiceInstructions::Select(const QStringList&) {
    if (!InWindowMode() ||
        !Check(mHost.ChoiceCount() > 0, QStringLiteral("選択肢が登録されていません。"))) {
        return;
    }
    mHost.ChoiceArrange();
    mHost.RemoveRectsByTag(kButtonTag);
    mHost.SetChoiceVisible(true);
    mHost.ShowAllRect();
    mHost.PutLog(QStringLiteral("SelectItem Command"));
    mHost.PutLog(mHost.ChoiceList());
    mHost.SetCursorVisible(false);
    mHost.TextPageTurn();
    mIntprt.SetWaitMode(clsInterpreter::kChoiceWait);
    StopSkipAfterSelect();
}

void ChoiceInstructions::StopSkipAfterSelect() {
    if (!mHost.BoolSetting(QStringLiteral("SkipAfterSelect"))) {
        mHost.SetSkipMode(false);
    }
}

void ChoiceInstructions::SetLabels(InterpreterHost::ScenarioButton& button,
                                   const QString& clickLabel, const QString& pointerLabel) {
    button.type = 0;
    if (!IsDefaultMark(clickLabel)) {
        button.clickLabel = clickLabel;
        button.type |= kLeftClickBit;
    }
    if (!IsDefaultMark(pointerLabel)) {
        button.pointerLabel = pointerLabel;
        button.type |= kPointBit;
    }
}

void ChoiceInstructions::Button(const QStringList& words) {
    InterpreterHost::ScenarioButton button;
    button.x = PositionX(words.value(1));
    button.y = PositionY(words.value(2));
    button.width = DistanceX(words.value(3));
    button.height = DistanceY(words.value(4));
    SetLabels(button, words.value(5, QStringLiteral("%")), words.value(6, QStringLiteral("%")));
    mHost.AddScenarioButton(button);
}

void ChoiceInstructions::CharacterButton(const QStringList& words) {
    InterpreterHost::ScenarioButton button;
    button.character = words.value(1);
    SetLabels(button, words.value(2, QStringLiteral("%")), words.value(3, QStringLiteral("%")));
    Check(mHost.AddScenarioButton(button),
          QStringLiteral("人物'") + button.character +
              QStringLiteral("'が表示されていないため、ボタンを追加できません。"));
}

void ChoiceInstructions::SelectButton(const QStringList&) {
    mHost.PutLog(QStringLiteral("SelectButton Command"));
    mHost.EnableRectsByTag(kButtonTag, true);
    mHost.SelectionClear();
    mIntprt.SetWaitMode(clsInterpreter::kButtonWait);
    StopSkipAfterSelect();
}

void ChoiceInstructions::Alarm(const QStringList& words) {
    const QString& word = words.value(1);
    const QString message = IsDefaultMark(word) ? QStringLiteral("アラーム") : Text(word);
    mHost.Msg(message, MsgBox::OkOnly);
}

void ChoiceInstructions::RestartTitle(const QStringList&) {
    mIntprt.SetWaitMode(clsInterpreter::kClickWait);
    mHost.SetSkipMode(false);
    mHost.RestartTitle();
    if (!mHost.DrawActivity()) {
        mHost.DrawActivate(kAtOnce, kInstantDuration);
    }
    mIntprt.LeaveStep();
}

void ChoiceInstructions::RestartReplayMode(const QStringList&) {
    mHost.SetSkipMode(false);
    mHost.ChangeMode(kModeOmake, 0, QString());
    mIntprt.SetWaitMode(clsInterpreter::kClickWait);
    mIntprt.LeaveStep();
}

void ChoiceInstructions::PlayEnding(const QStringList& words) {
    const QString last = IsDefaultMark(words.value(4)) ? QString() : words.value(4);
    const QString parameter = QString::number(Number(words.value(1))) + QLatin1Char(',') +
                              words.value(2) + QLatin1Char(',') + words.value(3) +
                              QLatin1Char(',') + last;
    mHost.ChangeMode(kModeEnding, kEndingSubMode, parameter);
    mIntprt.SetWaitMode(clsInterpreter::kClickWait);
    mIntprt.LeaveStep();
}
