#include "data/SavedValueCodec.h"

#include <gtest/gtest.h>

#include <QImage>

#include "TestSupport.h"
#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "data/stdINI.h"
#include "platform/os/FileIo.h"

namespace {

// Values that the INI syntax would change: a comment sign, blanks at the
// ends, line breaks, the escape sign itself, and what looks like an escape.
const QStringList kAwkward = {QStringLiteral("A;B"),
                              QStringLiteral("  padded  "),
                              QStringLiteral("\tTab"),
                              QStringLiteral("line\r\nbreak\nand\rmore"),
                              QStringLiteral("100%"),
                              QStringLiteral("%41 stays %41"),
                              QStringLiteral("%u3000"),
                              QStringLiteral("\"quoted; rest\""),
                              QStringLiteral("　全角の空白　"),
                              QStringLiteral("a, b, c"),
                              QString()};

class SavedValueCodecTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().SaveDir = dir.file("savedata");
        App().INIEncript = true;
    }
    void TearDown() override { App().INIEncript = true; }
    TempFolder dir;
};

}  // namespace

TEST_F(SavedValueCodecTest, EveryValueComesBackAsItWas) {
    for (const QString& value : kAwkward) {
        const QString escaped = SavedValueCodec::Escape(value);
        EXPECT_FALSE(escaped.contains(u';') || escaped.contains(u'\n') || escaped.contains(u'\r'))
            << escaped.toStdString();
        EXPECT_EQ(SavedValueCodec::Unescape(escaped), value);
    }
    // Plain values are written as they are.
    EXPECT_EQ(SavedValueCodec::Escape(QStringLiteral("\\np(1)「こんにちは」")),
              QStringLiteral("\\np(1)「こんにちは」"));
}

TEST_F(SavedValueCodecTest, ASavedGameKeepsEveryValueExactly) {
    clsSaveData saved;
    for (int i = 0; i < kAwkward.size(); ++i) {
        saved.Var().SetKeyValue(QStringLiteral("v%1").arg(i), kAwkward.at(i));
    }
    saved.IntprtStatus().SetKeyValue(QStringLiteral("RestText"), QStringLiteral("\"one;two\""));
    ASSERT_TRUE(saved.Save(QStringLiteral("sd01-01"), QImage()));
    clsSaveData loaded;
    ASSERT_TRUE(loaded.Load(QStringLiteral("sd01-01")));
    for (int i = 0; i < kAwkward.size(); ++i) {
        EXPECT_EQ(loaded.Var().KeyValue(QStringLiteral("v%1").arg(i)), kAwkward.at(i));
    }
    EXPECT_EQ(loaded.IntprtStatus().KeyValue(QStringLiteral("RestText")),
              QStringLiteral("\"one;two\""));
    EXPECT_EQ(loaded.Document().Text(), saved.Document().Text());
}

TEST_F(SavedValueCodecTest, SavesWrittenBeforeTheEscapingLoadAsTheyDid) {
    App().INIEncript = false;
    FileIo::makeDirectories(App().SaveDir);
    dir.write("savedata/sd01-01.ini",
              Bytes("[Var]\r\nname=%41%3B ; comment\r\npct=100%\r\n[History]\r\n"));
    clsSaveData loaded;
    ASSERT_TRUE(loaded.Load(QStringLiteral("sd01-01")));
    EXPECT_EQ(loaded.Var().KeyValue(QStringLiteral("name")), QStringLiteral("%41%3B"));
    EXPECT_EQ(loaded.Var().KeyValue(QStringLiteral("pct")), QStringLiteral("100%"));
}

TEST_F(SavedValueCodecTest, SharedVariablesKeepEveryValueExactly) {
    INIFile info;
    info.SetText(QStringLiteral("[shared]\r\nclear=0\r\n"));
    INIFile omake;
    {
        SharedData shared;
        ASSERT_TRUE(shared.Init(info, omake));
        shared.Var().SetKeyValue(QStringLiteral("clear"), QStringLiteral(" A;B "));
        ASSERT_TRUE(shared.Save());
    }
    SharedData again;
    ASSERT_TRUE(again.Init(info, omake));
    EXPECT_EQ(again.Var().KeyValue(QStringLiteral("clear")), QStringLiteral(" A;B "));
}

TEST_F(SavedValueCodecTest, APictureLeftByAnInterruptedSaveIsNotShownForAnotherGame) {
    QImage first(8, 8, QImage::Format_RGB32);
    first.fill(Qt::red);
    clsSaveData data;
    data.Var().SetKeyValue(QStringLiteral("game"), QStringLiteral("first"));
    ASSERT_TRUE(data.Save(QStringLiteral("sd01-02"), first));
    const QString picture = data.PreviewPath(QStringLiteral("sd01-02"));
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_EQ(QImage(picture).pixelColor(0, 0), QColor(Qt::red));

    // The next save wrote its picture and stopped before its document.
    QImage second(8, 8, QImage::Format_RGB32);
    second.fill(Qt::blue);
    ASSERT_TRUE(second.save(picture, "BMP"));
    EXPECT_TRUE(data.PreviewPath(QStringLiteral("sd01-02")).isEmpty());
    clsSaveData loaded;
    ASSERT_TRUE(loaded.Load(QStringLiteral("sd01-02")));
    EXPECT_EQ(loaded.Var().KeyValue(QStringLiteral("game")), QStringLiteral("first"));

    // A save without a picture does not adopt the picture beside it.
    ASSERT_TRUE(data.Save(QStringLiteral("sd01-02"), QImage()));
    EXPECT_TRUE(data.PreviewPath(QStringLiteral("sd01-02")).isEmpty());
}

TEST_F(SavedValueCodecTest, SavesWithoutStampsKeepTheirPictures) {
    App().INIEncript = false;
    FileIo::makeDirectories(App().SaveDir);
    dir.write("savedata/sd01-03.ini", Bytes("[Var]\r\nx=1\r\n"));
    QImage old(4, 4, QImage::Format_RGB32);
    old.fill(Qt::green);
    ASSERT_TRUE(old.save(dir.file("savedata/sd01-03.bmp"), "BMP"));
    clsSaveData data;
    EXPECT_EQ(data.PreviewPath(QStringLiteral("sd01-03")), dir.file("savedata/sd01-03.bmp"));
}
