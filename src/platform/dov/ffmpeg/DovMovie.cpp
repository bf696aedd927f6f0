#include "platform/dov/ffmpeg/DovMovie.h"

#include "platform/dov/ffmpeg/DovDecoder.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

// Frame duration when the file gives no frame rate: 25 frames a second.
constexpr qint64 kDefaultFrameMs = 40;

QString describe(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

}  // namespace

std::unique_ptr<DovMovie> DovMovie::open(const QString& path, QString& error) {
    std::unique_ptr<DovMovie> movie(new DovMovie);
    if (!movie->openFile(path, error)) {
        return nullptr;
    }
    return movie;
}

DovMovie::~DovMovie() {
    sws_freeContext(scaler_);
    av_frame_free(&due_);
    av_frame_free(&next_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
}

bool DovMovie::openFile(const QString& path, QString& error) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const QByteArray url = path.toUtf8();
    const int opened = avformat_open_input(&format_, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) {
        error = QStringLiteral("cannot open (") + describe(opened) + QLatin1Char(')');
        return false;
    }
    if (avformat_find_stream_info(format_, nullptr) < 0) {
        error = QStringLiteral("unreadable streams");
        return false;
    }
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream_ < 0 || codec == nullptr) {
        error = QStringLiteral("no playable picture");
        return false;
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (static_cast<int>(i) != stream_) {
            format_->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    AVStream* stream = format_->streams[stream_];
    codec_ = avcodec_alloc_context3(codec);
    if (codec_ == nullptr || avcodec_parameters_to_context(codec_, stream->codecpar) < 0) {
        error = QStringLiteral("out of memory");
        return false;
    }
    codec_->pkt_timebase = stream->time_base;
    const int result = avcodec_open2(codec_, codec, nullptr);
    if (result < 0) {
        error = QStringLiteral("cannot decode (") + describe(result) + QLatin1Char(')');
        return false;
    }
    const AVRational rate = av_guess_frame_rate(format_, stream, nullptr);
    frameDurationMs_ = rate.num > 0 && rate.den > 0
                           ? std::max<qint64>(1, av_rescale(1000, rate.den, rate.num))
                           : kDefaultFrameMs;
    packet_ = av_packet_alloc();
    next_ = av_frame_alloc();
    due_ = av_frame_alloc();
    if (packet_ == nullptr || next_ == nullptr || due_ == nullptr) {
        error = QStringLiteral("out of memory");
        return false;
    }
    return true;
}

QSize DovMovie::sourceSize() const {
    return QSize(codec_->width, codec_->height);
}

qint64 DovMovie::nextDueMs() const {
    return haveNext_ ? nextMs_ : -1;
}

bool DovMovie::advanceTo(qint64 elapsedMs) {
    bool haveDue = false;
    qint64 dueMs = 0;
    for (;;) {
        if (!haveNext_ && !ended_ && !decodeNext()) {
            ended_ = true;
            endMs_ = decodedFrames_ == 0 ? 0 : std::max(endMs_, nextMs_ + frameDurationMs_);
        }
        if (!haveNext_ || nextMs_ > elapsedMs) {
            break;
        }
        av_frame_unref(due_);
        av_frame_move_ref(due_, next_);
        haveNext_ = false;
        haveDue = true;
        dueMs = nextMs_;
    }
    if (haveDue) {
        present(due_);
        endMs_ = std::max(endMs_, dueMs + frameDurationMs_);
    }
    return haveDue;
}

bool DovMovie::decodeNext() {
    for (;;) {
        const int result = avcodec_receive_frame(codec_, next_);
        if (result == 0) {
            ++decodedFrames_;
            nextMs_ = frameMs(next_);
            haveNext_ = true;
            return true;
        }
        if (result != AVERROR(EAGAIN) || inputEnded_) {
            return false;
        }
        feedPacket();
    }
}

// A damaged packet is dropped; the next one is tried on the next call.
bool DovMovie::feedPacket() {
    return DovDecoder::FeedPacket(format_, codec_, packet_, stream_, inputEnded_) ==
           DovDecoder::PacketResult::Sent;
}

qint64 DovMovie::frameMs(const AVFrame* frame) {
    const std::int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
        return decodedFrames_ <= 1 ? 0 : nextMs_ + frameDurationMs_;
    }
    if (firstPts_ == INT64_MIN) {
        firstPts_ = pts;
    }
    const AVRational timeBase = format_->streams[stream_]->time_base;
    return std::max<qint64>(0, av_rescale_q(pts - firstPts_, timeBase, AVRational{1, 1000}));
}

void DovMovie::present(const AVFrame* frame) {
    if (frame->width <= 0 || frame->height <= 0) {
        return;
    }
    QSize display(frame->width, frame->height);
    const AVRational aspect = frame->sample_aspect_ratio;
    if (aspect.num > 0 && aspect.den > 0) {
        display.setWidth(static_cast<int>(av_rescale(frame->width, aspect.num, aspect.den)));
    }
    const QSize target = target_.isEmpty() ? display : target_;
    const QSize fitted = display.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    scaler_ = sws_getCachedContext(
        scaler_, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
        fitted.width(), fitted.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (scaler_ == nullptr) {
        return;
    }
    if (current_.size() != target) {
        current_ = QImage(target, QImage::Format_RGB32);
    }
    current_.fill(Qt::black);
    const int left = (target.width() - fitted.width()) / 2;
    const int top = (target.height() - fitted.height()) / 2;
    std::uint8_t* planes[4] = {current_.bits() + top * current_.bytesPerLine() + left * 4, nullptr,
                               nullptr, nullptr};
    const int strides[4] = {static_cast<int>(current_.bytesPerLine()), 0, 0, 0};
    sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, strides);
}
