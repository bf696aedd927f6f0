#include "scenario/InstructionGroup.h"

#include "base/AppState.h"
#include "scenario/InterpreterHost.h"
#include "scenario/ValueResolver.h"
#include "scenario/clsInterpreter.h"

namespace {

qint32 Scale(double value, std::int32_t screen, std::int32_t script) {
    if (script <= 0) {
        return ValueResolver::RoundHalfEven(value);
    }
    return ValueResolver::RoundHalfEven(value * screen / script);
}

}  // namespace

InstructionGroup::InstructionGroup(clsInterpreter& interpreter)
    : mIntprt(interpreter), mHost(interpreter.Host()) {}

void InstructionGroup::Add(const QString& word, std::function<void(const QStringList&)> handler) {
    mIntprt.RegisterInstruction(word, std::move(handler));
}

qint32 InstructionGroup::ToScreenX(double x) {
    return Scale(x, App().ScreenSizeX, App().ScriptScaleX);
}

qint32 InstructionGroup::ToScreenY(double y) {
    return Scale(y, App().ScreenSizeY, App().ScriptScaleY);
}

qint32 InstructionGroup::Number(const QString& word, qint32 fallback) {
    if (IsDefaultMark(word)) {
        return fallback;
    }
    // The instruction table keeps one character of a default: "-1" becomes "-".
    if (word == QLatin1String("-")) {
        return -1;
    }
    return mIntprt.Sbl(word);
}

qint32 InstructionGroup::PositionX(const QString& word) {
    return ToScreenX(Number(word, App().ScriptScaleX / 2));
}

qint32 InstructionGroup::PositionY(const QString& word) {
    return ToScreenY(Number(word, App().ScriptScaleY / 2));
}

qint32 InstructionGroup::DistanceX(const QString& word) {
    return ToScreenX(Number(word));
}

qint32 InstructionGroup::DistanceY(const QString& word) {
    return ToScreenY(Number(word));
}

qint32 InstructionGroup::Duration(const QString& word) {
    const qint32 duration = Number(word);
    return mIntprt.EffectTime() == 0 ? 0 : duration;
}

QString InstructionGroup::Text(const QString& word) {
    ValueResolver& resolver = mIntprt.Resolver();
    const QString value = resolver.SetSymbol(word).Value();
    if (resolver.IsError()) {
        mIntprt.ReportRuntimeError(QStringLiteral("value get error '") + word +
                                   QStringLiteral("' ") + resolver.ErrMsg());
    }
    return value;
}

bool InstructionGroup::Check(bool ok, const QString& message) {
    if (!ok) {
        mIntprt.ReportRuntimeError(message);
    }
    return ok;
}
