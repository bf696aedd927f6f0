#include "scenario/clsInterpreter.h"

#include <cmath>

#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "platform/Platform.h"
#include "platform/os/MsgBox.h"
#include "scenario/CharacterInstructions.h"
#include "scenario/ChoiceInstructions.h"
#include "scenario/FlowInstructions.h"
#include "scenario/InterpreterHost.h"
#include "scenario/SceneInstructions.h"
#include "scenario/Script.h"
#include "scenario/TextInstructions.h"
#include "scenario/WaitSoundInstructions.h"

namespace {

const QString kGameMenus = QStringLiteral(
    "file!saveload,file!qsave,file!qload,file!title,message!skip,message!auto,message!log");
const QString kReplayMenus = QStringLiteral("file!title,message!skip,message!auto,message!log");

}  // namespace

clsInterpreter::clsInterpreter(InterpreterHost& host, INIFile& systemInfo, SharedData& shared,
                               clsSaveData& saveData)
    : mHost(host),
      mSystemInfo(systemInfo),
      mShared(shared),
      mSaveData(saveData),
      mScripts(&systemInfo),
      mResolver(this),
      mTargetResolver(this),
      mFlow(std::make_unique<FlowInstructions>(*this)),
      mText(std::make_unique<TextInstructions>(*this)),
      mScene(std::make_unique<SceneInstructions>(*this)),
      mCharacters(std::make_unique<CharacterInstructions>(*this)),
      mWaitSound(std::make_unique<WaitSoundInstructions>(*this)),
      mChoices(std::make_unique<ChoiceInstructions>(*this)) {}

clsInterpreter::~clsInterpreter() {
    App().PutLog(QStringLiteral("Interpreter-Terminate"));
}

bool clsInterpreter::Init() {
    BuildInstructionTable();
    mScripts.Init(App().ScenarioFileMode, QString());
    return true;
}

void clsInterpreter::BuildInstructionTable() {
    mInstructionTable.clear();
    mDecoded.clear();
    const QStringList lines =
        mSystemInfo.KeySection(QStringLiteral("Instruction")).Text().split(QStringLiteral("\r\n"));
    for (const QString& raw : lines) {
        const QString line = stdHelpers::TrimChars(raw, QStringLiteral(" \u3000\t\r\n"));
        if (line.isEmpty() || line.startsWith(QStringLiteral("//"))) {
            continue;
        }
        QStringList fields = line.split(QLatin1Char('\t'));
        for (qsizetype i = 1; i < fields.size(); ++i) {
            fields[i] = fields[i].left(1);
        }
        mInstructionTable.insert(fields.first().toLower(), fields);
    }
}

void clsInterpreter::RegisterInstruction(const QString& word, Handler handler) {
    mHandlers.insert(word.toLower(), std::move(handler));
    mDecoded.clear();
}

bool clsInterpreter::StepStart() {
    mRestText.clear();
    mWaitMode = kClickWait;
    mTextEnabled = false;
    mLastAutoClickTimer = 0;
    mPendingDelay = 0;
    return true;
}

bool clsInterpreter::DecodeInstruction(const QString& line, QStringList& words,
                                       QString& error) const {
    const QStringList parts = line.split(QLatin1Char('\t'));
    const QString word = parts.first().toLower();
    const auto spec = mInstructionTable.constFind(word);
    if (spec == mInstructionTable.constEnd()) {
        error = QStringLiteral("未定義命令'") + word + QStringLiteral("'を実行しようとしました。");
        return false;
    }
    const qsizetype argumentCount = spec->size() - 1;
    if (parts.size() - 1 > argumentCount) {
        error = word + QStringLiteral("命令の引数は") + QString::number(argumentCount) +
                QStringLiteral("個までです。");
        return false;
    }
    words = *spec;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        if (!part.isEmpty() && part.compare(QLatin1String("null"), Qt::CaseInsensitive) != 0) {
            words[i] = part;
        }
    }
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words.at(i) == QLatin1String("*")) {
            error = word + QStringLiteral("命令の第") + QString::number(i) +
                    QStringLiteral("引数は省略できません。");
            return false;
        }
    }
    return true;
}

bool clsInterpreter::StepNext() {
    if (mHost.IsEngineClosing()) {
        return false;
    }
    mHost.SetEventEnabled(false);
    mMoviePlayed = false;
    for (;;) {
        const DecodedLine* line = CurrentDecodedLine();
        if (line == nullptr) {
            return EndAtScriptEnd();
        }
        if (!line->ok) {
            ReportRuntimeError(line->error);
            ++mAddress;
            mStepAborted = false;
            AskQuit();
            if (mStepAborted) {
                return false;
            }
            continue;
        }
        mWaitMode = kRunning;
        mAdvance = true;
        mHost.MenuEnableByText(QString());
        mHost.YieldToMessageLoop();
        if (mHost.IsEngineClosing()) {
            return false;
        }
        DetermineSkipping();
        mShared.AddCmdHistory(mCurrentScript->Name(), mAddress);
        mLastAutoClickTimer = 0;
        if (mHost.IsEngineClosing()) {
            return false;
        }
        mHost.SetCursorVisible(false);
        // Decoded lines stay where they are while other lines are decoded.
        if (!Execute(*line)) {
            return false;
        }
        // Past the instruction even when another mode takes over: a scenario
        // that the game mode goes on with afterwards (after the ending roll)
        // continues with the next instruction.
        if (mAdvance) {
            ++mAddress;
        }
        if (mStepLeft) {
            // The game's menus stay as the other mode set them.
            mHost.SetEventEnabled(true);
            return true;
        }
        if (mWaitMode == kRunning) {
            continue;
        }
        if (!mHost.DrawActivity()) {
            ReportRuntimeError(QStringLiteral("描画停止状態でのクリック待ちは禁止されています。"));
        }
        if (mWaitMode == kSkippedWait) {
            continue;
        }
        return StopAtWait();
    }
}

const clsInterpreter::DecodedLine* clsInterpreter::CurrentDecodedLine() {
    mCurrentLine = mCurrentScript ? mCurrentScript->Element(mAddress) : QString();
    if (mCurrentLine.isEmpty()) {
        return nullptr;
    }
    DecodedScript& decoded = mDecoded[mCurrentScript.get()];
    if (decoded.script != mCurrentScript) {
        decoded.script = mCurrentScript;
        decoded.lines.assign(static_cast<size_t>(mCurrentScript->Count()), std::nullopt);
    }
    std::optional<DecodedLine>& slot = decoded.lines[static_cast<size_t>(mAddress)];
    if (!slot) {
        slot.emplace();
        slot->ok = DecodeInstruction(mCurrentLine, slot->words, slot->error);
        if (slot->ok) {
            slot->word = slot->words.first().toLower();
            slot->handler = mHandlers.value(slot->word);
        }
    }
    return &*slot;
}

bool clsInterpreter::EndAtScriptEnd() {
    ReportRuntimeError(QStringLiteral("実行がスクリプトの終端に至りました。"));
    mHost.CloseVaro();
    mWaitMode = kRunning;
    mHost.SetEventEnabled(true);
    return false;
}

void clsInterpreter::DetermineSkipping() {
    const bool ctrlSkip = mHost.IsCtrlDown() && mHost.FormActivity();
    bool skipMode = mHost.IsSkipMode();
    if (skipMode && mHost.BoolSetting(QStringLiteral("SkipStopUnread")) &&
        !mShared.CmdExists(mCurrentScript->Name(), mAddress)) {
        mHost.SetSkipMode(false);
        mSkipping = false;
        mEffectTime = 500;
        return;
    }
    mSkipping = ctrlSkip || skipMode;
    if (ctrlSkip) {
        mEffectTime = 0;
    } else if (skipMode) {
        mEffectTime = mHost.BoolSetting(QStringLiteral("SkipGrpEffect")) ? 0 : 500;
    } else {
        mEffectTime = 500;
    }
}

bool clsInterpreter::Execute(const DecodedLine& line) {
    TraceExec(line.words);
    mStepAborted = false;
    mStepLeft = false;
    if (line.handler) {
        line.handler(line.words);
    } else {
        ReportRuntimeError(QStringLiteral("未実装命令'") + line.word +
                           QStringLiteral("'を実行しようとしました。"));
        AskQuit();
    }
    return !mStepAborted;
}

bool clsInterpreter::StopAtWait() {
    if (mHost.BoolSetting(QStringLiteral("TextAutoClick")) && mLastAutoClickTimer != 0) {
        mHost.MakeAutoClickTimer(mLastAutoClickTimer, 1);
    }
    if (mMoviePlayed) {
        mHost.MenuEnableByText(QString());
    } else {
        mHost.MenuEnableByText(mHost.IsReplayMode() ? kReplayMenus : kGameMenus);
    }
    mHost.SetEventEnabled(true);
    return true;
}

void clsInterpreter::TraceExec(const QStringList& words) const {
    Platform* platform = App().platform;
    if (platform != nullptr && mCurrentScript) {
        platform->trace().write(QStringLiteral("exec ") + mCurrentScript->Name() +
                                QLatin1Char(' ') + QString::number(mAddress) + QLatin1Char(' ') +
                                words.join(QLatin1Char('\t')));
    }
}

void clsInterpreter::AskQuit() {
    const int answer = mHost.Msg(QStringLiteral("終了しますか"), MsgBox::YesNo | MsgBox::Question);
    if (answer == MsgBox::IdYes) {
        mHost.CloseVaro();
        mStepAborted = true;
    }
}

bool clsInterpreter::GoLabel(const QString& expression) {
    if (expression.isEmpty()) {
        ReportRuntimeError(QStringLiteral("ラベル表現が空欄です。"));
        return false;
    }
    const QString lower =
        stdHelpers::CaseFolded(expression) == expression ? expression : expression.toLower();
    const QStringList parts =
        lower.contains(QLatin1Char('.')) ? lower.split(QLatin1Char('.')) : QStringList{lower};
    auto invalid = [&expression] {
        return QStringLiteral("ラベル表現'") + expression + QStringLiteral("'が不正です。");
    };
    if (parts.size() > 2) {
        ReportRuntimeError(invalid());
        return false;
    }
    std::shared_ptr<Script> script = mCurrentScript;
    if (parts.size() == 2) {
        script = mScripts.GetScript(parts.first(), false);
        if (!script) {
            ReportRuntimeError(QStringLiteral("シナリオ'") + parts.first() +
                               QStringLiteral("'がロードできません。"));
            return false;
        }
    }
    const QString& label = parts.last();
    // Numeric labels are the addresses the assembler writes for if blocks.
    qint32 address = -1;
    if (const auto number = ValueResolver::WholeNumber(label)) {
        address = ValueResolver::RoundHalfEven(*number);
    } else if (script) {
        address = script->LabelAddress(label);
    }
    if (address < 0 || !script) {
        ReportRuntimeError(invalid());
        return false;
    }
    mCurrentScript = std::move(script);
    mAddress = address;
    return true;
}

void clsInterpreter::GoSelectedItem(const QString& expression) {
    mWaitMode = kClickWait;
    GoLabel(expression);
}

qint32 clsInterpreter::Sbl(const QString& expression) {
    const qint32 value = mResolver.SetSymbol(expression).NumVal();
    if (mResolver.IsError()) {
        ReportRuntimeError(QStringLiteral("value get error '") + expression + QStringLiteral("' ") +
                           mResolver.ErrMsg());
    }
    return value;
}

bool clsInterpreter::PushReturn(const QString& entry) {
    if (mStack.size() >= kMaxCallDepth) {
        return false;
    }
    mStack.append(entry);
    return true;
}

QString clsInterpreter::SystemInfoValue(const QString& section, const QString& key) const {
    return mSystemInfo.KeyExists(section) ? mSystemInfo.KeySection(section).KeyValue(key)
                                          : QString();
}

std::optional<QString> clsInterpreter::PopReturn() {
    if (mStack.isEmpty()) {
        return std::nullopt;
    }
    return mStack.takeLast();
}

void clsInterpreter::ReportRuntimeError(const QString& message) {
    if (!mHost.IsDebugMode()) {
        return;
    }
    mHost.Msg(message, MsgBox::OkOnly);
    const QString rule = QStringLiteral("#############################");
    mHost.PutLog(rule);
    mHost.PutLog(QStringLiteral("実行時エラー : 第") + QString::number(qint64{mAddress} + 1) +
                 QStringLiteral("要素"));
    mHost.PutLog(message);
    mHost.PutLog(rule);
    mHost.SaveLog();
}

void clsInterpreter::SetTextEnabled(bool on) {
    mTextEnabled = on;
    mHost.SetTextVisible(on);
}

void clsInterpreter::SaveStatus() {
    INISection& status = mSaveData.IntprtStatus();
    const QString name = mCurrentScript ? mCurrentScript->Name() : QString();
    status.SetKeyValue(QStringLiteral("Address"),
                       name + QLatin1Char('.') + QString::number(mAddress));
    status.SetKeyValue(QStringLiteral("WaitMode"), QString::number(mWaitMode));
    status.SetKeyValue(QStringLiteral("RestText"), QLatin1Char('"') + mRestText + QLatin1Char('"'));
    status.SetKeyValue(QStringLiteral("TextEnabled"),
                       mTextEnabled ? QStringLiteral("True") : QStringLiteral("False"));
    status.SetKeyValue(QStringLiteral("Stack"), mStack.join(QLatin1Char(',')));
    status.SetKeyValue(QStringLiteral("LastAutoClickTimer"), QString::number(mLastAutoClickTimer));
}

void clsInterpreter::LoadStatus() {
    // The script cache was emptied: scripts are assembled anew.
    mDecoded.clear();
    INISection& status = mSaveData.IntprtStatus();
    GoLabel(status.KeyValue(QStringLiteral("Address")));
    // A damaged number beyond any wait mode must not overflow the conversion.
    const double waitMode =
        ValueResolver::NumericPrefix(status.KeyValue(QStringLiteral("WaitMode")));
    mWaitMode =
        std::fabs(waitMode) < kClickWait * 1000.0 ? static_cast<qint32>(waitMode) : kClickWait;
    if (mWaitMode != kClickWait && mWaitMode != kChoiceWait && mWaitMode != kButtonWait) {
        mWaitMode = kClickWait;
    }
    QString rest = status.KeyValue(QStringLiteral("RestText"));
    if (rest.size() >= 2 && rest.startsWith(QLatin1Char('"')) && rest.endsWith(QLatin1Char('"'))) {
        rest = rest.mid(1, rest.size() - 2);
    }
    mRestText = rest;
    SetTextEnabled(status.KeyValue(QStringLiteral("TextEnabled")).toLower() ==
                   QLatin1String("true"));
    mHost.SetCursorVisible(mWaitMode == kClickWait && mTextEnabled);
    const QString stack = status.KeyValue(QStringLiteral("Stack"));
    mStack = stack.isEmpty() ? QStringList() : stack.split(QLatin1Char(','));
    // Saves made before the delay was stored wait for a click, as they did.
    mLastAutoClickTimer = std::max(
        0, stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("LastAutoClickTimer"))));
    if (mWaitMode == kClickWait && mHost.BoolSetting(QStringLiteral("TextAutoClick")) &&
        mLastAutoClickTimer != 0) {
        mHost.MakeAutoClickTimer(mLastAutoClickTimer, 1);
    }
}

const INISection* clsInterpreter::Constants() const {
    return &mSystemInfo.KeySection(QStringLiteral("const"));
}

INISection* clsInterpreter::GameVariables() {
    return &mSaveData.Var();
}

INISection* clsInterpreter::SharedVariables() {
    return &mShared.Var();
}
