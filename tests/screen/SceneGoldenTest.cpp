#include <QPainter>
#include <QPainterPath>
#include <map>

#include "GoldenImage.h"
#include "KestDriverFixture.h"
#include "data/clsSaveData.h"
#include "screen/BackgroundStage.h"

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
// Sepia as the screen takes colours (0x00BBGGRR).
constexpr std::int32_t kSepia = 0x3070A0;
constexpr std::int32_t kCentre = BackgroundStage::kCentre;

QImage transparent(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// A sky-to-meadow background with a sun, so that a shifted picture shows.
QImage meadow() {
    QImage image(kScreenWidth, kScreenHeight, QImage::Format_ARGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(70, 130, 220));
    sky.setColorAt(1, QColor(190, 220, 250));
    painter.fillRect(0, 0, kScreenWidth, 300, sky);
    painter.fillRect(0, 300, kScreenWidth, 180, QColor(90, 160, 70));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 230, 120));
    painter.drawEllipse(QPoint(520, 80), 40, 40);
    return image;
}

// A standing figure: head, body and a band of colour, on a transparent ground.
QImage figure(QColor body, QColor band) {
    QImage image = transparent(160, 360);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 220, 190));
    painter.drawEllipse(QRect(45, 10, 70, 80));
    QPainterPath dress;
    dress.moveTo(80, 90);
    dress.lineTo(150, 360);
    dress.lineTo(10, 360);
    dress.closeSubpath();
    painter.setBrush(body);
    painter.drawPath(dress);
    painter.fillRect(30, 200, 100, 24, band);
    return image;
}

// Two rows: row 0 empty, row 1 a name tag.
QImage namePlate() {
    QImage image = transparent(140, 64);
    QPainter painter(&image);
    painter.setPen(QColor(255, 255, 255));
    painter.setBrush(QColor(200, 80, 120));
    painter.drawRoundedRect(QRect(2, 34, 135, 28), 8, 8);
    return image;
}

QImage face() {
    QImage image(96, 96, QImage::Format_ARGB32);
    image.fill(QColor(60, 60, 90));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 220, 190));
    painter.drawEllipse(QRect(14, 10, 68, 80));
    painter.setBrush(QColor(40, 40, 40));
    painter.drawEllipse(QRect(32, 40, 8, 10));
    painter.drawEllipse(QRect(56, 40, 8, 10));
    return image;
}

// Four 16 x 16 cells side by side, each a triangle of another shade.
QImage cursor() {
    QImage image = transparent(64, 16);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    for (int cell = 0; cell < 4; ++cell) {
        painter.setBrush(QColor(255, 255, 80 + cell * 50));
        const QPolygon triangle{QPoint(cell * 16 + 2, 3), QPoint(cell * 16 + 14, 3),
                                QPoint(cell * 16 + 8, 13)};
        painter.drawPolygon(triangle);
    }
    return image;
}

QImage windowFrame() {
    QImage image = transparent(620, 130);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(230, 230, 255), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRect(2, 2, 615, 125), 10, 10);
    return image;
}

}  // namespace

// Whole scenes at the usual 640 x 480, described only through the driver's
// operations, compared with golden pictures and carried through a save into
// a fresh driver.
class SceneGoldenTest : public KestDriverFixture {
protected:
    void SetUp() override {
        KestDriverFixture::SetUp();
        picture(QStringLiteral("bg_meadow.png"), meadow(), "PNG");
        picture(QStringLiteral("st_aki.png"), figure(QColor(200, 60, 60), Qt::white), "PNG");
        picture(QStringLiteral("st_mio.png"), figure(QColor(60, 90, 200), Qt::yellow), "PNG");
        picture(QStringLiteral("st_ren.png"), figure(QColor(60, 160, 90), Qt::black), "PNG");
        picture(QStringLiteral("wnd_back.png"), filled(640, 150, QColor(20, 20, 60)), "PNG");
        picture(QStringLiteral("wnd_frame.png"), windowFrame(), "PNG");
        picture(QStringLiteral("nameplate.png"), namePlate(), "PNG");
        picture(QStringLiteral("face_aki.png"), face(), "PNG");
        picture(QStringLiteral("cursor.png"), cursor(), "PNG");
        picture(QStringLiteral("novel_back.png"), filled(640, 480, Qt::black), "PNG");
        gamemode.SetText(QStringLiteral(
            "[WindowMode]\r\nBack=wnd_back.png,0,330\r\nFrame=wnd_frame.png,10,340\r\n"
            "Nameplate=nameplate.png,24,300,140,32\r\nFace=,24,362\r\n"
            "Text=,136,360,480,100\r\nTextShadow=,138,362,480,100\r\n"
            "WaitCursor=cursor.png,596,446,16,16,100\r\n"
            "[NovelMode]\r\nBack=novel_back.png,0,0\r\nText=,40,40,560,400\r\n"
            "TextShadow=,42,42,560,400\r\nWaitCursor=cursor.png,604,0,16,16,100\r\n"
            "WaitCursorOffset=6\r\n"));
        config[QStringLiteral("WndAlpha")] = QStringLiteral("192");
        config[QStringLiteral("NovelAlpha")] = QStringLiteral("160");
        config[QStringLiteral("TextShadow")] = QStringLiteral("True");
        driver.reset();
        freshDriver();
    }

    void freshDriver() {
        driver.reset();
        rects.Clear();
        driver = std::make_unique<clsKestDriver>(rects);
        ASSERT_TRUE(driver->Init(QSize(kScreenWidth, kScreenHeight), &gamemode));
        TextWindow::Hooks hooks;
        hooks.ConfigValue = [this](const QString& key) { return config[key]; };
        driver->SetTextWindowHooks(std::move(hooks));
    }

    // Markup as a scenario line gives it, converted for the window.
    QString codes(const QString& markup, std::int32_t set) {
        QString continuation;
        QString voice;
        bool wait = false;
        return driver->ConvertMessageText(markup, continuation, wait, voice, set);
    }

    // What the game mode does at a click wait: window shown, screen released,
    // cursor shown.
    QImage atClickWait() {
        driver->SetTextVisible(true);
        driver->DrawActivate(clsKestDriver::kEffectNone, 0);
        driver->SetCursorVisible(true);
        kest().WaitBlt();
        return kest().PresentedFrame().convertToFormat(QImage::Format_ARGB32);
    }

    // Saves, builds a fresh driver, loads and returns the frame at the click wait.
    QImage afterRoundTrip(QString* savedStatus) {
        clsSaveData saved;
        driver->SaveStatus(saved);
        *savedStatus = saved.KestStatus().Text();
        freshDriver();
        driver->LoadStatus(saved);
        clsSaveData again;
        driver->SaveStatus(again);
        EXPECT_EQ(*savedStatus, again.KestStatus().Text());
        return atClickWait();
    }

    std::map<QString, QString> config;
};

TEST_F(SceneGoldenTest, WindowModeSceneMatchesAndSurvivesASave) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    driver->BGCenter(QStringLiteral("bg_meadow.png"), kCentre, kCentre, 0, true);
    driver->CGChange(QStringLiteral("st_mio.png"), 200, 250, -1, -1, 0);
    driver->CGChange(QStringLiteral("st_aki.png"), 320, 240, -1, -1, 0);
    driver->CharBlendColor(kSepia);
    driver->CGChange(QStringLiteral("st_ren.png"), 450, 250, -1, -1, 0);
    driver->CharBlendColor(0);
    driver->FaceChange(QStringLiteral("face_aki.png"));
    const QString page =
        codes(QStringLiteral("\\np(1)「今日は\\color(&H00FFFF)いい天気\\color(&HFFFFFF)"
                             "だね。」\\n散歩に行こうか。"),
              clsKestDriver::kFilmSetWindow);
    driver->TextStart(page, false);

    const QImage frame = atClickWait();
    EXPECT_TRUE(
        MatchesGoldenImage(frame, QStringLiteral("screen"), QStringLiteral("window_scene"), 2));
    // The tinted dress is its green (60, 160, 90) multiplied by the sepia.
    EXPECT_TRUE(NearColor(frame.pixel(450, 200),
                          qRgb(60 * 0xA0 / 255, 160 * 0x70 / 255, 90 * 0x30 / 255), 2));

    QString status;
    const QImage loaded = afterRoundTrip(&status);
    EXPECT_TRUE(status.contains(QStringLiteral("st_ren.png,450,250,-1,-1,0,0,256,") +
                                QString::number(kSepia)))
        << status.toStdString();
    EXPECT_EQ(0, DifferingPixels(frame, loaded));
    EXPECT_TRUE(
        MatchesGoldenImage(loaded, QStringLiteral("screen"), QStringLiteral("window_scene"), 2));
}

TEST_F(SceneGoldenTest, NovelPageMatchesAndSurvivesASave) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetNovel);
    driver->BGCenter(QStringLiteral("bg_meadow.png"), kCentre, kCentre, 0, true);
    driver->CGChange(QStringLiteral("st_aki.png"), 320, 240, -1, -1, 0);
    driver->TextStart(codes(QStringLiteral("　春の風が吹いていた。\\n　丘の上から町が見える。"),
                            clsKestDriver::kFilmSetNovel),
                      false);
    driver->TextStart(
        codes(QStringLiteral("\\n\\n　\\color(&H80C0FF)あの日\\color(&HFFFFFF)の約束を、"
                             "私はまだ覚えている。"),
              clsKestDriver::kFilmSetNovel),
        false);

    const QImage frame = atClickWait();
    EXPECT_TRUE(
        MatchesGoldenImage(frame, QStringLiteral("screen"), QStringLiteral("novel_page"), 2));

    QString status;
    const QImage loaded = afterRoundTrip(&status);
    EXPECT_TRUE(status.contains(QStringLiteral("BaseFilmSet=3"))) << status.toStdString();
    EXPECT_EQ(0, DifferingPixels(frame, loaded));
}
