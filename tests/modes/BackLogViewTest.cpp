#include "modes/BackLogView.h"

#include <memory>
#include <vector>

#include "GameModeFixture.h"
#include "data/clsSaveData.h"
#include "media/clsDovDriver.h"
#include "scenario/Script.h"
#include "scenario/ScriptManager.h"

namespace {

constexpr int kPlainEntries = 10;
const QString kPrefix = QStringLiteral("＊");  // LogBlockPrefix of the test game

// The message of plain entry k: k + 1 characters, so each entry has a length of its own.
QString plainMessage(int k) {
    return QString(k + 1, QChar(u'あ'));
}

}  // namespace

// The back-log view over the game screen of the test game, fed with history
// entries of one scenario; the view's rectangles reach it through a listener
// as they would through the game mode.
class BackLogViewTest : public GameModeFixture {
protected:
    void SetUp() override {
        GameModeFixture::SetUp();
        QString text;
        for (int k = 0; k < kPlainEntries; ++k) {
            text += QStringLiteral("put \"%1\"\r\n").arg(plainMessage(k));
        }
        text += QStringLiteral(
            "put \"\\v(aki001)\\v(aki002)ふたつ\"\r\n"
            "put \"\\v(aki003)ながい\"\r\n"
            "put \"\\v(nobody)ない\"\r\n"
            "put \"\\v(aki001)ひとつ\"\r\n");
        scenario(QStringLiteral("log"), text);
        sound(QStringLiteral("aki001"), tone(300));
        sound(QStringLiteral("aki002"), tone(500));
        log = std::make_unique<BackLogView>(varo(), [this] {
            ++closes;
            log->Close(kAllGameMenus);
        });
        listener = view().AddScreenCmdListener(
            [this](std::int32_t, std::int32_t code, const RectPtr& rect) {
                if (log != nullptr && rect != nullptr) {
                    log->Command(code, rect);
                }
            });
    }
    void TearDown() override {
        if (player.launcher.Varo() != nullptr) {
            view().RemoveScreenCmdListener(listener);
        }
        log.reset();
        GameModeFixture::TearDown();
    }

    // The instruction address of the put showing `message`.
    std::int32_t addressOf(const QString& message) {
        const std::shared_ptr<Script> script =
            varo().Intprt().Scripts().GetScript(QStringLiteral("log"), false);
        EXPECT_NE(script, nullptr);
        for (std::int32_t address = 0; script != nullptr; ++address) {
            const QString line = script->Element(address);
            if (line.isEmpty()) {
                break;
            }
            if (line.contains(message)) {
                return address;
            }
        }
        ADD_FAILURE() << "no put for " << message.toStdString();
        return -1;
    }
    // History of the plain entries 0 .. count - 1.
    void plainHistory(int count) {
        varo().SD().Clear();
        for (int k = 0; k < count; ++k) {
            varo().SD().AddHistory(QStringLiteral("log"), addressOf(plainMessage(k)));
        }
    }
    void addHistory(const QString& message) {
        varo().SD().AddHistory(QStringLiteral("log"), addressOf(message));
    }

    // Characters on each block's page.
    std::vector<qint32> blockLengths() {
        std::vector<qint32> lengths;
        for (int block = 0; block < BackLogView::kBlocks; ++block) {
            lengths.push_back(filmInt(log->TextFilm(block), FilmProp::TextLength));
        }
        return lengths;
    }
    // What the blocks must show with `index` as the lowest entry of plain history.
    static std::vector<qint32> plainBlocks(std::int32_t index) {
        std::vector<qint32> lengths;
        for (int block = 0; block < BackLogView::kBlocks; ++block) {
            const std::int32_t entry = index - 3 + block;
            lengths.push_back(entry >= 0 ? static_cast<qint32>(kPrefix.size()) +
                                               static_cast<qint32>(plainMessage(entry).size())
                                         : 0);
        }
        return lengths;
    }
    RectPtr voiceRect(int block) { return rectOf(QStringLiteral("log_cv"), block); }
    RectPtr moveButton(const QString& key) {
        for (const RectPtr& rect : view().EvRects().NewEnum()) {
            if (rect->TagName == QLatin1String("log_move") && rect->Text4 == key) {
                return rect;
            }
        }
        return nullptr;
    }
    void press(const QString& key) {
        const RectPtr button = moveButton(key);
        ASSERT_NE(button, nullptr) << key.toStdString();
        log->Command(clsGameView::kCmdPrimary, button);
    }

    std::unique_ptr<BackLogView> log;
    int closes = 0;
    int listener = 0;
};

TEST_F(BackLogViewTest, WithoutHistoryEveryBlockIsEmptyAndForwardCloses) {
    varo().SD().Clear();
    log->Open();
    EXPECT_TRUE(log->IsOpen());
    EXPECT_EQ(log->Index(), -1);
    EXPECT_EQ(blockLengths(), std::vector<qint32>(4, 0));
    for (int block = 0; block < 4; ++block) {
        ASSERT_NE(voiceRect(block), nullptr);
        EXPECT_FALSE(voiceRect(block)->Enabled);
    }
    log->SetIndex(log->Index() - 1);
    EXPECT_EQ(closes, 0);
    log->ForwardOrClose(1);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(log->IsOpen());
}

TEST_F(BackLogViewTest, TwoEntriesFillTheLowestBlocks) {
    plainHistory(2);
    log->Open();
    EXPECT_EQ(log->Index(), 1);
    EXPECT_EQ(blockLengths(), plainBlocks(1));
    EXPECT_EQ(blockLengths()[0], 0);
    // Back stops at the top without closing.
    log->SetIndex(log->Index() - 1);
    EXPECT_EQ(log->Index(), 1);
    EXPECT_EQ(closes, 0);
}

// Every refill starts each block's page afresh: the pages never grow by appending.
TEST_F(BackLogViewTest, TenEntriesScrollBetweenTheTopAndTheNewest) {
    plainHistory(kPlainEntries);
    log->Open();
    EXPECT_EQ(log->Index(), 9);
    EXPECT_EQ(blockLengths(), plainBlocks(9));
    for (std::int32_t expected = 8; expected >= 3; --expected) {
        log->SetIndex(log->Index() - 1);
        ASSERT_EQ(log->Index(), expected);
        EXPECT_EQ(blockLengths(), plainBlocks(expected)) << expected;
    }
    log->SetIndex(log->Index() - 1);
    EXPECT_EQ(log->Index(), 3);
    EXPECT_EQ(closes, 0);

    log->SetIndex(100);
    EXPECT_EQ(log->Index(), 9);
    log->SetIndex(5);
    log->SetIndex(-2);
    EXPECT_EQ(log->Index(), 9);
    EXPECT_EQ(blockLengths(), plainBlocks(9));
    log->ForwardOrClose(1);
    EXPECT_EQ(closes, 1);
}

TEST_F(BackLogViewTest, MoveButtonsScrollAndReturn) {
    plainHistory(kPlainEntries);
    log->Open();
    press(QStringLiteral("pageup"));
    EXPECT_EQ(log->Index(), 5);
    press(QStringLiteral("rollup"));
    EXPECT_EQ(log->Index(), 4);
    press(QStringLiteral("pageup"));
    EXPECT_EQ(log->Index(), 3);
    press(QStringLiteral("pagedown"));
    EXPECT_EQ(log->Index(), 7);
    press(QStringLiteral("rolldown"));
    EXPECT_EQ(log->Index(), 8);
    EXPECT_EQ(blockLengths(), plainBlocks(8));
    press(QStringLiteral("pagedown"));
    EXPECT_EQ(log->Index(), 9);
    EXPECT_EQ(closes, 0);
    press(QStringLiteral("rolldown"));
    EXPECT_EQ(closes, 1);

    log->Open();
    press(QStringLiteral("pagedown"));
    EXPECT_EQ(closes, 2);
    log->Open();
    press(QStringLiteral("return"));
    EXPECT_EQ(closes, 3);
    for (const char* group : {"log_bk", "log_move", "log_cv", "log_cvplay"}) {
        EXPECT_EQ(rectCount(QLatin1String(group)), 0) << group;
    }
}

TEST_F(BackLogViewTest, PointerHighlightsOneButtonAndTheBackgroundClearsIt) {
    plainHistory(3);
    log->Open();
    const RectPtr rollup = moveButton(QStringLiteral("rollup"));
    const RectPtr pageup = moveButton(QStringLiteral("pageup"));
    ASSERT_NE(rollup, nullptr);
    ASSERT_NE(pageup, nullptr);
    pointAt(rollup);
    EXPECT_EQ(filmInt(rollup->FilmID, FilmProp::CellRow), 1);
    pointAt(pageup);
    EXPECT_EQ(filmInt(rollup->FilmID, FilmProp::CellRow), 0);
    EXPECT_EQ(filmInt(pageup->FilmID, FilmProp::CellRow), 1);
    pointAt(rectOf(QStringLiteral("log_bk")));
    EXPECT_EQ(filmInt(pageup->FilmID, FilmProp::CellRow), 0);
    // A right click on the background closes the view.
    command(clsGameView::kCmdSecondary, rectOf(QStringLiteral("log_bk")));
    EXPECT_EQ(closes, 1);
}

TEST_F(BackLogViewTest, OnlyEntriesWithVoicesShowAVoiceButton) {
    varo().SD().Clear();
    addHistory(QStringLiteral("ひとつ"));
    for (int k = 0; k < 4; ++k) {
        addHistory(plainMessage(k));
    }
    log->Open();
    EXPECT_EQ(log->Index(), 4);
    for (int block = 0; block < 4; ++block) {
        EXPECT_FALSE(voiceRect(block)->Enabled) << block;
        EXPECT_EQ(filmInt(voiceRect(block)->FilmID, FilmProp::Opacity), 0) << block;
    }
    log->SetIndex(3);
    EXPECT_TRUE(voiceRect(0)->Enabled);
    EXPECT_EQ(filmInt(voiceRect(0)->FilmID, FilmProp::Opacity), 256);
    EXPECT_FALSE(voiceRect(1)->Enabled);

    // Block 0 now shows an entry without voices: its button goes and so does
    // the earlier entry's voice list.
    log->SetIndex(4);
    EXPECT_FALSE(voiceRect(0)->Enabled);
    EXPECT_EQ(filmInt(voiceRect(0)->FilmID, FilmProp::Opacity), 0);
    log->PlayCVAry(0);
    pumpFor(1000);
    EXPECT_TRUE(voicesPlayed().isEmpty());
    EXPECT_FALSE(voiceRect(0)->Enabled);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
}

TEST_F(BackLogViewTest, EntriesWhoseScriptOrLineIsGoneShowEmpty) {
    const std::int32_t first = addressOf(plainMessage(0));
    varo().SD().SetHistorySection(QStringLiteral("gone:0\r\nlog:%1,999\r\n").arg(first));
    ASSERT_EQ(varo().SD().HistoryCount(), 3);
    log->Open();
    EXPECT_EQ(log->Index(), 2);
    EXPECT_EQ(blockLengths(), (std::vector<qint32>{0, 0, plainBlocks(3)[0], 0}));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(BackLogViewTest, VoiceReplayPlaysEachVoiceInTurnThenStops) {
    varo().SD().Clear();
    addHistory(QStringLiteral("ふたつ"));
    log->Open();
    const RectPtr button = voiceRect(3);
    ASSERT_TRUE(button->Enabled);
    clsDovDriver& dov = varo().Dov();

    command(clsGameView::kCmdPrimary, button);
    EXPECT_FALSE(button->Enabled);
    EXPECT_EQ(filmInt(button->FilmID, FilmProp::CellRow), 1);
    ASSERT_EQ(voicesPlayed(), QStringList{QStringLiteral("aki001")});
    EXPECT_NEAR(dov.SOLength(), 300, 30);
    const std::int32_t firstWait = varo().CurrentAutoClickTimer();
    EXPECT_EQ(firstWait, dov.SOLength() + 300);

    pumpFor(firstWait - 10);
    EXPECT_EQ(voicesPlayed().size(), 1);
    pumpFor(10);
    ASSERT_EQ(voicesPlayed(), (QStringList{QStringLiteral("aki001"), QStringLiteral("aki002")}));
    EXPECT_NEAR(dov.SOLength(), 500, 30);
    const std::int32_t secondWait = varo().CurrentAutoClickTimer();
    EXPECT_EQ(secondWait, dov.SOLength() + 300);

    pumpFor(secondWait + 5);
    EXPECT_EQ(voicesPlayed().size(), 2);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    EXPECT_TRUE(button->Enabled);
    EXPECT_EQ(filmInt(button->FilmID, FilmProp::CellRow), 0);
}

TEST_F(BackLogViewTest, LongVoiceWaitsInChunksOfFiftySeconds) {
    sound(QStringLiteral("aki003"), tone(70000, 8000));
    varo().SD().Clear();
    addHistory(QStringLiteral("ながい"));
    log->Open();
    log->PlayCVAry(3);
    pumpFor(1);
    ASSERT_EQ(voicesPlayed(), QStringList{QStringLiteral("aki003")});
    const std::int32_t length = varo().Dov().SOLength();
    EXPECT_NEAR(length, 70000, 100);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 50000);

    pumpFor(50000);
    EXPECT_EQ(voicesPlayed().size(), 1);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), length - 50000 + 300);
    pumpFor(length - 50000 + 300);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    EXPECT_TRUE(voiceRect(3)->Enabled);
    EXPECT_EQ(voicesPlayed().size(), 1);
}

TEST_F(BackLogViewTest, AVoiceThatCannotPlayEndsTheReplay) {
    varo().SD().Clear();
    addHistory(QStringLiteral("ない"));
    log->Open();
    ASSERT_TRUE(voiceRect(3)->Enabled);
    log->PlayCVAry(3);
    pumpFor(5);
    EXPECT_TRUE(voicesPlayed().isEmpty());
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    EXPECT_TRUE(voiceRect(3)->Enabled);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(BackLogViewTest, ClosingStopsTheReplay) {
    varo().SD().Clear();
    addHistory(QStringLiteral("ふたつ"));
    log->Open();
    log->PlayCVAry(3);
    pumpFor(5);
    ASSERT_EQ(voicesPlayed().size(), 1);
    press(QStringLiteral("return"));
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(varo().Dov().IsPlayingCV());
    pumpFor(2000);
    EXPECT_EQ(voicesPlayed().size(), 1);
}

TEST_F(BackLogViewTest, AClosedViewIgnoresIndexAndReplayRequests) {
    plainHistory(5);
    log->SetIndex(4);
    log->PlayCVAry(0);
    log->ForwardOrClose(1);
    pumpFor(100);
    EXPECT_FALSE(log->IsOpen());
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(voicesPlayed().isEmpty());
    EXPECT_EQ(rectCount(QStringLiteral("log_cv")), 0);
}
