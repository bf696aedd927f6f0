#include "platform/dov/ffmpeg/DovMovie.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "DovTestMedia.h"

TEST(DovMovie, EveryFrameIsDecodedOnceInItsTime) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.avi"));
    ASSERT_TRUE(dovtest::writeMovie(path, 12, 25, 96, 64, 0));
    QString error;
    auto movie = DovMovie::open(path, error);
    ASSERT_TRUE(movie) << error.toStdString();
    EXPECT_EQ(movie->sourceSize(), QSize(96, 64));
    movie->setTarget(QSize(96, 96));  // taller than the picture: bars above and below
    ASSERT_TRUE(movie->advanceTo(0));
    EXPECT_EQ(movie->nextDueMs(), 40);
    EXPECT_FALSE(movie->advanceTo(39));
    ASSERT_TRUE(movie->advanceTo(40));
    EXPECT_EQ(movie->currentFrame().size(), QSize(96, 96));
    EXPECT_EQ(qGray(movie->currentFrame().pixel(48, 5)), 0);
    EXPECT_GT(qGray(movie->currentFrame().pixel(48, 48)), 20);
    ASSERT_TRUE(movie->advanceTo(10000));  // late: straight to the last frame
    EXPECT_TRUE(movie->pictureEnded());
    EXPECT_EQ(movie->decodedFrames(), 12);
    EXPECT_EQ(movie->endMs(), 12 * 40);
    EXPECT_EQ(movie->nextDueMs(), -1);
    EXPECT_FALSE(movie->advanceTo(20000));
}

TEST(DovMovie, FilesWithoutAPictureAreRefused) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(DovMovie::open(dir.filePath(QStringLiteral("none.avi")), error));
    EXPECT_FALSE(error.isEmpty());
    const QString sound = dir.filePath(QStringLiteral("tone.ogg"));
    QFile file(sound);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(dovtest::toneOgg(200));
    file.close();
    EXPECT_FALSE(DovMovie::open(sound, error));
    EXPECT_EQ(error, QStringLiteral("no playable picture"));
    const QString damaged = dir.filePath(QStringLiteral("damaged.avi"));
    // Enough frames that the header is a small part of the file: cut at three
    // quarters, what is left plays, then the picture ends.
    constexpr int kFrames = 60;
    ASSERT_TRUE(dovtest::writeMovie(damaged, kFrames, 10, 64, 48, 0));
    QFile cut(damaged);
    ASSERT_TRUE(cut.resize(cut.size() * 3 / 4));
    auto movie = DovMovie::open(damaged, error);
    ASSERT_TRUE(movie) << error.toStdString();
    movie->advanceTo(100000);
    EXPECT_TRUE(movie->pictureEnded());
    EXPECT_GT(movie->decodedFrames(), 0);
    EXPECT_LT(movie->decodedFrames(), kFrames);
}
