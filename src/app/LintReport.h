#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The problems `varo lint` found, each one a file, a line and a message.
class LintReport {
public:
    // file is relative to the game folder; line 0 stands for the file as a whole.
    void Add(const QString& file, qint64 line, const QString& message);

    bool IsEmpty() const { return mFindings.empty(); }
    // "FILE:LINE: message", ordered by file and line (in the order found within a
    // line); a finding made twice is listed once.
    QStringList Lines() const;

private:
    struct Finding {
        QString file;
        qint64 line = 0;
        QString message;
    };
    std::vector<Finding> mFindings;
};
