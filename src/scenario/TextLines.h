#pragma once

#include <QList>
#include <QStringView>

// The lines of a text as an editor shows them: CR LF, a lone CR and a lone LF
// each end a line. The scenario assembler numbers its source lines this way.
class TextLines {
public:
    // A text ending in a line break has an empty last line; "" is one empty line.
    static QList<QStringView> Split(QStringView text);
};
