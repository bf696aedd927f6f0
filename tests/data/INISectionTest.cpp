#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "TestSupport.h"
#include "data/INISection.h"

namespace {

INISection SectionOf(const QString& text) {
    INISection section;
    section.SetText(text);
    return section;
}

// One line of the diagnostic dump: head ("index=N  text='...'", "* " first when
// the key is indexed), condition and the five parts indent, key, equal, value, comment.
QString Dump(const QString& head, const char* condition, QStringList p = {"", "", "", "", ""}) {
    return head + "\r\ncondition=" + condition + "\r\n indent ='" + p[0] + "'\r\n key    ='" +
           p[1] + "'\r\n equal  ='" + p[2] + "'\r\n value  ='" + p[3] + "'\r\n comment='" + p[4] +
           "'";
}

// The five parts of one line, read back from the diagnostic dump.
QStringList PartsOfLine(const QString& line) {
    INISection section;
    section.SetLineText(0, line);
    section.ParseAllLines();
    QStringList dump = section.DebugCondition().split("\r\n").mid(2);
    for (QString& entry : dump) {
        entry = entry.mid(entry.indexOf(u'\'') + 1).chopped(1);
    }
    return dump;
}

}  // namespace

TEST(INISection, NewOrEmptiedSectionHasOneEmptyLineAndNoName) {
    INISection emptied = SectionOf("a=1\r\nb=2");
    emptied.SetText(QString());
    INISection fresh;
    for (const INISection* section : {&fresh, &emptied}) {
        EXPECT_EQ(section->Text(), QString());
        EXPECT_EQ(section->NameFullText(), QString());
        EXPECT_EQ(section->KeyIndex("a"), -1);
        EXPECT_EQ(section->DebugCondition(), Dump("index=0  text=''", "Both"));
    }
}

TEST(INISection, HeaderLinesSplitIntoPrefixNameAndSuffix) {
    const QStringList rows[] = {{"[ Game ] ; main", "[ ", "Game", " ] ; main"},
                                {"\t [\t A B \t]\t", "\t [\t ", "A B", " \t]\t"},
                                {"[Game];x=1", "[", "Game", "];x=1"},
                                {"[a=b]", "[", "a=b", "]"},
                                {"[ \t]", "[ \t", "", "]"} /* only blanks */,
                                {"[]", "[", "", "]"}};
    for (const QStringList& row : rows) {
        INISection section;
        section.SetNameFullText(row[0]);
        EXPECT_EQ(QStringList({section.NamePrefix(), section.Name(), section.NameSuffix()}),
                  row.mid(1));
    }
    for (const char* line : {"[Game] x", "[Ga;me]", "[[Game]", "[Ga[me]", "[Game]]", "[Game",
                             "x[Game]", "; [Game]", "", "Game]", "\r[Game]", "\u3000[Game]"}) {
        INISection section;
        section.SetNameFullText(line);
        EXPECT_EQ(section.NamePrefix() + section.Name() + section.NameSuffix(), QString()) << line;
    }
}

TEST(INISection, HeaderFullTextJoinsThePartsAndANonHeaderClearsIt) {
    INISection section;
    section.SetNameFullText(" [ Game ] ;c");
    EXPECT_EQ(section.NameFullText(), " [ Game ] ;c");
    EXPECT_EQ(section.DebugNameAry(),
              "---- secname= \"Game\"----\r\nNamePrefix=\" [ \"\r\n"
              "NameContent=\"Game\"\r\nNameSuffix=\" ] ;c\"\r\n----------------");
    section.SetName("Other");
    EXPECT_EQ(section.NameFullText(), " [ Other ] ;c");
    section.SetNameFullText("[a];x\r\ny");
    EXPECT_TRUE(section.DebugNameAry().contains("NameSuffix=\"];x[CrLf]y\""));
    section.SetNameFullText("[Game] x");
    EXPECT_EQ(section.Name(), QString());
    EXPECT_EQ(section.NameFullText(), QString());
}

TEST(INISection, LinesSplitIntoIndentKeyEqualValueAndComment) {
    const QStringList rows[] = {
        {"  key = value ; note", "  ", "key", " = ", "value", " ; note"},
        {"\tk\t=\tv\t", "\t", "k", "\t=\t", "v", "\t"},
        // Further equal signs and semicolons stay in the value or comment.
        {"a=b=c", "", "a", "=", "b=c", ""},
        {"k=v;c=d;e", "", "k", "=", "v", ";c=d;e"},
        {"k=", "", "k", "=", "", ""},
        {"=v", "", "", "=", "v", ""},
        // A key of blanks goes entirely to the indent; a value of blanks to the equal.
        {"  =  v", "  ", "", "=  ", "v", ""},
        {"k =  \t;c", "", "k", " =  \t", "", ";c"},
        // Lines without an equal sign are comments only.
        {"  some text  ", "", "", "", "", "  some text  "},
        {"; only comment = x", "", "", "", "", "; only comment = x"},
        {"x;a=b", "", "", "", "", "x;a=b"},
        // Only space and tab are blanks.
        {"k\r=\nv", "", "k\r", "=", "\nv", ""},
        {"\u3000k=v\u3000", "", "\u3000k", "=", "v\u3000", ""}};
    for (const QStringList& row : rows) {
        EXPECT_EQ(PartsOfLine(row[0]), row.mid(1));
    }
}

TEST(INISection, TextSplitsOnlyAtCrLfAndRoundTrips) {
    const std::pair<const char*, int> rows[] = {{"a\r\nb\r\n", 3},
                                                {"a\rb\nc", 1},
                                                {"\r\n", 2},
                                                {"\r\r\n\n", 2},
                                                {"\r\n\r\n", 3},
                                                {"\n\r\r\n\r", 2},
                                                {"  k = v ; c\r\n\r\n; note\r\nplain", 4}};
    for (const auto& [text, count] : rows) {
        EXPECT_EQ(SectionOf(text).Count(), count) << text;
        EXPECT_EQ(SectionOf(text).Text(), text) << text;
    }
    EXPECT_EQ(SectionOf("\r\r\n\n").LineText(1), "\n");
}

TEST(INISection, LinesAreParsedOnlyWhenAskedAndKeepTheirText) {
    INISection section = SectionOf("a=1\r\nb=2");
    EXPECT_EQ(section.LineText(1), "b=2");
    EXPECT_EQ(section.DebugCondition().count("condition=TextOnly"), 2);
    EXPECT_EQ(section.LineValue(1), "2");
    EXPECT_EQ(section.DebugCondition().count("condition=TextOnly"), 1);
    const QString text = "  a = 1 ; x\r\n\tplain\r\n;c\r\n=v\r\n  =  \r\n";
    section.SetText(text);
    section.ParseAllLines();
    EXPECT_EQ(section.Text(), text);
    EXPECT_EQ(section.LineKey(0), "a");
    EXPECT_EQ(section.LineKey(1), QString());
    EXPECT_EQ(section.LineValue(3), "v");
}

TEST(INISection, MissingLinesReadEmptyWritesGrowAndRemovesShrink) {
    INISection section = SectionOf("a=1");
    for (int line : {-1, 1, 5}) {
        EXPECT_FALSE(section.LineExists(line));
        EXPECT_EQ(section.LineText(line) + section.LineKey(line) + section.LineValue(line), "");
    }
    EXPECT_TRUE(section.LineExists(0));
    section.SetLineText(-1, "b=2");
    section.SetLineText(4, "x");
    EXPECT_EQ(section.Text(), "a=1\r\nb=2\r\n\r\n\r\nx");
    section.SetLineKey(6, "k");
    EXPECT_EQ(section.Count(), 7);
    EXPECT_EQ(section.LineText(6), "k=");
    section.SetLineValue(-1, "v");
    section.SetLineText(-2, "ignored");
    EXPECT_EQ(section.Count(), 8);
    EXPECT_EQ(section.LineText(7), "v");
    section.SetText("a=1\r\nb=2\r\nc=3");
    section.LineRemove(1);
    EXPECT_EQ(section.Text(), "a=1\r\nc=3");
    section.LineRemove(2);
    section.LineRemove(-1);
    EXPECT_EQ(section.Count(), 2);
    section.LineRemove(0);
    section.LineRemove(0);
    EXPECT_EQ(section.Count(), 1);
    EXPECT_EQ(section.Text(), QString());
    EXPECT_EQ(section.KeyIndex("c"), -1);
}

TEST(INISection, ChangedFieldsRebuildTheLineOfThisCopyOnly) {
    const INISection original = SectionOf("  k = old ; c\r\n  =v\r\nplain ; c");
    INISection section = original;
    section.SetLineValue(0, "new");
    section.SetLineKey(1, "key");
    section.SetLineKey(2, "k2");
    const INISection copy = section;  // lines changed but not yet rebuilt
    section.SetKeyValue("k", "3");
    // The body without "=" sits in the comment, so it follows the new equal sign.
    EXPECT_EQ(copy.Text(), "  k = new ; c\r\n  key=v\r\nk2=plain ; c");
    EXPECT_EQ(copy.LineValue(2), QString());
    EXPECT_EQ(section.LineText(0), "  k = 3 ; c");
    EXPECT_EQ(original.Text(), "  k = old ; c\r\n  =v\r\nplain ; c");
}

TEST(INISection, KeyReadsIgnoreLetterCaseAndFirstLineWins) {
    const INISection section = SectionOf("; c\r\nName = first\r\nNAME=second\r\nключ=1\r\n=v");
    EXPECT_EQ(section.KeyValue("name"), "first");
    EXPECT_EQ(section.KeyIndex("nAmE"), 1);
    EXPECT_EQ(section.KeyValue("КЛЮЧ"), "1");
    EXPECT_TRUE(section.KeyExists("NAME"));
    EXPECT_FALSE(section.KeyExists("nam"));
    EXPECT_EQ(section.KeyValue("missing"), QString());
    EXPECT_EQ(section.KeyIndex(QString()), -1);  // an empty key is never found
    EXPECT_EQ(section.KeyValue(QString()), QString());
}

TEST(INISection, KeyValueWritesChangeTheFirstLineOrAppendOne) {
    INISection section = SectionOf("  k = old ; c\r\nk=second");
    section.SetKeyValue("K", "new");
    EXPECT_EQ(section.Text(), "  K = new ; c\r\nk=second");
    // Renaming the key's spelling dropped the index: no line is marked until it is rebuilt.
    EXPECT_TRUE(section.DebugCondition().startsWith("index=0"));
    EXPECT_EQ(section.KeyIndex("k"), 0);
    EXPECT_TRUE(section.DebugCondition().startsWith("* index=0"));
    section.SetText("a=1\r\n");
    section.SetKeyValue("b", "2");
    section.SetKeyValue("c", "3");
    EXPECT_EQ(section.KeyIndex("B"), 2);
    section.SetKeyValue("b", "4");
    EXPECT_EQ(section.Text(), "a=1\r\n\r\nb=4\r\nc=3");
    INISection fresh;
    fresh.SetKeyValue("k", "v");
    EXPECT_EQ(fresh.Text(), "\r\nk=v");
}

TEST(INISection, KeyIndexFollowsEveryChangeButValueWrites) {
    INISection section = SectionOf("a=1\r\nb=2");
    EXPECT_EQ(section.KeyIndex("b"), 1);
    section.SetLineValue(5, "x");
    section.SetLineValue(0, "y");
    EXPECT_EQ(section.KeyIndex("b"), 1);
    EXPECT_EQ(section.KeyValue("a"), "y");
    section.SetLineKey(1, "c");
    EXPECT_EQ(section.KeyIndex("b"), -1);
    EXPECT_EQ(section.KeyIndex("c"), 1);
    section.SetLineText(0, "b=9");
    EXPECT_EQ(section.KeyIndex("b"), 0);
    EXPECT_EQ(section.KeyIndex("a"), -1);
    section.SetLineText(-1, "d=4");
    EXPECT_EQ(section.KeyIndex("d"), 6);
    section.LineRemove(0);
    EXPECT_EQ(section.KeyIndex("c"), 0);
    EXPECT_EQ(section.KeyIndex("b"), -1);
    section.SetText("x=1\r\nc=2");
    EXPECT_EQ(section.KeyIndex("c"), 1);
    EXPECT_EQ(section.KeyIndex("d"), -1);
}

TEST(INISection, OptimizeKeepsPlainHeaderAndKeyLines) {
    INISection section = SectionOf("  ; comment\r\n  a = 1 ; x\r\n\r\nplain\r\nb=\r\n=v\r\nc=3");
    section.SetNameFullText("  [ Game ] ; main");
    section.SetLineValue(6, "changed");
    section.Optimize();
    EXPECT_EQ(section.NameFullText(), "[Game]");
    EXPECT_EQ(section.Text(), "a=1\r\nb=\r\nc=changed");
    EXPECT_EQ(section.KeyIndex("c"), 2);
    section.SetText("; a\r\n\r\ntext");
    section.Optimize();
    EXPECT_EQ(section.Count(), 1);
    EXPECT_EQ(section.Text(), QString());
}

TEST(INISection, DebugConditionShowsStoredLinesAndIndexedKeys) {
    EXPECT_EQ(
        SectionOf("a=1\r\n b").DebugCondition(),
        Dump("index=0  text='a=1'", "TextOnly") + "\r\n" + Dump("index=1  text=' b'", "TextOnly"));
    INISection section = SectionOf("k = v ;c\r\nK=2\r\nplain");
    EXPECT_EQ(section.KeyIndex("k"), 0);
    section.SetLineValue(1, "3");
    section.SetKeyValue("n", "x");
    EXPECT_EQ(section.DebugCondition(),
              QStringList({Dump("* index=0  text='k = v ;c'", "Both", {"", "k", " = ", "v", " ;c"}),
                           Dump("index=1  text='K=2'", "ParsedOnly", {"", "K", "=", "3", ""}),
                           Dump("index=2  text='plain'", "Both", {"", "", "", "", "plain"}),
                           Dump("* index=3  text=''", "ParsedOnly", {"", "n", "", "x", ""})})
                  .join("\r\n"));
    EXPECT_EQ(section.Text(), "k = v ;c\r\nK=3\r\nplain\r\nn=x");
    EXPECT_EQ(section.DebugCondition().count("condition=Both"), 4);
    EXPECT_TRUE(section.DebugCondition().endsWith(
        Dump("* index=3  text='n=x'", "Both", {"", "n", "=", "x", ""})));
}

TEST(INISection, ManyRepeatedKeysAndControlCharacters) {
    QString text;
    for (int i = 0; i < 100000; ++i) {
        text += "Key=" + QString::number(i) + "\r\n";
    }
    INISection section = SectionOf(text);
    EXPECT_EQ(section.Count(), 100001);
    EXPECT_EQ(section.KeyValue("KEY"), "0");
    section.SetKeyValue("key", "x");
    EXPECT_EQ(section.LineText(0), "key=x");
    EXPECT_EQ(section.LineText(99999), "Key=99999");
    EXPECT_EQ(SectionOf(QString(50000, u'\r')).Count(), 1);
    EXPECT_EQ(SectionOf(QString(50000, u'\n')).Text(), QString(50000, u'\n'));
    const QString nul(1, QChar(u'\0'));
    section = SectionOf("k" + nul + "=v" + nul + "\r\n" + nul + nul + nul);
    EXPECT_EQ(section.Count(), 2);
    EXPECT_EQ(section.LineKey(0), "k" + nul);
    EXPECT_EQ(section.LineValue(0), "v" + nul);
    EXPECT_EQ(section.LineText(1), nul + nul + nul);
}
