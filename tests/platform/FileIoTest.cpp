#include "platform/os/FileIo.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "TestSupport.h"

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

TEST(FileIo, DurableWriteReplacesTheFileOrKeepsTheOldOneWhenItFailsHalfWay) {
    TempFolder dir;
    const QString path = dir.file("sd00.ini");
    ASSERT_TRUE(FileIo::writeDurable(path, "first version"));
    ASSERT_TRUE(FileIo::writeDurable(path, QByteArray(1000, 'o')));
    bool written = true;
    {
        FileSizeLimit limit(4096);
        written = FileIo::writeDurable(path, QByteArray(1 << 20, 'n'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(dir.read("sd00.ini"), QByteArray(1000, 'o'));
    EXPECT_EQ(dir.entries(), QStringList{"sd00.ini"});  // no temporary file left
}

TEST(FileIo, DurableWriteRemovesTheTemporaryFileAKilledWriteOfTheSameFileLeft) {
    TempFolder dir;
    dir.write("sd00.ini.Xq3vZ8", "cut short");  // as a killed write leaves it
    dir.write("sd00.ini.backup", "the player's");
    dir.write("config.ini.Xq3vZ8", "another file's");
    ASSERT_TRUE(FileIo::writeDurable(dir.file("sd00.ini"), "new"));
    QStringList left = dir.entries();
    left.sort();
    EXPECT_EQ(left, (QStringList{"config.ini.Xq3vZ8", "sd00.ini", "sd00.ini.backup"}));
    EXPECT_EQ(dir.read("sd00.ini"), "new");
}

TEST(FileIo, ReadingMissingOrFolderGivesNothingAndAppendAddsToTheEnd) {
    TempFolder dir;
    EXPECT_FALSE(FileIo::readAll(dir.file("none")));
    EXPECT_FALSE(FileIo::readAll(dir.path()));
    dir.write("empty", QByteArray());
    EXPECT_EQ(FileIo::readAll(dir.file("empty")), QByteArray());
    ASSERT_TRUE(FileIo::append(dir.file("log.txt"), "a"));
    ASSERT_TRUE(FileIo::append(dir.file("log.txt"), "b"));
    EXPECT_EQ(dir.read("log.txt"), "ab");
    EXPECT_FALSE(FileIo::append(dir.path(), "x"));
}
