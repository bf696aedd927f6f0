#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "TestSupport.h"
#include "data/INIFile.h"
#include "platform/os/Cp932Codec.h"

using namespace Qt::StringLiterals;

namespace {

INIFile DocumentOf(const QString& text) {
    INIFile document;
    document.SetText(text);
    return document;
}

}  // namespace

TEST(INIFile, NewOrClearedDocumentHasOnlyTheUnnamedSection) {
    INIFile cleared = DocumentOf("a=1\r\n[S]\r\nk=v");
    cleared.Clear();
    INIFile fresh;
    for (const INIFile* document : {&cleared, &fresh}) {
        EXPECT_EQ(document->Count(), 1);
        EXPECT_EQ(document->Text(), QString());
        EXPECT_EQ(document->Sections().front()->Count(), 1);
        EXPECT_TRUE(document->KeyExists(QString()));
        EXPECT_FALSE(document->KeyExists("S"));
    }
    EXPECT_EQ(fresh.Path(), QString());
}

TEST(INIFile, SectionsInFileOrderFoundIgnoringCaseFirstDuplicateFirst) {
    INIFile document =
        DocumentOf("a=1\r\n[ S1 ] ; first\r\nk=v\r\n[S2]\r\nx=y\r\nz=w\r\n[s1]\r\nk=2");
    QStringList names;
    for (const auto& section : document.Sections()) {
        names << section->Name();
    }
    EXPECT_EQ(names, QStringList({QString(), "S1", "S2", "s1"}));
    EXPECT_EQ(document.KeySection(QString()).KeyValue("a"), "1");
    EXPECT_EQ(document.KeySection("S1").KeyValue("K"), "v");
    EXPECT_EQ(document.KeySection("s2").Count(), 2);
    EXPECT_EQ(document.Sections()[1]->NameFullText(), "[ S1 ] ; first");
    EXPECT_FALSE(document.KeyExists("S"));
    // Section lines are parsed only when asked.
    EXPECT_EQ(document.Sections()[3]->DebugCondition().count("condition=TextOnly"), 1);
}

TEST(INIFile, SectionsKnowTheDocumentLineOfTheirBody) {
    const INIFile document = DocumentOf(u"; head\r\n\r\n[A]\r\nx=1\r\n\r\n[B]\r\n [C] \r\ny=2"_s);
    const auto& sections = document.Sections();
    ASSERT_EQ(document.Count(), 4);
    EXPECT_EQ(sections[0]->FirstLine(), 1);
    EXPECT_EQ(sections[1]->FirstLine(), 4);
    EXPECT_EQ(sections[2]->FirstLine(), 7);  // an empty body: the line after its header
    EXPECT_EQ(sections[3]->FirstLine(), 8);
    EXPECT_EQ(sections[1]->FirstLine() + sections[1]->KeyIndex(u"x"_s), 4);
    EXPECT_EQ(sections[3]->FirstLine() + sections[3]->KeyIndex(u"Y"_s), 8);
    INIFile made;
    EXPECT_EQ(made.KeySection(u"New"_s).FirstLine(), 0);
}

TEST(INIFile, MalformedHeadersAreOrdinaryLines) {
    INIFile document =
        DocumentOf("[S]\r\n[ ]\r\n[]\r\n[Game] x\r\n[Ga;me]\r\n[[x]\r\n[a[b]\r\n[open");
    EXPECT_EQ(document.Count(), 2);
    EXPECT_EQ(document.KeySection("S").Count(), 7);
    EXPECT_EQ(document.KeySection("S").LineText(2), "[Game] x");
    EXPECT_FALSE(document.KeyExists("Game"));
}

TEST(INIFile, TextRoundTripsExceptForEmptyBodies) {
    for (const char* text :
         {"a=1", "a=1\r\n", "\r\n", "[S]\r\nk=v", "[S]\r\nk=v\r\n", "[A]\r\n[B]\r\nk=v",
          "; top\r\n\r\n[S] ; c\r\n  k = v ; note\r\n\r\n[T]\r\n\r\nx\r\n", "\r\n\r\n[S]",
          "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", "top\r\n[S]", "[S]\r\n\r\n\r\nk=v\r\n\r\n",
          "[S]\r\nline\rwith\nlone breaks\r\n[T]\r\n\n"}) {
        EXPECT_EQ(DocumentOf(text).Text(), text);
    }
    // A body of one empty line is written as nothing, so is what follows a last header.
    const std::pair<const char*, const char*> rows[] = {
        {"\r\n[S]\r\nk=v", "[S]\r\nk=v"},
        {"[A]\r\n\r\n[B]\r\nk=v", "[A]\r\n[B]\r\nk=v"},
        {"[S]\r\n", "[S]"},
        {"[A]\r\nk=1\r\n[S] ;c\r\n", "[A]\r\nk=1\r\n[S] ;c"}};
    for (const auto& [text, written] : rows) {
        EXPECT_EQ(DocumentOf(text).Text(), written);
    }
}

TEST(INIFile, EditsAreWrittenInPlaceAndCopiesAreIndependent) {
    INIFile document = DocumentOf("; c\r\n[S]\r\n  k = old ; note\r\n[T]\r\nx=1");
    const INIFile copy = document;
    document.KeySection("s").SetKeyValue("k", "new");
    document.KeySection("t").SetKeyValue("y", "2");
    EXPECT_EQ(document.Text(), "; c\r\n[S]\r\n  k = new ; note\r\n[T]\r\nx=1\r\ny=2");
    EXPECT_EQ(copy.Text(), "; c\r\n[S]\r\n  k = old ; note\r\n[T]\r\nx=1");
    INIFile messy = DocumentOf("; top\r\na = 1\r\n[ S ] ; c\r\n; x\r\nk = v ; n\r\n");
    messy.Optimize();
    EXPECT_EQ(messy.Text(), "a=1\r\n[S]\r\nk=v");
}

TEST(INIFile, KeySectionCreatesMissingSectionsWhoseReferencesSurviveGrowth) {
    INIFile document;
    INISection& first = document.KeySection("First");
    for (int i = 0; i < 1000; ++i) {
        document.KeySection("S" + QString::number(i));
    }
    first.SetKeyValue("k", "v");
    EXPECT_TRUE(document.Text().startsWith("[First]\r\n\r\nk=v\r\n[S0]\r\n"));
    EXPECT_TRUE(document.KeyExists("FIRST"));
    EXPECT_EQ(document.Count(), 1002);
    INIFile other = DocumentOf("a=1");
    other.KeySection("S");
    EXPECT_EQ(other.Text(), "a=1\r\n[S]");
    EXPECT_EQ(&other.KeySection("s"), other.Sections()[1].get());
}

TEST(INIFile, SetKeySectionReplacesOnlyTheBody) {
    INIFile document = DocumentOf("[S] ; keep\r\nold=1\r\n[T]\r\nt=1");
    INISection replacement;
    replacement.SetNameFullText("[Ignored]");
    replacement.SetText("k = v ; c\r\nm=2");
    document.SetKeySection("s", replacement);
    document.SetKeySection("U", replacement);
    EXPECT_EQ(document.Text(),
              "[S] ; keep\r\nk = v ; c\r\nm=2\r\n[T]\r\nt=1\r\n[U]\r\nk = v ; c\r\nm=2");
    EXPECT_FALSE(document.KeyExists("Ignored"));
}

TEST(INIFile, FilesAreCp932WithoutAddedLineBreakAndGiveTheDocumentItsPath) {
    TempFolder folder;
    const QString text = "[設定]\r\n名前=日本語～①ｶﾅ";
    const QString path = folder.file("doc.ini");
    ASSERT_TRUE(DocumentOf(text).Save(path));
    EXPECT_EQ(folder.read("doc.ini"), Cp932Codec::encode(text));
    INIFile loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.Path(), path);
    EXPECT_EQ(loaded.KeySection("設定").KeyValue("名前"), "日本語～①ｶﾅ");
    EXPECT_EQ(loaded.Text(), text);
    // Saving without a path uses the document's own.
    loaded.KeySection("設定").SetKeyValue("名前", "w");
    ASSERT_TRUE(loaded.Save());
    EXPECT_EQ(folder.read("doc.ini"), Cp932Codec::encode(u"[設定]\r\n名前=w"));
    // A UTF-8 byte-order mark makes a UTF-8 file.
    folder.write("u.ini", "\xEF\xBB\xBFk=\xE6\x97\xA5");
    ASSERT_TRUE(loaded.Load(folder.file("u.ini")));
    EXPECT_EQ(loaded.KeySection(QString()).KeyValue("k"), "日");
}

TEST(INIFile, FailedLoadOrSaveLeavesDocumentAlone) {
    TempFolder folder;
    INIFile document = DocumentOf("k=v");
    EXPECT_FALSE(document.Save());  // no path yet
    document.SetPath("before.ini");
    EXPECT_FALSE(document.Load(folder.file("missing.ini")));
    EXPECT_FALSE(document.Load(folder.path()));
    EXPECT_FALSE(document.Save(folder.file("no/such/folder/x.ini")));
    EXPECT_EQ(document.Text(), "k=v");
    EXPECT_EQ(document.Path(), "before.ini");
}

TEST(INIFile, LargeDocumentsAndManySectionsWithTheSameName) {
    QString same;
    for (int i = 0; i < 100000; ++i) {
        same += "[Same]\r\nk=" + QString::number(i) + "\r\n";
    }
    INIFile document = DocumentOf(same);
    EXPECT_EQ(document.Count(), 100001);
    EXPECT_EQ(document.KeySection("same").KeyValue("k"), "0");
    EXPECT_EQ(document.Sections().back()->KeyValue("k"), "99999");
    EXPECT_EQ(document.Text(), same);
    QString large;
    for (int s = 0; s < 2000; ++s) {
        large += "[Section" + QString::number(s) + "] ; c\r\n";
        for (int k = 0; k < 50; ++k) {
            large += QStringLiteral("  key%1 = value%2 ; note\r\n").arg(k).arg(s * 50 + k);
        }
    }
    document = DocumentOf(large);
    EXPECT_EQ(document.Count(), 2001);
    EXPECT_EQ(document.KeySection("SECTION1234").KeyValue("KEY7"), "value61707");
    EXPECT_EQ(document.Text(), large);
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
        EXPECT_EQ(document.KeySection("x").KeyValue("y"), QString());
    }
}
