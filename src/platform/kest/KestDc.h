#pragma once

#include <QImage>
#include <QtGlobal>

// A device context of the compositor: names a drawing surface. Film surfaces
// are named by film and kind (the compositor owns their pixels; ask
// KestLibrary::Surface for them); an outside image (the game view's surface,
// set as the root's device context) is named by its address and must outlive
// every use.
class KestDc {
public:
    enum class Kind : quint8 {
        None,       // no surface
        Picture,    // a film's picture surface (ARGB32 premultiplied)
        Mask,       // a film's 8-bit mask (Grayscale8: white opaque, black transparent)
        GroupMask,  // a group film's transition rule (Grayscale8: dark changes first)
        Image,      // an outside image
    };

    KestDc() = default;
    static KestDc ofFilm(qint32 film, Kind kind) { return KestDc(kind, film, nullptr); }
    static KestDc ofImage(QImage& image) { return KestDc(Kind::Image, -1, &image); }

    Kind kind() const { return kind_; }
    qint32 film() const { return film_; }
    QImage* image() const { return image_; }
    bool isNull() const { return kind_ == Kind::None; }

    bool operator==(const KestDc&) const = default;

private:
    KestDc(Kind kind, qint32 film, QImage* image) : kind_(kind), film_(film), image_(image) {}

    Kind kind_ = Kind::None;
    qint32 film_ = -1;
    QImage* image_ = nullptr;
};
