#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dov/DovSoundSource.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct SwrContext;

// Decodes the audio of one sound or movie while it plays: compressed bytes in,
// 44.1 kHz float samples out. A mono sound stays mono, anything else becomes
// stereo. Besides the compressed data only a fixed decode buffer is held, so a
// long piece of music costs its file size, not its decoded size.
// One thread at a time uses a decoder.
class DovDecoder : public DovSoundSource {
public:
    enum class PacketResult { Sent, Rejected, InputEnded };
    // Reads packets until one of the stream is sent to the codec; at the end of
    // the input the codec is told to flush and `ended` is set.
    static PacketResult FeedPacket(AVFormatContext* format, AVCodecContext* codec, AVPacket* packet,
                                   int stream, bool& ended);

    // A sound held in memory, in any audio container and codec the decoders know.
    // Null, with the reason, when it cannot be played.
    static std::unique_ptr<DovDecoder> fromMemory(const QByteArray& bytes, QString& error);
    // The first audio stream of a file: the sound of a movie.
    static std::unique_ptr<DovDecoder> fromFile(const QString& path, QString& error);

    ~DovDecoder() override;
    DovDecoder(const DovDecoder&) = delete;
    DovDecoder& operator=(const DovDecoder&) = delete;

    int channels() const override { return channels_; }
    // The length in frames at kRate, -1 when the stream does not tell it (sounds
    // in memory are then measured once by decoding). Exact for Ogg streams.
    std::int64_t lengthFrames() const override { return lengthFrames_; }

    // Fills `out` with up to `frames` interleaved frames; fewer only at the end of
    // the sound (a damaged or truncated stream ends where it breaks).
    int read(float* out, int frames) override;
    // Back to the first sample. False when the input cannot be read again.
    bool rewind() override;
    // Reads and drops frames; the number there were.
    std::int64_t skip(std::int64_t frames) override;

private:
    DovDecoder() = default;

    static int readMemory(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t seekMemory(void* opaque, std::int64_t offset, int whence);

    bool open(QString& error);
    bool openInput(QString& error);
    bool openCodec(QString& error);
    bool configureResampler(const AVFrame* frame);
    void close();
    std::int64_t containerLength() const;
    std::int64_t measureLength() const;

    bool decodeMore();
    bool feedPacket();
    bool convert(const AVFrame* frame);
    // Samples at the start of the frame the container asks to drop.
    static int leadingSkip(const AVFrame* frame);
    bool drainResampler();
    void resetState();

    // Where the compressed data comes from: memory or a file.
    QByteArray bytes_;
    qint64 readPosition_ = 0;
    QString path_;
    bool fromMemory_ = false;

    AVFormatContext* format_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    int channels_ = 0;
    // The container gives the length to the sample (Ogg): reads stop there.
    bool exactLength_ = false;
    std::int64_t lengthFrames_ = -1;

    // The input layout the resampler is set up for.
    int resamplerFormat_ = -1;
    int resamplerRate_ = 0;
    int resamplerChannels_ = 0;

    std::vector<const std::uint8_t*> inputPlanes_;
    std::int64_t delivered_ = 0;  // frames read since the start
    // Converted samples not yet read: pending_[pendingStart_ .. pendingFrames_).
    std::vector<float> pending_;
    int pendingStart_ = 0;
    int pendingFrames_ = 0;
    bool inputEnded_ = false;
    bool finished_ = false;
};
