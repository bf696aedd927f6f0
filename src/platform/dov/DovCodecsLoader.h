#pragma once

#include <QLibrary>
#include <QString>
#include <memory>

#include "platform/dov/DovCodecs.h"

// Loads the media plugin, which holds the sound and movie decoders, the first
// time they are asked for. The program itself then starts without the decoder
// libraries and their dependencies. The plugin is looked for next to the
// program, then in the installed program's plugin folder and, failing that,
// where the build put it (tests, benchmarks).
// When it cannot be loaded every request fails with the same reason; the
// plugin is tried only once.
class DovCodecsLoader {
public:
    // The text every failure starts with.
    static constexpr const char* kUnavailable = "media decoders not available: ";

    // An empty path looks in the usual places.
    explicit DovCodecsLoader(QString pluginPath = QString());
    DovCodecsLoader(const DovCodecsLoader&) = delete;
    DovCodecsLoader& operator=(const DovCodecsLoader&) = delete;

    // The decoders, loading the plugin on the first call; null with the reason
    // when they are not available.
    DovCodecs* codecs(QString& error);
    bool loaded() const { return codecs_ != nullptr; }

    // Where the plugin is loaded from when no path was given. `installedDir` is
    // an installed program's plugin folder relative to the program's folder
    // (such as "../lib/varo"); with it the build's copy is never taken, so an
    // installed program uses its own plugin.
    static QString DefaultPath(const QString& installedDir = QString());

private:
    void load();

    QString pluginPath_;
    bool tried_ = false;
    QString failure_;
    // Never unloaded: sounds and movies run the plugin's code until they go,
    // and QLibrary leaves a library loaded when it is destroyed.
    QLibrary library_;
    std::unique_ptr<DovCodecs> codecs_;
};
