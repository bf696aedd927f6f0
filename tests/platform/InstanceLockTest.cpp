#include "platform/os/InstanceLock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "TestSupport.h"

namespace {

QString lockPathOf(const QString& gameDir) {
    return InstanceLock::LockFolder() + "/" + InstanceLock::LockFileName(gameDir);
}

}  // namespace

TEST(InstanceLockTest, ASecondLockOnTheSameFolderFailsUntilTheFirstIsReleased) {
    TempFolder game;
    auto first = std::make_unique<InstanceLock>(game.path());
    ASSERT_TRUE(first->tryLock());
    EXPECT_TRUE(first->tryLock());  // asking again keeps the lock
    EXPECT_TRUE(QFileInfo::exists(lockPathOf(game.path())));
    {
        InstanceLock second(game.path());
        EXPECT_FALSE(second.tryLock());
        EXPECT_FALSE(second.isLocked());
        // The same folder named another way is the same folder.
        InstanceLock third(game.path() + "/./sub/..");
        EXPECT_FALSE(third.tryLock());
    }
    EXPECT_TRUE(first->isLocked());  // a failed attempt does not disturb the holder
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(lockPathOf(game.path())));
    InstanceLock second(game.path());
    EXPECT_TRUE(second.tryLock());
    second.unlock();
    EXPECT_FALSE(second.isLocked());
    InstanceLock third(game.path());
    EXPECT_TRUE(third.tryLock());
}

TEST(InstanceLockTest, DifferentFoldersAreIndependent) {
    TempFolder a;
    TempFolder b;
    InstanceLock lockA(a.path());
    InstanceLock lockB(b.path());
    EXPECT_TRUE(lockA.tryLock());
    EXPECT_TRUE(lockB.tryLock());
    EXPECT_NE(InstanceLock::LockFileName(a.path()), InstanceLock::LockFileName(b.path()));
}

TEST(InstanceLockTest, TheFileNameIsAShortHashOfTheAbsoluteFolder) {
    const QString name = InstanceLock::LockFileName("/games/novel");
    // SHA-1 of "/games/novel" is a678be07eb342f8e...
    EXPECT_EQ(name, "varo-a678be07eb342f8e.lock");
    EXPECT_EQ(InstanceLock::LockFileName("/games/novel/"), name);
    const QString relative = InstanceLock::LockFileName("novel");
    EXPECT_EQ(relative, InstanceLock::LockFileName(QDir::current().absoluteFilePath("novel")));
    EXPECT_NE(relative, name);
}

TEST(InstanceLockTest, TheLockOfAProcessThatDiedDoesNotBlock) {
    TempFolder game;
    // A process that has ended: its id is free (or reused by a stranger, whose
    // program name differs).
    QProcess gone;
    gone.start("true", {});
    ASSERT_TRUE(gone.waitForStarted(10000));
    const qint64 deadPid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished(10000));
    QFile stale(lockPathOf(game.path()));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly | QIODevice::Truncate));
    stale.write(QByteArray::number(deadPid) + "\nvaro\n" + QSysInfo::machineHostName().toUtf8() +
                "\n");
    stale.close();
    InstanceLock lock(game.path());
    EXPECT_TRUE(lock.tryLock());
}

TEST(InstanceLockFolder, ALinkPlantedInTheSharedTemporaryFolderIsRefused) {
    TempFolder temp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    const QString shared = temp.file(QStringLiteral("varo-locks-") + QString::number(getuid()));
    EXPECT_EQ(InstanceLock::LockFolder(), shared);  // made here and private

    QDir(shared).removeRecursively();
    QDir().mkpath(temp.file("elsewhere"));
    ASSERT_TRUE(QFile::link(temp.file("elsewhere"), shared));
    const QString folder = InstanceLock::LockFolder();
    EXPECT_NE(folder, shared);
    EXPECT_FALSE(QFileInfo(folder).isSymLink());
    InstanceLock lock(temp.file("game"));
    EXPECT_TRUE(lock.tryLock());
    EXPECT_TRUE(QDir(temp.file("elsewhere")).isEmpty());
    lock.unlock();
    if (savedTmp.isNull()) {
        qunsetenv("TMPDIR");
    } else {
        qputenv("TMPDIR", savedTmp);
    }
}
