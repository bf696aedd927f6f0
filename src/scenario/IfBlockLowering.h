#pragma once

#include <QString>
#include <vector>

#include "scenario/ScenarioRecord.h"

// Lowers the block words if / elseif / else / endif into conditional ("if
// condition, true target, false target") and unconditional ("go target")
// jumps to decimal instruction addresses. The records of blocks whose endif
// has not been met yet stay open on a stack, innermost last, so nesting depth
// costs no recursion and each record is completed once.
class IfBlockLowering {
public:
    void Reset() { open_.clear(); }

    // Handles the record just appended to the list when its word 0 is a block
    // word; false with the message on a block syntax error.
    bool Lower(std::vector<ScenarioRecord>& records, QString& errMsg);

    bool HasOpenBlock() const { return !open_.empty(); }
    // Address of the oldest record still waiting for its endif; -1 when none.
    qsizetype FirstOpenRecord() const { return open_.empty() ? -1 : open_.front(); }

private:
    bool LowerIf(std::vector<ScenarioRecord>& records, QString& errMsg);
    bool LowerElseIf(std::vector<ScenarioRecord>& records, QString& errMsg);
    bool LowerElse(std::vector<ScenarioRecord>& records, QString& errMsg);
    bool LowerEndIf(std::vector<ScenarioRecord>& records, QString& errMsg);
    // The open if or elseif that a new branch continues (open gos skipped):
    // its address, -1 when an open else comes first, -2 when there is none.
    qsizetype OpenConditional(const std::vector<ScenarioRecord>& records) const;

    std::vector<qsizetype> open_;
};
