#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "document/safe_file.h"
#include "platform/temp_dir.h"
#include "resources/message_ids.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

// Fails one chosen call with a chosen error.
class FailingCalls : public FileSystemCalls {
  public:
    enum class Step { None, Open, Write, Fsync, Close, Rename };
    FailingCalls(Step step, int error) : step_(step), error_(error) {}

    int open(const char* path, int flags, int mode) override {
        return fail(Step::Open) ? -1 : FileSystemCalls::open(path, flags, mode);
    }
    long write(int fd, const void* data, std::size_t size) override {
        // Half of it goes through first, as a disk that fills up does.
        if (step_ == Step::Write && !halfDone_) {
            halfDone_ = true;
            return FileSystemCalls::write(fd, data, size / 2);
        }
        return fail(Step::Write) ? -1 : FileSystemCalls::write(fd, data, size);
    }
    int fsync(int fd) override { return fail(Step::Fsync) ? -1 : FileSystemCalls::fsync(fd); }
    int close(int fd) override {
        const int r = FileSystemCalls::close(fd);
        return fail(Step::Close) ? -1 : r;
    }
    int rename(const char* from, const char* to) override {
        return fail(Step::Rename) ? -1 : FileSystemCalls::rename(from, to);
    }

  private:
    bool fail(Step step) {
        if (step != step_) return false;
        errno = error_;
        return true;
    }
    Step step_;
    int error_;
    bool halfDone_ = false;
};

std::vector<std::uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::size_t filesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.is_regular_file();
    return n;
}

class SafeFileTest : public ::testing::TestWithParam<FailingCalls::Step> {
  protected:
    TempDir dir;
    std::string path = (dir / "plant.ksv").string();
};

TEST_P(SafeFileTest, AFailingStepLeavesTheOldFileAndNoTemporary) {
    TempDir::write(path, "old contents");
    FailingCalls calls(GetParam(), GetParam() == FailingCalls::Step::Write ? ENOSPC : EIO);
    const Status status = replaceFileSafely(path, bytes("new contents, longer than the old ones"), calls);
    EXPECT_EQ(status.code, kMsgCannotOpenFile);
    EXPECT_NE(status.context.find(path), std::string::npos);
    EXPECT_EQ(TempDir::read(path), "old contents");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(EachStep, SafeFileTest,
                         ::testing::Values(FailingCalls::Step::Open, FailingCalls::Step::Write,
                                           FailingCalls::Step::Fsync, FailingCalls::Step::Close,
                                           FailingCalls::Step::Rename));

TEST(SafeFileReplaceTest, ReplacesAndKeepsThePermissions) {
    TempDir dir;
    const std::string path = (dir / "plant.ksv").string();
    TempDir::write(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(replaceFileSafely(path, bytes("new")).ok());
    EXPECT_EQ(TempDir::read(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const std::string fresh = (dir / "fresh.ksv").string();
    ASSERT_TRUE(replaceFileSafely(fresh, bytes("")).ok());
    EXPECT_TRUE(std::filesystem::exists(fresh));
    EXPECT_EQ(filesIn(dir.path()), 2u);
}

TEST(SafeFileReplaceTest, ThroughALinkTheLinkedFileIsReplaced) {
    TempDir dir;
    const auto target = dir / "real.ksv";
    const auto link = dir / "link.ksv";
    TempDir::write(target, "old");
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(replaceFileSafely(link.string(), bytes("new")).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::read(target), "new");
}

TEST(SafeFileReadTest, ReadsWholeFilesAndRefusesDirectories) {
    TempDir dir;
    std::string big(300000, 'k');
    big[123456] = 'x';
    TempDir::write(dir / "big.ksv", big);
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(readWholeFile((dir / "big.ksv").string(), data).ok());
    ASSERT_EQ(data.size(), big.size());
    EXPECT_EQ(data[123456], 'x');
    EXPECT_EQ(readWholeFile(dir.path().string(), data).code, kMsgCannotOpenFile);
    EXPECT_EQ(readWholeFile((dir / "none.ksv").string(), data).code, kMsgCannotOpenFile);
    EXPECT_EQ(data.size(), big.size());  // a failed read leaves what the caller had
}

}  // namespace
}  // namespace kestrune
