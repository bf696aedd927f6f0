#include "scenario/ScenarioConverter.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "TestSupport.h"
#include "data/INIFile.h"

namespace {

const QString kBadLabel = "ラベル内に無効な文字が含まれています。";
const QString kNoBlockEnd = "字幕省略構文でブロック終端がありません。";
const QString kBeyondLastLine = "字幕省略で上限行数を超えて全角文字があります。";
const QString kTooManyLines = "字幕省略で上限行数を超えている可能性があります。";
const QString kIfSyntax = "ＩＦ構文の構文エラーです。";
const QString kElseIfSyntax = "ＥＬＳＥＩＦの構文エラーです。";
const QString kElseSyntax = "ＥＬＳＥの構文エラーです。";
const QString kEndIfSyntax = "ＥＮＤＩＦの構文エラーです。";
const QString kOpenIf = "if without endif";

QString InvalidChar(const QString& ch) {
    return "字幕省略で不正な半角文字 '" + ch + "' があります。";
}

// The program of a converter set up from that system information, or why not.
QString Converted(const QString& systemInfo, const QString& source) {
    INIFile info;
    info.SetText(systemInfo);
    ScenarioConverter converter;
    if (!converter.Init(info)) {
        return "init failed";
    }
    return converter.Assemble(source) ? converter.RegularScript() : converter.ErrMsg();
}

using Programs = std::vector<std::pair<QStringList, QStringList>>;
struct Error {
    QStringList source;
    qint64 line;
    QString message;
};

// A converter with a message window of 3 full-width characters by 2 lines.
class ScenarioConverterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(converter.Init(3, 2)); }
    // The program as instruction lines, or "" when assembly fails.
    QString Assembled(const QStringList& source) {
        return converter.Assemble(source.join("\r\n")) ? converter.RegularScript() : QString();
    }
    void ExpectPrograms(const Programs& rows) {
        for (const auto& [source, program] : rows) {
            EXPECT_EQ(Assembled(source), program.join("\r\n")) << source.join(" | ").toStdString();
        }
    }
    void ExpectErrors(const std::vector<Error>& rows) {
        for (const auto& [source, line, message] : rows) {
            SCOPED_TRACE(source.join(" | ").toStdString());
            EXPECT_FALSE(converter.Assemble(source.join("\r\n")));
            EXPECT_EQ(converter.ErrMsg(), message);
            EXPECT_EQ(converter.ErrLine(), line);
            EXPECT_EQ(converter.ErrSource(), source[line - 1]);
        }
    }
    ScenarioConverter converter;
};

}  // namespace

TEST(ScenarioConverterInit, ReadsLimitsAndNameplatesFromSystemInfo) {
    INIFile info;
    info.SetText(
        "[Game]\r\nScreenSizeX=640\r\n[textblock]\r\ncharcount = 20\r\nLineCount=3 ; lines\r\n"
        "[Nameplate]\r\nCount=3\r\nitem:0=私\r\nitem:1=太郎\r\nItem:2=花子\r\nitem:3=次郎");
    ScenarioConverter converter;
    ASSERT_TRUE(converter.Init(info));
    EXPECT_EQ(converter.CharCount(), 20);
    EXPECT_EQ(converter.LineCount(), 3);
    // Index 0 is never substituted and index 3 is beyond Count.
    ASSERT_TRUE(converter.Assemble("太郎「私と花子と次郎」\\b"));
    EXPECT_EQ(converter.RegularScript(), "put\t\"\\np(1)「私と\\np(2)と次郎」\"");
    const QString block = "[TextBlock]\r\nCharCount=4\r\nLineCount=2\r\n[Nameplate]\r\n";
    EXPECT_EQ(Converted(block + "Count=0\r\nitem:1=太郎", "太郎\\b"), "put\t\"太郎\"");
    // A huge count reads only the items given; "item:01" is not the key of index 1.
    EXPECT_EQ(
        Converted(block + "Count=2000000000\r\nitem:1999999999=花子\r\nitem:01=太郎\r\nitem:=x",
                  "太郎花子\\b"),
        "put\t\"太郎\\np(1999999999)\"");
    ASSERT_TRUE(converter.Init(5, 2, {"私", "太郎", QString(), "花子"}));
    ASSERT_TRUE(converter.Assemble("私は太郎、花子\\b"));
    EXPECT_EQ(converter.RegularScript(), "put\t\"私は\\np(1)、\\np(3)\"");
}

TEST(ScenarioConverterInit, FailsWithoutPositiveLimits) {
    for (const char* text :
         {"[Nameplate]\r\nCount=1", "[TextBlock]\r\nLineCount=3", "[TextBlock]\r\nCharCount=20",
          "[TextBlock]\r\nCharCount=0\r\nLineCount=3", "[TextBlock]\r\nCharCount=20\r\nLineCount=x",
          "[TextBlock]\r\nCharCount=-4\r\nLineCount=3"}) {
        EXPECT_EQ(Converted(text, "bg"), "init failed") << text;
    }
    ScenarioConverter converter;
    EXPECT_FALSE(converter.Init(0, 3));
    EXPECT_FALSE(converter.Init(3, 0));
    EXPECT_TRUE(converter.Init(3, 1));
}

TEST_F(ScenarioConverterTest, CommentsBlankLinesAndLabels) {
    ExpectPrograms({
        {{}, {"nop"}},
        {{"// title", "", " \t ", "   // note", ""}, {"nop"}},
        {{":", " : ", ": // c"}, {"nop"}},
        // Labels attach to the next instruction.
        {{"start:", "bg x"}, {"start:bg\tx"}},
        {{"Start: BG Title, 1"}, {"start:bg\ttitle\t1"}},
        {{"a: // note", "", "bg"}, {"a:bg"}},
        {{":", "bg"}, {"bg"}},
        {{"\tmark:bg  "}, {"mark:bg"}},
        // Two labels in a row give the first a nop, and so does a label at the end.
        {{"a:", "b:", "bg x"}, {"a:nop", "b:bg\tx"}},
        {{"a:", "b: bg x"}, {"a:nop", "b:bg\tx"}},
        {{"a:", "b:", "c:"}, {"a:nop", "b:nop", "c:nop"}},
        {{"bg", "End:", "// nothing follows"}, {"bg", "end:nop"}},
        // Comments are cut even inside quotes.
        {{"msg \"AB//cd\", 2"}, {"msg\t\"ab"}},
        {{"bg x// y"}, {"bg\tx"}},
    });
}

TEST_F(ScenarioConverterTest, CommandWordsAndArguments) {
    ExpectPrograms({
        // Lower-cased, split at commas and blanks, joined by tabs.
        {{"BG Title, 1"}, {"bg\ttitle\t1"}},
        {{"  \tStop   "}, {"stop"}},
        {{"Wait\t100"}, {"wait\t100"}},
        {{"bg\tA,\tB ,C"}, {"bg\ta\tb\tc"}},
        {{"name 太郎A"}, {"name\t太郎a"}},
        // Quoted arguments keep their case, but commas inside quotes still split.
        {{"Msg \"Hello\" , \"\""}, {"msg\t\"Hello\"\t\"\""}},
        {{"msg \"Hello, World\""}, {"msg\t\"hello\tworld\""}},
        // Full-width arguments get quotes; omitted arguments stay empty.
        {{"name 太郎, Ｘ,ｱ"}, {"name\t\"太郎\"\t\"Ｘ\"\tｱ"}},
        {{"se ,, 3"}, {"se\t\t\t3"}},
        {{"se 1,"}, {"se\t1\t"}},
    });
}

TEST_F(ScenarioConverterTest, TextLinesJoinIntoOneWrappedPut) {
    ExpectPrograms({
        {{"あい", "う\\b"}, {"put\t\"あいう\""}},
        {{"あ", "", "// aside", "い\\b // end", "bg"}, {"put\t\"あい\"", "bg"}},
        {{"あ\\b", "い\\b"}, {"put\t\"あ\"", "put\t\"い\""}},
        {{"\\b"}, {"put\t\"\""}},
        // A label on a text line goes to the put.
        {{"Scene:あい", "う\\b"}, {"scene:put\t\"あいう\""}},
        {{"a:", "あ", "b:い\\b"}, {"a:nop", "b:put\t\"あい\""}},
        // Wrapped after CharCount full-width characters; escapes take no width.
        {{"あいう", "えお\\b"}, {"put\t\"あいう\\nえお\""}},
        {{"あいうえおか\\b"}, {"put\t\"あいう\\nえおか\""}},
        {{"\\c(1)あいう\\w(5)え\\b"}, {"put\t\"\\c(1)あいう\\w(5)\\nえ\""}},
        // Explicit breaks count as lines; one at a full line adds no second one, and one at
        // the very end moves no character.
        {{"あ\\nい\\b"}, {"put\t\"あ\\nい\""}},
        {{"あいう\\nえ\\b"}, {"put\t\"あいう\\nえ\""}},
        {{"あいう\\nえおか\\n\\b"}, {"put\t\"あいう\\nえおか\\n\""}},
        {{"あ\\n\\n\\n\\b"}, {"put\t\"あ\\n\\n\\n\""}},
    });
    ScenarioConverter oneLine;
    ASSERT_TRUE(oneLine.Init(3, 1));
    EXPECT_FALSE(oneLine.Assemble("あ\\Nい\\b"));  // the upper-case escape breaks too
    EXPECT_EQ(oneLine.ErrMsg(), kBeyondLastLine);
    ASSERT_TRUE(oneLine.Assemble("あ\\Xい\\b"));
    EXPECT_EQ(oneLine.RegularScript(), "put\t\"あ\\Xい\"");
}

TEST_F(ScenarioConverterTest, TextAndLabelErrors) {
    ExpectErrors({
        {{"start :bg"}, 1, kBadLabel},
        {{"bg", "// c", "a\tb:bg"}, 3, kBadLabel},
        {{"ラ\u3000ベル:bg"}, 1, kBadLabel},
        {{"a b:"}, 1, kBadLabel},
        {{"あ\\n\\nい\\b"}, 1, kBeyondLastLine},
        {{"あいうえ", "おかき\\b"}, 2, kBeyondLastLine},
        {{"あいうえおかきくけ\\b"}, 1, kBeyondLastLine},
        {{"bg", "あいうえおかきくけこ\\b"}, 2, kTooManyLines},
        {{"あ\\nい\\nう\\nえ\\b"}, 1, kTooManyLines},
        {{"\\n\\n\\n\\n\\b"}, 1, kTooManyLines},
        {{"あaい\\b"}, 1, InvalidChar("a")},
        {{"あ", "い う\\b"}, 2, InvalidChar(" ")},
        {{"あｱｲ\\b"}, 1, InvalidChar("ｱ")},
        {{"あ😀\\b"}, 1, InvalidChar("😀")},      // a surrogate pair is reported whole
        {{"あ", "lbl: bg x"}, 2, kNoBlockEnd},  // a command inside a text block
        {{"bg", "あ", "い"}, 2, kNoBlockEnd},   // a text block open at the end
    });
}

TEST_F(ScenarioConverterTest, IfBlocksBecomeJumps) {
    ExpectPrograms({
        {{"if A", "x", "y", "endif", "z"}, {"if\ta\t\t3", "x", "y", "nop", "z"}},
        {{"if a", "x", "else", "y", "endif"}, {"if\ta\t\t3", "x", "go\t4", "y", "nop"}},
        {{"if p", "x", "ElseIf q", "y", "else", "z", "endif"},
         {"if\tp\t\t3", "x", "go\t7", "if\tq\t\t6", "y", "go\t7", "z", "nop"}},
        {{"if p", "elseif q", "elseif r", "x", "endif"},
         {"if\tp\t\t2", "go\t6", "if\tq\t\t4", "go\t6", "if\tr\t\t6", "x", "nop"}},
        {{"if a", " if b", "  x", " else", "  y", " endif", " z", "else", " w", "endif"},
         {"if\ta\t\t8", "if\tb\t\t4", "x", "go\t5", "y", "nop", "z", "go\t9", "w", "nop"}},
        {{"if a", "if b", "else", "endif", "elseif c", "endif"},
         {"if\ta\t\t5", "if\tb\t\t3", "go\t3", "nop", "go\t6", "if\tc\t\t6", "nop"}},
        // Labels on block lines.
        {{"T: if a", "x", "l: elseif b", "e:", "endif"},
         {"t:if\ta\t\t3", "x", "l:go\t4", "if\tb\t\t4", "e:nop"}},
        {{"if a", "m: else", "endif"}, {"if\ta\t\t2", "m:go\t2", "nop"}},
        // One-line ifs open no block.
        {{"if a, Target", "if b, t1, t2"}, {"if\ta\ttarget\t", "if\tb\tt1\tt2"}},
    });
}

TEST_F(ScenarioConverterTest, IfBlockErrors) {
    ExpectErrors({
        {{"if a, t", "endif"}, 2, "endif without if"},
        {{"if"}, 1, kIfSyntax},
        {{"x", "if a,b,c,d"}, 2, kIfSyntax},
        {{"if a", "elseif"}, 2, kElseIfSyntax},
        {{"if a", "elseif b, c"}, 2, kElseIfSyntax},
        {{"if a", "else", "elseif b"}, 3, kElseIfSyntax},
        {{"if a", "else x"}, 2, kElseSyntax},
        {{"if a", "else", "y", "else"}, 4, kElseSyntax},
        {{"if a", "  endif x // why"}, 2, kEndIfSyntax},
        {{"elseif a"}, 1, "elseif without if"},
        {{"bg", "else"}, 2, "else without if"},
        {{"endif"}, 1, "endif without if"},
        {{"if a", "endif", "endif"}, 3, "endif without if"},
        {{"if a", "endif", "else"}, 3, "else without if"},
        // An if left open reports the line of the oldest open one.
        {{"bg", "if a", "x"}, 2, kOpenIf},
        {{"if a", "if b", "endif"}, 1, kOpenIf},
        {{"x", "y", "if a", "endif", "if b", "else", "z"}, 5, kOpenIf},
        {{"if a", "x", "elseif b", "elseif c", "y"}, 1, kOpenIf},
        {{"if a", "x", "endif", "if b", "x", "elseif c", "y"}, 4, kOpenIf},
    });
}

TEST_F(ScenarioConverterTest, IfLeftOpenAfterBlocksNamesItsLineNotItsAddress) {
    // Each block below is three lines but four records (elseif adds a jump).
    QStringList source;
    for (int block = 0; block < 10; ++block) {
        source << "if a"
               << "elseif b"
               << "endif";
    }
    source << "if c";
    ExpectErrors({{source, 31, kOpenIf}});
}

// Editors end a line at CR LF, at a lone CR and at a lone LF; errors name the
// line as the editor numbers it.
TEST_F(ScenarioConverterTest, LoneCrAndLoneLfEndLines) {
    ASSERT_TRUE(converter.Assemble("bg a\nbg b\rbg c\r\nbg d\n\r\nbg e"));
    EXPECT_EQ(converter.RegularScript(), "bg\ta\r\nbg\tb\r\nbg\tc\r\nbg\td\r\nbg\te");
    ASSERT_TRUE(converter.Assemble("あい\nう\\b\r\r\nl:\rbg"));
    EXPECT_EQ(converter.RegularScript(), "put\t\"あいう\"\r\nl:bg");
    const struct {
        QString text;
        qint64 line;
        QString source;
        QString message;
    } errors[] = {
        {"bg\nbg\rbg\r\nendif", 4, "endif", "endif without if"},
        {"x\n\n\nif a\rendif\rif b\ny", 6, "if b", kOpenIf},
        {"bg\r\rbad label:bg\n", 3, "bad label:bg", kBadLabel},
    };
    for (const auto& error : errors) {
        SCOPED_TRACE(error.text.toStdString());
        EXPECT_FALSE(converter.Assemble(error.text));
        EXPECT_EQ(converter.ErrLine(), error.line);
        EXPECT_EQ(converter.ErrSource(), error.source);
        EXPECT_EQ(converter.ErrMsg(), error.message);
    }
}

TEST_F(ScenarioConverterTest, FailedAssemblyKeepsTheLastProgram) {
    ASSERT_TRUE(converter.Assemble("bg a"));
    EXPECT_FALSE(converter.Assemble("endif"));
    EXPECT_EQ(converter.RegularScript(), "bg\ta");
    ASSERT_TRUE(converter.Assemble("if a\r\nendif"));
    EXPECT_EQ(converter.RegularScript(), "if\ta\t\t1\r\nnop");
    EXPECT_EQ(converter.ErrMsg(), QString());
}

TEST_F(ScenarioConverterTest, EachInstructionKnowsItsSourceLine) {
    ASSERT_TRUE(converter.Assemble(QStringList{"// start", "top:", "bg a", "", "あい", "う\\b",
                                               "if x", "elseif y", "endif", "end:"}
                                       .join("\r\n")));
    ASSERT_EQ(converter.RegularScript(),
              "top:bg\ta\r\nput\t\"あいう\"\r\nif\tx\t\t4\r\ngo\t5\r\nif\ty\t\t5\r\nnop\r\n"
              "end:nop");
    // The put has the line closing its block; both records of the elseif have its line.
    EXPECT_EQ(converter.SourceLineNumbers(), (std::vector<qint64>{3, 6, 7, 8, 8, 9, 10}));
    EXPECT_FALSE(converter.Assemble("bg a\r\nendif"));
    EXPECT_EQ(converter.SourceLineNumbers().size(), 7u);
    ASSERT_TRUE(converter.Assemble("// only a comment"));
    EXPECT_EQ(converter.SourceLineNumbers(), std::vector<qint64>{1});
}

TEST_F(ScenarioConverterTest, HundredThousandLineScenario) {
    QStringList source;
    for (int i = 0; i < 25000; ++i) {
        source << "L" + QString::number(i) + ":"
               << "if f(1)"
               << "あいうえ\\b"
               << "endif";
    }
    const QStringList lines = Assembled(source).split("\r\n");
    ASSERT_EQ(lines.size(), 75000);
    EXPECT_EQ(lines[0], "l0:if\tf(1)\t\t2");
    EXPECT_EQ(lines[1], "put\t\"あいう\\nえ\"");
    EXPECT_EQ(lines[74997], "l24999:if\tf(1)\t\t74999");
    EXPECT_EQ(lines[74999], "nop");
}

TEST_F(ScenarioConverterTest, TenThousandDeepIfsOrElseIfs) {
    QStringList source(10000, "if a");
    source << "x";
    ExpectErrors({{source, 1, kOpenIf}});
    source << QStringList(10000, "endif");
    QStringList lines = Assembled(source).split("\r\n");
    ASSERT_EQ(lines.size(), 20001);
    // If k is closed by the endif at 10001 + (9999 - k).
    EXPECT_EQ(lines[0], "if\ta\t\t20000");
    EXPECT_EQ(lines[9999], "if\ta\t\t10001");
    EXPECT_EQ(lines[20000], "nop");
    source = QStringList{"if a"} + QStringList(10000, "elseif b") + QStringList{"endif"};
    lines = Assembled(source).split("\r\n");
    ASSERT_EQ(lines.size(), 20002);
    EXPECT_EQ(lines[0], "if\ta\t\t2");
    EXPECT_EQ(lines[1], "go\t20001");
    EXPECT_EQ(lines[2], "if\tb\t\t4");
    EXPECT_EQ(lines[20000], "if\tb\t\t20001");
}

TEST_F(ScenarioConverterTest, LongLabelsColonLinesUnclosedBlocksAndNuls) {
    const QString label(5000, u'Q');
    const QString nul(1, QChar(u'\0'));
    ExpectPrograms({{{label + ":bg"}, {label.toLower() + ":bg"}},
                    {QStringList(10000, ":"), {"nop"}},
                    // The instruction part ":b" is not a label again; it is a command word.
                    {QStringList(10000, ":") << "a::b", {"a::b"}},
                    {{"B" + nul + " X" + nul}, {"b" + nul + "\tx" + nul}},
                    {{nul + ":bg"}, {nul + ":bg"}}});
    QStringList open(100000, "あ");
    QStringList closed = open;
    closed.last() = "あ\\b";
    ExpectErrors({{{label + " :bg"}, 1, kBadLabel},
                  {open, 1, kNoBlockEnd},
                  {closed, 100000, kTooManyLines},
                  {{"あ" + nul + "い\\b"}, 1, InvalidChar(nul)}});
}
