#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/stdHelpers.h"
#include "platform/os/Cp932Codec.h"

using namespace stdHelpers;

TEST(stdHelpers, FormatMsgReplacesNumberedMarkers) {
    EXPECT_EQ(
        FormatMsg(QStringLiteral("%1行目: %2"), {QStringLiteral("12"), QStringLiteral("エラー")}),
        QStringLiteral("12行目: エラー"));
    EXPECT_EQ(FormatMsg(QStringLiteral("%2 %1 %1"), {QStringLiteral("a"), QStringLiteral("b")}),
              QStringLiteral("b a a"));
    EXPECT_EQ(FormatMsg(QStringLiteral("%1 and %3"), {QStringLiteral("x")}),
              QStringLiteral("x and %3"));
    EXPECT_EQ(FormatMsg(QStringLiteral("100%"), {}), QStringLiteral("100%"));
}

TEST(stdHelpers, TrimCharsRemovesSetFromBothEnds) {
    EXPECT_EQ(TrimChars(QStringLiteral(" \t[name] "), QStringLiteral(" \t[]")),
              QStringLiteral("name"));
    EXPECT_EQ(TrimChars(QStringLiteral("  "), QStringLiteral(" ")), QString());
    EXPECT_EQ(TrimChars(QStringLiteral(" a b "), QString()), QStringLiteral(" a b "));
    EXPECT_EQ(TrimChars(QString(), QStringLiteral(" ")), QString());
    EXPECT_EQ(TrimChars(QStringLiteral("　全角　"), QStringLiteral("　")), QStringLiteral("全角"));
}

TEST(stdHelpers, RemoveCharsRemovesEveryOccurrence) {
    EXPECT_EQ(RemoveChars(QStringLiteral("a,b;c,d"), QStringLiteral(",;")), QStringLiteral("abcd"));
    EXPECT_EQ(RemoveChars(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
}

TEST(stdHelpers, HexPadPadsOrTruncates) {
    EXPECT_EQ(HexPad(0x1F, 4), QStringLiteral("001F"));
    EXPECT_EQ(HexPad(0x1F, 1), QStringLiteral("1F"));
    EXPECT_EQ(HexPad(0x1F, 1, true), QString());
    EXPECT_EQ(HexPad(0x1F, 2, true), QStringLiteral("1F"));
    EXPECT_EQ(HexPad(0xFFFFFFFFu, 8), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(HexPad(0, 0), QStringLiteral("0"));
}

TEST(stdHelpers, ByteWidthOfTextFollowsTheCodePage) {
    EXPECT_TRUE(IsSingleByteText(QString()));
    EXPECT_TRUE(IsDoubleByteText(QString()));
    EXPECT_TRUE(IsSingleByteText(QStringLiteral("abcｱｲｳ")));
    EXPECT_FALSE(IsSingleByteText(QStringLiteral("abcア")));
    EXPECT_TRUE(IsDoubleByteText(QStringLiteral("全角テキスト～")));
    EXPECT_FALSE(IsDoubleByteText(QStringLiteral("全角ｱ")));
    EXPECT_FALSE(IsDoubleByteText(QStringLiteral("全角 ")));
}

TEST(stdHelpers, SwapRBExchangesRedAndBlue) {
    EXPECT_EQ(SwapRB(0x112233u), 0x332211u);
    EXPECT_EQ(SwapRB(0xFF112233u), 0x332211u);
    EXPECT_EQ(SwapRB(SwapRB(0xABCDEFu)), 0xABCDEFu);
}

TEST(stdHelpers, TextFilesAreCodePageText) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("a.txt"));
    ASSERT_TRUE(WriteTextFile(path, QStringLiteral("タイトル=①\r\n")));
    EXPECT_EQ(dir.read(QStringLiteral("a.txt")),
              Cp932Codec::encode(QStringLiteral("タイトル=①\r\n")));
    QString text;
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(text, QStringLiteral("タイトル=①\r\n"));
    EXPECT_TRUE(FileExists(path));
}

TEST(stdHelpers, MissingFilesAndFolders) {
    TempFolder dir;
    QString text = QStringLiteral("stale");
    EXPECT_FALSE(ReadTextFile(dir.file(QStringLiteral("none.txt")), text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(FileExists(dir.file(QStringLiteral("none.txt"))));
    EXPECT_FALSE(FileExists(dir.path()));  // a folder is not a file
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(ReadTextFile(dir.path(), text));
    EXPECT_FALSE(
        WriteTextFile(dir.file(QStringLiteral("no/such/folder/a.txt")), QStringLiteral("x")));
}
