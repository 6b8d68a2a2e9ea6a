#include "app/run_error_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/status_text.h"
#include "app_fakes.h"
#include "platform/clock.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::countMessages;
using testing_support::takeMessages;
using testing_support::TempDir;

class RunErrorLogTest : public ::testing::Test {
  protected:
    RunErrorLogTest() { clock_.setLocalTime(2005, 3, 7, 10, 0, 0); }

    void startLog() { ASSERT_TRUE(log_.start(dir_.path().string(), true).ok()); }
    // One report: queued by the error report, written when the main thread
    // takes the message it posted.
    void reportAt(std::string_view text) {
        ASSERT_TRUE(log_.queue(text));
        for (const MainMessage& m : takeMessages(queue_)) {
            if (m.id == kMsgWriteRunError) {
                EXPECT_TRUE(log_.writeNext().ok());
            }
        }
    }
    std::string file() const { return TempDir::read(dir_ / "RUNERR.LOG"); }

    TempDir dir_;
    MainQueue queue_;
    ManualClock clock_;
    RunErrorLog log_{queue_, clock_};
};

TEST_F(RunErrorLogTest, FiveRepeatsWithinFourSecondsAreOneLine) {
    startLog();
    for (int i = 0; i < 5; ++i) {
        reportAt("Data Overrun:1");
        clock_.advance(std::chrono::seconds(1));
    }
    EXPECT_EQ(file(), "");  // the repeats wait for a different text or the stop
    ASSERT_TRUE(log_.stop().ok());
    EXPECT_EQ(file(), "03/07/05 10:00:00 To 10:00:04 Count=5 Data Overrun:1\r\n");
}

TEST_F(RunErrorLogTest, ADifferentTextWritesTheWaitingOne) {
    startLog();
    reportAt("first");
    clock_.advance(std::chrono::seconds(2));
    reportAt("second");
    EXPECT_EQ(file(), "03/07/05 10:00:00 first\r\n");
    ASSERT_TRUE(log_.stop().ok());
    EXPECT_EQ(file(), "03/07/05 10:00:00 first\r\n03/07/05 10:00:02 second\r\n");
}

TEST_F(RunErrorLogTest, ARepeatSpanningMidnightNamesTheLastDateWithFourDigitYear) {
    clock_.setLocalTime(2005, 3, 7, 23, 59, 58);
    startLog();
    reportAt("Timer overrun");
    clock_.setLocalTime(2005, 3, 8, 0, 0, 3);
    reportAt("Timer overrun");
    ASSERT_TRUE(log_.stop().ok());
    EXPECT_EQ(file(), "03/07/05 23:59:58 To 03/08/2005 00:00:03 Count=2 Timer overrun\r\n");
}

TEST_F(RunErrorLogTest, OnlyExactlyEqualTextsFold) {
    startLog();
    reportAt("Error");
    reportAt("Error ");
    reportAt("error ");
    ASSERT_TRUE(log_.stop().ok());
    EXPECT_EQ(file(), "03/07/05 10:00:00 Error\r\n03/07/05 10:00:00 Error \r\n03/07/05 10:00:00 error \r\n");
}

TEST_F(RunErrorLogTest, StopWritesTextsStillQueuedInOrder) {
    startLog();
    log_.queue("a");
    log_.queue("a");
    log_.queue("b");
    ASSERT_TRUE(log_.stop().ok());
    EXPECT_EQ(file(), "03/07/05 10:00:00 To 10:00:00 Count=2 a\r\n03/07/05 10:00:00 b\r\n");
    // The messages posted for them find nothing left to write.
    for (std::size_t n = takeMessages(queue_).size(); n > 0; --n) EXPECT_TRUE(log_.writeNext().ok());
    EXPECT_EQ(file(), "03/07/05 10:00:00 To 10:00:00 Count=2 a\r\n03/07/05 10:00:00 b\r\n");
}

TEST_F(RunErrorLogTest, EachRunStartsAfreshAndAppends) {
    TempDir::write(dir_ / "RUNERR.LOG", "earlier\r\n");
    startLog();
    reportAt("x");
    ASSERT_TRUE(log_.stop().ok());
    startLog();
    reportAt("x");
    ASSERT_TRUE(log_.stop().ok());
    EXPECT_EQ(file(), "earlier\r\n03/07/05 10:00:00 x\r\n03/07/05 10:00:00 x\r\n");
}

TEST_F(RunErrorLogTest, StartCreatesAMissingFileWithoutTruncatingAnExistingOne) {
    startLog();
    EXPECT_TRUE(std::filesystem::exists(dir_ / "RUNERR.LOG"));
    TempDir::write(dir_ / "RUNERR.LOG", "kept\r\n");
    startLog();
    EXPECT_EQ(file(), "kept\r\n");
}

TEST_F(RunErrorLogTest, WhenLoggingIsOffNothingIsQueuedOrWritten) {
    ASSERT_TRUE(log_.start(dir_.path().string(), false).ok());
    EXPECT_FALSE(log_.queue("x"));
    EXPECT_EQ(queue_.size(), 0u);
    EXPECT_TRUE(log_.stop().ok());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "RUNERR.LOG"));
}

TEST_F(RunErrorLogTest, AFileThatCannotBeCreatedFailsTheStartWithItsName) {
    const std::string missing = (dir_ / "gone").string();
    const Status s = log_.start(missing, true);
    EXPECT_EQ(s.code, 32860);
    EXPECT_EQ(s.context, missing + "/RUNERR.LOG");
    EXPECT_EQ(statusText(s), "Cannot open file: " + missing + "/RUNERR.LOG");
    EXPECT_FALSE(log_.queue("x"));
}

TEST_F(RunErrorLogTest, AFileThatVanishesDuringTheRunReportsTheFailure) {
    startLog();
    reportAt("one");
    std::filesystem::remove(dir_ / "RUNERR.LOG");
    std::filesystem::create_directory(dir_ / "RUNERR.LOG");
    log_.queue("two");
    const Status s = log_.writeNext();
    EXPECT_EQ(s.code, 32860);
    EXPECT_EQ(s.context, (dir_ / "RUNERR.LOG").string());
}

TEST_F(RunErrorLogTest, EveryAcceptedTextPostsOneWriteMessage) {
    startLog();
    for (int i = 0; i < 52; ++i) log_.queue("e");
    EXPECT_EQ(countMessages(takeMessages(queue_), kMsgWriteRunError), 50u);
}

TEST(RunErrorLineTest, ASingleOccurrenceHasOnlyItsOwnTime) {
    std::tm t{};
    t.tm_year = 2012 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 5;
    t.tm_sec = 9;
    EXPECT_EQ(runErrorLine("text", t, t, 1), "12/31/12 23:05:09 text\r\n");
}

}  // namespace
}  // namespace kestrune
