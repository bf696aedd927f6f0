#include <gtest/gtest.h>

#include "KestScene.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <cstdlib>

KestScene::KestScene(QSize screen)
    : kest(clock, [this](const QString& line) { log.append(line); }) {
    kest.SetKestSetting(KestLibrary::KestSetting::FrameRate, 30);
    kest.InitializeKest();
    root = kest.AddFilm(KestLibrary::FilmKind::Root);
    kest.SetFilmProp(root, FilmProp::SurfaceSize, screen);
    kest.SetFilmProp(root, FilmProp::Size, screen);
    kest.SetFilmProp(root, FilmProp::Position, QPoint(0, 0));
    kest.ExeQueue();
}

KestScene::FilmId KestScene::addFilm(KestLibrary::FilmKind kind, FilmId parent, QRect rect) {
    const FilmId film = kest.AddFilm(kind);
    kest.SetFilmProp(film, FilmProp::Parent, parent);
    kest.SetFilmProp(film, FilmProp::Position, rect.topLeft());
    kest.SetFilmProp(film, FilmProp::SurfaceSize, rect.size());
    kest.SetFilmProp(film, FilmProp::Size, rect.size());
    kest.ExeQueue();
    return film;
}

KestScene::FilmId KestScene::addPicture(FilmId parent, QRect rect, QColor color) {
    const FilmId film = addFilm(KestLibrary::FilmKind::Picture, parent, rect);
    QImage picture(rect.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(color);
    drawInto(film, picture);
    return film;
}

void KestScene::drawInto(FilmId film, const QImage& image) {
    KestDc dc;
    kest.GetFilmProp(film, FilmProp::PictureSurface, dc);
    QImage* surface = kest.Surface(dc);
    QPainter painter(surface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
    painter.end();
    kest.CallFilmMethod(film, FilmMethod::PictureWritten);
    kest.ExeQueue();
}

KestLibrary::ActionId KestScene::addAction(FilmId target, const std::vector<qint32>& tokens) {
    const KestLibrary::ActionId action = kest.AddAction();
    kest.CallActMethod(action, KestLibrary::ActMethod::Clear);
    for (const qint32 token : tokens) {
        kest.CallActMethod(action, KestLibrary::ActMethod::Append, token);
    }
    kest.SetActProp(action, KestLibrary::ActProp::Position, 0);
    kest.SetActProp(action, KestLibrary::ActProp::Target, target);
    kest.SetActProp(action, KestLibrary::ActProp::TimeScale, 1000);
    kest.ExeQueue();
    return action;
}

QImage KestScene::frame() {
    kest.WaitBlt();
    return kest.PresentedFrame().convertToFormat(QImage::Format_ARGB32);
}

QRgb KestScene::pixel(int x, int y) {
    kest.WaitBlt();
    return kest.PresentedFrame().pixel(x, y);
}

bool KestScene::logged(const QString& part) const {
    for (const QString& line : log) {
        if (line.contains(part)) {
            return true;
        }
    }
    return false;
}

::testing::AssertionResult MatchesGolden(const QImage& actual, const QString& name, int tolerance) {
    return MatchesGoldenImage(actual, QStringLiteral("kest"), name, tolerance);
}
