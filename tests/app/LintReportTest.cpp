#include "app/LintReport.h"

#include <gtest/gtest.h>

TEST(LintReport, FindingsAreOrderedByFileAndLineAndListedOnce) {
    LintReport report;
    EXPECT_TRUE(report.IsEmpty());
    report.Add("scenario/b.txt", 12, "second on line 12");
    report.Add("scenario/a.txt", 30, "late");
    report.Add("Title_mode.ini", 0, "missing");
    report.Add("scenario/b.txt", 3, "early");
    report.Add("scenario/b.txt", 12, "first found later on line 12");
    report.Add("scenario/a.txt", 30, "late");
    report.Add("game_mode.ini", 7, "key");
    EXPECT_FALSE(report.IsEmpty());
    EXPECT_EQ(report.Lines(),
              QStringList({"game_mode.ini:7: key", "scenario/a.txt:30: late",
                           "scenario/b.txt:3: early", "scenario/b.txt:12: second on line 12",
                           "scenario/b.txt:12: first found later on line 12",
                           "Title_mode.ini:0: missing"}));
}
