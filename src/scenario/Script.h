#pragma once

#include <QString>
#include <QStringList>

#include "base/StringKeyHash.h"

// One assembled scenario: its instruction lines addressed from 0 and its labels.
class Script {
public:
    void Init(const QString& name, bool reserved);

    // Builds lines and labels from instruction-line text (lines end in CR LF, a
    // lone CR or a lone LF, as in the assembler's source; a line with
    // exactly one ":" is label ":" instruction). A label met twice (letter case
    // ignored) stops parsing with errMsg set; false then.
    bool Parse(const QString& text, QString& errMsg);

    // The address of a label (letter case ignored), -1 when unknown; "" is 0.
    qint32 LabelAddress(const QString& label) const;
    // The instruction at an address, "" outside 0 .. Count-1.
    QString Element(qint32 index) const;

    qint32 Count() const { return static_cast<qint32>(lines_.size()); }
    const QString& Name() const { return name_; }
    bool Reserved() const { return reserved_; }

private:
    QString name_;
    bool reserved_ = false;
    QStringList lines_{QString()};
    StringKeyMap<qint32> labels_{{QString(), 0}};
};
