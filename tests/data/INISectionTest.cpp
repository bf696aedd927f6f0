#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "data/INISection.h"

// Readable QString values in failure messages.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace Qt::StringLiterals;

namespace {

INISection SectionOf(const QString& text) {
    INISection section;
    section.SetText(text);
    return section;
}

// The five parts of a parsed line, read back from the diagnostic dump.
struct Parts {
    QString indent, key, equal, value, comment;
    bool operator==(const Parts&) const = default;
};

void PrintTo(const Parts& p, std::ostream* out) {
    *out << "{'" << p.indent.toStdString() << "', '" << p.key.toStdString() << "', '"
         << p.equal.toStdString() << "', '" << p.value.toStdString() << "', '"
         << p.comment.toStdString() << "'}";
}

QString Quoted(const QString& dumpLine) {
    const qsizetype first = dumpLine.indexOf(u'\'');
    return dumpLine.mid(first + 1, dumpLine.lastIndexOf(u'\'') - first - 1);
}

Parts PartsOfLine(const QString& line) {
    INISection section;
    section.SetLineText(0, line);
    section.ParseAllLines();
    const QStringList dump = section.DebugCondition().split(u"\r\n"_s);
    return {Quoted(dump[2]), Quoted(dump[3]), Quoted(dump[4]), Quoted(dump[5]), Quoted(dump[6])};
}

struct HeaderParts {
    QString prefix, name, suffix;
    bool operator==(const HeaderParts&) const = default;
};

void PrintTo(const HeaderParts& h, std::ostream* out) {
    *out << "{'" << h.prefix.toStdString() << "', '" << h.name.toStdString() << "', '"
         << h.suffix.toStdString() << "'}";
}

HeaderParts HeaderOf(const QString& line) {
    INISection section;
    section.SetNameFullText(line);
    return {section.NamePrefix(), section.Name(), section.NameSuffix()};
}

}  // namespace

// ---- a new section

TEST(INISection, NewSectionHasOneEmptyLineAndNoName) {
    INISection section;
    EXPECT_EQ(section.Count(), 1);
    EXPECT_EQ(section.Text(), QString());
    EXPECT_EQ(section.NameFullText(), QString());
    EXPECT_EQ(section.DebugCondition(),
              u"index=0  text=''\r\ncondition=Both\r\n indent =''\r\n"
              " key    =''\r\n equal  =''\r\n value  =''\r\n comment=''"_s);
}

// ---- header lines

TEST(INISection, HeaderBlanksInsideBracketsBelongToPrefixAndSuffix) {
    EXPECT_EQ(HeaderOf(u"[ Game ] ; main"_s), (HeaderParts{u"[ "_s, u"Game"_s, u" ] ; main"_s}));
    EXPECT_EQ(HeaderOf(u"\t [\t A B \t]\t"_s), (HeaderParts{u"\t [\t "_s, u"A B"_s, u" \t]\t"_s}));
    EXPECT_EQ(HeaderOf(u"[Game];x=1"_s), (HeaderParts{u"["_s, u"Game"_s, u"];x=1"_s}));
    EXPECT_EQ(HeaderOf(u"[a=b]"_s), (HeaderParts{u"["_s, u"a=b"_s, u"]"_s}));
}

TEST(INISection, HeaderFullTextIsThePartsJoined) {
    INISection section;
    section.SetNameFullText(u"  [ Game ] ;c"_s);
    EXPECT_EQ(section.NameFullText(), u"  [ Game ] ;c"_s);
    section.SetName(u"Other"_s);
    EXPECT_EQ(section.NameFullText(), u"  [ Other ] ;c"_s);
}

TEST(INISection, LinesThatAreNotHeadersGiveEmptyParts) {
    const HeaderParts none;
    for (const QString& line :
         {u"[Game] x"_s, u"[Ga;me]"_s, u"[[Game]"_s, u"[Ga[me]"_s, u"[Game]]"_s, u"[Game"_s,
          u"x[Game]"_s, u"; [Game]"_s, u""_s, u"Game]"_s, u"\r[Game]"_s, u"\u3000[Game]"_s}) {
        EXPECT_EQ(HeaderOf(line), none) << line.toStdString();
    }
}

TEST(INISection, NonHeaderClearsEarlierName) {
    INISection section;
    section.SetNameFullText(u"[Game]"_s);
    section.SetNameFullText(u"[Game] x"_s);
    EXPECT_EQ(section.Name(), QString());
    EXPECT_EQ(section.NameFullText(), QString());
}

TEST(INISection, BracketsHoldingOnlyBlanksGiveAnEmptyName) {
    EXPECT_EQ(HeaderOf(u"[ \t]"_s), (HeaderParts{u"[ \t"_s, QString(), u"]"_s}));
    EXPECT_EQ(HeaderOf(u"[]"_s), (HeaderParts{u"["_s, QString(), u"]"_s}));
}

// ---- line syntax

TEST(INISection, KeyValueAndCommentSplitWithBlanks) {
    EXPECT_EQ(PartsOfLine(u"  key = value ; note"_s),
              (Parts{u"  "_s, u"key"_s, u" = "_s, u"value"_s, u" ; note"_s}));
    EXPECT_EQ(PartsOfLine(u"\tk\t=\tv\t"_s), (Parts{u"\t"_s, u"k"_s, u"\t=\t"_s, u"v"_s, u"\t"_s}));
    EXPECT_EQ(PartsOfLine(u"a = b ; c"_s), (Parts{QString(), u"a"_s, u" = "_s, u"b"_s, u" ; c"_s}));
}

TEST(INISection, FurtherEqualSignsAndSemicolonsStayInValueOrComment) {
    EXPECT_EQ(PartsOfLine(u"a=b=c"_s), (Parts{QString(), u"a"_s, u"="_s, u"b=c"_s, QString()}));
    EXPECT_EQ(PartsOfLine(u"k=v;c=d;e"_s), (Parts{QString(), u"k"_s, u"="_s, u"v"_s, u";c=d;e"_s}));
}

TEST(INISection, EmptyOrBlankKeysAndValues) {
    EXPECT_EQ(PartsOfLine(u"k="_s), (Parts{QString(), u"k"_s, u"="_s, QString(), QString()}));
    EXPECT_EQ(PartsOfLine(u"=v"_s), (Parts{QString(), QString(), u"="_s, u"v"_s, QString()}));
    // A key of blanks only goes entirely to the indent; so does a value of blanks to the equal.
    EXPECT_EQ(PartsOfLine(u"  =  v"_s), (Parts{u"  "_s, QString(), u"=  "_s, u"v"_s, QString()}));
    EXPECT_EQ(PartsOfLine(u"k =  \t;c"_s),
              (Parts{QString(), u"k"_s, u" =  \t"_s, QString(), u";c"_s}));
}

TEST(INISection, LinesWithoutEqualSignAreCommentsOnly) {
    for (const QString& line :
         {u"a"_s, u"  some text  "_s, u"; only comment = x"_s, u"x;a=b"_s, u";"_s}) {
        EXPECT_EQ(PartsOfLine(line), (Parts{QString(), QString(), QString(), QString(), line}))
            << line.toStdString();
    }
}

TEST(INISection, OnlySpaceAndTabAreBlanks) {
    EXPECT_EQ(PartsOfLine(u"k\r=\nv"_s), (Parts{QString(), u"k\r"_s, u"="_s, u"\nv"_s, QString()}));
    EXPECT_EQ(PartsOfLine(u"\u3000k=v\u3000"_s),
              (Parts{QString(), u"\u3000k"_s, u"="_s, u"v\u3000"_s, QString()}));
}

TEST(INISection, ParsingKeepsTheLineText) {
    const QString text = u"  a = 1 ; x\r\n\tplain\r\n;c\r\n=v\r\n  =  \r\n"_s;
    INISection section = SectionOf(text);
    section.ParseAllLines();
    EXPECT_EQ(section.Text(), text);
    EXPECT_EQ(section.LineKey(0), u"a"_s);
    EXPECT_EQ(section.LineValue(0), u"1"_s);
    EXPECT_EQ(section.LineKey(1), QString());
    EXPECT_EQ(section.LineValue(3), u"v"_s);
}

// ---- text and lines

TEST(INISection, TextSplitsOnlyAtCrLf) {
    EXPECT_EQ(SectionOf(u"a\r\nb\r\n"_s).Count(), 3);
    EXPECT_EQ(SectionOf(u"a\rb\nc"_s).Count(), 1);
    EXPECT_EQ(SectionOf(u"\r\n"_s).Count(), 2);
    EXPECT_EQ(SectionOf(u"\r\r\n\n"_s).Count(), 2);
    INISection section = SectionOf(u"\r\r\n\n"_s);
    EXPECT_EQ(section.LineText(0), u"\r"_s);
    EXPECT_EQ(section.LineText(1), u"\n"_s);
}

TEST(INISection, TextRoundTrips) {
    for (const QString& text : {u"a=1"_s, u"a=1\r\n"_s, u"\r\n\r\n"_s,
                                u"  k = v ; c\r\n\r\n; note\r\nplain"_s, u"\n\r\r\n\r"_s}) {
        EXPECT_EQ(SectionOf(text).Text(), text);
    }
}

TEST(INISection, EmptyTextGivesOneEmptyLine) {
    INISection section = SectionOf(u"a=1\r\nb=2"_s);
    section.SetText(QString());
    EXPECT_EQ(section.Count(), 1);
    EXPECT_EQ(section.KeyIndex(u"a"_s), -1);
    EXPECT_EQ(section.DebugCondition().section(u"\r\n"_s, 1, 1), u"condition=Both"_s);
}

TEST(INISection, LinesStayTextOnlyUntilAsked) {
    INISection section = SectionOf(u"a=1\r\nb=2"_s);
    EXPECT_EQ(section.DebugCondition().count(u"condition=TextOnly"_s), 2);
    EXPECT_EQ(section.LineText(1), u"b=2"_s);
    EXPECT_EQ(section.DebugCondition().count(u"condition=TextOnly"_s), 2);
    EXPECT_EQ(section.LineValue(1), u"2"_s);
    EXPECT_EQ(section.DebugCondition().count(u"condition=TextOnly"_s), 1);
}

TEST(INISection, LineReadsOfMissingLinesAreEmpty) {
    const INISection section = SectionOf(u"a=1"_s);
    for (int line : {-1, 1, 5}) {
        EXPECT_FALSE(section.LineExists(line));
        EXPECT_EQ(section.LineText(line), QString());
        EXPECT_EQ(section.LineKey(line), QString());
        EXPECT_EQ(section.LineValue(line), QString());
    }
    EXPECT_TRUE(section.LineExists(0));
    EXPECT_EQ(section.Count(), 1);
}

TEST(INISection, LineWritesAppendOrGrow) {
    INISection section = SectionOf(u"a=1"_s);
    section.SetLineText(-1, u"b=2"_s);
    EXPECT_EQ(section.Text(), u"a=1\r\nb=2"_s);
    section.SetLineText(4, u"x"_s);
    EXPECT_EQ(section.Count(), 5);
    EXPECT_EQ(section.Text(), u"a=1\r\nb=2\r\n\r\n\r\nx"_s);
    section.SetLineKey(6, u"k"_s);
    EXPECT_EQ(section.Count(), 7);
    EXPECT_EQ(section.LineText(6), u"k="_s);
    section.SetLineValue(-1, u"v"_s);
    EXPECT_EQ(section.Count(), 8);
    EXPECT_EQ(section.LineText(7), u"v"_s);
    section.SetLineText(-2, u"ignored"_s);
    EXPECT_EQ(section.Count(), 8);
}

TEST(INISection, ChangedFieldsRebuildTheLine) {
    INISection section = SectionOf(u"  k = old ; c\r\n  =v\r\nplain ; c"_s);
    section.SetLineValue(0, u"new"_s);
    section.SetLineKey(1, u"key"_s);
    section.SetLineKey(2, u"k2"_s);
    EXPECT_EQ(section.LineText(0), u"  k = new ; c"_s);
    EXPECT_EQ(section.LineText(1), u"  key=v"_s);
    // The body without "=" sits in the comment, so it follows the new equal sign.
    EXPECT_EQ(section.LineText(2), u"k2=plain ; c"_s);
    EXPECT_EQ(section.LineValue(2), QString());
}

TEST(INISection, LineRemove) {
    INISection section = SectionOf(u"a=1\r\nb=2\r\nc=3"_s);
    section.LineRemove(1);
    EXPECT_EQ(section.Text(), u"a=1\r\nc=3"_s);
    section.LineRemove(2);
    section.LineRemove(-1);
    EXPECT_EQ(section.Count(), 2);
    section.LineRemove(0);
    section.LineRemove(0);
    EXPECT_EQ(section.Count(), 1);
    EXPECT_EQ(section.Text(), QString());
    EXPECT_EQ(section.KeyIndex(u"c"_s), -1);
}

// ---- keys

TEST(INISection, KeyReadsIgnoreLetterCaseAndFirstLineWins) {
    const INISection section =
        SectionOf(u"; c\r\nName = first\r\nNAME=second\r\n\u043a\u043b\u044e\u0447=1"_s);
    EXPECT_EQ(section.KeyValue(u"name"_s), u"first"_s);
    EXPECT_EQ(section.KeyIndex(u"nAmE"_s), 1);
    EXPECT_EQ(section.KeyValue(u"\u041a\u041b\u042e\u0427"_s), u"1"_s);
    EXPECT_TRUE(section.KeyExists(u"NAME"_s));
    EXPECT_FALSE(section.KeyExists(u"nam"_s));
    EXPECT_EQ(section.KeyValue(u"missing"_s), QString());
    EXPECT_EQ(section.KeyIndex(u"missing"_s), -1);
}

TEST(INISection, EmptyKeyIsNeverFound) {
    const INISection section = SectionOf(u"=v\r\nplain\r\n"_s);
    EXPECT_EQ(section.KeyIndex(QString()), -1);
    EXPECT_EQ(section.KeyValue(QString()), QString());
}

TEST(INISection, KeyValueWriteKeepsLayoutOfTheFirstLine) {
    INISection section = SectionOf(u"  k = old ; c\r\nk=second"_s);
    section.SetKeyValue(u"k"_s, u"new"_s);
    EXPECT_EQ(section.Text(), u"  k = new ; c\r\nk=second"_s);
}

TEST(INISection, KeyValueWriteRenamesTheKeySpelling) {
    INISection section = SectionOf(u"key=1"_s);
    section.SetKeyValue(u"KEY"_s, u"2"_s);
    EXPECT_EQ(section.Text(), u"KEY=2"_s);
    EXPECT_EQ(section.Count(), 1);
    // The renaming dropped the index: no line is marked until it is rebuilt.
    EXPECT_TRUE(section.DebugCondition().startsWith(u"index=0"_s));
    EXPECT_EQ(section.KeyIndex(u"key"_s), 0);
    EXPECT_TRUE(section.DebugCondition().startsWith(u"* index=0"_s));
}

TEST(INISection, KeyValueWriteAppendsAfterTheLastLine) {
    INISection section = SectionOf(u"a=1\r\n"_s);
    section.SetKeyValue(u"b"_s, u"2"_s);
    EXPECT_EQ(section.Text(), u"a=1\r\n\r\nb=2"_s);
    INISection fresh;
    fresh.SetKeyValue(u"k"_s, u"v"_s);
    EXPECT_EQ(fresh.Text(), u"\r\nk=v"_s);
}

TEST(INISection, AppendedKeysAreFoundAtOnce) {
    INISection section = SectionOf(u"a=1"_s);
    section.SetKeyValue(u"b"_s, u"2"_s);
    section.SetKeyValue(u"c"_s, u"3"_s);
    EXPECT_EQ(section.KeyIndex(u"B"_s), 1);
    EXPECT_EQ(section.KeyValue(u"c"_s), u"3"_s);
    section.SetKeyValue(u"b"_s, u"4"_s);
    EXPECT_EQ(section.Text(), u"a=1\r\nb=4\r\nc=3"_s);
}

TEST(INISection, KeyIndexFollowsEveryChange) {
    INISection section = SectionOf(u"a=1\r\nb=2"_s);
    EXPECT_EQ(section.KeyIndex(u"b"_s), 1);

    section.SetLineKey(1, u"c"_s);
    EXPECT_EQ(section.KeyIndex(u"b"_s), -1);
    EXPECT_EQ(section.KeyIndex(u"c"_s), 1);

    section.SetLineText(0, u"b=9"_s);
    EXPECT_EQ(section.KeyIndex(u"b"_s), 0);
    EXPECT_EQ(section.KeyIndex(u"a"_s), -1);

    section.SetLineText(-1, u"d=4"_s);
    EXPECT_EQ(section.KeyIndex(u"d"_s), 2);

    section.LineRemove(0);
    EXPECT_EQ(section.KeyIndex(u"c"_s), 0);
    EXPECT_EQ(section.KeyIndex(u"b"_s), -1);

    section.SetText(u"x=1\r\nc=2"_s);
    EXPECT_EQ(section.KeyIndex(u"c"_s), 1);
    EXPECT_EQ(section.KeyIndex(u"d"_s), -1);
}

TEST(INISection, ValueWritesDoNotDisturbTheIndex) {
    INISection section = SectionOf(u"a=1\r\nb=2"_s);
    EXPECT_EQ(section.KeyIndex(u"b"_s), 1);
    section.SetLineValue(5, u"x"_s);
    section.SetLineValue(0, u"y"_s);
    EXPECT_EQ(section.KeyIndex(u"b"_s), 1);
    EXPECT_EQ(section.KeyValue(u"a"_s), u"y"_s);
}

// ---- optimise

TEST(INISection, OptimizeKeepsPlainHeaderAndKeyLines) {
    INISection section = SectionOf(u"  ; comment\r\n  a = 1 ; x\r\n\r\nplain\r\nb=\r\n=v\r\nc=3"_s);
    section.SetNameFullText(u"  [ Game ] ; main"_s);
    section.SetLineValue(6, u"changed"_s);
    section.Optimize();
    EXPECT_EQ(section.NameFullText(), u"[Game]"_s);
    EXPECT_EQ(section.Text(), u"a=1\r\nb=\r\nc=changed"_s);
    EXPECT_EQ(section.KeyIndex(u"c"_s), 2);
}

TEST(INISection, OptimizeOfKeylessSectionLeavesOneEmptyLine) {
    INISection section = SectionOf(u"; a\r\n\r\ntext"_s);
    section.Optimize();
    EXPECT_EQ(section.Count(), 1);
    EXPECT_EQ(section.Text(), QString());
    EXPECT_EQ(section.NameFullText(), QString());
}

// ---- diagnostics

TEST(INISection, DebugConditionShowsStoredLinesAndIndexedKeys) {
    INISection section = SectionOf(u"k = v ;c\r\nK=2\r\nplain"_s);
    EXPECT_EQ(section.KeyIndex(u"k"_s), 0);
    section.SetLineValue(1, u"3"_s);
    section.SetKeyValue(u"n"_s, u"x"_s);
    const QString expected =
        u"* index=0  text='k = v ;c'\r\ncondition=Both\r\n indent =''\r\n key    ='k'\r\n"
        " equal  =' = '\r\n value  ='v'\r\n comment=' ;c'\r\n"
        "index=1  text='K=2'\r\ncondition=ParsedOnly\r\n indent =''\r\n key    ='K'\r\n"
        " equal  ='='\r\n value  ='3'\r\n comment=''\r\n"
        "index=2  text='plain'\r\ncondition=Both\r\n indent =''\r\n key    =''\r\n"
        " equal  =''\r\n value  =''\r\n comment='plain'\r\n"
        "* index=3  text=''\r\ncondition=ParsedOnly\r\n indent =''\r\n key    ='n'\r\n"
        " equal  =''\r\n value  ='x'\r\n comment=''"_s;
    EXPECT_EQ(section.DebugCondition(), expected);

    EXPECT_EQ(section.Text(), u"k = v ;c\r\nK=3\r\nplain\r\nn=x"_s);
    EXPECT_EQ(section.DebugCondition().count(u"condition=Both"_s), 4);
    EXPECT_TRUE(section.DebugCondition().contains(
        u"* index=3  text='n=x'\r\ncondition=Both\r\n indent =''\r\n"
        " key    ='n'\r\n equal  ='='\r\n"_s));
}

TEST(INISection, DebugConditionOfUnparsedLines) {
    const INISection section = SectionOf(u"a=1\r\n b"_s);
    EXPECT_EQ(section.DebugCondition(),
              u"index=0  text='a=1'\r\ncondition=TextOnly\r\n indent =''\r\n"
              " key    =''\r\n equal  =''\r\n value  =''\r\n comment=''\r\n"
              "index=1  text=' b'\r\ncondition=TextOnly\r\n indent =''\r\n"
              " key    =''\r\n equal  =''\r\n value  =''\r\n comment=''"_s);
}

TEST(INISection, DebugNameAry) {
    INISection section;
    section.SetNameFullText(u" [ Game ] ;c"_s);
    EXPECT_EQ(section.DebugNameAry(),
              u"---- secname= \"Game\"----\r\nNamePrefix=\" [ \"\r\n"
              "NameContent=\"Game\"\r\nNameSuffix=\" ] ;c\"\r\n----------------"_s);
    section.SetNameFullText(u"[a];x\r\ny"_s);
    EXPECT_TRUE(section.DebugNameAry().contains(u"NameSuffix=\"];x[CrLf]y\""_s));
}

// ---- copies and hostile input

TEST(INISection, CopiesAreIndependent) {
    INISection original = SectionOf(u"k=1"_s);
    original.SetLineValue(0, u"2"_s);
    INISection copy = original;
    copy.SetKeyValue(u"k"_s, u"3"_s);
    EXPECT_EQ(original.Text(), u"k=2"_s);
    EXPECT_EQ(copy.Text(), u"k=3"_s);
}

TEST(INISection, ManyRepeatedKeysKeepTheFirst) {
    QString text;
    for (int i = 0; i < 100000; ++i) {
        text += u"Key="_s + QString::number(i) + u"\r\n"_s;
    }
    INISection section = SectionOf(text);
    EXPECT_EQ(section.Count(), 100001);
    EXPECT_EQ(section.KeyValue(u"KEY"_s), u"0"_s);
    section.SetKeyValue(u"key"_s, u"x"_s);
    EXPECT_EQ(section.LineText(0), u"key=x"_s);
    EXPECT_EQ(section.LineText(99999), u"Key=99999"_s);
}

TEST(INISection, ControlCharactersAreOrdinaryText) {
    const QString onlyCr(50000, u'\r');
    const QString onlyLf(50000, u'\n');
    EXPECT_EQ(SectionOf(onlyCr).Count(), 1);
    EXPECT_EQ(SectionOf(onlyLf).Text(), onlyLf);
    QString withNul = u"k=v"_s;
    withNul.insert(1, QChar(u'\0'));
    withNul.append(QChar(u'\0'));
    const INISection section = SectionOf(withNul + u"\r\n"_s + QString(3, QChar(u'\0')));
    EXPECT_EQ(section.Count(), 2);
    EXPECT_EQ(section.LineKey(0), withNul.left(2));
    EXPECT_EQ(section.LineValue(0), u"v"_s + QChar(u'\0'));
    EXPECT_EQ(section.LineText(1), QString(3, QChar(u'\0')));
}
