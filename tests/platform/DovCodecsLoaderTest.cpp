#include "platform/dov/DovCodecsLoader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include "DovTestMedia.h"
#include "TestSupport.h"

namespace {

const QString kUnavailable = QString::fromLatin1(DovCodecsLoader::kUnavailable);

// The file a loaded library was mapped from, for the code at `address`.
QString libraryOf(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 && info.dli_fname != nullptr
               ? QString::fromLocal8Bit(info.dli_fname)
               : QString();
}

}  // namespace

TEST(DovCodecsLoader, TheBuildsPluginLoadsOnFirstUseAndDecodesSoundsAndMovies) {
    DovCodecsLoader loader;
    EXPECT_FALSE(loader.loaded());
    EXPECT_TRUE(DovCodecsLoader::DefaultPath().endsWith(QStringLiteral("/libvaro_media.so")));
    QString error;
    DovCodecs* codecs = loader.codecs(error);
    ASSERT_NE(codecs, nullptr) << error.toStdString();
    EXPECT_TRUE(loader.loaded());
    EXPECT_EQ(loader.codecs(error), codecs);  // loaded once
    // The decoders' code is the plugin's, not a copy linked into this program.
    const void* vtable = *reinterpret_cast<void* const*>(codecs);
    EXPECT_TRUE(libraryOf(vtable).endsWith(QStringLiteral("libvaro_media.so")))
        << libraryOf(vtable).toStdString();

    auto sound = codecs->soundFromMemory(dovtest::toneOgg(500, 22050, 2), error);
    ASSERT_TRUE(sound) << error.toStdString();
    EXPECT_EQ(sound->channels(), 2);
    EXPECT_EQ(sound->lengthFrames(), 22050);
    std::vector<float> frames(2 * 1000);
    EXPECT_EQ(sound->read(frames.data(), 1000), 1000);
    EXPECT_EQ(sound->skip(1000000), 22050 - 1000);
    EXPECT_FALSE(codecs->soundFromMemory(QByteArray("not a sound at all"), error));
    EXPECT_FALSE(error.isEmpty());

    TempFolder dir;
    const QString movie = dir.file(QStringLiteral("m.avi"));
    ASSERT_TRUE(dovtest::writeMovie(movie, 4, 10, 32, 24, 400));
    auto picture = codecs->movieFromFile(movie, error);
    ASSERT_TRUE(picture) << error.toStdString();
    picture->setTarget(QSize(64, 48));
    ASSERT_TRUE(picture->advanceTo(0));
    EXPECT_EQ(picture->currentFrame().size(), QSize(64, 48));
    EXPECT_EQ(picture->nextDueMs(), 100);
    auto movieSound = codecs->soundFromFile(movie, error);
    ASSERT_TRUE(movieSound) << error.toStdString();
    EXPECT_EQ(movieSound->channels(), 1);
}

TEST(DovCodecsLoader, AMissingPluginFailsEveryRequestWithTheReason) {
    DovCodecsLoader loader(QStringLiteral("/nonexistent/libvaro_media.so"));
    QString error;
    EXPECT_EQ(loader.codecs(error), nullptr);
    EXPECT_TRUE(error.startsWith(kUnavailable)) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/libvaro_media.so")));
    QString again;
    EXPECT_EQ(loader.codecs(again), nullptr);
    EXPECT_EQ(again, error);
    EXPECT_FALSE(loader.loaded());
}

TEST(DovCodecsLoader, FilesThatAreNotThePluginAreRefused) {
    TempFolder dir;
    dir.write(QStringLiteral("libvaro_media.so"), QByteArray("\x7f"
                                                             "ELF but not really",
                                                             20));
    DovCodecsLoader garbage(dir.file(QStringLiteral("libvaro_media.so")));
    QString error;
    EXPECT_EQ(garbage.codecs(error), nullptr);
    EXPECT_TRUE(error.startsWith(kUnavailable)) << error.toStdString();

    // A real library without the entry point: Qt's own.
    const QString qtCore = libraryOf(reinterpret_cast<const void*>(&qVersion));
    ASSERT_FALSE(qtCore.isEmpty());
    DovCodecsLoader other(qtCore);
    error.clear();
    EXPECT_EQ(other.codecs(error), nullptr);
    EXPECT_TRUE(error.startsWith(kUnavailable)) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromLatin1(DovCodecs::kEntryPoint))) << error.toStdString();
}

// The program names its installed plugin folder; the build's copy is then never
// taken, so an installed program cannot run on a stale build's decoders.
TEST(DovCodecsLoader, AnInstalledProgramTakesThePluginOfItsInstalledFolder) {
    TempFolder dir;
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString relative = QDir(programDir).relativeFilePath(dir.file(QStringLiteral("lib")));
    const QString installed = dir.file(QStringLiteral("lib/libvaro_media.so"));
    ASSERT_FALSE(QFile::exists(programDir + QStringLiteral("/libvaro_media.so")));
    const QString builds = DovCodecsLoader::DefaultPath();
    const QString missing = DovCodecsLoader::DefaultPath(relative);
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("lib"))));
    ASSERT_TRUE(QFile::copy(builds, installed));
    const QString present = DovCodecsLoader::DefaultPath(relative);
    EXPECT_EQ(missing, installed);
    EXPECT_EQ(present, installed);
    EXPECT_NE(builds, installed);
    EXPECT_EQ(DovCodecsLoader::DefaultPath(), builds);
}
