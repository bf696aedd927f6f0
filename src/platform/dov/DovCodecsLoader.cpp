#include "platform/dov/DovCodecsLoader.h"

#include <QCoreApplication>
#include <QDir>

#include "platform/os/FileIo.h"

DovCodecsLoader::DovCodecsLoader(QString pluginPath) : pluginPath_(std::move(pluginPath)) {}

QString DovCodecsLoader::DefaultPath(const QString& installedDir) {
    const QString built = QStringLiteral(VARO_MEDIA_PLUGIN);
    if (QCoreApplication::instance() == nullptr) {
        return built;
    }
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString name = built.section(QLatin1Char('/'), -1);
    const QString besideProgram = programDir + QLatin1Char('/') + name;
    if (!installedDir.isEmpty()) {
        // The program: beside it in a build tree, else its installed plugin folder,
        // which is also where a missing plugin is reported.
        const QString installed =
            QDir::cleanPath(programDir + QLatin1Char('/') + installedDir) + QLatin1Char('/') + name;
        return FileIo::isFile(besideProgram) ? besideProgram : installed;
    }
    // Tests and benchmarks have no plugin beside them and take the build's; a
    // missing plugin is otherwise reported where the program expects it.
    return FileIo::isFile(besideProgram) || !FileIo::isFile(built) ? besideProgram : built;
}

DovCodecs* DovCodecsLoader::codecs(QString& error) {
    if (!tried_) {
        tried_ = true;
        load();
    }
    if (!codecs_) {
        error = failure_;
    }
    return codecs_.get();
}

void DovCodecsLoader::load() {
    const QString path = pluginPath_.isEmpty() ? DefaultPath() : pluginPath_;
    // QLibrary would try variants of a missing name and report the last one.
    if (!FileIo::isFile(path)) {
        failure_ = QLatin1String(kUnavailable) + path + QStringLiteral(" is missing");
        return;
    }
    library_.setFileName(path);
    if (!library_.load()) {
        failure_ = QLatin1String(kUnavailable) + library_.errorString();
        return;
    }
    const auto entry = reinterpret_cast<DovCodecs::Entry>(library_.resolve(DovCodecs::kEntryPoint));
    if (entry == nullptr) {
        failure_ = QLatin1String(kUnavailable) + library_.fileName() + QStringLiteral(" has no ") +
                   QLatin1String(DovCodecs::kEntryPoint);
        return;
    }
    codecs_.reset(entry());
    if (!codecs_) {
        failure_ = QLatin1String(kUnavailable) + library_.fileName() +
                   QStringLiteral(" has no Ogg Vorbis decoder");
    }
}
