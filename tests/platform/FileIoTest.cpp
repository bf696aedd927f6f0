#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "TestSupport.h"
#include "platform/os/FileIo.h"

namespace {

// Lets writes beyond `bytes` fail with EFBIG, as on a full disk, for one scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

}  // namespace

TEST(FileIo, DurableWriteReplacesTheFile) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("slot.ini"));
    ASSERT_TRUE(FileIo::writeDurable(path, "first version"));
    ASSERT_TRUE(FileIo::writeDurable(path, "second"));
    EXPECT_EQ(dir.read(QStringLiteral("slot.ini")), QByteArray("second"));
    EXPECT_EQ(dir.entries(), QStringList{QStringLiteral("slot.ini")});
}

TEST(FileIo, WriteFailingHalfWayKeepsTheOldFile) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("sd00.ini"));
    const QByteArray old(1000, 'o');
    ASSERT_TRUE(FileIo::writeDurable(path, old));
    bool written = true;
    {
        FileSizeLimit limit(4096);
        written = FileIo::writeDurable(path, QByteArray(1 << 20, 'n'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(dir.read(QStringLiteral("sd00.ini")), old);
    EXPECT_EQ(dir.entries(), QStringList{QStringLiteral("sd00.ini")});  // no temporary file left
}

TEST(FileIo, ReadingMissingOrFolderGivesNothing) {
    TempFolder dir;
    EXPECT_FALSE(FileIo::readAll(dir.file(QStringLiteral("none"))));
    EXPECT_FALSE(FileIo::readAll(dir.path()));
    dir.write(QStringLiteral("empty"), QByteArray());
    const auto empty = FileIo::readAll(dir.file(QStringLiteral("empty")));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());
}

TEST(FileIo, AppendAddsToTheEnd) {
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("log.txt"));
    ASSERT_TRUE(FileIo::append(path, "a"));
    ASSERT_TRUE(FileIo::append(path, "b"));
    EXPECT_EQ(dir.read(QStringLiteral("log.txt")), QByteArray("ab"));
    EXPECT_FALSE(FileIo::append(dir.path(), "x"));
}
