#include "platform/dov/ffmpeg/DovFfmpegCodecs.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include "platform/dov/ffmpeg/DovDecoder.h"
#include "platform/dov/ffmpeg/DovMovie.h"

DovFfmpegCodecs::DovFfmpegCodecs() {
    av_log_set_level(AV_LOG_FATAL);
}

bool DovFfmpegCodecs::HasVorbisDecoder() {
    return avcodec_find_decoder(AV_CODEC_ID_VORBIS) != nullptr;
}

std::unique_ptr<DovSoundSource> DovFfmpegCodecs::soundFromMemory(const QByteArray& bytes,
                                                                 QString& error) {
    return DovDecoder::fromMemory(bytes, error);
}

std::unique_ptr<DovSoundSource> DovFfmpegCodecs::soundFromFile(const QString& path,
                                                               QString& error) {
    return DovDecoder::fromFile(path, error);
}

std::unique_ptr<DovMoviePicture> DovFfmpegCodecs::movieFromFile(const QString& path,
                                                                QString& error) {
    return DovMovie::open(path, error);
}

DovCodecs* VaroCreateMediaCodecs() {
    if (!DovFfmpegCodecs::HasVorbisDecoder()) {
        return nullptr;
    }
    return new DovFfmpegCodecs;
}
