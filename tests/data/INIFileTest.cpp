#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "TestSupport.h"
#include "data/INIFile.h"
#include "platform/os/Cp932Codec.h"

// Readable QString values in failure messages.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace Qt::StringLiterals;

namespace {

INIFile DocumentOf(const QString& text) {
    INIFile document;
    document.SetText(text);
    return document;
}

QStringList SectionNames(const INIFile& document) {
    QStringList names;
    for (const auto& section : document.Sections()) {
        names << section->Name();
    }
    return names;
}

}  // namespace

// ---- parsing

TEST(INIFile, NewDocumentHasOnlyTheUnnamedSection) {
    const INIFile document;
    EXPECT_EQ(document.Count(), 1);
    EXPECT_EQ(document.Text(), QString());
    EXPECT_EQ(document.Path(), QString());
    EXPECT_EQ(document.Sections().front()->Count(), 1);
    EXPECT_TRUE(document.KeyExists(QString()));
}

TEST(INIFile, SectionsInFileOrder) {
    INIFile document = DocumentOf(u"a=1\r\n[ S1 ] ; first\r\nk=v\r\n[S2]\r\nx=y\r\nz=w"_s);
    EXPECT_EQ(SectionNames(document), (QStringList{QString(), u"S1"_s, u"S2"_s}));
    EXPECT_EQ(document.KeySection(QString()).KeyValue(u"a"_s), u"1"_s);
    EXPECT_EQ(document.KeySection(u"s1"_s).KeyValue(u"K"_s), u"v"_s);
    EXPECT_EQ(document.KeySection(u"S2"_s).Count(), 2);
    EXPECT_EQ(document.Sections()[1]->NameFullText(), u"[ S1 ] ; first"_s);
    EXPECT_EQ(document.Count(), 3);
}

TEST(INIFile, MalformedHeadersAreOrdinaryLines) {
    INIFile document =
        DocumentOf(u"[S]\r\n[ ]\r\n[]\r\n[Game] x\r\n[Ga;me]\r\n[[x]\r\n[a[b]\r\n[open"_s);
    EXPECT_EQ(document.Count(), 2);
    EXPECT_EQ(document.KeySection(u"S"_s).Count(), 7);
    EXPECT_EQ(document.KeySection(u"S"_s).LineText(2), u"[Game] x"_s);
    EXPECT_FALSE(document.KeyExists(u"Game"_s));
    EXPECT_FALSE(document.KeyExists(u"Ga;me"_s));
}

TEST(INIFile, SectionNamesIgnoreLetterCaseAndFirstDuplicateWins) {
    INIFile document = DocumentOf(u"[Game]\r\nk=1\r\n[GAME]\r\nk=2"_s);
    EXPECT_EQ(document.Count(), 3);
    EXPECT_TRUE(document.KeyExists(u"game"_s));
    EXPECT_FALSE(document.KeyExists(u"gam"_s));
    document.KeySection(u"gAmE"_s).SetKeyValue(u"k"_s, u"3"_s);
    EXPECT_EQ(document.Text(), u"[Game]\r\nk=3\r\n[GAME]\r\nk=2"_s);
}

TEST(INIFile, SectionLinesAreParsedLazily) {
    INIFile document = DocumentOf(u"[S]\r\na=1\r\nb=2"_s);
    const INISection& section = *document.Sections()[1];
    EXPECT_EQ(section.DebugCondition().count(u"condition=TextOnly"_s), 2);
}

// ---- serialising

TEST(INIFile, TextRoundTrips) {
    for (const QString& text : {
             u"a=1"_s,
             u"a=1\r\n"_s,
             u"\r\n"_s,
             u"[S]\r\nk=v"_s,
             u"[S]\r\nk=v\r\n"_s,
             u"; top\r\n\r\n[S] ; c\r\n  k = v ; note\r\n\r\n[T]\r\n\r\nx\r\n"_s,
             u"[A]\r\n[B]\r\nk=v"_s,
             u"[A]\r\nk=1\r\n[a]\r\nk=2\r\n"_s,
             u"\r\n\r\n[S]"_s,
             u"top\r\n[S]"_s,
             u"[S]\r\n\r\n\r\nk=v\r\n\r\n"_s,
             u"[S]\r\nline\rwith\nlone breaks\r\n[T]\r\n\n"_s,
         }) {
        EXPECT_EQ(DocumentOf(text).Text(), text) << text.toStdString();
    }
}

TEST(INIFile, SingleEmptyLineBodyIsWrittenAsNothing) {
    EXPECT_EQ(DocumentOf(u"\r\n[S]\r\nk=v"_s).Text(), u"[S]\r\nk=v"_s);
    EXPECT_EQ(DocumentOf(u"[A]\r\n\r\n[B]\r\nk=v"_s).Text(), u"[A]\r\n[B]\r\nk=v"_s);
}

TEST(INIFile, HeaderOnlyLastSectionKeepsNothingAfterItsHeader) {
    EXPECT_EQ(DocumentOf(u"[S]\r\n"_s).Text(), u"[S]"_s);
    EXPECT_EQ(DocumentOf(u"[A]\r\nk=1\r\n[S] ;c\r\n"_s).Text(), u"[A]\r\nk=1\r\n[S] ;c"_s);
}

TEST(INIFile, ChangedValuesAreWrittenInPlace) {
    INIFile document = DocumentOf(u"; c\r\n[S]\r\n  k = old ; note\r\n[T]\r\nx=1"_s);
    document.KeySection(u"s"_s).SetKeyValue(u"k"_s, u"new"_s);
    document.KeySection(u"t"_s).SetKeyValue(u"y"_s, u"2"_s);
    EXPECT_EQ(document.Text(), u"; c\r\n[S]\r\n  k = new ; note\r\n[T]\r\nx=1\r\ny=2"_s);
}

// ---- sections by name

TEST(INIFile, KeySectionCreatesMissingSection) {
    INIFile document;
    document.KeySection(u"New"_s).SetKeyValue(u"k"_s, u"v"_s);
    EXPECT_EQ(document.Text(), u"[New]\r\n\r\nk=v"_s);
    EXPECT_TRUE(document.KeyExists(u"NEW"_s));
    EXPECT_EQ(document.Count(), 2);

    INIFile other = DocumentOf(u"a=1"_s);
    other.KeySection(u"S"_s);
    EXPECT_EQ(other.Text(), u"a=1\r\n[S]"_s);
    EXPECT_EQ(&other.KeySection(u"s"_s), other.Sections()[1].get());
}

TEST(INIFile, KeySectionReferencesSurviveGrowth) {
    INIFile document;
    INISection& first = document.KeySection(u"First"_s);
    for (int i = 0; i < 1000; ++i) {
        document.KeySection(u"S"_s + QString::number(i));
    }
    first.SetKeyValue(u"k"_s, u"v"_s);
    EXPECT_TRUE(document.Text().startsWith(u"[First]\r\n\r\nk=v\r\n[S0]\r\n"_s));
}

TEST(INIFile, SetKeySectionReplacesOnlyTheBody) {
    INIFile document = DocumentOf(u"[S] ; keep\r\nold=1\r\n[T]\r\nt=1"_s);
    INISection replacement;
    replacement.SetNameFullText(u"[Ignored]"_s);
    replacement.SetText(u"k = v ; c\r\nm=2"_s);
    document.SetKeySection(u"s"_s, replacement);
    document.SetKeySection(u"U"_s, replacement);
    EXPECT_EQ(document.Text(),
              u"[S] ; keep\r\nk = v ; c\r\nm=2\r\n[T]\r\nt=1\r\n"
              "[U]\r\nk = v ; c\r\nm=2"_s);
    EXPECT_FALSE(document.KeyExists(u"Ignored"_s));
}

TEST(INIFile, OptimizeEverySection) {
    INIFile document = DocumentOf(u"; top\r\na = 1\r\n[ S ] ; c\r\n; x\r\nk = v ; n\r\n"_s);
    document.Optimize();
    EXPECT_EQ(document.Text(), u"a=1\r\n[S]\r\nk=v"_s);
}

TEST(INIFile, ClearEmptiesTheDocument) {
    INIFile document = DocumentOf(u"a=1\r\n[S]\r\nk=v"_s);
    document.Clear();
    EXPECT_EQ(document.Count(), 1);
    EXPECT_EQ(document.Text(), QString());
    EXPECT_FALSE(document.KeyExists(u"S"_s));
}

TEST(INIFile, CopiesAreIndependent) {
    INIFile original = DocumentOf(u"[S]\r\nk=1"_s);
    INIFile copy = original;
    copy.KeySection(u"S"_s).SetKeyValue(u"k"_s, u"2"_s);
    EXPECT_EQ(original.Text(), u"[S]\r\nk=1"_s);
    EXPECT_EQ(copy.Text(), u"[S]\r\nk=2"_s);
}

// ---- files

TEST(INIFile, SaveWritesCp932WithoutAddedLineBreak) {
    TempFolder folder;
    INIFile document;
    document.KeySection(u"\u30b2\u30fc\u30e0"_s)
        .SetKeyValue(u"\u540d\u524d"_s, u"\u65e5\u672c\u8a9e\uff5e\u2460"_s);
    const QString path = folder.file(u"doc.ini"_s);
    ASSERT_TRUE(document.Save(path));
    EXPECT_EQ(document.Path(), path);
    EXPECT_EQ(folder.read(u"doc.ini"_s), Cp932Codec::encode(document.Text()));
    EXPECT_EQ(folder.read(u"doc.ini"_s).right(2), Cp932Codec::encode(u"\u2460"));
}

TEST(INIFile, LoadReadsCp932AndSetsPath) {
    TempFolder folder;
    const QString text = u"[\u8a2d\u5b9a]\r\n\u540d\u524d=\uff76\uff85\r\n"_s;
    folder.write(u"in.ini"_s, Cp932Codec::encode(text));
    INIFile document;
    ASSERT_TRUE(document.Load(folder.file(u"in.ini"_s)));
    EXPECT_EQ(document.Path(), folder.file(u"in.ini"_s));
    EXPECT_EQ(document.KeySection(u"\u8a2d\u5b9a"_s).KeyValue(u"\u540d\u524d"_s),
              u"\uff76\uff85"_s);
    EXPECT_EQ(document.Text(), text);
}

TEST(INIFile, SaveWithoutPathUsesTheDocumentPath) {
    TempFolder folder;
    INIFile document;
    document.SetText(u"k=v"_s);
    EXPECT_FALSE(document.Save());
    document.SetPath(folder.file(u"own.ini"_s));
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(folder.read(u"own.ini"_s), QByteArray("k=v"));

    INIFile loaded;
    ASSERT_TRUE(loaded.Load(folder.file(u"own.ini"_s)));
    loaded.KeySection(QString()).SetKeyValue(u"k"_s, u"w"_s);
    ASSERT_TRUE(loaded.Save());
    EXPECT_EQ(folder.read(u"own.ini"_s), QByteArray("k=w"));
}

TEST(INIFile, FailedLoadOrSaveLeavesDocumentAlone) {
    TempFolder folder;
    INIFile document = DocumentOf(u"k=v"_s);
    document.SetPath(u"before.ini"_s);
    EXPECT_FALSE(document.Load(folder.file(u"missing.ini"_s)));
    EXPECT_FALSE(document.Load(folder.path()));
    EXPECT_FALSE(document.Save(folder.file(u"no/such/folder/x.ini"_s)));
    EXPECT_EQ(document.Text(), u"k=v"_s);
    EXPECT_EQ(document.Path(), u"before.ini"_s);
}

TEST(INIFile, LoadReadsUtf8AfterByteOrderMark) {
    TempFolder folder;
    folder.write(u"u.ini"_s, QByteArray("\xEF\xBB\xBFk=\xE6\x97\xA5"));
    INIFile document;
    ASSERT_TRUE(document.Load(folder.file(u"u.ini"_s)));
    EXPECT_EQ(document.KeySection(QString()).KeyValue(u"k"_s), u"\u65e5"_s);
}

// ---- hostile input

TEST(INIFile, ManySectionsWithTheSameName) {
    QString text;
    for (int i = 0; i < 100000; ++i) {
        text += u"[Same]\r\nk="_s + QString::number(i) + u"\r\n"_s;
    }
    INIFile document = DocumentOf(text);
    EXPECT_EQ(document.Count(), 100001);
    EXPECT_EQ(document.KeySection(u"same"_s).KeyValue(u"k"_s), u"0"_s);
    EXPECT_EQ(document.Sections().back()->KeyValue(u"k"_s), u"99999"_s);
    EXPECT_EQ(document.Text(), text);
}

TEST(INIFile, BinaryAndControlCharacterTexts) {
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes.append(static_cast<char>((i * 7919 + i / 13) & 0xFF));
    }
    const QString binary = Cp932Codec::decode(bytes);
    EXPECT_EQ(DocumentOf(binary).Text().size(), binary.size());

    for (const QString& text : {QString(100000, u'\r'), QString(100000, u'\n'),
                                QString(1000, QChar(u'\0')), u"[\0]\r\n\0=\0"_s}) {
        INIFile document = DocumentOf(text);
        EXPECT_EQ(document.Text(), text);
        EXPECT_EQ(document.KeySection(u"x"_s).KeyValue(u"y"_s), QString());
    }
}

TEST(INIFile, LargeDocumentRoundTrips) {
    QString text;
    for (int s = 0; s < 2000; ++s) {
        text += u"[Section"_s + QString::number(s) + u"] ; c\r\n"_s;
        for (int k = 0; k < 50; ++k) {
            text += u"  key"_s + QString::number(k) + u" = value"_s + QString::number(s * 50 + k) +
                    u" ; note\r\n"_s;
        }
    }
    INIFile document = DocumentOf(text);
    EXPECT_EQ(document.Count(), 2001);
    EXPECT_EQ(document.KeySection(u"SECTION1234"_s).KeyValue(u"KEY7"_s), u"value61707"_s);
    EXPECT_EQ(document.Text(), text);
}
