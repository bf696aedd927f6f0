#include "data/PageLog.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <cstdlib>

#include "TestSupport.h"

namespace {

using Events = std::vector<QString>;

QString numberedLines(int first, int last) {
    QString text;
    for (int i = first; i <= last; ++i) {
        text += QStringLiteral("line %1\r\n").arg(i);
    }
    return text;
}

// A log whose events are recorded as one word each, lines as "line:TEXT|TAG".
class PageLogTest : public ::testing::Test {
protected:
    PageLogTest() {
        log.onAllTextLet = [this] { events.push_back("AllTextLet"); };
        log.onAllClear = [this] { events.push_back("AllClear"); };
        log.onLineWrote = [this](const QString& text, const QString& tag) {
            events.push_back("line:" + text + '|' + tag);
        };
        log.onPageTurned = [this] { events.push_back("PageTurned"); };
        log.onPageFilled = [this] { events.push_back("PageFilled"); };
    }
    void putLines(int count) {
        for (int i = 1; i <= count; ++i) {
            log.PutMsg(QStringLiteral("line %1").arg(i));
        }
    }
    // Page count, position of the next line in the last page, and lines written.
    QString where() const {
        return QStringLiteral("%1 pages, at %2, %3 lines")
            .arg(log.PageCount())
            .arg(log.Position())
            .arg(log.AllLineCount());
    }
    PageLog log;
    Events events;
};

}  // namespace

TEST_F(PageLogTest, PutMsgWritesEachLineWithItsTag) {
    log.PutMsg("a\r\nb", "T");
    EXPECT_EQ(events, Events({"line:a\r\n|T", "line:b\r\n|T"}));
    EXPECT_EQ(log.Log(), "a\r\nb\r\n");
    EXPECT_EQ(where(), "1 pages, at 3, 2 lines");
}

TEST_F(PageLogTest, HundredFirstLineTurnsThePageBeforeItIsWritten) {
    putLines(100);
    EXPECT_EQ(where(), "1 pages, at 101, 100 lines");
    events.clear();
    log.PutMsg("next");
    EXPECT_EQ(events, Events({"PageFilled", "PageTurned", "line:next\r\n|"}));
    EXPECT_EQ(where(), "2 pages, at 2, 101 lines");
    EXPECT_EQ(log.PageText(0), numberedLines(1, 100));
    EXPECT_EQ(log.PageText(1), "next\r\n");
}

TEST_F(PageLogTest, PageSizeZeroMakesOneEndlessPage) {
    log.SetPageSize(0);
    events.clear();
    putLines(250);
    EXPECT_EQ(where(), "1 pages, at 251, 250 lines");
    EXPECT_EQ(events.size(), 250u);
    log.SetLog(numberedLines(1, 250));
    EXPECT_EQ(where(), "1 pages, at 251, 250 lines");
    EXPECT_EQ(log.PageText(0), numberedLines(1, 250));
}

TEST_F(PageLogTest, UnfinishedLinesWaitInTheBufferAndPrefixTheNextPiece) {
    log.PutMsg(QString(), QString(), false);  // nothing to wait for
    log.PutMsg("ab", QString(), false);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(log.Log(), "ab");
    EXPECT_EQ(log.PageText(0), QString());
    log.PutMsg("cd\r\nef", QString(), false);
    EXPECT_EQ(events, Events{"line:abcd\r\n|"});
    EXPECT_EQ(log.Log(), "abcd\r\nef");
    log.PutMsg(QString(), "t", true);
    EXPECT_EQ(events.back(), "line:ef\r\n|t");
    EXPECT_EQ(log.PageText(0), "abcd\r\nef\r\n");
    // FlashLineBuff writes the buffer as it stands, without a line end.
    log.PutMsg("half", QString(), false);
    log.FlashLineBuff("F");
    EXPECT_EQ(events.back(), "line:half|F");
    EXPECT_EQ(where(), "1 pages, at 3, 2 lines");
    log.PutMsg("more");
    EXPECT_EQ(log.Log(), "abcd\r\nef\r\nhalfmore\r\n");
}

TEST_F(PageLogTest, WithoutLineBufferUnfinishedTextIsWrittenAtOnce) {
    log.SetLineBuffEnabled(false);
    log.PutMsg("abc", QString(), false);
    log.PutMsg(QString(), QString(), false);
    log.PutMsg("def");
    EXPECT_EQ(events, Events({"line:abc|", "line:|", "line:def\r\n|"}));
    EXPECT_EQ(log.PageText(0), "abcdef\r\n");
    EXPECT_EQ(log.Position(), 2);
}

TEST_F(PageLogTest, PageTextIndexes) {
    log.SetPageSize(2);
    putLines(5);
    EXPECT_EQ(where(), "3 pages, at 2, 5 lines");
    EXPECT_EQ(log.PageText(0), "line 1\r\nline 2\r\n");
    EXPECT_EQ(log.PageText(2), "line 5\r\n");
    EXPECT_EQ(log.PageText(-1), "line 5\r\n");
    EXPECT_EQ(log.PageText(3) + log.PageText(-2), QString());
}

TEST_F(PageLogTest, SettingLogLaysOutPagesAsWritingTheLinesWould) {
    log.SetLog(numberedLines(1, 250));
    EXPECT_EQ(events, Events{"AllTextLet"});
    EXPECT_EQ(where(), "3 pages, at 51, 250 lines");
    EXPECT_EQ(log.PageText(0), numberedLines(1, 100));
    EXPECT_EQ(log.PageText(2), numberedLines(201, 250));
    EXPECT_EQ(log.Log(), numberedLines(1, 250));
    PageLog written;
    for (int i = 1; i <= 199; ++i) {
        written.PutMsg(QStringLiteral("line %1").arg(i));
    }
    log.SetLog(numberedLines(1, 199));
    EXPECT_EQ(where(), "2 pages, at 100, 199 lines");
    log.PutMsg("x");  // both continue on the same page
    written.PutMsg("x");
    EXPECT_EQ(log.PageText(1), written.PageText(1));
    EXPECT_EQ(log.Log(), written.Log());
    log.SetLog(QString());
    EXPECT_EQ(Events(events.end() - 2, events.end()), Events({"AllTextLet", "AllClear"}));
    EXPECT_EQ(where(), "1 pages, at 1, 0 lines");
}

TEST_F(PageLogTest, SettingLogKeepsAnUnfinishedTailInTheBufferWhenThereIsOne) {
    log.SetLog("a\r\nb");
    EXPECT_EQ(log.PageText(0), "a\r\n");
    EXPECT_EQ(log.Log(), "a\r\nb");
    log.PutMsg("c");
    EXPECT_EQ(events.back(), "line:bc\r\n|");
    putLines(150);
    log.SetLog("tail");  // no line end: only the buffer is filled
    EXPECT_EQ(where(), "1 pages, at 1, 0 lines");
    EXPECT_EQ(log.Log(), "tail");
    log.SetLineBuffEnabled(false);
    log.SetLog("a\r\nb");
    EXPECT_EQ(log.PageText(0), "a\r\nb");
    EXPECT_EQ(log.Position(), 2);
    log.SetLog("single");
    EXPECT_EQ(log.PageText(0), "single");
    EXPECT_EQ(log.Position(), 1);
}

TEST_F(PageLogTest, ChangingPageSizeRelaysTheText) {
    putLines(240);
    log.PutMsg("open", QString(), false);
    log.SetPageSize(50);
    EXPECT_EQ(where(), "5 pages, at 41, 240 lines");
    EXPECT_EQ(log.PageText(1), numberedLines(51, 100));
    EXPECT_EQ(log.PageText(4), numberedLines(201, 240));
    EXPECT_TRUE(log.Log().endsWith("line 240\r\nopen"));
    log.SetPageSize(0);
    EXPECT_EQ(where(), "1 pages, at 241, 240 lines");
    EXPECT_EQ(log.PageText(0), numberedLines(1, 240));
}

TEST(PageLog, SaveModesOverwriteOrAppendAndEmptyOrKeepTheLog) {
    const QByteArray line = QStringLiteral("読み\r\n").toUtf8();  // UTF-8 in the file
    const struct {
        int mode;
        QByteArray afterOne, afterTwo;
        bool emptied;
    } rows[] = {{0, "old\r\n" + line, "old\r\n" + line, true},
                {1, line, "", true},
                {2, line, line, false},
                {3, "old\r\n" + line, "old\r\n" + line + line, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        TempFolder dir;
        dir.write("run.log", "old\r\n");
        PageLog log;
        log.SetPath(dir.file("run.log"));
        if (row.mode != 0) {  // 0 is the default
            log.SetSaveMode(row.mode);
        }
        log.PutMsg("読み");
        bool cleared = false;
        log.onAllClear = [&] { cleared = true; };
        ASSERT_TRUE(log.Save());
        EXPECT_EQ(dir.read("run.log"), row.afterOne);
        EXPECT_EQ(log.Log(), row.emptied ? QString() : "読み\r\n");
        EXPECT_EQ(cleared, row.emptied);
        ASSERT_TRUE(log.Save());
        EXPECT_EQ(dir.read("run.log"), row.afterTwo);
    }
}

TEST_F(PageLogTest, FailedSaveKeepsTheLog) {
    TempFolder dir;
    dir.write("folder/x", "x");
    log.PutMsg("precious");
    events.clear();
    for (int mode : {0, 1}) {
        log.SetSaveMode(mode);
        EXPECT_FALSE(log.Save(dir.file("folder"))) << "mode " << mode;
    }
    EXPECT_FALSE(log.Save());  // no path at all
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(log.Log(), "precious\r\n");
}

TEST(PageLog, AutoSavesOnDestructionOnlyWhenAskedTo) {
    TempFolder dir;
    for (bool autoSave : {true, false}) {
        PageLog log;
        log.SetPath(dir.file(autoSave ? "auto.log" : "manual.log"));
        if (autoSave) {  // off by default
            log.SetAutoSave(true);
        }
        log.PutMsg("bye");
        log.PutMsg("tail", QString(), false);
    }
    EXPECT_EQ(dir.read("auto.log"), "bye\r\ntail");
    EXPECT_FALSE(dir.exists("manual.log"));
}

TEST(PageLog, StopWatchTellsStartAndPassage) {
    PageLog log;
    log.StopWatch();
    const QDateTime start = QDateTime::fromString(log.StopWatchDate(), "yyyy/MM/dd HH:mm:ss");
    ASSERT_TRUE(start.isValid()) << log.StopWatchDate().toStdString();
    EXPECT_LE(std::abs(start.secsTo(QDateTime::currentDateTime())), 2);
    EXPECT_GE(log.StopWatchPassage(), 0);
    EXPECT_LE(log.StopWatchPassage(), 2);
}
