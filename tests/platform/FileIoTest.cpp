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
