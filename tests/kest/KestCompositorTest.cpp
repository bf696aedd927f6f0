#include "platform/kest/KestCompositor.h"

#include <gtest/gtest.h>

#include "KestScene.h"

// Whole-screen transitions, driven as the screen driver drives them: the scene
// is frozen, changed behind the frozen frame, and an action moves a level over
// the duration while the root draws with a redraw function.
namespace {

using FilmKind = KestLibrary::FilmKind;
using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;
using Tok = KestLibrary::Tok;

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr int kDuration = 400;

// Every pixel of the frame within `tolerance` of the colour.
::testing::AssertionResult OneColour(const QImage& frame, QRgb colour, int tolerance = 0) {
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            if (auto near = NearColor(frame.pixel(x, y), colour, tolerance); !near) {
                return near << " at " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

class Transition : public ::testing::Test {
protected:
    void SetUp() override {
        buff = scene.addFilm(FilmKind::Group, scene.root, QRect(0, 0, 64, 48));
        scene.kest.SetFilmProp(buff, FilmProp::GroupMaskSize, QSize(64, 48));
        back = scene.addFilm(FilmKind::Group, buff, QRect(0, 0, 64, 48));
        fill(0x0000FF);  // red in the screen's colour order
        ASSERT_EQ(scene.pixel(5, 5), kRed);
    }

    void fill(qint32 screenColor) {
        scene.kest.CallFilmMethod(back, FilmMethod::FillPicture, screenColor);
        scene.kest.CallFilmMethod(back, FilmMethod::PictureWritten);
        scene.kest.ExeQueue();
    }

    void freeze() { scene.kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 0); }

    // Starts a level move of `target` from `from` to `to` over the duration.
    void run(KestLibrary::RedrawFunc function, KestLibrary::FilmId target, int from, int to) {
        scene.kest.SetFilmProp(scene.root, FilmProp::RedrawFunction,
                               scene.kest.GetRedrawFuncs(function));
        scene.kest.SetFilmProp(target, FilmProp::Level, from);
        action = scene.addAction(
            target, {Tok::MoveValue, static_cast<qint32>(FilmProp::Level), to, 1000, Tok::End});
        scene.kest.SetActProp(action, KestLibrary::ActProp::TimeScale, kDuration);
        scene.kest.CallActMethod(action, KestLibrary::ActMethod::Start);
        scene.kest.ExeQueue();
        scene.kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 1);
    }

    // The running transition at its start, half-way and end: the whole frame
    // is one colour each time.
    void expectPhases(QRgb start, QRgb middle, QRgb end) {
        EXPECT_TRUE(OneColour(scene.frame(), start));
        scene.clock.sleep(kDuration / 2);
        EXPECT_FALSE(ended());
        EXPECT_TRUE(OneColour(scene.frame(), middle, 2));
        scene.clock.sleep(kDuration / 2);
        EXPECT_TRUE(ended());
        EXPECT_TRUE(OneColour(scene.frame(), end));
    }

    bool ended() {
        qint32 state = 0;
        return scene.kest.GetActProp(action, KestLibrary::ActProp::State, state) == 0 &&
               state == static_cast<qint32>(KestLibrary::ActState::Ended);
    }

    KestScene scene;
    KestLibrary::FilmId buff = KestLibrary::kNoFilm;
    KestLibrary::FilmId back = KestLibrary::kNoFilm;
    KestLibrary::ActionId action = KestLibrary::kNoAction;
};

}  // namespace

TEST_F(Transition, FadeToBlackDarkensTheShownPicture) {
    freeze();
    scene.kest.SetFilmProp(scene.root, FilmProp::NeutralLevel, 128);
    run(KestLibrary::RedrawFunc::Level, scene.root, 128, 0);
    expectPhases(kRed, qRgb(128, 0, 0), kBlack);
}

TEST_F(Transition, FadeToWhiteBrightensTheShownPicture) {
    freeze();
    scene.kest.SetFilmProp(scene.root, FilmProp::NeutralLevel, 128);
    run(KestLibrary::RedrawFunc::Level, scene.root, 128, 256);
    expectPhases(kRed, qRgb(255, 128, 128), kWhite);
}

TEST_F(Transition, CrossFadeGoesFromTheFrozenFrameToTheNewScene) {
    freeze();
    fill(0xFF0000);  // blue, behind the frozen red
    EXPECT_EQ(scene.pixel(5, 5), kRed);
    run(KestLibrary::RedrawFunc::CrossFade, scene.root, 256, 0);
    expectPhases(kRed, qRgb(128, 0, 127), kBlue);
}

TEST_F(Transition, WithNothingFrozenATransitionStartsFromBlack) {
    fill(0xFF0000);
    run(KestLibrary::RedrawFunc::CrossFade, scene.root, 256, 0);
    expectPhases(kBlack, qRgb(0, 0, 128), kBlue);

    scene.kest.SetFilmProp(buff, FilmProp::VagueWidth, 0);
    run(KestLibrary::RedrawFunc::Rule, buff, 256, 0);
    EXPECT_TRUE(OneColour(scene.frame(), kBlack));
}

TEST_F(Transition, RuleTransitionChangesDarkRulePixelsFirst) {
    // The rule: black on the left to white on the right.
    QImage rule(64, 48, QImage::Format_Grayscale8);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            rule.scanLine(y)[x] = static_cast<uchar>(x * 255 / 63);
        }
    }
    KestDc dc;
    ASSERT_TRUE(scene.kest.GetFilmProp(buff, FilmProp::GroupMaskSurface, dc));
    ASSERT_TRUE(scene.kest.BitBltMask(dc, 0, 0, 64, 48, rule, 0, 0));
    freeze();
    fill(0xFF0000);
    scene.kest.SetFilmProp(buff, FilmProp::VagueWidth, 30);
    run(KestLibrary::RedrawFunc::Rule, buff, 286, 0);
    EXPECT_TRUE(OneColour(scene.frame(), kRed));

    // Level 143: rule values up to 113 show the new scene, from 143 on the old one.
    scene.clock.sleep(kDuration / 2);
    EXPECT_EQ(scene.pixel(20, 5), kBlue);
    EXPECT_EQ(scene.pixel(60, 5), kRed);
    const QRgb edge = scene.pixel(33, 5);  // value 133: a third of the way in
    EXPECT_TRUE(NearColor(edge, qRgb(171, 0, 84), 2));
    EXPECT_TRUE(MatchesGolden(scene.frame(), "rule_middle"));

    scene.clock.sleep(kDuration / 2);
    EXPECT_TRUE(ended());
    EXPECT_TRUE(OneColour(scene.frame(), kBlue));
}

TEST_F(Transition, RuleMaskOfAnotherSizeIsStretchedOverTheScreen) {
    QImage rule(2, 1, QImage::Format_Grayscale8);
    rule.scanLine(0)[0] = 0;
    rule.scanLine(0)[1] = 255;
    scene.kest.SetFilmProp(buff, FilmProp::GroupMaskSize, QSize(2, 1));
    KestDc dc;
    scene.kest.GetFilmProp(buff, FilmProp::GroupMaskSurface, dc);
    ASSERT_TRUE(scene.kest.BitBltMask(dc, 0, 0, 2, 1, rule, 0, 0));
    freeze();
    fill(0xFF0000);
    scene.kest.SetFilmProp(buff, FilmProp::VagueWidth, 0);
    run(KestLibrary::RedrawFunc::Rule, buff, 256, 0);
    scene.clock.sleep(kDuration / 2);
    EXPECT_EQ(scene.pixel(2, 20), kBlue);
    EXPECT_EQ(scene.pixel(61, 20), kRed);
}

TEST_F(Transition, LevelStaysPutWhenTheRootDrawsPlainly) {
    scene.kest.SetFilmProp(scene.root, FilmProp::Level, 0);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(5, 5), kRed);
    scene.kest.SetFilmProp(scene.root, FilmProp::RedrawFunction,
                           scene.kest.GetRedrawFuncs(KestLibrary::RedrawFunc::Level));
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(5, 5), kBlack);
    EXPECT_EQ(scene.kest.GetRedrawFuncs(static_cast<KestLibrary::RedrawFunc>(0x12000077)), 0);
}
