#pragma once

#include <QtGlobal>

#include "platform/dov/DovCodecs.h"

// The decoders of the media plugin: FFmpeg's, through DovDecoder and DovMovie.
class DovFfmpegCodecs : public DovCodecs {
public:
    // Damaged data is reported through results; FFmpeg's own chatter is silenced.
    DovFfmpegCodecs();

    // Games ship their sound as Ogg Vorbis: without that decoder nothing plays.
    static bool HasVorbisDecoder();

    std::unique_ptr<DovSoundSource> soundFromMemory(const QByteArray& bytes,
                                                    QString& error) override;
    std::unique_ptr<DovSoundSource> soundFromFile(const QString& path, QString& error) override;
    std::unique_ptr<DovMoviePicture> movieFromFile(const QString& path, QString& error) override;
};

// The plugin's entry point (DovCodecs::kEntryPoint): null without a Vorbis decoder.
extern "C" Q_DECL_EXPORT DovCodecs* VaroCreateMediaCodecs();
