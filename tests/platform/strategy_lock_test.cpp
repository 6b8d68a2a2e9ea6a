#include "platform/strategy_lock.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/system_error_code.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

class StrategyLockTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string strategy = (dir / "plant.ksv").string();
    std::string fallback = (dir / "locks").string();
};

TEST_F(StrategyLockTest, ASecondLockIsRefusedNamingTheHolderUntilTheFirstIsReleased) {
    StrategyLock first(fallback);
    ASSERT_TRUE(first.acquire(strategy).ok());
    EXPECT_EQ(first.lockFilePath(), StrategyLock::besidePath(strategy));
    EXPECT_EQ(TempDir::read(first.lockFilePath()), std::to_string(::getpid()) + "\n");

    StrategyLock second(fallback);
    const Status refused = second.acquire(strategy);
    EXPECT_EQ(refused.code, kStrategyLocked);
    EXPECT_EQ(refused.context, strategy + ": held by process " + std::to_string(::getpid()));
    EXPECT_FALSE(second.held());

    first.release();
    EXPECT_FALSE(std::filesystem::exists(StrategyLock::besidePath(strategy)));
    EXPECT_TRUE(second.acquire(strategy).ok());
}

TEST_F(StrategyLockTest, TheKernelReleasesTheLockOfAKilledHolder) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        StrategyLock held(fallback);
        const char ok = held.acquire(strategy).ok() ? '1' : '0';
        (void)::write(ready[1], &ok, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(ok, '1');

    StrategyLock lock(fallback);
    const Status refused = lock.acquire(strategy);
    EXPECT_EQ(refused.code, kStrategyLocked);
    EXPECT_EQ(refused.context, strategy + ": held by process " + std::to_string(child));

    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    // The killed holder left its file; the lock on it is gone.
    EXPECT_TRUE(std::filesystem::exists(StrategyLock::besidePath(strategy)));
    ASSERT_TRUE(lock.acquire(strategy).ok());
    EXPECT_EQ(TempDir::read(lock.lockFilePath()), std::to_string(::getpid()) + "\n");
}

TEST_F(StrategyLockTest, AReadOnlyFolderPutsTheLockInTheFallbackDirectoryKeyedByThePath) {
    std::filesystem::create_directory(dir / "ro");
    const std::string readOnly = (dir / "ro" / "plant.ksv").string();
    ASSERT_EQ(::chmod((dir / "ro").c_str(), 0555), 0);
    if (::access((dir / "ro").c_str(), W_OK) == 0) {
        ::chmod((dir / "ro").c_str(), 0755);
        GTEST_SKIP() << "permissions do not bind this user";
    }
    StrategyLock first(fallback);
    ASSERT_TRUE(first.acquire(readOnly).ok());
    EXPECT_EQ(first.lockFilePath(), first.fallbackPath(readOnly));
    EXPECT_NE(first.fallbackPath(readOnly), first.fallbackPath(strategy));
    StrategyLock second(fallback);
    EXPECT_EQ(second.acquire(readOnly).code, kStrategyLocked);
    ::chmod((dir / "ro").c_str(), 0755);
}

}  // namespace
}  // namespace kestrune
