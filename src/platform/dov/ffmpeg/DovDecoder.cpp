#include "platform/dov/ffmpeg/DovDecoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

namespace {

constexpr int kIoBufferSize = 32 * 1024;
// Containers a sound may come in. Playlists and other formats that open further
// files are left out: a sound is exactly the bytes given.
constexpr const char* kSoundFormats =
    "ogg,wav,mp3,flac,aiff,caf,w64,matroska,webm,mov,mp4,m4a,3gp,3g2,mj2";
// A decoder error is skipped like a damaged packet, but a stream that yields
// nothing but errors ends.
constexpr int kMaxBadPacketsInARow = 64;

QString describe(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

}  // namespace

std::unique_ptr<DovDecoder> DovDecoder::fromMemory(const QByteArray& bytes, QString& error) {
    std::unique_ptr<DovDecoder> decoder(new DovDecoder);
    decoder->bytes_ = bytes;
    decoder->fromMemory_ = true;
    if (!decoder->open(error)) {
        return nullptr;
    }
    if (decoder->lengthFrames_ < 0) {
        decoder->lengthFrames_ = decoder->measureLength();
    }
    return decoder;
}

std::unique_ptr<DovDecoder> DovDecoder::fromFile(const QString& path, QString& error) {
    std::unique_ptr<DovDecoder> decoder(new DovDecoder);
    decoder->path_ = path;
    if (!decoder->open(error)) {
        return nullptr;
    }
    return decoder;
}

DovDecoder::~DovDecoder() {
    close();
}

int DovDecoder::readMemory(void* opaque, std::uint8_t* buffer, int size) {
    auto* self = static_cast<DovDecoder*>(opaque);
    const qint64 left = self->bytes_.size() - self->readPosition_;
    if (left <= 0 || size <= 0) {
        return AVERROR_EOF;
    }
    const int count = static_cast<int>(std::min<qint64>(left, size));
    std::memcpy(buffer, self->bytes_.constData() + self->readPosition_, count);
    self->readPosition_ += count;
    return count;
}

std::int64_t DovDecoder::seekMemory(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<DovDecoder*>(opaque);
    const qint64 size = self->bytes_.size();
    if ((whence & AVSEEK_SIZE) != 0) {
        return size;
    }
    qint64 target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = self->readPosition_ + offset;
            break;
        case SEEK_END:
            target = size + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0 || target > size) {
        return AVERROR(EINVAL);
    }
    self->readPosition_ = target;
    return target;
}

bool DovDecoder::open(QString& error) {
    if (!openInput(error) || !openCodec(error)) {
        close();
        return false;
    }
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (packet_ == nullptr || frame_ == nullptr) {
        error = QStringLiteral("out of memory");
        close();
        return false;
    }
    lengthFrames_ = containerLength();
    return true;
}

bool DovDecoder::openInput(QString& error) {
    format_ = avformat_alloc_context();
    if (format_ == nullptr) {
        error = QStringLiteral("out of memory");
        return false;
    }
    AVDictionary* options = nullptr;
    QByteArray url;
    if (fromMemory_) {
        readPosition_ = 0;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
        io_ = buffer == nullptr ? nullptr
                                : avio_alloc_context(buffer, kIoBufferSize, 0, this, &readMemory,
                                                     nullptr, &seekMemory);
        if (io_ == nullptr) {
            av_free(buffer);
            error = QStringLiteral("out of memory");
            return false;
        }
        format_->pb = io_;
        format_->flags |= AVFMT_FLAG_CUSTOM_IO;
        av_dict_set(&options, "format_whitelist", kSoundFormats, 0);
        av_dict_set(&options, "protocol_whitelist", "none", 0);
    } else {
        url = path_.toUtf8();
        av_dict_set(&options, "protocol_whitelist", "file", 0);
    }
    // On failure avformat_open_input frees the context and clears the pointer.
    const int result =
        avformat_open_input(&format_, fromMemory_ ? nullptr : url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0) {
        error = QStringLiteral("not a sound (") + describe(result) + QLatin1Char(')');
        return false;
    }
    const int info = avformat_find_stream_info(format_, nullptr);
    if (info < 0) {
        error = QStringLiteral("unreadable stream (") + describe(info) + QLatin1Char(')');
        return false;
    }
    exactLength_ = std::strcmp(format_->iformat->name, "ogg") == 0;
    return true;
}

bool DovDecoder::openCodec(QString& error) {
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0 || codec == nullptr) {
        error = QStringLiteral("no playable audio stream");
        return false;
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (static_cast<int>(i) != stream_) {
            format_->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    const AVStream* stream = format_->streams[stream_];
    codec_ = avcodec_alloc_context3(codec);
    if (codec_ == nullptr || avcodec_parameters_to_context(codec_, stream->codecpar) < 0) {
        error = QStringLiteral("out of memory");
        return false;
    }
    codec_->pkt_timebase = stream->time_base;
    if (exactLength_) {
        // The end of an Ogg stream is where its last granule says; the decoder's
        // own end trimming is not always right and is lost after a seek. Samples
        // to skip at the start are dropped in convert().
        codec_->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    }
    const int result = avcodec_open2(codec_, codec, nullptr);
    if (result < 0) {
        error = QStringLiteral("cannot decode (") + describe(result) + QLatin1Char(')');
        return false;
    }
    if (codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0) {
        error = QStringLiteral("no sample rate or channels");
        return false;
    }
    channels_ = codec_->ch_layout.nb_channels == 1 ? 1 : 2;
    return true;
}

bool DovDecoder::configureResampler(const AVFrame* frame) {
    const int channels = frame->ch_layout.nb_channels;
    if (resampler_ != nullptr && frame->format == resamplerFormat_ &&
        frame->sample_rate == resamplerRate_ && channels == resamplerChannels_) {
        return true;
    }
    swr_free(&resampler_);
    if (frame->sample_rate <= 0 || channels <= 0) {
        return false;
    }
    AVChannelLayout input;
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&input, channels);
    } else if (av_channel_layout_copy(&input, &frame->ch_layout) < 0) {
        return false;
    }
    AVChannelLayout output;
    av_channel_layout_default(&output, channels_);
    const int result = swr_alloc_set_opts2(&resampler_, &output, AV_SAMPLE_FMT_FLT, kRate, &input,
                                           static_cast<AVSampleFormat>(frame->format),
                                           frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&input);
    av_channel_layout_uninit(&output);
    if (result < 0 || swr_init(resampler_) < 0) {
        swr_free(&resampler_);
        return false;
    }
    resamplerFormat_ = frame->format;
    resamplerRate_ = frame->sample_rate;
    resamplerChannels_ = channels;
    return true;
}

void DovDecoder::close() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    swr_free(&resampler_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
    if (io_ != nullptr) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
    resamplerFormat_ = -1;
}

std::int64_t DovDecoder::containerLength() const {
    const AVStream* stream = format_->streams[stream_];
    // Only the stream's own duration: the container's may be another stream's.
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, kRate});
    }
    return -1;
}

std::int64_t DovDecoder::measureLength() const {
    QString ignored;
    std::unique_ptr<DovDecoder> counter(new DovDecoder);
    counter->bytes_ = bytes_;
    counter->fromMemory_ = true;
    if (!counter->open(ignored)) {
        return 0;
    }
    return counter->skip(INT64_MAX);
}

int DovDecoder::read(float* out, int frames) {
    if (exactLength_ && lengthFrames_ >= 0) {
        frames = static_cast<int>(std::min<std::int64_t>(frames, lengthFrames_ - delivered_));
    }
    int produced = 0;
    while (produced < frames) {
        if (pendingStart_ == pendingFrames_ && !decodeMore()) {
            break;
        }
        const int count = std::min(frames - produced, pendingFrames_ - pendingStart_);
        if (out != nullptr) {
            std::memcpy(out + static_cast<std::size_t>(produced) * channels_,
                        pending_.data() + static_cast<std::size_t>(pendingStart_) * channels_,
                        sizeof(float) * static_cast<std::size_t>(count) * channels_);
        }
        pendingStart_ += count;
        produced += count;
    }
    delivered_ += produced;
    return produced;
}

std::int64_t DovDecoder::skip(std::int64_t frames) {
    std::int64_t skipped = 0;
    while (skipped < frames) {
        const int step = static_cast<int>(std::min<std::int64_t>(frames - skipped, 1 << 20));
        const int got = read(nullptr, step);
        skipped += got;
        if (got < step) {
            break;
        }
    }
    return skipped;
}

bool DovDecoder::rewind() {
    if (format_ == nullptr) {
        return false;
    }
    const AVStream* stream = format_->streams[stream_];
    const std::int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (avformat_seek_file(format_, stream_, INT64_MIN, start, start, 0) >= 0) {
        avcodec_flush_buffers(codec_);
        swr_free(&resampler_);
        resamplerFormat_ = -1;
        resetState();
        return true;
    }
    // The container cannot seek: read it again from the start.
    close();
    resetState();
    QString error;
    return open(error);
}

void DovDecoder::resetState() {
    delivered_ = 0;
    pendingStart_ = 0;
    pendingFrames_ = 0;
    inputEnded_ = false;
    finished_ = false;
}

bool DovDecoder::decodeMore() {
    if (codec_ == nullptr) {
        return false;
    }
    int badPackets = 0;
    while (!finished_) {
        const int result = avcodec_receive_frame(codec_, frame_);
        if (result == 0) {
            const bool converted = convert(frame_);
            av_frame_unref(frame_);
            if (converted) {
                return true;
            }
            continue;
        }
        if (result == AVERROR(EAGAIN) && !inputEnded_ && badPackets < kMaxBadPacketsInARow) {
            if (!feedPacket()) {
                ++badPackets;
            }
            continue;
        }
        // The end of the stream, or a decoder that cannot go on: what is left in
        // the resampler is the last of the sound.
        finished_ = true;
    }
    return drainResampler();
}

DovDecoder::PacketResult DovDecoder::FeedPacket(AVFormatContext* format, AVCodecContext* codec,
                                                AVPacket* packet, int stream, bool& ended) {
    for (;;) {
        if (av_read_frame(format, packet) < 0) {
            ended = true;
            avcodec_send_packet(codec, nullptr);
            return PacketResult::InputEnded;
        }
        if (packet->stream_index != stream) {
            av_packet_unref(packet);
            continue;
        }
        const int sent = avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
        return sent >= 0 ? PacketResult::Sent : PacketResult::Rejected;
    }
}

bool DovDecoder::feedPacket() {
    return FeedPacket(format_, codec_, packet_, stream_, inputEnded_) != PacketResult::Rejected;
}

bool DovDecoder::convert(const AVFrame* frame) {
    if (frame->nb_samples <= 0 || !configureResampler(frame)) {
        return false;
    }
    const int skip = leadingSkip(frame);
    if (skip >= frame->nb_samples) {
        return false;
    }
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const int planes = av_sample_fmt_is_planar(format) != 0 ? frame->ch_layout.nb_channels : 1;
    const int stride = av_get_bytes_per_sample(format) *
                       (av_sample_fmt_is_planar(format) != 0 ? 1 : frame->ch_layout.nb_channels);
    std::vector<const std::uint8_t*>& input = inputPlanes_;
    input.assign(frame->extended_data, frame->extended_data + planes);
    for (const std::uint8_t*& plane : input) {
        plane += static_cast<std::ptrdiff_t>(skip) * stride;
    }
    const int samples = frame->nb_samples - skip;
    const int capacity = swr_get_out_samples(resampler_, samples);
    if (capacity <= 0) {
        return false;
    }
    pending_.resize(static_cast<std::size_t>(capacity) * channels_);
    auto* output = reinterpret_cast<std::uint8_t*>(pending_.data());
    const int got = swr_convert(resampler_, &output, capacity, input.data(), samples);
    pendingStart_ = 0;
    pendingFrames_ = std::max(got, 0);
    return pendingFrames_ > 0;
}

int DovDecoder::leadingSkip(const AVFrame* frame) {
    const AVFrameSideData* side = av_frame_get_side_data(frame, AV_FRAME_DATA_SKIP_SAMPLES);
    if (side == nullptr || side->size < 4) {
        return 0;
    }
    return static_cast<int>(std::min<std::uint32_t>(AV_RL32(side->data), INT32_MAX));
}

bool DovDecoder::drainResampler() {
    pendingStart_ = 0;
    pendingFrames_ = 0;
    if (resampler_ == nullptr) {
        return false;
    }
    const int capacity = swr_get_out_samples(resampler_, 0);
    if (capacity <= 0) {
        return false;
    }
    pending_.resize(static_cast<std::size_t>(capacity) * channels_);
    auto* output = reinterpret_cast<std::uint8_t*>(pending_.data());
    const int got = swr_convert(resampler_, &output, capacity, nullptr, 0);
    pendingFrames_ = std::max(got, 0);
    return pendingFrames_ > 0;
}
