#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

// The run-time message log: diagnostic lines from every part of the engine,
// kept in pages of a fixed number of lines so a viewer can show one page at a
// time. Every line ends in CR LF; an unfinished line may wait in a line buffer.
// Events are delivered synchronously to whoever set them.
class PageLog {
public:
    PageLog();
    // Saves to Path when AutoSave is on and Path is set.
    ~PageLog();

    PageLog(const PageLog&) = delete;
    PageLog& operator=(const PageLog&) = delete;

    // Events, raised only when set.
    std::function<void()> onAllTextLet;  // after the whole text has been set
    std::function<void()> onAllClear;    // after the whole text has been set to ""
    std::function<void(const QString& text, const QString& tag)> onLineWrote;
    std::function<void()> onPageTurned;  // after a new page has been started
    std::function<void()> onPageFilled;  // just before a new page is started

    // All pages joined, followed by the line buffer.
    QString Log() const;
    // Replaces the whole text and lays it out into pages.
    void SetLog(const QString& text);

    // Appends text; CR LF separates lines. The tag travels unchanged to onLineWrote.
    void PutMsg(const QString& text, const QString& tag = QString(), bool newLine = true);
    // Writes the line buffer as it stands, without a line end, and empties it.
    void FlashLineBuff(const QString& tag = QString());

    int AllLineCount() const;
    // The text of one page (0-based); -1 is the last page; other indexes give "".
    QString PageText(int index) const;

    int PageSize() const { return pageSize_; }
    // 0 means one page without limit; a negative size counts as 0.
    // Lays the whole text out again into pages of the new size.
    void SetPageSize(int size);
    // The line number within the last page at which the next line is written.
    int Position() const { return position_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    const QString& Path() const { return path_; }
    void SetPath(const QString& path) { path_ = path; }
    bool AutoSave() const { return autoSave_; }
    void SetAutoSave(bool on) { autoSave_ = on; }
    // 1 or 2 overwrite the file, anything else appends; 0 or 1 empty the log after saving.
    int SaveMode() const { return saveMode_; }
    void SetSaveMode(int mode) { saveMode_ = mode; }
    bool LineBuffEnabled() const { return lineBuffEnabled_; }
    void SetLineBuffEnabled(bool on) { lineBuffEnabled_ = on; }

    // Writes the whole text in UTF-8 to `path` (Path when empty). False on a file
    // error, which leaves the log as it was.
    bool Save(const QString& path = QString());

    void StopWatch();
    QString StopWatchDate() const;
    // Whole seconds since the stopwatch was started.
    qint64 StopWatchPassage() const;

private:
    void writeLine(const QString& text, const QString& tag);
    void turnPage();
    void layOut(const QString& text);
    static void raise(const std::function<void()>& event);
    static QDateTime currentDateTime();

    QString name_;
    QStringList pages_;
    int position_ = 1;
    int pageSize_ = 100;
    QString lineBuff_;
    bool lineBuffEnabled_ = true;
    QString path_;
    bool autoSave_ = false;
    int saveMode_ = 0;
    QDateTime stopWatchStart_;
};
