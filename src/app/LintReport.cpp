#include "app/LintReport.h"

#include <QSet>
#include <algorithm>

void LintReport::Add(const QString& file, qint64 line, const QString& message) {
    mFindings.push_back(Finding{file, line, message});
}

QStringList LintReport::Lines() const {
    std::vector<Finding> ordered = mFindings;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Finding& a, const Finding& b) {
        const int byFile = a.file.compare(b.file, Qt::CaseInsensitive);
        return byFile != 0 ? byFile < 0 : a.line < b.line;
    });
    QStringList lines;
    QSet<QString> listed;
    for (const Finding& finding : ordered) {
        const QString line = finding.file + QLatin1Char(':') + QString::number(finding.line) +
                             QStringLiteral(": ") + finding.message;
        if (!listed.contains(line)) {
            listed.insert(line);
            lines.append(line);
        }
    }
    return lines;
}
