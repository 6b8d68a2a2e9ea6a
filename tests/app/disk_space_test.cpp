#include "app/disk_space.h"

#include <gtest/gtest.h>

#include "app_fakes.h"
#include "platform/clock.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::takeMessages;
using testing_support::TempDir;

class DiskSpaceMonitorTest : public ::testing::Test {
  protected:
    // The first pass after a start looks at once; later ones a second apart.
    bool nextPass() {
        clock_.advance(DiskSpaceMonitor::kCheckInterval);
        return monitor_.idle();
    }

    MainQueue queue_;
    ManualClock clock_;
    int probes_ = 0;
    std::optional<std::uint64_t> free_ = 10'000'000;
    DiskSpaceMonitor monitor_{queue_, clock_, [this](const std::string&) {
                                  ++probes_;
                                  return free_;
                              }};
};

TEST_F(DiskSpaceMonitorTest, NothingIsCheckedOutsideARun) {
    free_ = 0;
    EXPECT_FALSE(monitor_.idle());
    EXPECT_EQ(probes_, 0);
}

TEST_F(DiskSpaceMonitorTest, EnoughSpaceReportsNothing) {
    monitor_.start("/plant");
    EXPECT_FALSE(monitor_.idle());
    EXPECT_EQ(queue_.size(), 0u);
}

TEST_F(DiskSpaceMonitorTest, LowSpaceIsReportedWithItsBoundOnEveryPassWithoutMeasuringAgain) {
    monitor_.start("/plant", 2000);
    free_ = 1999;
    EXPECT_TRUE(monitor_.idle());
    free_ = 1'000'000;  // freed meanwhile: the report goes on until the next run
    EXPECT_TRUE(nextPass());
    EXPECT_EQ(probes_, 1);
    const auto messages = takeMessages(queue_);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].id, kMsgRunErrorReport);
    EXPECT_EQ(messages[0].wParam, 34257u);
    EXPECT_EQ(messages[0].lParam, 2000);
    monitor_.start("/plant", 2000);
    EXPECT_FALSE(monitor_.idle());
}

TEST_F(DiskSpaceMonitorTest, PassesWithinASecondOfTheLastLookDoNothing) {
    monitor_.start("/plant", 2000);
    free_ = 10;
    EXPECT_TRUE(monitor_.idle());
    clock_.advance(std::chrono::milliseconds(999));
    EXPECT_FALSE(monitor_.idle());
    EXPECT_FALSE(monitor_.idle());
    clock_.advance(std::chrono::milliseconds(1));
    EXPECT_TRUE(monitor_.idle());
    EXPECT_EQ(queue_.size(), 2u);
}

TEST_F(DiskSpaceMonitorTest, SpaceFallingDuringTheRunIsFoundAtTheNextLook) {
    monitor_.start("/plant", 2000);
    EXPECT_FALSE(monitor_.idle());
    free_ = 1000;
    EXPECT_FALSE(monitor_.idle());  // too soon
    EXPECT_TRUE(nextPass());
    EXPECT_EQ(probes_, 2);
}

TEST_F(DiskSpaceMonitorTest, TheBoundItselfIsEnough) {
    monitor_.start("/plant", 2000);
    free_ = 2000;
    EXPECT_FALSE(monitor_.idle());
}

TEST_F(DiskSpaceMonitorTest, UnmeasurableSpaceIsNotLow) {
    free_ = std::nullopt;
    EXPECT_FALSE(monitor_.isLow("/nowhere"));
    monitor_.start("/nowhere");
    EXPECT_FALSE(monitor_.idle());
}

TEST_F(DiskSpaceMonitorTest, SpaceBeyondFourGigabytesIsNotWrappedIntoLittle) {
    free_ = (std::uint64_t{1} << 32) + 100;
    EXPECT_FALSE(monitor_.isLow("/big"));
}

TEST(DiskSpaceTest, TheRealProbeMeasuresAnExistingDirectoryAndNotAMissingOne) {
    TempDir dir;
    EXPECT_TRUE(freeDiskBytes(dir.path().string()).has_value());
    EXPECT_FALSE(freeDiskBytes((dir / "missing").string()).has_value());
}

TEST(DiskSpaceTest, TheDiskOfADirectoryIsItsMountPoint) {
    EXPECT_EQ(fileSystemRoot("/"), "/");
    TempDir dir;
    const std::string root = fileSystemRoot(dir.path().string());
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.front(), '/');
    EXPECT_EQ(dir.path().string().rfind(root, 0), 0u);
    EXPECT_EQ(fileSystemRoot((dir / "missing").string()), (dir / "missing").string());
}

}  // namespace
}  // namespace kestrune
