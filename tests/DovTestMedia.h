#pragma once

// Makes sounds and movies for the sound library's tests with FFmpeg's
// encoders: sine tones of exact lengths as Ogg Vorbis in memory, and small
// movies (MPEG-4 pictures of known grey levels, optional PCM sound) as AVI files.
#include <QByteArray>
#include <QString>
#include <cmath>
#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace dovtest {

// One output container with its streams' encoders.
class Muxer {
public:
    Muxer() = default;
    ~Muxer() {
        for (AVCodecContext*& codec : codecs_) {
            avcodec_free_context(&codec);
        }
        if (format_ != nullptr) {
            if (memory_) {
                if (format_->pb != nullptr) {
                    av_freep(&format_->pb->buffer);
                    avio_context_free(&format_->pb);
                }
            } else if (format_->pb != nullptr) {
                avio_closep(&format_->pb);
            }
            avformat_free_context(format_);
        }
    }
    Muxer(const Muxer&) = delete;
    Muxer& operator=(const Muxer&) = delete;

    // Into memory (`bytes`), or into a file when a path is given.
    bool open(const char* container, QByteArray* bytes, const QString& path = QString()) {
        if (avformat_alloc_output_context2(&format_, nullptr, container, nullptr) < 0) {
            return false;
        }
        if (bytes != nullptr) {
            memory_ = true;
            auto* buffer = static_cast<unsigned char*>(av_malloc(4096));
            format_->pb = avio_alloc_context(buffer, 4096, 1, bytes, nullptr, &writeBytes, nullptr);
            return format_->pb != nullptr;
        }
        return avio_open(&format_->pb, path.toUtf8().constData(), AVIO_FLAG_WRITE) >= 0;
    }

    // An encoder and its stream; the index of the stream, -1 on failure.
    int addStream(AVCodecContext* codec) {
        if ((format_->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
            codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        codecs_.push_back(codec);
        return static_cast<int>(codecs_.size()) - 1;
    }

    bool openStream(int index, const AVCodec* encoder) {
        AVCodecContext* codec = codecs_[index];
        if (avcodec_open2(codec, encoder, nullptr) < 0) {
            return false;
        }
        AVStream* stream = avformat_new_stream(format_, nullptr);
        if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, codec) < 0) {
            return false;
        }
        stream->time_base = codec->time_base;
        return true;
    }

    bool writeHeader() { return avformat_write_header(format_, nullptr) >= 0; }

    // Encodes the frame (null flushes) and writes what comes out.
    bool encode(int index, const AVFrame* frame) {
        AVCodecContext* codec = codecs_[index];
        if (avcodec_send_frame(codec, frame) < 0) {
            return false;
        }
        AVPacket* packet = av_packet_alloc();
        bool ok = true;
        for (;;) {
            const int result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                break;
            }
            if (result < 0) {
                ok = false;
                break;
            }
            packet->stream_index = index;
            av_packet_rescale_ts(packet, codec->time_base, format_->streams[index]->time_base);
            ok = av_interleaved_write_frame(format_, packet) >= 0 && ok;
        }
        av_packet_free(&packet);
        return ok;
    }

    bool finish() {
        const bool ok = av_write_trailer(format_) >= 0;
        avio_flush(format_->pb);
        return ok;
    }

    AVCodecContext* codec(int index) { return codecs_[index]; }

private:
    static int writeBytes(void* opaque, std::uint8_t* data, int size) {
        static_cast<QByteArray*>(opaque)->append(reinterpret_cast<const char*>(data), size);
        return size;
    }

    AVFormatContext* format_ = nullptr;
    std::vector<AVCodecContext*> codecs_;
    bool memory_ = false;
};

// The Vorbis encoder: libvorbis when there, else FFmpeg's own (experimental).
inline const AVCodec* vorbisEncoder(bool& experimental) {
    experimental = false;
    if (const AVCodec* codec = avcodec_find_encoder_by_name("libvorbis")) {
        return codec;
    }
    experimental = true;
    return avcodec_find_encoder_by_name("vorbis");
}

// Sends `count` samples of the generator through the audio encoder, in frames
// of the encoder's size; sample(i, channel) gives a value in -1..1.
template <typename Sample>
bool encodeSamples(Muxer& muxer, int index, std::int64_t count, Sample sample) {
    AVCodecContext* codec = muxer.codec(index);
    const int frameSize = codec->frame_size > 0 ? codec->frame_size : 1024;
    const int channels = codec->ch_layout.nb_channels;
    AVFrame* frame = av_frame_alloc();
    bool ok = true;
    for (std::int64_t done = 0; done < count && ok; done += frameSize) {
        frame->nb_samples = static_cast<int>(std::min<std::int64_t>(frameSize, count - done));
        frame->format = codec->sample_fmt;
        frame->sample_rate = codec->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout);
        if (av_frame_get_buffer(frame, 0) < 0) {
            ok = false;
            break;
        }
        for (int c = 0; c < channels; ++c) {
            for (int i = 0; i < frame->nb_samples; ++i) {
                const double value = sample(done + i, c);
                if (codec->sample_fmt == AV_SAMPLE_FMT_FLTP) {
                    reinterpret_cast<float*>(frame->extended_data[c])[i] =
                        static_cast<float>(value);
                } else {  // interleaved 16 bit
                    reinterpret_cast<std::int16_t*>(frame->extended_data[0])[i * channels + c] =
                        static_cast<std::int16_t>(std::lround(value * 32767.0));
                }
            }
        }
        frame->pts = done;
        ok = muxer.encode(index, frame);
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
    return ok && muxer.encode(index, nullptr);
}

// `ms` milliseconds of sample(i, channel) as Ogg Vorbis; "" when no encoder works.
template <typename Sample>
QByteArray encodeOgg(int ms, int rate, int channels, Sample sample) {
    bool experimental = false;
    const AVCodec* encoder = vorbisEncoder(experimental);
    QByteArray bytes;
    Muxer muxer;
    if (encoder == nullptr || !muxer.open("ogg", &bytes)) {
        return QByteArray();
    }
    AVCodecContext* codec = avcodec_alloc_context3(encoder);
    codec->sample_rate = rate;
    codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&codec->ch_layout, channels);
    codec->time_base = AVRational{1, rate};
    codec->global_quality = 4 * FF_QP2LAMBDA;
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    if (experimental) {
        codec->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    }
    const int index = muxer.addStream(codec);
    if (!muxer.openStream(index, encoder) || !muxer.writeHeader()) {
        return QByteArray();
    }
    const std::int64_t count = static_cast<std::int64_t>(rate) * ms / 1000;
    if (!encodeSamples(muxer, index, count, sample) || !muxer.finish()) {
        return QByteArray();
    }
    return bytes;
}

// A sine tone of exactly `ms` milliseconds as Ogg Vorbis.
inline QByteArray toneOgg(int ms, int rate = 44100, int channels = 1, double hz = 440.0,
                          double amplitude = 0.5) {
    return encodeOgg(ms, rate, channels, [=](std::int64_t i, int) {
        return amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate);
    });
}

// Stereo sound that compresses like music: a changing chord over quiet noise.
inline QByteArray musicOgg(int ms) {
    std::uint32_t noise = 12345;
    return encodeOgg(ms, 44100, 2, [noise](std::int64_t i, int channel) mutable {
        const double t = static_cast<double>(i) / 44100.0;
        const double root = 110.0 * (1 + (i / 22050) % 4);
        noise = noise * 1664525U + 1013904223U;
        const double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.1;
        return 0.2 * std::sin(2 * M_PI * root * t) + 0.15 * std::sin(2 * M_PI * root * 1.26 * t) +
               0.1 * std::sin(2 * M_PI * root * (channel == 0 ? 1.5 : 1.498) * t) + hiss;
    });
}

// The grey level (luma) of movie frame k.
inline int movieGrey(int frame) {
    return 40 + (frame * 20) % 180;
}

// An AVI movie: `frames` MPEG-4 pictures of width × height at `fps`, frame k of
// grey level movieGrey(k), and, when soundMs > 0, a 16-bit PCM sine of that length.
inline bool writeMovie(const QString& path, int frames, int fps, int width, int height,
                       int soundMs) {
    const AVCodec* video = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    const AVCodec* audio = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    Muxer muxer;
    if (video == nullptr || audio == nullptr || !muxer.open("avi", nullptr, path)) {
        return false;
    }
    AVCodecContext* picture = avcodec_alloc_context3(video);
    picture->width = width;
    picture->height = height;
    picture->pix_fmt = AV_PIX_FMT_YUV420P;
    picture->time_base = AVRational{1, fps};
    picture->framerate = AVRational{fps, 1};
    picture->gop_size = 1;
    picture->max_b_frames = 0;
    picture->bit_rate = 400000;
    const int pictureIndex = muxer.addStream(picture);
    if (!muxer.openStream(pictureIndex, video)) {
        return false;
    }
    int soundIndex = -1;
    if (soundMs > 0) {
        AVCodecContext* sound = avcodec_alloc_context3(audio);
        sound->sample_rate = 22050;
        sound->sample_fmt = AV_SAMPLE_FMT_S16;
        av_channel_layout_default(&sound->ch_layout, 1);
        sound->time_base = AVRational{1, 22050};
        soundIndex = muxer.addStream(sound);
        if (!muxer.openStream(soundIndex, audio)) {
            return false;
        }
    }
    if (!muxer.writeHeader()) {
        return false;
    }
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    bool ok = av_frame_get_buffer(frame, 0) >= 0;
    for (int k = 0; k < frames && ok; ++k) {
        ok = av_frame_make_writable(frame) >= 0;
        for (int y = 0; y < height; ++y) {
            std::fill_n(frame->data[0] + y * frame->linesize[0], width, movieGrey(k));
        }
        for (int plane = 1; plane < 3; ++plane) {
            for (int y = 0; y < height / 2; ++y) {
                std::fill_n(frame->data[plane] + y * frame->linesize[plane], width / 2, 128);
            }
        }
        frame->pts = k;
        ok = ok && muxer.encode(pictureIndex, frame);
    }
    av_frame_free(&frame);
    ok = ok && muxer.encode(pictureIndex, nullptr);
    if (ok && soundIndex >= 0) {
        const std::int64_t count = 22050LL * soundMs / 1000;
        ok = encodeSamples(muxer, soundIndex, count, [](std::int64_t i, int) {
            return 0.5 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i) / 22050.0);
        });
    }
    return ok && muxer.finish();
}

}  // namespace dovtest
