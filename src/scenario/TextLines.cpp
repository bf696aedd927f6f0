#include "scenario/TextLines.h"

QList<QStringView> TextLines::Split(QStringView text) {
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch != u'\r' && ch != u'\n') {
            continue;
        }
        lines.push_back(text.sliced(start, i - start));
        if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    lines.push_back(text.sliced(start));
    return lines;
}
