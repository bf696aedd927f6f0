#pragma once

#include <QImage>
#include <QSize>
#include <QtGlobal>

// The picture of a playing movie as the sound library shows it. Times are
// milliseconds since the movie started; the owner asks for the frames due at a
// time, so the pictures follow the engine's clock.
class DovMoviePicture {
public:
    virtual ~DovMoviePicture() = default;

    // The size frames are delivered at; an empty size gives the movie's own size.
    virtual void setTarget(QSize size) = 0;
    // Decodes every frame due at `elapsedMs`; true when the newest of them became
    // the current frame.
    virtual bool advanceTo(qint64 elapsedMs) = 0;
    virtual const QImage& currentFrame() const = 0;
    // When the next frame is due, -1 after the last one.
    virtual qint64 nextDueMs() const = 0;
    // True once the last frame has been decoded; then endMs() is when it ends.
    virtual bool pictureEnded() const = 0;
    virtual qint64 endMs() const = 0;
};
