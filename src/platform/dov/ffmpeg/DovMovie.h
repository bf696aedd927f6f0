#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

#include "platform/dov/DovMoviePicture.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// The picture of a movie, decoded frame by frame as its time comes. Frames are
// scaled to fit the target size, keeping their shape, on black.
class DovMovie : public DovMoviePicture {
public:
    // Null, with the reason, when the file has no picture that can be decoded.
    static std::unique_ptr<DovMovie> open(const QString& path, QString& error);
    ~DovMovie() override;
    DovMovie(const DovMovie&) = delete;
    DovMovie& operator=(const DovMovie&) = delete;

    // The size frames are delivered at; an empty size gives the movie's own size.
    void setTarget(QSize size) override { target_ = size; }
    QSize sourceSize() const;

    // Decodes every frame due at `elapsedMs`; true when the newest of them became
    // the current frame.
    bool advanceTo(qint64 elapsedMs) override;
    const QImage& currentFrame() const override { return current_; }
    // When the next frame is due, -1 after the last one.
    qint64 nextDueMs() const override;
    // True once the last frame has been decoded; then endMs() is when it ends.
    bool pictureEnded() const override { return ended_; }
    qint64 endMs() const override { return endMs_; }
    int decodedFrames() const { return decodedFrames_; }

private:
    DovMovie() = default;
    bool openFile(const QString& path, QString& error);
    bool decodeNext();
    bool feedPacket();
    // Milliseconds after the first frame.
    qint64 frameMs(const AVFrame* frame);
    void present(const AVFrame* frame);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    SwsContext* scaler_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* next_ = nullptr;  // decoded, waiting for its time
    AVFrame* due_ = nullptr;   // the newest frame whose time has come
    int stream_ = -1;
    std::int64_t firstPts_ = INT64_MIN;
    qint64 frameDurationMs_ = 0;
    bool haveNext_ = false;
    bool inputEnded_ = false;
    bool ended_ = false;
    qint64 nextMs_ = 0;
    qint64 endMs_ = 0;
    int decodedFrames_ = 0;
    QSize target_;
    QImage current_;
};
