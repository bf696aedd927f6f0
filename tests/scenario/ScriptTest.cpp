#include <gtest/gtest.h>

#include "scenario/Script.h"

TEST(Script, LabelsAreSplitOffLinesWithExactlyOneColon) {
    Script script;
    script.Init(QStringLiteral("main"), false);
    QString error;
    ASSERT_TRUE(script.Parse(
        QStringLiteral("start:bg\ttitle\r\nalarm\t\"a:b\"\r\nset\t\"1:2:3\"\r\nEnd:nop"), error));
    EXPECT_EQ(script.Count(), 4);
    EXPECT_EQ(script.LabelAddress(QStringLiteral("START")), 0);
    EXPECT_EQ(script.Element(0), QStringLiteral("bg\ttitle"));
    // One colon inside an argument still makes a label.
    EXPECT_EQ(script.LabelAddress(QStringLiteral("alarm\t\"a")), 1);
    EXPECT_EQ(script.Element(1), QStringLiteral("b\""));
    // Two colons: no label at all.
    EXPECT_EQ(script.Element(2), QStringLiteral("set\t\"1:2:3\""));
    EXPECT_EQ(script.LabelAddress(QStringLiteral("end")), 3);
    EXPECT_EQ(script.LabelAddress(QString()), 0);
    EXPECT_EQ(script.LabelAddress(QStringLiteral("missing")), -1);
    EXPECT_EQ(script.Element(4), QString());
    EXPECT_EQ(script.Element(-1), QString());
}

TEST(Script, EmptyTextIsOneEmptyLine) {
    Script script;
    QString error;
    ASSERT_TRUE(script.Parse(QString(), error));
    EXPECT_EQ(script.Count(), 1);
    EXPECT_EQ(script.Element(0), QString());
}

TEST(Script, DuplicateLabelStopsParsing) {
    Script script;
    QString error;
    EXPECT_FALSE(script.Parse(QStringLiteral("a:nop\r\nb:nop\r\nA:go\tb\r\nc:nop"), error));
    EXPECT_EQ(error, QStringLiteral("ラベル'A'が重複しています。"));
    EXPECT_EQ(script.Element(1), QStringLiteral("nop"));      // before: label removed
    EXPECT_EQ(script.Element(2), QStringLiteral("A:go\tb"));  // failing line kept whole
    EXPECT_EQ(script.Element(3), QStringLiteral("c:nop"));
    EXPECT_EQ(script.LabelAddress(QStringLiteral("c")), -1);
}

TEST(Script, LoneCrAndLoneLfEndLinesAsInTheAssembler) {
    Script script;
    QString error;
    ASSERT_TRUE(script.Parse(QStringLiteral("a:bg\nb:nop\rc:go\ta\r\n\n"), error));
    EXPECT_EQ(script.Count(), 5);
    EXPECT_EQ(script.LabelAddress(QStringLiteral("b")), 1);
    EXPECT_EQ(script.LabelAddress(QStringLiteral("c")), 2);
    EXPECT_EQ(script.Element(2), QStringLiteral("go\ta"));
    EXPECT_EQ(script.Element(3), QString());
}
