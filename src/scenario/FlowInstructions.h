#pragma once

#include "scenario/InstructionGroup.h"

// The flow and variable instructions: go, call, return, if, let, add, sub, up,
// down, and nop, use and siting that do nothing.
class FlowInstructions : public InstructionGroup {
public:
    explicit FlowInstructions(clsInterpreter& interpreter);

private:
    void Go(const QStringList& words);
    void Call(const QStringList& words);
    void Return(const QStringList& words);
    void If(const QStringList& words);
    void Let(const QStringList& words);
    // target := value, reporting a target that cannot be assigned.
    void StoreNumber(const QString& target, qint64 value);
    void Jump(const QString& expression);
};
