#include "base/stdHelpers.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/os/Cp932Codec.h"

using namespace stdHelpers;

TEST(stdHelpers, TextEditing) {
    EXPECT_EQ(FormatMsg("%1行目: %2", {"12", "エラー"}), "12行目: エラー");
    EXPECT_EQ(FormatMsg("%2 %1 %1", {"a", "b"}), "b a a");
    EXPECT_EQ(FormatMsg("%1 and %3", {"x"}), "x and %3");
    EXPECT_EQ(FormatMsg("100%", {}), "100%");
    const std::tuple<const char*, const char*, const char*> trims[] = {
        {" \t[name] ", " \t[]", "name"},
        {"  ", " ", ""},
        {" a b ", "", " a b "},
        {"", " ", ""},
        {"　全角　", "　", "全角"}};
    for (const auto& [text, set, trimmed] : trims) {
        EXPECT_EQ(TrimChars(text, set), trimmed) << text;
    }
    EXPECT_EQ(RemoveChars("a,b;c,d", ",;"), "abcd");
    EXPECT_EQ(RemoveChars("abc", QString()), "abc");
}

TEST(stdHelpers, NumbersAndColours) {
    EXPECT_EQ(HexPad(0x1F, 4), "001F");
    EXPECT_EQ(HexPad(0x1F, 1), "1F");
    EXPECT_EQ(HexPad(0x1F, 1, true), QString());
    EXPECT_EQ(HexPad(0x1F, 2, true), "1F");
    EXPECT_EQ(HexPad(0xFFFFFFFFu, 8), "FFFFFFFF");
    EXPECT_EQ(HexPad(0, 0), "0");
    EXPECT_EQ(SwapRB(0x112233u), 0x332211u);
    EXPECT_EQ(SwapRB(0xFF112233u), 0x332211u);
}

TEST(stdHelpers, ByteWidthOfTextFollowsTheCodePage) {
    EXPECT_TRUE(IsSingleByteText(QString()) && IsDoubleByteText(QString()));
    EXPECT_TRUE(IsSingleByteText("abcｱｲｳ"));
    EXPECT_FALSE(IsSingleByteText("abcア"));
    EXPECT_TRUE(IsDoubleByteText("全角テキスト～"));
    EXPECT_FALSE(IsDoubleByteText("全角ｱ"));
    EXPECT_FALSE(IsDoubleByteText("全角 "));
}

TEST(stdHelpers, TextFilesAreCodePageText) {
    TempFolder dir;
    const QString path = dir.file("a.txt");
    ASSERT_TRUE(WriteTextFile(path, "タイトル=①\r\n"));
    EXPECT_EQ(dir.read("a.txt"), Cp932Codec::encode(u"タイトル=①\r\n"));
    QString text;
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(text, "タイトル=①\r\n");
    EXPECT_TRUE(FileExists(path));
    text = "stale";
    EXPECT_FALSE(ReadTextFile(dir.file("none.txt"), text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(ReadTextFile(dir.path(), text));
    for (const QString& missing : {dir.file("none.txt"), dir.path(), QString()}) {
        EXPECT_FALSE(FileExists(missing)) << missing.toStdString();  // a folder is not a file
    }
    EXPECT_FALSE(WriteTextFile(dir.file("no/such/folder/a.txt"), "x"));
}

TEST(stdHelpers, CaseFoldingSharesTextThatIsAlreadyFolded) {
    const QString folded = QStringLiteral("count_1");
    EXPECT_TRUE(stdHelpers::IsCaseFolded(folded));
    // The same text comes back, not a copy.
    EXPECT_EQ(stdHelpers::CaseFolded(folded).constData(), folded.constData());
    for (const QString& text :
         {QStringLiteral("Var"), QStringLiteral("ＡＢ"), QStringLiteral("ß")}) {
        EXPECT_FALSE(stdHelpers::IsCaseFolded(text)) << text.toStdString();
        EXPECT_EQ(stdHelpers::CaseFolded(text), text.toCaseFolded()) << text.toStdString();
    }
}
