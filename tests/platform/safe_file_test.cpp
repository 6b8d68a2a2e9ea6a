#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/safe_file.h"
#include "platform/temp_dir.h"
#include "support/failing_file_calls.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

using FailingCalls = testing_support::FailingFileCalls;

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
    EXPECT_EQ(status.code, kFileFailure);
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
    EXPECT_EQ(readWholeFile(dir.path().string(), data).code, kFileFailure);
    EXPECT_EQ(readWholeFile((dir / "none.ksv").string(), data).code, kFileFailure);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(readWholeFile((dir / "big.ksv").string(), data, big.size() - 1).code, kFileFailure);
    EXPECT_EQ(data.size(), big.size());  // a failed read leaves what the caller had
}

// Hands out a few bytes at a time and is interrupted in between.
class TrickleCalls : public FileSystemCalls {
  public:
    long write(int fd, const void* data, std::size_t size) override {
        if (interrupt_ = !interrupt_; interrupt_) {
            errno = EINTR;
            return -1;
        }
        return FileSystemCalls::write(fd, data, std::min<std::size_t>(size, 3));
    }

  private:
    bool interrupt_ = false;
};

TEST(SafeFileWriteTest, ShortAndInterruptedWritesAreCarriedOn) {
    TempDir dir;
    const std::string path = (dir / "plant.ksv").string();
    TrickleCalls calls;
    ASSERT_TRUE(replaceFileSafely(path, std::string_view("eleven bytes and more"), calls).ok());
    EXPECT_EQ(TempDir::read(path), "eleven bytes and more");
}

TEST(SafeFileReplaceTest, ConcurrentReplacementsUseTemporariesOfTheirOwn) {
    TempDir dir;
    const std::string path = (dir / "plant.ksv").string();
    const std::string first(4000, 'a'), second(3000, 'b');
    FailingCalls calls;
    auto replaceOften = [&](const std::string& text) {
        for (int i = 0; i < 50; ++i) EXPECT_TRUE(replaceFileSafely(path, text, calls).ok());
    };
    std::thread one(replaceOften, first), two(replaceOften, second);
    one.join();
    two.join();
    const std::vector<std::string> names = calls.created();
    EXPECT_EQ(names.size(), 100u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    const std::string last = TempDir::read(path);
    EXPECT_TRUE(last == first || last == second);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace kestrune
