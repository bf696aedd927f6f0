#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class Clock;
class QFile;

// The headless run's event trace: one line per event, "t=MS " + event text,
// in UTF-8, flushed line by line so a crash keeps what came before.
// Without a file it keeps the lines in memory only when asked to (tests).
class TraceSink {
public:
    explicit TraceSink(const Clock& clock);
    ~TraceSink();

    bool openFile(const QString& path);
    void keepInMemory(bool keep) { keepInMemory_ = keep; }

    // Line breaks inside the event are written as the two characters "\n".
    void write(const QString& event);

    const QStringList& lines() const { return lines_; }

private:
    const Clock& clock_;
    std::unique_ptr<QFile> file_;
    bool keepInMemory_ = false;
    QStringList lines_;
};
