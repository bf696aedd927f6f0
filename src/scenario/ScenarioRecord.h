#pragma once

#include <QString>
#include <QStringList>

// One assembled instruction: its address is its index in the record list.
struct ScenarioRecord {
    // Lower-cased; empty when the instruction has no label.
    QString Label;
    // Word 0 is the instruction word, the rest are its arguments in order.
    QStringList Words;
};
