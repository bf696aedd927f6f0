#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "data/INIFile.h"
#include "scenario/ScenarioConverter.h"

// Readable QString values in failure messages.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace Qt::StringLiterals;

namespace {

const QString kBadLabel = u"ラベル内に無効な文字が含まれています。"_s;
const QString kNoBlockEnd = u"字幕省略構文でブロック終端がありません。"_s;
const QString kBeyondLastLine = u"字幕省略で上限行数を超えて全角文字があります。"_s;
const QString kTooManyLines = u"字幕省略で上限行数を超えている可能性があります。"_s;
const QString kIfSyntax = u"ＩＦ構文の構文エラーです。"_s;
const QString kElseIfSyntax = u"ＥＬＳＥＩＦの構文エラーです。"_s;
const QString kElseSyntax = u"ＥＬＳＥの構文エラーです。"_s;
const QString kEndIfSyntax = u"ＥＮＤＩＦの構文エラーです。"_s;

QString Lines(const QStringList& lines) {
    return lines.join(u"\r\n"_s);
}

QString InvalidChar(const QString& ch) {
    return u"字幕省略で不正な半角文字 '"_s + ch + u"' があります。"_s;
}

// A converter with a message window of 3 full-width characters by 2 lines.
class ScenarioConverterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(converter.Init(3, 2)); }

    // The program as instruction lines, or "" when assembly fails.
    QString Assembled(const QStringList& source) {
        return converter.Assemble(Lines(source)) ? converter.RegularScript() : QString();
    }

    void ExpectError(const QStringList& source, qint64 line, const QString& sourceLine,
                     const QString& message) {
        EXPECT_FALSE(converter.Assemble(Lines(source)));
        EXPECT_EQ(converter.ErrMsg(), message);
        EXPECT_EQ(converter.ErrLine(), line);
        EXPECT_EQ(converter.ErrSource(), sourceLine);
    }

    ScenarioConverter converter;
};

// ---- settings

TEST(ScenarioConverterInit, ReadsLimitsAndNameplatesFromSystemInfo) {
    INIFile info;
    info.SetText(
        u"[Game]\r\nScreenSizeX=640\r\n[textblock]\r\ncharcount = 20\r\nLineCount=3 ; lines\r\n"
        "[Nameplate]\r\nCount=3\r\nitem:0=私\r\nitem:1=太郎\r\nItem:2=花子\r\nitem:3=次郎"_s);
    ScenarioConverter converter;
    ASSERT_TRUE(converter.Init(info));
    EXPECT_EQ(converter.CharCount(), 20);
    EXPECT_EQ(converter.LineCount(), 3);
    // Index 0 is never substituted and index 3 is beyond Count.
    ASSERT_TRUE(converter.Assemble(u"太郎「私と花子と次郎」\\b"_s));
    EXPECT_EQ(converter.RegularScript(), u"put\t\"\\np(1)「私と\\np(2)と次郎」\""_s);
}

TEST(ScenarioConverterInit, FailsWithoutPositiveLimits) {
    const QStringList documents{
        u"[Nameplate]\r\nCount=1"_s,
        u"[TextBlock]\r\nLineCount=3"_s,
        u"[TextBlock]\r\nCharCount=20"_s,
        u"[TextBlock]\r\nCharCount=0\r\nLineCount=3"_s,
        u"[TextBlock]\r\nCharCount=20\r\nLineCount=x"_s,
        u"[TextBlock]\r\nCharCount=-4\r\nLineCount=3"_s,
    };
    for (const QString& text : documents) {
        INIFile info;
        info.SetText(text);
        ScenarioConverter converter;
        EXPECT_FALSE(converter.Init(info)) << text.toStdString();
    }
    ScenarioConverter converter;
    EXPECT_FALSE(converter.Init(0, 3));
    EXPECT_FALSE(converter.Init(3, 0));
    EXPECT_TRUE(converter.Init(3, 1));
}

TEST(ScenarioConverterInit, WorksWithoutNameplates) {
    INIFile info;
    info.SetText(
        u"[TextBlock]\r\nCharCount=4\r\nLineCount=2\r\n[Nameplate]\r\nCount=0\r\n"
        "item:1=太郎"_s);
    ScenarioConverter converter;
    ASSERT_TRUE(converter.Init(info));
    ASSERT_TRUE(converter.Assemble(u"太郎\\b"_s));
    EXPECT_EQ(converter.RegularScript(), u"put\t\"太郎\""_s);
}

TEST(ScenarioConverterInit, HugeNameplateCountReadsOnlyTheGivenItems) {
    INIFile info;
    info.SetText(
        u"[TextBlock]\r\nCharCount=4\r\nLineCount=2\r\n[Nameplate]\r\n"
        "Count=2000000000\r\nitem:1999999999=花子\r\nitem:01=太郎\r\nitem:=x"_s);
    ScenarioConverter converter;
    ASSERT_TRUE(converter.Init(info));
    // "item:01" is not the key of index 1.
    ASSERT_TRUE(converter.Assemble(u"太郎花子\\b"_s));
    EXPECT_EQ(converter.RegularScript(), u"put\t\"太郎\\np(1999999999)\""_s);
}

TEST(ScenarioConverterInit, NameplatesGivenAsValues) {
    ScenarioConverter converter;
    ASSERT_TRUE(converter.Init(5, 2, {u"私"_s, u"太郎"_s, QString(), u"花子"_s}));
    ASSERT_TRUE(converter.Assemble(u"私は太郎、花子\\b"_s));
    EXPECT_EQ(converter.RegularScript(), u"put\t\"私は\\np(1)、\\np(3)\""_s);
}

// ---- source lines and labels

TEST_F(ScenarioConverterTest, EmptyOrCommentOnlyTextIsOneNop) {
    EXPECT_EQ(Assembled({}), u"nop"_s);
    EXPECT_EQ(Assembled({u"// title"_s, QString(), u" \t "_s, u"   // note"_s, QString()}),
              u"nop"_s);
    EXPECT_EQ(Assembled({u":"_s, u" : "_s, u": // c"_s}), u"nop"_s);
}

TEST_F(ScenarioConverterTest, LabelsAttachToTheNextInstruction) {
    EXPECT_EQ(Assembled({u"start:"_s, u"bg x"_s}), u"start:bg\tx"_s);
    EXPECT_EQ(Assembled({u"Start: BG Title, 1"_s}), u"start:bg\ttitle\t1"_s);
    EXPECT_EQ(Assembled({u"a: // note"_s, QString(), u"bg"_s}), u"a:bg"_s);
    EXPECT_EQ(Assembled({u":"_s, u"bg"_s}), u"bg"_s);
    EXPECT_EQ(Assembled({u"\tmark:bg  "_s}), u"mark:bg"_s);
}

TEST_F(ScenarioConverterTest, TwoLabelsInARowGiveTheFirstANop) {
    EXPECT_EQ(Assembled({u"a:"_s, u"b:"_s, u"bg x"_s}), u"a:nop\r\nb:bg\tx"_s);
    EXPECT_EQ(Assembled({u"a:"_s, u"b: bg x"_s}), u"a:nop\r\nb:bg\tx"_s);
    EXPECT_EQ(Assembled({u"a:"_s, u"b:"_s, u"c:"_s}), u"a:nop\r\nb:nop\r\nc:nop"_s);
}

TEST_F(ScenarioConverterTest, LabelAtTheEndGetsANop) {
    EXPECT_EQ(Assembled({u"bg"_s, u"End:"_s, u"// nothing follows"_s}), u"bg\r\nend:nop"_s);
}

TEST_F(ScenarioConverterTest, InvalidLabelCharactersAreErrors) {
    ExpectError({u"start :bg"_s}, 1, u"start :bg"_s, kBadLabel);
    ExpectError({u"bg"_s, u"// c"_s, u"a\tb:bg"_s}, 3, u"a\tb:bg"_s, kBadLabel);
    ExpectError({u"ラ\u3000ベル:bg"_s}, 1, u"ラ\u3000ベル:bg"_s, kBadLabel);
    ExpectError({u"a b:"_s}, 1, u"a b:"_s, kBadLabel);
}

TEST_F(ScenarioConverterTest, CommentsAreCutEvenInsideQuotes) {
    EXPECT_EQ(Assembled({u"msg \"AB//cd\", 2"_s}), u"msg\t\"ab"_s);
    EXPECT_EQ(Assembled({u"bg x// y"_s}), u"bg\tx"_s);
}

// ---- command lines

TEST_F(ScenarioConverterTest, CommandWordsAndArgumentsAreLowerCased) {
    EXPECT_EQ(Assembled({u"BG Title, 1"_s}), u"bg\ttitle\t1"_s);
    EXPECT_EQ(Assembled({u"  \tStop   "_s}), u"stop"_s);
    EXPECT_EQ(Assembled({u"Wait\t100"_s}), u"wait\t100"_s);
    EXPECT_EQ(Assembled({u"bg\tA,\tB ,C"_s}), u"bg\ta\tb\tc"_s);
    EXPECT_EQ(Assembled({u"name 太郎A"_s}), u"name\t太郎a"_s);
}

TEST_F(ScenarioConverterTest, QuotedArgumentsKeepTheirCase) {
    EXPECT_EQ(Assembled({u"Msg \"Hello\" , \"\""_s}), u"msg\t\"Hello\"\t\"\""_s);
    // Commas inside quotes still split.
    EXPECT_EQ(Assembled({u"msg \"Hello, World\""_s}), u"msg\t\"hello\tworld\""_s);
}

TEST_F(ScenarioConverterTest, FullWidthArgumentsGetQuotes) {
    EXPECT_EQ(Assembled({u"name 太郎, Ｘ,ｱ"_s}), u"name\t\"太郎\"\t\"Ｘ\"\tｱ"_s);
}

TEST_F(ScenarioConverterTest, OmittedArgumentsStayEmpty) {
    EXPECT_EQ(Assembled({u"se ,, 3"_s}), u"se\t\t\t3"_s);
    EXPECT_EQ(Assembled({u"se 1,"_s}), u"se\t1\t"_s);
}

// ---- text blocks

TEST_F(ScenarioConverterTest, TextLinesJoinIntoOnePut) {
    EXPECT_EQ(Assembled({u"あい"_s, u"う\\b"_s}), u"put\t\"あいう\""_s);
    EXPECT_EQ(Assembled({u"あ"_s, QString(), u"// aside"_s, u"い\\b // end"_s, u"bg"_s}),
              u"put\t\"あい\"\r\nbg"_s);
    EXPECT_EQ(Assembled({u"あ\\b"_s, u"い\\b"_s}), u"put\t\"あ\"\r\nput\t\"い\""_s);
    EXPECT_EQ(Assembled({u"\\b"_s}), u"put\t\"\""_s);
}

TEST_F(ScenarioConverterTest, LabelOnATextLineGoesToThePut) {
    EXPECT_EQ(Assembled({u"Scene:あい"_s, u"う\\b"_s}), u"scene:put\t\"あいう\""_s);
    EXPECT_EQ(Assembled({u"a:"_s, u"あ"_s, u"b:い\\b"_s}), u"a:nop\r\nb:put\t\"あい\""_s);
}

TEST_F(ScenarioConverterTest, WrapsAfterCharCountFullWidthCharacters) {
    EXPECT_EQ(Assembled({u"あいう"_s, u"えお\\b"_s}), u"put\t\"あいう\\nえお\""_s);
    EXPECT_EQ(Assembled({u"あいうえおか\\b"_s}), u"put\t\"あいう\\nえおか\""_s);
}

TEST_F(ScenarioConverterTest, ExplicitLineBreaksCountAsLines) {
    EXPECT_EQ(Assembled({u"あ\\nい\\b"_s}), u"put\t\"あ\\nい\""_s);
    // A break at a full line adds no second one.
    EXPECT_EQ(Assembled({u"あいう\\nえ\\b"_s}), u"put\t\"あいう\\nえ\""_s);
    // A break at the very end moves no character.
    EXPECT_EQ(Assembled({u"あいう\\nえおか\\n\\b"_s}), u"put\t\"あいう\\nえおか\\n\""_s);
    ExpectError({u"あ\\n\\nい\\b"_s}, 1, u"あ\\n\\nい\\b"_s, kBeyondLastLine);
}

TEST_F(ScenarioConverterTest, EscapesTakeNoWidth) {
    EXPECT_EQ(Assembled({u"\\c(1)あいう\\w(5)え\\b"_s}), u"put\t\"\\c(1)あいう\\w(5)\\nえ\""_s);
}

TEST_F(ScenarioConverterTest, UpperCaseBreakEscapeIsAlsoALineBreak) {
    ScenarioConverter oneLine;
    ASSERT_TRUE(oneLine.Init(3, 1));
    EXPECT_FALSE(oneLine.Assemble(u"あ\\Nい\\b"_s));
    EXPECT_EQ(oneLine.ErrMsg(), kBeyondLastLine);
    ASSERT_TRUE(oneLine.Assemble(u"あ\\Xい\\b"_s));
    EXPECT_EQ(oneLine.RegularScript(), u"put\t\"あ\\Xい\""_s);
}

TEST_F(ScenarioConverterTest, LineLimitErrors) {
    ExpectError({u"あいうえ"_s, u"おかき\\b"_s}, 2, u"おかき\\b"_s, kBeyondLastLine);
    ExpectError({u"あいうえおかきくけ\\b"_s}, 1, u"あいうえおかきくけ\\b"_s, kBeyondLastLine);
    ExpectError({u"bg"_s, u"あいうえおかきくけこ\\b"_s}, 2, u"あいうえおかきくけこ\\b"_s,
                kTooManyLines);
    ExpectError({u"あ\\nい\\nう\\nえ\\b"_s}, 1, u"あ\\nい\\nう\\nえ\\b"_s, kTooManyLines);
    // Trailing breaks move no character: the third one still fits.
    EXPECT_EQ(Assembled({u"あ\\n\\n\\n\\b"_s}), u"put\t\"あ\\n\\n\\n\""_s);
    ExpectError({u"\\n\\n\\n\\n\\b"_s}, 1, u"\\n\\n\\n\\n\\b"_s, kTooManyLines);
}

TEST_F(ScenarioConverterTest, HalfWidthCharactersOutsideEscapesAreErrors) {
    ExpectError({u"あaい\\b"_s}, 1, u"あaい\\b"_s, InvalidChar(u"a"_s));
    ExpectError({u"あ"_s, u"い う\\b"_s}, 2, u"い う\\b"_s, InvalidChar(u" "_s));
    ExpectError({u"あｱｲ\\b"_s}, 1, u"あｱｲ\\b"_s, InvalidChar(u"ｱ"_s));
}

TEST_F(ScenarioConverterTest, CommandInsideATextBlockIsAnError) {
    ExpectError({u"あ"_s, u"lbl: bg x"_s}, 2, u"lbl: bg x"_s, kNoBlockEnd);
}

TEST_F(ScenarioConverterTest, TextBlockOpenAtTheEndIsAnError) {
    ExpectError({u"bg"_s, u"あ"_s, u"い"_s}, 2, u"あ"_s, kNoBlockEnd);
}

// ---- if blocks

TEST_F(ScenarioConverterTest, IfWithoutElseJumpsToEndIf) {
    EXPECT_EQ(Assembled({u"if A"_s, u"x"_s, u"y"_s, u"endif"_s, u"z"_s}),
              Lines({u"if\ta\t\t3"_s, u"x"_s, u"y"_s, u"nop"_s, u"z"_s}));
}

TEST_F(ScenarioConverterTest, IfElse) {
    EXPECT_EQ(Assembled({u"if a"_s, u"x"_s, u"else"_s, u"y"_s, u"endif"_s}),
              Lines({u"if\ta\t\t3"_s, u"x"_s, u"go\t4"_s, u"y"_s, u"nop"_s}));
}

TEST_F(ScenarioConverterTest, IfElseIfElse) {
    EXPECT_EQ(Assembled({u"if p"_s, u"x"_s, u"ElseIf q"_s, u"y"_s, u"else"_s, u"z"_s, u"endif"_s}),
              Lines({u"if\tp\t\t3"_s, u"x"_s, u"go\t7"_s, u"if\tq\t\t6"_s, u"y"_s, u"go\t7"_s,
                     u"z"_s, u"nop"_s}));
}

TEST_F(ScenarioConverterTest, ElseIfChainWithoutElse) {
    EXPECT_EQ(Assembled({u"if p"_s, u"elseif q"_s, u"elseif r"_s, u"x"_s, u"endif"_s}),
              Lines({u"if\tp\t\t2"_s, u"go\t6"_s, u"if\tq\t\t4"_s, u"go\t6"_s, u"if\tr\t\t6"_s,
                     u"x"_s, u"nop"_s}));
}

TEST_F(ScenarioConverterTest, NestedBlocks) {
    EXPECT_EQ(Assembled({u"if a"_s, u" if b"_s, u"  x"_s, u" else"_s, u"  y"_s, u" endif"_s,
                         u" z"_s, u"else"_s, u" w"_s, u"endif"_s}),
              Lines({u"if\ta\t\t8"_s, u"if\tb\t\t4"_s, u"x"_s, u"go\t5"_s, u"y"_s, u"nop"_s, u"z"_s,
                     u"go\t9"_s, u"w"_s, u"nop"_s}));
}

TEST_F(ScenarioConverterTest, ElseIfAfterAClosedInnerElse) {
    EXPECT_EQ(Assembled({u"if a"_s, u"if b"_s, u"else"_s, u"endif"_s, u"elseif c"_s, u"endif"_s}),
              Lines({u"if\ta\t\t5"_s, u"if\tb\t\t3"_s, u"go\t3"_s, u"nop"_s, u"go\t6"_s,
                     u"if\tc\t\t6"_s, u"nop"_s}));
}

TEST_F(ScenarioConverterTest, LabelsOnBlockLines) {
    EXPECT_EQ(Assembled({u"T: if a"_s, u"x"_s, u"l: elseif b"_s, u"e:"_s, u"endif"_s}),
              Lines({u"t:if\ta\t\t3"_s, u"x"_s, u"l:go\t4"_s, u"if\tb\t\t4"_s, u"e:nop"_s}));
    EXPECT_EQ(Assembled({u"if a"_s, u"m: else"_s, u"endif"_s}),
              Lines({u"if\ta\t\t2"_s, u"m:go\t2"_s, u"nop"_s}));
}

TEST_F(ScenarioConverterTest, OneLineIfsOpenNoBlock) {
    EXPECT_EQ(Assembled({u"if a, Target"_s, u"if b, t1, t2"_s}),
              Lines({u"if\ta\ttarget\t"_s, u"if\tb\tt1\tt2"_s}));
    ExpectError({u"if a, t"_s, u"endif"_s}, 2, u"endif"_s, u"endif without if"_s);
}

TEST_F(ScenarioConverterTest, BlockWordSyntaxErrors) {
    ExpectError({u"if"_s}, 1, u"if"_s, kIfSyntax);
    ExpectError({u"x"_s, u"if a,b,c,d"_s}, 2, u"if a,b,c,d"_s, kIfSyntax);
    ExpectError({u"if a"_s, u"elseif"_s}, 2, u"elseif"_s, kElseIfSyntax);
    ExpectError({u"if a"_s, u"elseif b, c"_s}, 2, u"elseif b, c"_s, kElseIfSyntax);
    ExpectError({u"if a"_s, u"else"_s, u"elseif b"_s}, 3, u"elseif b"_s, kElseIfSyntax);
    ExpectError({u"if a"_s, u"else x"_s}, 2, u"else x"_s, kElseSyntax);
    ExpectError({u"if a"_s, u"else"_s, u"y"_s, u"else"_s}, 4, u"else"_s, kElseSyntax);
    ExpectError({u"if a"_s, u"  endif x // why"_s}, 2, u"  endif x // why"_s, kEndIfSyntax);
}

TEST_F(ScenarioConverterTest, BlockWordsWithoutIf) {
    ExpectError({u"elseif a"_s}, 1, u"elseif a"_s, u"elseif without if"_s);
    ExpectError({u"bg"_s, u"else"_s}, 2, u"else"_s, u"else without if"_s);
    ExpectError({u"endif"_s}, 1, u"endif"_s, u"endif without if"_s);
    ExpectError({u"if a"_s, u"endif"_s, u"endif"_s}, 3, u"endif"_s, u"endif without if"_s);
    ExpectError({u"if a"_s, u"endif"_s, u"else"_s}, 3, u"else"_s, u"else without if"_s);
}

TEST_F(ScenarioConverterTest, IfWithoutEndIfReportsTheFirstOpenAddress) {
    ExpectError({u"bg"_s, u"if a"_s, u"x"_s}, 1, QString(), u"if without endif"_s);
    ExpectError({u"if a"_s, u"if b"_s, u"endif"_s}, 0, QString(), u"if without endif"_s);
    ExpectError({u"x"_s, u"y"_s, u"if a"_s, u"endif"_s, u"if b"_s, u"else"_s, u"z"_s}, 4, QString(),
                u"if without endif"_s);
}

// ---- results between calls

TEST_F(ScenarioConverterTest, FailedAssemblyKeepsTheLastProgram) {
    ASSERT_TRUE(converter.Assemble(u"bg a"_s));
    EXPECT_FALSE(converter.Assemble(u"endif"_s));
    EXPECT_EQ(converter.RegularScript(), u"bg\ta"_s);
    ASSERT_TRUE(converter.Assemble(u"if a\r\nendif"_s));
    EXPECT_EQ(converter.RegularScript(), u"if\ta\t\t1\r\nnop"_s);
    EXPECT_EQ(converter.ErrMsg(), QString());
}

// ---- bad input

TEST_F(ScenarioConverterTest, HundredThousandLineScenario) {
    QStringList source;
    for (int i = 0; i < 25000; ++i) {
        source << u"L"_s + QString::number(i) + u":"_s << u"if f(1)"_s << u"あいうえ\\b"_s
               << u"endif"_s;
    }
    ASSERT_TRUE(converter.Assemble(Lines(source)));
    const QStringList lines = converter.RegularScript().split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 75000);
    EXPECT_EQ(lines[0], u"l0:if\tf(1)\t\t2"_s);
    EXPECT_EQ(lines[1], u"put\t\"あいう\\nえ\""_s);
    EXPECT_EQ(lines[74997], u"l24999:if\tf(1)\t\t74999"_s);
    EXPECT_EQ(lines[74999], u"nop"_s);
}

TEST_F(ScenarioConverterTest, TenThousandDeepIfNesting) {
    QStringList source;
    for (int i = 0; i < 10000; ++i) {
        source << u"if a"_s;
    }
    source << u"x"_s;
    ExpectError(source, 0, QString(), u"if without endif"_s);
    for (int i = 0; i < 10000; ++i) {
        source << u"endif"_s;
    }
    ASSERT_TRUE(converter.Assemble(Lines(source)));
    const QStringList lines = converter.RegularScript().split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 20001);
    // If k is closed by the endif at 10001 + (9999 - k).
    EXPECT_EQ(lines[0], u"if\ta\t\t20000"_s);
    EXPECT_EQ(lines[9999], u"if\ta\t\t10001"_s);
    EXPECT_EQ(lines[20000], u"nop"_s);
}

TEST_F(ScenarioConverterTest, TenThousandElseIfs) {
    QStringList source{u"if a"_s};
    for (int i = 0; i < 10000; ++i) {
        source << u"elseif b"_s;
    }
    source << u"endif"_s;
    ASSERT_TRUE(converter.Assemble(Lines(source)));
    const QStringList lines = converter.RegularScript().split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 20002);
    EXPECT_EQ(lines[0], u"if\ta\t\t2"_s);
    EXPECT_EQ(lines[1], u"go\t20001"_s);
    EXPECT_EQ(lines[2], u"if\tb\t\t4"_s);
    EXPECT_EQ(lines[20000], u"if\tb\t\t20001"_s);
}

TEST_F(ScenarioConverterTest, LongLabels) {
    const QString label(5000, u'Q');
    ASSERT_TRUE(converter.Assemble(label + u":bg"_s));
    EXPECT_EQ(converter.RegularScript(), label.toLower() + u":bg"_s);
    ExpectError({label + u" :bg"_s}, 1, label + u" :bg"_s, kBadLabel);
}

TEST_F(ScenarioConverterTest, ManyColonOnlyLines) {
    QStringList source(10000, u":"_s);
    EXPECT_EQ(Assembled(source), u"nop"_s);
    source << u"a::b"_s;
    // The instruction part ":b" is not a label again; it is a command word.
    EXPECT_EQ(Assembled(source), u"a::b"_s);
}

TEST_F(ScenarioConverterTest, TextBlockNeverClosed) {
    QStringList source(100000, u"あ"_s);
    ExpectError(source, 1, u"あ"_s, kNoBlockEnd);
    source.last() = u"あ\\b"_s;
    ExpectError(source, 100000, u"あ\\b"_s, kTooManyLines);
}

TEST_F(ScenarioConverterTest, NulCharacters) {
    const QString nul(1, QChar(u'\0'));
    ExpectError({u"あ"_s + nul + u"い\\b"_s}, 1, u"あ"_s + nul + u"い\\b"_s, InvalidChar(nul));
    ASSERT_TRUE(converter.Assemble(u"B"_s + nul + u" X"_s + nul));
    EXPECT_EQ(converter.RegularScript(), u"b"_s + nul + u"\tx"_s + nul);
    ASSERT_TRUE(converter.Assemble(nul + u":bg"_s));
    EXPECT_EQ(converter.RegularScript(), nul + u":bg"_s);
}

TEST_F(ScenarioConverterTest, SurrogatePairIsReportedWhole) {
    ExpectError({u"あ😀\\b"_s}, 1, u"あ😀\\b"_s, InvalidChar(u"😀"_s));
}

}  // namespace
