#include "screen/KestPictureLoader.h"

#include <QPainter>

#include "base/AppState.h"
#include "base/ArchiveReader.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"
#include "platform/quarn/QuarnDecoder.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;

QString Quoted(const QString& name) {
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

// Pictures are named without their extension; layout values sometimes carry
// one ("btn.png"), which would otherwise be looked up as "btn.png.png".
QString PictureName(const QString& name) {
    for (const QLatin1String extension :
         {QLatin1String(".png"), QLatin1String(".bmp"), QLatin1String(".jpg")}) {
        if (name.endsWith(extension, Qt::CaseInsensitive)) {
            return name.chopped(extension.size());
        }
    }
    return name;
}

}  // namespace

KestPictureLoader::KestPictureLoader(KestLibrary& kest) : mKest(kest) {}

bool KestPictureLoader::LoadBmp(FilmId film, const QString& pictureName, const QString& maskName,
                                bool resize) {
    const QString picture = PictureName(pictureName);
    const QString mask = PictureName(maskName);
    if (film == KestLibrary::kNoFilm) {
        return false;
    }
    mKest.ExeQueue();
    QSize size = SurfaceSize(film);
    if (!picture.isEmpty()) {
        std::int32_t id = -1;
        if (const auto path = FindPicFile(picture)) {
            mWorkPicture = ReadLogged(picture, *path, "bmp");
            if (mWorkPicture.isNull()) {
                return false;
            }
            size = mWorkPicture.size();
        } else {
            id = ArchiveKey(picture);
            int width = 0;
            int height = 0;
            if (id == -1 || !Archive()->GetGraphicSize(id, width, height)) {
                return false;
            }
            size = QSize(width, height);
        }
        if (resize) {
            if (!SizeAccepted(picture, size)) {
                return false;
            }
            Resize(film, size);
        }
        if (id == -1) {
            DrawColours(film, mWorkPicture);
            App().PutLog(QStringLiteral("kest loadpicture ") + Quoted(picture) +
                         QStringLiteral(" from bmp file"));
        } else if (!LoadArchivePicture(film, picture, id, size)) {
            return false;
        }
    }
    if (!mask.isEmpty()) {
        LoadMask(film, mask, size);
    }
    Finish(film);
    return true;
}

bool KestPictureLoader::LoadPng(FilmId film, const QString& pictureName, bool withMask,
                                bool resize) {
    const QString picture = PictureName(pictureName);
    if (film == KestLibrary::kNoFilm || picture.isEmpty()) {
        return false;
    }
    mKest.ExeQueue();
    const auto path = FindPngFile(picture);
    if (!path) {
        return LoadBmp(film, picture, withMask ? picture + QStringLiteral("-m") : QString(),
                       resize);
    }
    const QImage image = ReadLogged(picture, *path, "png");
    if (image.isNull() || (resize && !SizeAccepted(picture, image.size()))) {
        return false;
    }
    if (resize) {
        Resize(film, image.size());
    }
    DrawColours(film, image);
    App().PutLog(QStringLiteral("kest loadpicture ") + Quoted(picture) +
                 QStringLiteral(" from png file"));
    if (withMask) {
        const QImage alpha = QuarnDecoder::alphaMask(image);
        KestDc maskDc;
        if (!alpha.isNull() && mKest.GetFilmProp(film, FilmProp::MaskSurface, maskDc) &&
            mKest.BitBltMask(maskDc, 0, 0, alpha.width(), alpha.height(), alpha, 0, 0)) {
            App().PutLog(QStringLiteral("kest loadmask ") + Quoted(picture) +
                         QStringLiteral(" from png file"));
        } else {
            FillOpaqueMask(film, picture);
        }
    }
    Finish(film);
    return true;
}

bool KestPictureLoader::LoadBuffMask(FilmId groupFilm, const QString& ruleName) {
    const QString name = PictureName(ruleName);
    KestDc rule;
    if (name.isEmpty() || !mKest.GetFilmProp(groupFilm, FilmProp::GroupMaskSurface, rule)) {
        return false;
    }
    std::optional<QString> path = FindPngFile(name);
    if (!path) {
        path = FindPicFile(name);
    }
    if (path) {
        mWorkPicture = ReadPicture(*path);
        const bool copied =
            !mWorkPicture.isNull() && mKest.BitBltMask(rule, 0, 0, mWorkPicture.width(),
                                                       mWorkPicture.height(), mWorkPicture, 0, 0);
        mWorkPicture = QImage();
        return copied;
    }
    const std::int32_t id = ArchiveKey(name);
    QImage* surface = mKest.Surface(rule);
    return id != -1 && surface != nullptr && !surface->isNull() &&
           Archive()->LoadMask(id, *surface, 0, 0);
}

bool KestPictureLoader::LoadByFullPath(FilmId film, const QString& path) {
    if (film == KestLibrary::kNoFilm) {
        return false;
    }
    mKest.ExeQueue();
    mWorkPicture = ReadPicture(path);
    if (mWorkPicture.isNull()) {
        return false;
    }
    DrawColours(film, mWorkPicture);
    Finish(film);
    return true;
}

void KestPictureLoader::LoadLogicalPic(FilmId film, std::int32_t mode, std::int32_t colour) {
    mKest.ExeQueue();
    if (mode == 0) {
        mKest.CallFilmMethod(film, FilmMethod::FillPicture, colour);
        mKest.CallFilmMethod(film, FilmMethod::PictureWritten);
        mKest.ExeQueue();
    }
    mKest.CallFilmMethod(film, FilmMethod::PictureWritten);
}

bool KestPictureLoader::Probe(const QString& pictureName) {
    const QString picture = PictureName(pictureName);
    if (picture.isEmpty()) {
        return false;
    }
    if (const auto png = FindPngFile(picture)) {
        const QImage image = ReadLogged(picture, *png, "png");
        return !image.isNull() && SizeAccepted(picture, image.size());
    }
    if (const auto file = FindPicFile(picture)) {
        const QImage image = ReadLogged(picture, *file, "bmp");
        return !image.isNull() && SizeAccepted(picture, image.size());
    }
    return ProbeArchive(picture);
}

bool KestPictureLoader::Exists(const QString& pictureName) const {
    const QString picture = PictureName(pictureName);
    return !picture.isEmpty() &&
           (FindPngFile(picture) || FindPicFile(picture) || ArchiveKey(picture) != -1);
}

// The archive picture is decoded once here, so a damaged entry is found before
// anything is drawn.
bool KestPictureLoader::ProbeArchive(const QString& picture) {
    const std::int32_t id = ArchiveKey(picture);
    int width = 0;
    int height = 0;
    if (id == -1 || !Archive()->GetGraphicSize(id, width, height) ||
        !SizeAccepted(picture, QSize(width, height))) {
        return false;
    }
    QImage decoded;
    if (!Archive()->LoadGraphic_Direct(id, decoded)) {
        App().PutLog(QStringLiteral("kest loadpicture ") + Quoted(picture) +
                     QStringLiteral(" unreadable in archive"));
        return false;
    }
    return true;
}

bool KestPictureLoader::SurfaceSizeAccepted(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= KestLibrary::kMaxSurfaceSide &&
           size.height() <= KestLibrary::kMaxSurfaceSide &&
           static_cast<qint64>(size.width()) * size.height() <= KestLibrary::kMaxSurfacePixels;
}

bool KestPictureLoader::SizeAccepted(const QString& picture, QSize size) {
    if (SurfaceSizeAccepted(size)) {
        return true;
    }
    App().PutLog(
        QStringLiteral("kest loadpicture ") + Quoted(picture) +
        QStringLiteral(" refused (%1x%2 is too large)").arg(size.width()).arg(size.height()));
    return false;
}

std::optional<QString> KestPictureLoader::FindImageFile(
    const QString& name, std::initializer_list<const char*> extensions) const {
    if (!App().CGFileMode || mImageFolder.isEmpty()) {
        return std::nullopt;
    }
    if (!GameFolder::isConfined(name)) {
        App().PutLog(QStringLiteral("kest picture name refused (outside the image folder) ") +
                     Quoted(name));
        return std::nullopt;
    }
    const GameFolder folder(mImageFolder);
    for (const char* extension : extensions) {
        const auto found = folder.find(name + QLatin1String(extension));
        if (found && FileIo::isFile(*found)) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<QString> KestPictureLoader::FindPicFile(const QString& name) const {
    return FindImageFile(name, {".bmp", ".jpg"});
}

std::optional<QString> KestPictureLoader::FindPngFile(const QString& name) const {
    return FindImageFile(name, {".png"});
}

QImage KestPictureLoader::ReadPicture(const QString& path) {
    const std::optional<QByteArray> bytes = FileIo::readAll(path);
    return bytes ? QuarnDecoder::decode(*bytes) : QImage();
}

QImage KestPictureLoader::ReadLogged(const QString& picture, const QString& path,
                                     const char* kind) {
    QImage image = ReadPicture(path);
    if (image.isNull()) {
        App().PutLog(QStringLiteral("kest loadpicture ") + Quoted(picture) +
                     QStringLiteral(" unreadable %1 file").arg(QLatin1String(kind)));
    }
    return image;
}

ArchiveReader* KestPictureLoader::Archive() {
    return App().Archives;
}

std::int32_t KestPictureLoader::ArchiveKey(const QString& name) {
    const ArchiveReader* archive = Archive();
    return archive != nullptr ? archive->FileKeyToID(name) : -1;
}

void KestPictureLoader::Resize(FilmId film, QSize size) {
    mKest.SetFilmProp(film, FilmProp::SurfaceSize, size);
    mKest.SetFilmProp(film, FilmProp::Size, size);
    mKest.ExeQueue();
}

QSize KestPictureLoader::SurfaceSize(FilmId film) {
    QSize size;
    mKest.GetFilmProp(film, FilmProp::SurfaceSize, size);
    return size;
}

QImage* KestPictureLoader::PictureSurface(FilmId film) {
    KestDc dc;
    if (!mKest.GetFilmProp(film, FilmProp::PictureSurface, dc)) {
        return nullptr;
    }
    QImage* surface = mKest.Surface(dc);
    return surface != nullptr && !surface->isNull() ? surface : nullptr;
}

QImage* KestPictureLoader::MaskSurface(FilmId film) {
    KestDc dc;
    if (!mKest.GetFilmProp(film, FilmProp::MaskSurface, dc)) {
        return nullptr;
    }
    QImage* surface = mKest.Surface(dc);
    return surface != nullptr && !surface->isNull() ? surface : nullptr;
}

void KestPictureLoader::DrawColours(FilmId film, const QImage& picture) {
    QImage* surface = PictureSurface(film);
    if (surface == nullptr) {
        return;
    }
    QPainter painter(surface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, QuarnDecoder::colours(picture));
}

// The surface handle is the picture surface; a picture of exactly its size is
// written straight into it.
bool KestPictureLoader::LoadArchivePicture(FilmId film, const QString& picture, std::int32_t id,
                                           QSize size) {
    KestDc handle;
    QImage* surface =
        mKest.GetFilmProp(film, FilmProp::SurfaceHandle, handle) ? mKest.Surface(handle) : nullptr;
    if (surface == nullptr || surface->isNull()) {
        return false;
    }
    if (surface->size() == size) {
        if (!Archive()->LoadGraphic_Direct(id, *surface)) {
            return false;
        }
        App().PutLog(QStringLiteral("kest loadpicture fast ") + Quoted(picture) +
                     QStringLiteral(" from archive"));
        return true;
    }
    if (!Archive()->LoadGraphic(id, *surface, 0, 0)) {
        return false;
    }
    App().PutLog(QStringLiteral("kest loadpicture slow ") + Quoted(picture) +
                 QStringLiteral(" from archive"));
    return true;
}

void KestPictureLoader::LoadMask(FilmId film, const QString& mask, QSize size) {
    if (const auto path = FindPicFile(mask)) {
        mWorkPicture = ReadPicture(*path);
        KestDc maskDc;
        if (!mWorkPicture.isNull() && mKest.GetFilmProp(film, FilmProp::MaskSurface, maskDc) &&
            mKest.BitBltMask(maskDc, 0, 0, size.width(), size.height(), mWorkPicture, 0, 0)) {
            App().PutLog(QStringLiteral("kest loadmask ") + Quoted(mask) +
                         QStringLiteral(" from bmp file"));
            return;
        }
        FillOpaqueMask(film, mask);
        return;
    }
    const std::int32_t id = ArchiveKey(mask);
    QImage* surface = id == -1 ? nullptr : MaskSurface(film);
    if (surface != nullptr && Archive()->LoadMask(id, *surface, 0, 0)) {
        App().PutLog(QStringLiteral("kest loadmask slow ") + Quoted(mask) +
                     QStringLiteral(" from archive"));
        return;
    }
    FillOpaqueMask(film, mask);
}

void KestPictureLoader::FillOpaqueMask(FilmId film, const QString& name) {
    mKest.CallFilmMethod(film, FilmMethod::FillMask, 255);
    App().PutLog(QStringLiteral("kest pat alphachannel ") + Quoted(name));
}

void KestPictureLoader::Finish(FilmId film) {
    mKest.CallFilmMethod(film, FilmMethod::PictureWritten);
    mKest.ExeQueue();
}
