#include "data/PageLog.h"

#include <algorithm>

#include "platform/os/FileIo.h"
#include "platform/os/WallClock.h"

namespace {

QString lineEnd() {
    return QStringLiteral("\r\n");
}

}  // namespace

PageLog::PageLog() : pages_{QString()}, stopWatchStart_(currentDateTime()) {}

PageLog::~PageLog() {
    if (path_.isEmpty() || !autoSave_) {
        return;
    }
    // The owner may already be half torn down: it hears nothing of this last save.
    onAllTextLet = nullptr;
    onAllClear = nullptr;
    Save();
}

QString PageLog::Log() const {
    return pages_.join(QString()) + lineBuff_;
}

void PageLog::SetLog(const QString& text) {
    layOut(text);
    raise(onAllTextLet);
    if (text.isEmpty()) {
        raise(onAllClear);
    }
}

void PageLog::layOut(const QString& text) {
    pages_ = QStringList{QString()};
    position_ = 1;
    lineBuff_.clear();
    if (!text.contains(lineEnd())) {
        (lineBuffEnabled_ ? lineBuff_ : pages_[0]) = text;
        return;
    }
    QStringList pieces = text.split(lineEnd());
    if (lineBuffEnabled_) {
        lineBuff_ = pieces.last();
        pieces.last().clear();
    }
    const int count = static_cast<int>(pieces.size());
    if (pageSize_ == 0) {
        pages_[0] = pieces.join(lineEnd());
        position_ = count;
        return;
    }
    // Every piece but the last is a whole line; the last is where the next line goes.
    pages_.clear();
    for (int i = 0; i < count; ++i) {
        if (i % pageSize_ == 0) {
            pages_.append(QString());
        }
        pages_.last() += i + 1 < count ? pieces[i] + lineEnd() : pieces[i];
    }
    position_ = count % pageSize_ == 0 ? pageSize_ : count % pageSize_;
}

void PageLog::PutMsg(const QString& text, const QString& tag, bool newLine) {
    if (text.isEmpty()) {
        if (newLine) {
            const QString line = lineBuff_ + lineEnd();
            lineBuff_.clear();
            writeLine(line, tag);
        } else if (!lineBuffEnabled_) {
            writeLine(QString(), tag);
        }
        return;
    }
    QStringList pieces = text.split(lineEnd());
    pieces.first().prepend(lineBuff_);
    lineBuff_.clear();
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        writeLine(pieces[i] + lineEnd(), tag);
    }
    const QString& last = pieces.last();
    if (newLine) {
        writeLine(last + lineEnd(), tag);
    } else if (lineBuffEnabled_) {
        lineBuff_ = last;
    } else {
        writeLine(last, tag);
    }
}

void PageLog::FlashLineBuff(const QString& tag) {
    const QString line = lineBuff_;
    lineBuff_.clear();
    writeLine(line, tag);
}

void PageLog::writeLine(const QString& text, const QString& tag) {
    if (pageSize_ != 0 && position_ >= pageSize_ + 1) {
        turnPage();
    }
    if (onLineWrote) {
        onLineWrote(text, tag);
    }
    pages_.last() += text;
    position_ += static_cast<int>(text.count(lineEnd()));
}

void PageLog::turnPage() {
    raise(onPageFilled);
    pages_.append(QString());
    position_ = 1;
    raise(onPageTurned);
}

int PageLog::AllLineCount() const {
    return (PageCount() - 1) * pageSize_ + position_ - 1;
}

QString PageLog::PageText(int index) const {
    if (index == -1) {
        return pages_.last();
    }
    if (index < 0 || index >= PageCount()) {
        return QString();
    }
    return pages_[index];
}

void PageLog::SetPageSize(int size) {
    const QString text = Log();
    pageSize_ = std::max(size, 0);
    layOut(text);
}

bool PageLog::Save(const QString& path) {
    const QString target = path.isEmpty() ? path_ : path;
    if (target.isEmpty()) {
        return false;
    }
    const QByteArray bytes = Log().toUtf8();
    const bool overwrite = saveMode_ == 1 || saveMode_ == 2;
    const bool saved =
        overwrite ? FileIo::writeDurable(target, bytes) : FileIo::append(target, bytes);
    if (!saved) {
        return false;
    }
    if (saveMode_ == 0 || saveMode_ == 1) {
        SetLog(QString());
    }
    return true;
}

void PageLog::StopWatch() {
    stopWatchStart_ = currentDateTime();
}

QString PageLog::StopWatchDate() const {
    return stopWatchStart_.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

qint64 PageLog::StopWatchPassage() const {
    return stopWatchStart_.secsTo(currentDateTime());
}

void PageLog::raise(const std::function<void()>& event) {
    if (event) {
        event();
    }
}

// The log's only reading of the wall clock: its stopwatch shows dates, not run time.
QDateTime PageLog::currentDateTime() {
    return WallClock::localNow();
}
