#include "scenario/FlowInstructions.h"

#include "scenario/Script.h"
#include "scenario/clsInterpreter.h"

FlowInstructions::FlowInstructions(clsInterpreter& interpreter) : InstructionGroup(interpreter) {
    Register("go", &FlowInstructions::Go);
    Register("call", &FlowInstructions::Call);
    Register("return", &FlowInstructions::Return);
    Register("if", &FlowInstructions::If);
    Register("let", &FlowInstructions::Let);
    mIntprt.RegisterInstruction(QStringLiteral("add"), [this](const QStringList& w) {
        StoreNumber(w.value(1), qint64{mIntprt.Sbl(w.value(2))} + mIntprt.Sbl(w.value(3)));
    });
    mIntprt.RegisterInstruction(QStringLiteral("sub"), [this](const QStringList& w) {
        StoreNumber(w.value(1), qint64{mIntprt.Sbl(w.value(2))} - mIntprt.Sbl(w.value(3)));
    });
    mIntprt.RegisterInstruction(QStringLiteral("up"), [this](const QStringList& w) {
        StoreNumber(w.value(1), qint64{mIntprt.Sbl(w.value(1))} + mIntprt.Sbl(w.value(2)));
    });
    mIntprt.RegisterInstruction(QStringLiteral("down"), [this](const QStringList& w) {
        StoreNumber(w.value(1), qint64{mIntprt.Sbl(w.value(1))} - mIntprt.Sbl(w.value(2)));
    });
    for (const char* word : {"nop", "use", "siting"}) {
        mIntprt.RegisterInstruction(QLatin1String(word), [](const QStringList&) {});
    }
}

void FlowInstructions::Jump(const QString& expression) {
    if (mIntprt.GoLabel(expression)) {
        mIntprt.JumpDone();
    }
}

void FlowInstructions::Go(const QStringList& words) {
    if (mIntprt.GoLabel(words.value(1))) {
        mIntprt.JumpDone();
        return;
    }
    mIntprt.AskQuit();
}

void FlowInstructions::Call(const QStringList& words) {
    const QString name = mIntprt.CurrentScript() ? mIntprt.CurrentScript()->Name() : QString();
    if (!mIntprt.PushReturn(name + QLatin1Char('.') + QString::number(mIntprt.Address() + 1))) {
        mIntprt.ReportRuntimeError(QStringLiteral("callの入れ子が深すぎます（上限") +
                                   QString::number(clsInterpreter::kMaxCallDepth) +
                                   QStringLiteral("段）。returnのないcallを確かめてください。"));
        return;
    }
    if (mIntprt.GoLabel(words.value(1))) {
        mIntprt.JumpDone();
    } else {
        // No jump: the return address would send a later return to the wrong place.
        mIntprt.PopReturn();
    }
}

void FlowInstructions::Return(const QStringList&) {
    const auto entry = mIntprt.PopReturn();
    if (!entry) {
        mIntprt.ReportRuntimeError(QStringLiteral("スタックが空の状態でreturnしようとしました。"));
        return;
    }
    Jump(*entry);
}

void FlowInstructions::If(const QStringList& words) {
    const QString target = mIntprt.Sbl(words.value(1)) != 0 ? words.value(2) : words.value(3);
    if (target != QLatin1String("%")) {
        Jump(target);
    }
}

void FlowInstructions::Let(const QStringList& words) {
    ValueResolver& source = mIntprt.Resolver();
    const QString value = source.SetSymbol(words.value(2)).Value();
    if (source.IsError()) {
        // The target keeps its value when the expression is faulty.
        mIntprt.ReportRuntimeError(QStringLiteral("ValueExp(src) '") + words.value(2) +
                                   QStringLiteral("' ") + source.ErrMsg());
        return;
    }
    ValueResolver& target = mIntprt.TargetResolver();
    target.SetSymbol(words.value(1)).SetValue(value);
    if (target.IsError()) {
        mIntprt.ReportRuntimeError(QStringLiteral("ValueExp(dst) '") + words.value(1) +
                                   QStringLiteral("' ") + target.ErrMsg());
    }
}

void FlowInstructions::StoreNumber(const QString& target, qint64 value) {
    ValueResolver& resolver = mIntprt.TargetResolver();
    resolver.SetSymbol(target).SetValue(QString::number(value));
    if (resolver.IsError()) {
        mIntprt.ReportRuntimeError(QStringLiteral("value set error '") + target +
                                   QStringLiteral("' ") + resolver.ErrMsg() +
                                   QStringLiteral(" : ") + mIntprt.CurrentLine());
    }
}
