#include <gtest/gtest.h>

#include <QDateTime>
#include <cstdlib>

#include "TestSupport.h"
#include "data/PageLog.h"

namespace {

// Records every event of a log as one word each, lines as "line:TEXT|TAG".
struct EventRecorder {
    explicit EventRecorder(PageLog& log) {
        log.onAllTextLet = [this] { events.push_back(QStringLiteral("AllTextLet")); };
        log.onAllClear = [this] { events.push_back(QStringLiteral("AllClear")); };
        log.onLineWrote = [this](const QString& text, const QString& tag) {
            events.push_back(QStringLiteral("line:") + text + QLatin1Char('|') + tag);
        };
        log.onPageTurned = [this] { events.push_back(QStringLiteral("PageTurned")); };
        log.onPageFilled = [this] { events.push_back(QStringLiteral("PageFilled")); };
    }
    std::vector<QString> events;
};

QString numberedLines(int count) {
    QString text;
    for (int i = 1; i <= count; ++i) {
        text += QStringLiteral("line %1\r\n").arg(i);
    }
    return text;
}

void putLines(PageLog& log, int count) {
    for (int i = 1; i <= count; ++i) {
        log.PutMsg(QStringLiteral("line %1").arg(i));
    }
}

}  // namespace

TEST(PageLog, StartsEmptyWithDefaults) {
    PageLog log;
    EXPECT_EQ(log.Log(), QString());
    EXPECT_EQ(log.PageCount(), 1);
    EXPECT_EQ(log.Position(), 1);
    EXPECT_EQ(log.PageSize(), 100);
    EXPECT_EQ(log.AllLineCount(), 0);
    EXPECT_TRUE(log.LineBuffEnabled());
    EXPECT_FALSE(log.AutoSave());
    EXPECT_EQ(log.SaveMode(), 0);
    EXPECT_TRUE(log.Name().isEmpty());
}

TEST(PageLog, PutMsgWritesEachLineWithItsTag) {
    PageLog log;
    EventRecorder rec(log);
    log.PutMsg(QStringLiteral("a\r\nb"), QStringLiteral("T"));
    const std::vector<QString> expected{QStringLiteral("line:a\r\n|T"),
                                        QStringLiteral("line:b\r\n|T")};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(log.Log(), QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(log.Position(), 3);
    EXPECT_EQ(log.AllLineCount(), 2);
}

TEST(PageLog, HundredFirstLineTurnsThePageBeforeItIsWritten) {
    PageLog log;
    putLines(log, 100);
    EXPECT_EQ(log.PageCount(), 1);
    EXPECT_EQ(log.Position(), 101);

    EventRecorder rec(log);
    log.PutMsg(QStringLiteral("next"));
    const std::vector<QString> expected{QStringLiteral("PageFilled"), QStringLiteral("PageTurned"),
                                        QStringLiteral("line:next\r\n|")};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(log.PageCount(), 2);
    EXPECT_EQ(log.Position(), 2);
    EXPECT_EQ(log.PageText(1), QStringLiteral("next\r\n"));
    EXPECT_EQ(log.PageText(0), numberedLines(100));
    EXPECT_EQ(log.AllLineCount(), 101);
}

TEST(PageLog, PageSizeZeroNeverTurns) {
    PageLog log;
    log.SetPageSize(0);
    EventRecorder rec(log);
    putLines(log, 250);
    EXPECT_EQ(log.PageCount(), 1);
    EXPECT_EQ(log.Position(), 251);
    EXPECT_EQ(log.AllLineCount(), 250);
    EXPECT_EQ(rec.events.size(), 250u);
}

TEST(PageLog, UnfinishedLineWaitsInTheBuffer) {
    PageLog log;
    EventRecorder rec(log);
    log.PutMsg(QStringLiteral("abc"), QString(), false);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(log.Log(), QStringLiteral("abc"));
    EXPECT_EQ(log.PageText(0), QString());

    log.PutMsg(QString(), QStringLiteral("t"), true);
    const std::vector<QString> expected{QStringLiteral("line:abc\r\n|t")};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(log.PageText(0), QStringLiteral("abc\r\n"));
    EXPECT_EQ(log.Position(), 2);
}

TEST(PageLog, BufferedTextPrefixesTheNextPiece) {
    PageLog log;
    EventRecorder rec(log);
    log.PutMsg(QStringLiteral("ab"), QString(), false);
    log.PutMsg(QStringLiteral("cd\r\nef"), QString(), false);
    const std::vector<QString> expected{QStringLiteral("line:abcd\r\n|")};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(log.Log(), QStringLiteral("abcd\r\nef"));
    log.PutMsg(QStringLiteral("gh"));
    EXPECT_EQ(rec.events.back(), QStringLiteral("line:efgh\r\n|"));
}

TEST(PageLog, WithoutLineBufferUnfinishedTextIsWrittenAtOnce) {
    PageLog log;
    log.SetLineBuffEnabled(false);
    EventRecorder rec(log);
    log.PutMsg(QStringLiteral("abc"), QString(), false);
    log.PutMsg(QString(), QString(), false);
    log.PutMsg(QStringLiteral("def"));
    const std::vector<QString> expected{QStringLiteral("line:abc|"), QStringLiteral("line:|"),
                                        QStringLiteral("line:def\r\n|")};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(log.PageText(0), QStringLiteral("abcdef\r\n"));
    EXPECT_EQ(log.Position(), 2);
}

TEST(PageLog, EmptyTextWithoutNewLineIsIgnoredWhileBuffering) {
    PageLog log;
    EventRecorder rec(log);
    log.PutMsg(QString(), QString(), false);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(log.Log(), QString());
}

TEST(PageLog, FlashLineBuffWritesTheBufferWithoutLineEnd) {
    PageLog log;
    EventRecorder rec(log);
    log.PutMsg(QStringLiteral("half"), QString(), false);
    log.FlashLineBuff(QStringLiteral("F"));
    const std::vector<QString> expected{QStringLiteral("line:half|F")};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(log.PageText(0), QStringLiteral("half"));
    EXPECT_EQ(log.Position(), 1);
    log.PutMsg(QStringLiteral("more"));
    EXPECT_EQ(log.Log(), QStringLiteral("halfmore\r\n"));
}

TEST(PageLog, PageTextIndexes) {
    PageLog log;
    log.SetPageSize(2);
    putLines(log, 5);
    ASSERT_EQ(log.PageCount(), 3);
    EXPECT_EQ(log.PageText(0), QStringLiteral("line 1\r\nline 2\r\n"));
    EXPECT_EQ(log.PageText(2), QStringLiteral("line 5\r\n"));
    EXPECT_EQ(log.PageText(-1), log.PageText(2));
    EXPECT_EQ(log.PageText(log.PageCount()), QString());
    EXPECT_EQ(log.PageText(-2), QString());
}

TEST(PageLog, SettingLogLaysOutPages) {
    PageLog log;
    const QString text = numberedLines(250);
    log.SetLog(text);
    EXPECT_EQ(log.PageCount(), 3);
    EXPECT_EQ(log.Position(), 51);
    EXPECT_EQ(log.AllLineCount(), 250);
    EXPECT_EQ(log.PageText(0), numberedLines(100));
    EXPECT_TRUE(log.PageText(2).startsWith(QStringLiteral("line 201\r\n")));
    EXPECT_TRUE(log.PageText(2).endsWith(QStringLiteral("line 250\r\n")));
    EXPECT_EQ(log.Log(), text);

    log.SetLog(numberedLines(199));
    EXPECT_EQ(log.PageCount(), 2);
    EXPECT_EQ(log.Position(), 100);
    EXPECT_EQ(log.AllLineCount(), 199);
    EXPECT_EQ(log.Log(), numberedLines(199));
}

TEST(PageLog, SettingLogMatchesWritingTheSameLines) {
    PageLog written;
    putLines(written, 199);
    PageLog set;
    set.SetLog(numberedLines(199));
    ASSERT_EQ(set.PageCount(), written.PageCount());
    EXPECT_EQ(set.Position(), written.Position());
    for (int i = 0; i < set.PageCount(); ++i) {
        EXPECT_EQ(set.PageText(i), written.PageText(i)) << "page " << i;
    }
    // Both continue on the same line.
    set.PutMsg(QStringLiteral("x"));
    written.PutMsg(QStringLiteral("x"));
    EXPECT_EQ(set.Log(), written.Log());
    EXPECT_EQ(set.PageCount(), written.PageCount());
}

TEST(PageLog, SettingLogKeepsTheUnfinishedTailInTheBuffer) {
    PageLog log;
    EventRecorder rec(log);
    log.SetLog(QStringLiteral("a\r\nb"));
    EXPECT_EQ(log.PageText(0), QStringLiteral("a\r\n"));
    EXPECT_EQ(log.Position(), 2);
    EXPECT_EQ(log.Log(), QStringLiteral("a\r\nb"));
    log.PutMsg(QStringLiteral("c"));
    EXPECT_EQ(rec.events.back(), QStringLiteral("line:bc\r\n|"));
}

TEST(PageLog, SettingLogWithoutBufferPutsTheTailOnThePage) {
    PageLog log;
    log.SetLineBuffEnabled(false);
    log.SetLog(QStringLiteral("a\r\nb"));
    EXPECT_EQ(log.PageText(0), QStringLiteral("a\r\nb"));
    EXPECT_EQ(log.Position(), 2);

    log.SetLog(QStringLiteral("single"));
    EXPECT_EQ(log.PageText(0), QStringLiteral("single"));
    EXPECT_EQ(log.Position(), 1);
}

TEST(PageLog, SettingLogWithoutLineEndFillsOnlyTheBuffer) {
    PageLog log;
    putLines(log, 150);
    log.SetLog(QStringLiteral("tail"));
    EXPECT_EQ(log.PageCount(), 1);
    EXPECT_EQ(log.Position(), 1);
    EXPECT_EQ(log.PageText(0), QString());
    EXPECT_EQ(log.Log(), QStringLiteral("tail"));
}

TEST(PageLog, SettingLogWithPageSizeZeroMakesOnePage) {
    PageLog log;
    log.SetPageSize(0);
    log.SetLog(numberedLines(250));
    EXPECT_EQ(log.PageCount(), 1);
    EXPECT_EQ(log.Position(), 251);
    EXPECT_EQ(log.PageText(0), numberedLines(250));
}

TEST(PageLog, SettingLogRaisesTextLetAndClear) {
    PageLog log;
    EventRecorder rec(log);
    log.SetLog(numberedLines(3));
    EXPECT_EQ(rec.events, std::vector<QString>{QStringLiteral("AllTextLet")});
    rec.events.clear();
    log.SetLog(QString());
    const std::vector<QString> expected{QStringLiteral("AllTextLet"), QStringLiteral("AllClear")};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(log.PageCount(), 1);
    EXPECT_EQ(log.Log(), QString());
}

TEST(PageLog, ChangingPageSizeRelaysTheText) {
    PageLog log;
    putLines(log, 240);
    log.PutMsg(QStringLiteral("open"), QString(), false);
    log.SetPageSize(50);
    PageLog fresh;
    fresh.SetPageSize(50);
    putLines(fresh, 240);
    ASSERT_EQ(log.PageCount(), 5);
    EXPECT_EQ(log.Position(), 41);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(log.PageText(i), fresh.PageText(i)) << "page " << i;
    }
    EXPECT_TRUE(log.Log().endsWith(QStringLiteral("line 240\r\nopen")));

    log.SetPageSize(0);
    EXPECT_EQ(log.PageCount(), 1);
    EXPECT_EQ(log.Position(), 241);
    EXPECT_EQ(log.PageText(0), numberedLines(240));
    EXPECT_EQ(log.AllLineCount(), 240);
}

TEST(PageLog, SaveAppendsAndEmptiesInModeZero) {
    TempFolder dir;
    const QString file = dir.file(QStringLiteral("run.log"));
    PageLog log;
    EventRecorder rec(log);
    log.PutMsg(QStringLiteral("first"));
    ASSERT_TRUE(log.Save(file));
    EXPECT_EQ(log.Log(), QString());
    log.PutMsg(QStringLiteral("second"));
    ASSERT_TRUE(log.Save(file));
    EXPECT_EQ(dir.read(QStringLiteral("run.log")), QByteArray("first\r\nsecond\r\n"));
    EXPECT_EQ(rec.events.back(), QStringLiteral("AllClear"));
}

TEST(PageLog, SaveOverwritesInModesOneAndTwo) {
    TempFolder dir;
    dir.write(QStringLiteral("run.log"), "old contents\r\n");
    PageLog log;
    log.SetPath(dir.file(QStringLiteral("run.log")));
    log.SetSaveMode(1);
    log.PutMsg(QStringLiteral("one"));
    ASSERT_TRUE(log.Save());
    EXPECT_EQ(dir.read(QStringLiteral("run.log")), QByteArray("one\r\n"));
    EXPECT_EQ(log.Log(), QString());

    log.SetSaveMode(2);
    log.PutMsg(QStringLiteral("two"));
    ASSERT_TRUE(log.Save());
    ASSERT_TRUE(log.Save());
    EXPECT_EQ(dir.read(QStringLiteral("run.log")), QByteArray("two\r\n"));
    EXPECT_EQ(log.Log(), QStringLiteral("two\r\n"));
}

TEST(PageLog, OtherSaveModesAppendAndKeepTheLog) {
    TempFolder dir;
    const QString file = dir.file(QStringLiteral("run.log"));
    PageLog log;
    log.SetSaveMode(3);
    log.PutMsg(QStringLiteral("kept"));
    ASSERT_TRUE(log.Save(file));
    ASSERT_TRUE(log.Save(file));
    EXPECT_EQ(dir.read(QStringLiteral("run.log")), QByteArray("kept\r\nkept\r\n"));
    EXPECT_EQ(log.Log(), QStringLiteral("kept\r\n"));
}

TEST(PageLog, SavedFileIsUtf8) {
    TempFolder dir;
    PageLog log;
    log.PutMsg(QStringLiteral("読み込み失敗"));
    ASSERT_TRUE(log.Save(dir.file(QStringLiteral("u.log"))));
    EXPECT_EQ(dir.read(QStringLiteral("u.log")), QStringLiteral("読み込み失敗\r\n").toUtf8());
}

TEST(PageLog, FailedSaveKeepsTheLog) {
    TempFolder dir;
    dir.write(QStringLiteral("folder/x"), "x");
    PageLog log;
    log.PutMsg(QStringLiteral("precious"));
    for (int mode : {0, 1}) {
        log.SetSaveMode(mode);
        EventRecorder rec(log);
        EXPECT_FALSE(log.Save(dir.file(QStringLiteral("folder")))) << "mode " << mode;
        EXPECT_TRUE(rec.events.empty());
        EXPECT_EQ(log.Log(), QStringLiteral("precious\r\n"));
    }
    EXPECT_FALSE(log.Save());  // no path at all
    EXPECT_EQ(log.Log(), QStringLiteral("precious\r\n"));
}

TEST(PageLog, AutoSavesOnDestructionOnlyWhenAskedTo) {
    TempFolder dir;
    {
        PageLog log;
        log.SetPath(dir.file(QStringLiteral("auto.log")));
        log.SetAutoSave(true);
        log.PutMsg(QStringLiteral("bye"));
        log.PutMsg(QStringLiteral("tail"), QString(), false);
    }
    EXPECT_EQ(dir.read(QStringLiteral("auto.log")), QByteArray("bye\r\ntail"));
    {
        PageLog log;
        log.SetPath(dir.file(QStringLiteral("manual.log")));
        log.PutMsg(QStringLiteral("bye"));
    }
    EXPECT_FALSE(dir.exists(QStringLiteral("manual.log")));
}

TEST(PageLog, StopWatchTellsStartAndPassage) {
    PageLog log;
    log.StopWatch();
    const QDateTime start =
        QDateTime::fromString(log.StopWatchDate(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    ASSERT_TRUE(start.isValid()) << log.StopWatchDate().toStdString();
    EXPECT_LE(std::abs(start.secsTo(QDateTime::currentDateTime())), 2);
    EXPECT_GE(log.StopWatchPassage(), 0);
    EXPECT_LE(log.StopWatchPassage(), 2);
}
