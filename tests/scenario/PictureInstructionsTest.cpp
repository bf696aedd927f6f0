#include "InstructionFixture.h"

namespace {

struct CallCase {
    const char* line;
    QStringList expected;
};

QString Tokens(std::initializer_list<qint32> tokens) {
    QStringList words;
    for (const qint32 token : tokens) {
        words.append(QString::number(token));
    }
    return words.join(QLatin1Char(' '));
}

}  // namespace

class PictureInstructionsTest : public InstructionFixture {
protected:
    void expectCalls(const std::vector<CallCase>& cases) {
        for (const CallCase& c : cases) {
            host.drawActive = true;
            EXPECT_EQ(calls(QString::fromUtf8(c.line)), c.expected) << c.line;
        }
        // Waiting on a frozen screen is reported; nothing else may be.
        host.messages.removeAll(QStringLiteral("描画停止状態でのクリック待ちは禁止されています。"));
        EXPECT_TRUE(host.messages.isEmpty()) << host.messages.join(u'|').toStdString();
    }
};

// Script coordinates are doubled on this screen; "%" positions are the middle.
TEST_F(PictureInstructionsTest, BackgroundsAndTransitionsReachTheDriverConverted) {
    host.bgName = QStringLiteral("room");
    expectCalls({
        {"bg room", {"BGCenter(room,640,480,500,true)"}},
        {"bg room, 640, 0", {"BGCenter(room,1280,0,500,true)"}},
        {"bgfill 255", {"BGFill(255,500)"}},
        {"bglc 10, 20, 300", {"BGMove(20,40,300,true)"}},
        {"bglc 10, 20", {"BGCenter(room,20,40,500,true)"}},
        {"bgmv 5, -5", {"BGCenter(room,10,-10,500,false)"}},
        {"bgmv 5, 5, 100", {"BGMove(10,10,100,false)"}},
        {"dd", {"DrawDeactivate(0,1000)"}},
        {"ddb 300", {"DrawDeactivate(1,300)"}},
        {"ddw 300", {"DrawDeactivate(2,300)"}},
        {"da", {"DrawActivate(0,1000)"}},
        {"daa 200", {"DrawActivate(1,200)"}},
        {"dam rule, 400", {"LoadBuffMask(rule)", "DrawActivate(2,400)"}},
        {"wto room",
         {"DrawDeactivate(2,500)", "CGHideAll(0)", "TextPageTurn()",
          "BGCenter(room,-999999,-999999,1000,true)", "DrawActivate(1,500)"}},
        {"bto room",
         {"DrawDeactivate(1,500)", "CGHideAll(0)", "TextPageTurn()",
          "BGCenter(room,-999999,-999999,1000,true)", "DrawActivate(1,500)"}},
        {"mto room, rule, 700",
         {"DrawDeactivate(0,0)", "CGHideAll(0)", "TextPageTurn()",
          "BGCenter(room,-999999,-999999,1000,true)", "LoadBuffMask(rule)", "DrawActivate(2,700)"}},
    });
    EXPECT_FALSE(host.textVisible);  // mto hides the message window
    EXPECT_TRUE(seenCG(QStringLiteral("room")));
}

TEST_F(PictureInstructionsTest, CharactersReachTheDriverConverted) {
    expectCalls({
        {"cg st_a_1", {"CGChange(st_a_1,640,480,-1,-1,500)"}},
        {"cg st_a_1, 100, 50, 200, 100", {"CGChange(st_a_1,200,100,400,200,500)"}},
        {"cgh", {"CGHideAll(500)"}},
        {"cgh st_a_1", {"CGHide(st_a_1,500)"}},
        {"cglc st_a_1, 100, 50, 300", {"CGMove(st_a_1,200,100,true,300,true)"}},
        {"cglc st_a_1, 100, 50",
         {"DrawDeactivate(0,1000)", "CGMove(st_a_1,200,100,true,0,true)", "DrawActivate(1,500)"}},
        {"cgmv st_a_1, 10, -10",
         {"DrawDeactivate(0,1000)", "CGMove(st_a_1,20,-20,false,0,true)", "DrawActivate(1,500)"}},
        {"cglcas st_a_1, 100, 50, 300", {"CGMove(st_a_1,200,100,true,300,false)"}},
        {"cgmvas st_a_1, 1", {"CGMove(st_a_1,2,0,false,0,false)"}},
        {"cga st_a_1, 50, 200", {"CGAlpha(st_a_1,128,200,true)"}},
        {"cgaas st_a_1", {"CGAlpha(st_a_1,256,0,false)"}},
        {"cgbc 255", {"CharBlendColor(255)"}},
        {"cgf st_a_1, 2", {"CGFlip(st_a_1,2,-1)"}},
        {"cgactadd st_a_1, 1, 2", {"CGActAdd(st_a_1,1 2 -1 -1 -1)"}},
        {"cgactstart st_a_1", {"CGActStart(st_a_1)"}},
        {"cgactend st_a_1", {"CGActEnd(st_a_1)"}},
        {"cgactcomplete st_a_1", {"CGActComplete(st_a_1)"}},
        {"cghfas st_a_1, 0", {"CGActClear(st_a_1)"}},
        {"fc face_a", {"FaceChange(face_a)"}},
        {"fc", {"FaceChange()"}},
    });
    EXPECT_TRUE(seenCG(QStringLiteral("st_a_1")));
    EXPECT_EQ(calls(QStringLiteral("cghfas st_a_1, 100")),
              (QStringList{QStringLiteral("CGActClear(st_a_1)"),
                           QStringLiteral("CGActAdd(st_a_1,") +
                               Tokens({0x20022010, 0x11000030, 1, 0x20020001, 100, 0x20020003}) +
                               QLatin1Char(')'),
                           QStringLiteral("CGActStart(st_a_1)")}));
    EXPECT_EQ(calls(QStringLiteral("cgvfas st_a_1, 50")).value(1),
              QStringLiteral("CGActAdd(st_a_1,") +
                  Tokens({0x20022010, 0x11000031, 1, 0x20020001, 50, 0x20020003}) +
                  QLatin1Char(')'));
}

// 800x600 over a 640x480 script is x1.25: 2.5 rounds to 2 and 7.5 to 8.
TEST_F(PictureInstructionsTest, ConvertedHalvesRoundToEven) {
    App().ScreenSizeX = 800;
    App().ScreenSizeY = 600;
    EXPECT_EQ(calls(QStringLiteral("cg st_a_1, 2, 6, 2, 6")),
              QStringList{QStringLiteral("CGChange(st_a_1,2,8,2,8,500)")});
    EXPECT_EQ(calls(QStringLiteral("cg st_a_1")),
              QStringList{QStringLiteral("CGChange(st_a_1,400,300,-1,-1,500)")});
}

TEST_F(PictureInstructionsTest, SkippingMakesEveryDurationZero) {
    host.ctrlDown = true;
    host.bgName = QStringLiteral("room");
    expectCalls({
        {"bg room", {"BGCenter(room,640,480,0,true)"}},
        {"ddb 300", {"DrawDeactivate(1,0)"}},
        {"daa 300", {"DrawActivate(1,0)"}},
        {"bglc 1, 1, 300", {"BGMove(2,2,0,true)"}},
        {"cga st_a_1, 50, 200", {"CGAlpha(st_a_1,128,0,true)"}},
        {"cglcas st_a_1, 1, 1, 300", {"CGMove(st_a_1,2,2,true,0,false)"}},
        {"mto room, rule, 700",
         {"DrawDeactivate(0,0)", "CGHideAll(0)", "TextPageTurn()",
          "BGCenter(room,-999999,-999999,1000,true)", "LoadBuffMask(rule)", "DrawActivate(2,0)"}},
    });
}

TEST_F(PictureInstructionsTest, FailuresAreReportedWithTheirMessages) {
    struct FailCase {
        const char* line;
        const char* failing;
        const char* message;
    };
    host.bgName = QStringLiteral("room");
    const FailCase cases[] = {
        {"bg room", "BGCenter", "背景 'room'のロードに失敗しました。"},
        {"bglc 1, 2, 3", "BGMove", "背景'room'の移動に失敗しました。"},
        {"cg st_a_1", "CGChange", "人物'st_a_1'のロードに失敗しました。"},
        {"cgh x", "CGHide", "人物'x'の非表示に失敗しました。"},
        {"cglc x, 1, 1, 5", "CGMove", "人物'x'の絶対位置移動（スムーズ）に失敗しました。"},
        {"cgmv x, 1, 1", "CGMove", "人物'x'の相対位置移動（フェード）に失敗しました。"},
        {"cglcas x", "CGMove", "人物'x'の非同期絶対位置移動に失敗しました。"},
        {"cgmvas x", "CGMove", "人物'x'の非同期相対位置移動に失敗しました。"},
        {"cga x", "CGAlpha", "人物'x'の透明度変更に失敗しました。"},
        {"cgaas x", "CGAlpha", "人物'x'の非同期透明度変更に失敗しました。"},
        {"cgf x, 1", "CGFlip", "人物'x'のフリップ位置変更に失敗しました。"},
        {"cghfas x, 10", "CGActClear", "人物'x'の非同期フリップに失敗しました。"},
        {"cgactclear x", "CGActClear", "人物'x'の自由アクション初期化に失敗しました。"},
        {"cgactadd x, 1", "CGActAdd", "人物'x'の自由アクション追加に失敗しました。"},
        {"cgactstart x", "CGActStart", "人物'x'の自由アクション開始に失敗しました。"},
        {"cgactend x", "CGActEnd", "人物'x'の自由アクション停止に失敗しました。"},
        {"cgactcomplete x", "CGActComplete", "人物'x'の自由アクション完了に失敗しました。"},
        {"fc face", "FaceChange", "顔'face'のロードに失敗しました。"},
        {"wto room", "BGCenter", "通常背景'room'のロードに失敗しました。"},
        {"dam rule, 5", "LoadBuffMask", "マスク'rule'のロードに失敗しました。"},
        {"wnd 3", "ChangeWindowType", "ウィンドウタイプ 3 の変更に失敗しました。"},
    };
    for (const FailCase& c : cases) {
        host.failing = {QLatin1String(c.failing)};
        host.messages.clear();
        calls(QString::fromUtf8(c.line));
        EXPECT_EQ(host.messages, QStringList{QString::fromUtf8(c.message)}) << c.line;
    }
    // Nothing that failed to show is recorded as seen.
    EXPECT_FALSE(seenCG(QStringLiteral("room")));
    EXPECT_FALSE(seenCG(QStringLiteral("st_a_1")));
}

TEST_F(PictureInstructionsTest, OpacityOutsideThePercentRangeIsReportedAndFull) {
    EXPECT_EQ(calls(QStringLiteral("cga st_a_1, 150")),
              QStringList{QStringLiteral("CGAlpha(st_a_1,256,0,true)")});
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("アルファ値は０から１００")});
}

// A smooth move on a frozen screen is not wrapped in another freeze and release.
TEST_F(PictureInstructionsTest, FadeMoveOnAFrozenScreenOnlyMoves) {
    host.drawActive = false;
    EXPECT_EQ(calls(QStringLiteral("cglc st_a_1, 1, 1")),
              QStringList{QStringLiteral("CGMove(st_a_1,2,2,true,0,true)")});
}
