#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "platform/dov/DovMoviePicture.h"
#include "platform/dov/DovSoundSource.h"

// The decoders of sounds and movies. They live in a plugin next to the program
// (see DovCodecsLoader), so the program starts without loading the decoder
// libraries; only this interface crosses into the plugin.
class DovCodecs {
public:
    // The plugin's entry point: a new set of decoders, owned by the caller, or
    // null when they cannot play a game's sound (no Ogg Vorbis decoder).
    using Entry = DovCodecs* (*)();
    static constexpr const char* kEntryPoint = "VaroCreateMediaCodecs";

    virtual ~DovCodecs() = default;

    // A sound held in memory. Null, with the reason, when it cannot be played.
    virtual std::unique_ptr<DovSoundSource> soundFromMemory(const QByteArray& bytes,
                                                            QString& error) = 0;
    // The first audio stream of a file: the sound of a movie.
    virtual std::unique_ptr<DovSoundSource> soundFromFile(const QString& path, QString& error) = 0;
    // Null, with the reason, when the file has no picture that can be decoded.
    virtual std::unique_ptr<DovMoviePicture> movieFromFile(const QString& path, QString& error) = 0;
};
