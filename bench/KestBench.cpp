// Compositor frames: a full scene, transition frames and the command queue.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <memory>
#include <random>

#include "platform/kest/KestLibrary.h"
#include "platform/os/VirtualClock.h"

namespace {

using FilmKind = KestLibrary::FilmKind;
using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;

// Text drawing needs a GUI application; benchmarks run without one.
void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "varo_bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
}

QImage noisePicture(QSize size, quint32 seed) {
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    std::mt19937 random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            line[x] = 0xFF000000u | (random() & 0xFFFFFFu);
        }
    }
    return picture;
}

// A character: an ellipse of colour with a soft edge in its mask.
QImage characterMask(QSize size) {
    QImage mask(size, QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(QPoint(), size).adjusted(4, 4, -4, -4));
    return mask;
}

// The scene of a message screen: background, twenty characters each a third of
// the screen wide and as tall as it, window back and frame, three lines of text.
struct Scene {
    explicit Scene(QSize screen) : size(screen), kest(clock, [](const QString&) {}) {
        ensureGuiApplication();
        kest.InitializeKest();
        kest.SetAutoFrames(false);
        root = kest.AddFilm(FilmKind::Root);
        kest.SetFilmProp(root, FilmProp::Size, screen);
        buff = group(root, QRect(QPoint(), screen));
        kest.SetFilmProp(buff, FilmProp::GroupMaskSize, screen);
        back = group(buff, QRect(QPoint(), screen));
        draw(back, noisePicture(screen, 1), QImage());
        const QSize body(screen.width() / 3, screen.height());
        const QImage bodyMask = characterMask(body);
        for (int i = 0; i < 20; ++i) {
            const int x = (screen.width() - body.width()) * i / 19;
            characters.push_back(picture(buff, QRect(QPoint(x, 0), body)));
            QImage colours(body, QImage::Format_ARGB32_Premultiplied);
            colours.fill(QColor::fromHsv(i * 18, 200, 230));
            draw(characters.back(), colours, bodyMask);
        }
        const QRect window(0, screen.height() * 3 / 4, screen.width(), screen.height() / 4);
        const auto windowBack = picture(buff, window);
        draw(windowBack, noisePicture(window.size(), 2), QImage());
        kest.SetFilmProp(windowBack, FilmProp::Opacity, 180);
        const auto frame = picture(buff, window);
        draw(frame, noisePicture(window.size(), 3), characterMask(window.size()));
        text = kest.AddFilm(FilmKind::Text);
        kest.SetFilmProp(text, FilmProp::Parent, buff);
        kest.SetFilmProp(text, FilmProp::Position, window.topLeft() + QPoint(16, 16));
        kest.SetFilmProp(text, FilmProp::Size, window.size() - QSize(32, 32));
        const QString line =
            QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
        kest.SetFilmProp(text, FilmProp::TextAppend,
                         line + QLatin1Char('\n') + line + QLatin1Char('\n') + line);
        qint32 length = 0;
        kest.GetFilmProp(text, FilmProp::TextLength, length);
        kest.SetFilmProp(text, FilmProp::TextShown, length);
        kest.WaitBlt();
    }

    KestLibrary::FilmId group(KestLibrary::FilmId parent, QRect rect) {
        return film(FilmKind::Group, parent, rect);
    }
    KestLibrary::FilmId picture(KestLibrary::FilmId parent, QRect rect) {
        return film(FilmKind::Picture, parent, rect);
    }
    KestLibrary::FilmId film(FilmKind kind, KestLibrary::FilmId parent, QRect rect) {
        const auto id = kest.AddFilm(kind);
        kest.SetFilmProp(id, FilmProp::Parent, parent);
        kest.SetFilmProp(id, FilmProp::Position, rect.topLeft());
        kest.SetFilmProp(id, FilmProp::SurfaceSize, rect.size());
        kest.SetFilmProp(id, FilmProp::Size, rect.size());
        kest.ExeQueue();
        return id;
    }
    void draw(KestLibrary::FilmId id, const QImage& colours, const QImage& mask) {
        KestDc dc;
        kest.GetFilmProp(id, FilmProp::PictureSurface, dc);
        QPainter(kest.Surface(dc)).drawImage(0, 0, colours);
        if (!mask.isNull()) {
            kest.GetFilmProp(id, FilmProp::MaskSurface, dc);
            kest.BitBltMask(dc, 0, 0, mask.width(), mask.height(), mask, 0, 0);
        }
        kest.CallFilmMethod(id, FilmMethod::PictureWritten);
        kest.ExeQueue();
    }

    // Freezes the scene, changes the background behind the frozen frame and starts
    // drawing the root with `function`.
    void startTransition(KestLibrary::RedrawFunc function) {
        kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 0);
        kest.CallFilmMethod(back, FilmMethod::FillPicture, 0x402010);
        kest.SetFilmProp(root, FilmProp::RedrawFunction, kest.GetRedrawFuncs(function));
        kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 1);
    }

    QSize size;
    VirtualClock clock;
    KestLibrary kest;
    KestLibrary::FilmId root = KestLibrary::kNoFilm;
    KestLibrary::FilmId buff = KestLibrary::kNoFilm;
    KestLibrary::FilmId back = KestLibrary::kNoFilm;
    KestLibrary::FilmId text = KestLibrary::kNoFilm;
    std::vector<KestLibrary::FilmId> characters;
};

QSize screenOf(const benchmark::State& state) {
    return QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
}

void BM_KestFullSceneFrame(benchmark::State& state) {
    Scene scene(screenOf(state));
    int step = 0;
    for (auto _ : state) {
        // One character moves a pixel, so the whole frame is composed again.
        scene.kest.SetFilmProp(scene.characters[10], FilmProp::Y, ++step % 2);
        scene.kest.WaitBlt();
    }
    benchmark::DoNotOptimize(scene.kest.PresentedFrame().constBits());
}
BENCHMARK(BM_KestFullSceneFrame)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Unit(benchmark::kMillisecond);

void BM_KestCrossFadeFrame(benchmark::State& state) {
    Scene scene(screenOf(state));
    scene.startTransition(KestLibrary::RedrawFunc::CrossFade);
    int step = 0;
    for (auto _ : state) {
        scene.kest.SetFilmProp(scene.root, FilmProp::Level, 100 + ++step % 50);
        scene.kest.WaitBlt();
    }
    benchmark::DoNotOptimize(scene.kest.PresentedFrame().constBits());
}
BENCHMARK(BM_KestCrossFadeFrame)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Unit(benchmark::kMillisecond);

void BM_KestRuleFrame(benchmark::State& state) {
    Scene scene(screenOf(state));
    const QSize size = screenOf(state);
    QImage rule(size, QImage::Format_Grayscale8);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            rule.scanLine(y)[x] =
                static_cast<uchar>((x + y) * 255 / (size.width() + size.height()));
        }
    }
    KestDc dc;
    scene.kest.GetFilmProp(scene.buff, FilmProp::GroupMaskSurface, dc);
    scene.kest.BitBltMask(dc, 0, 0, size.width(), size.height(), rule, 0, 0);
    scene.kest.SetFilmProp(scene.buff, FilmProp::VagueWidth, 30);
    scene.startTransition(KestLibrary::RedrawFunc::Rule);
    int step = 0;
    for (auto _ : state) {
        scene.kest.SetFilmProp(scene.buff, FilmProp::Level, 120 + ++step % 50);
        scene.kest.WaitBlt();
    }
    benchmark::DoNotOptimize(scene.kest.PresentedFrame().constBits());
}
BENCHMARK(BM_KestRuleFrame)->Args({640, 480})->Args({1280, 720})->Unit(benchmark::kMillisecond);

void BM_KestExeQueueThousandChanges(benchmark::State& state) {
    Scene scene(QSize(640, 480));
    int step = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            scene.kest.SetFilmProp(scene.characters[static_cast<size_t>(i % 20)], FilmProp::X,
                                   (step + i) % 400);
        }
        scene.kest.ExeQueue();
        ++step;
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_KestExeQueueThousandChanges)->Unit(benchmark::kMicrosecond);

}  // namespace
