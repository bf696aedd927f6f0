#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/kest/KestLibrary.h"

class ArchiveReader;

// Loads pictures and masks into films of the compositor. In picture-file mode
// pictures are looked up in the image folder first (letter case ignored, names
// never leave the folder); everything else comes from the archives. Each
// picture and mask loaded writes one line to the run-time log. Failures are
// reported by the result; a missing mask becomes a fully opaque one.
class KestPictureLoader {
public:
    using FilmId = KestLibrary::FilmId;

    explicit KestPictureLoader(KestLibrary& kest);

    // The folder of the loose picture files.
    void SetImageFolder(const QString& folder) { mImageFolder = folder; }
    const QString& ImageFolder() const { return mImageFolder; }

    // Names are taken without extension (one given is ignored).
    // A BMP or JPEG file, else an archive picture; then the mask (a file, an
    // archive picture, or fully opaque when neither exists). With resize the
    // film and its surface take the picture's size. False when the picture is
    // unknown or unreadable; nothing is drawn then.
    bool LoadBmp(FilmId film, const QString& picture, const QString& mask, bool resize);
    // A PNG file with its alpha channel as the mask; without a PNG file,
    // LoadBmp with the mask named after the picture followed by "-m".
    bool LoadPng(FilmId film, const QString& picture, bool withMask, bool resize);
    // The transition rule of a group film: PNG file, BMP or JPEG file, archive.
    bool LoadBuffMask(FilmId groupFilm, const QString& name);
    // Any picture file, copied onto the film's surface at (0, 0).
    bool LoadByFullPath(FilmId film, const QString& path);
    // Mode 0 fills the picture with the colour (0x00BBGGRR).
    void LoadLogicalPic(FilmId film, std::int32_t mode, std::int32_t colour);
    // Whether LoadPng with resize would find, decode and accept the picture;
    // touches no film. Lets a caller check before it changes the scene.
    bool Probe(const QString& picture);
    // Whether the picture has a file (picture-file mode) or an archive entry,
    // readable or not; touches no film.
    bool Exists(const QString& picture) const;

    // Whether the compositor takes a picture surface of that size.
    static bool SurfaceSizeAccepted(QSize size);

private:
    // The path of the file name + one of the extensions, in picture-file mode only.
    std::optional<QString> FindImageFile(const QString& name,
                                         std::initializer_list<const char*> extensions) const;
    std::optional<QString> FindPicFile(const QString& name) const;
    std::optional<QString> FindPngFile(const QString& name) const;
    static QImage ReadPicture(const QString& path);
    // The decoded file, or a null image with the "unreadable" log line.
    static QImage ReadLogged(const QString& picture, const QString& path, const char* kind);
    // False, with a log line, for a picture too large for a film's surface.
    static bool SizeAccepted(const QString& picture, QSize size);
    bool ProbeArchive(const QString& picture);
    static ArchiveReader* Archive();
    static std::int32_t ArchiveKey(const QString& name);

    void Resize(FilmId film, QSize size);
    QSize SurfaceSize(FilmId film);
    QImage* PictureSurface(FilmId film);
    QImage* MaskSurface(FilmId film);
    // A plain copy of the picture's colours onto the film's surface at (0, 0).
    void DrawColours(FilmId film, const QImage& picture);
    bool LoadArchivePicture(FilmId film, const QString& picture, std::int32_t id, QSize size);
    void LoadMask(FilmId film, const QString& mask, QSize size);
    void FillOpaqueMask(FilmId film, const QString& name);
    void Finish(FilmId film);

    KestLibrary& mKest;
    QString mImageFolder;
    // Holds decoded BMP and JPEG files on their way into a film.
    QImage mWorkPicture;
};
