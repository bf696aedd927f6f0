#include "scenario/TextLines.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

QStringList Lines(const QString& text) {
    QStringList lines;
    for (const QStringView line : TextLines::Split(text)) {
        lines << line.toString();
    }
    return lines;
}

}  // namespace

TEST(TextLines, CrLfLoneCrAndLoneLfEachEndOneLine) {
    EXPECT_EQ(Lines("a\r\nb\rc\nd"), QStringList({"a", "b", "c", "d"}));
    // LF CR is two breaks; CR CR LF is a lone CR, then CR LF.
    EXPECT_EQ(Lines("a\n\rb"), QStringList({"a", "", "b"}));
    EXPECT_EQ(Lines("a\r\r\nb"), QStringList({"a", "", "b"}));
}

TEST(TextLines, ABreakAtTheEndLeavesAnEmptyLastLine) {
    EXPECT_EQ(Lines(""), QStringList({""}));
    EXPECT_EQ(Lines("a"), QStringList({"a"}));
    EXPECT_EQ(Lines("a\r\n"), QStringList({"a", ""}));
    EXPECT_EQ(Lines("\r"), QStringList({"", ""}));
    EXPECT_EQ(Lines("\n\n"), QStringList({"", "", ""}));
}
