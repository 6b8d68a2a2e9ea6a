#include "engine/task_timing.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrune {
namespace {

constexpr int kR5 = 5;

ScanPeriod ms(std::uint16_t m) {
    return ScanPeriod{0, 0, 0, m};
}

TEST(TaskTimingPeriod, TwelveMsAtFiveIsStoredAsTenWithNotice) {
    TaskTiming t;
    t.setPeriod(ms(12));
    const PeriodAdjustment a = t.adjustPeriod(kR5);
    EXPECT_TRUE(a.noticeDue);
    EXPECT_EQ(a.periodMs, 10);
    EXPECT_EQ(t.periodMs(), 10);
    EXPECT_EQ(t.periodTicks(), 2);
    EXPECT_EQ(t.period(), ms(10));
    EXPECT_EQ(a.noticeText(),
              "The task scan period you typed will be adjusted to fit the resolution (5ms) of multi-task "
              "scheduling timer. Please refer to the manual for further information.");
}

TEST(TaskTimingPeriod, ZeroBecomesOneTickWithNotice) {
    TaskTiming t;
    t.setPeriod(ms(0));
    const PeriodAdjustment a = t.adjustPeriod(kR5);
    EXPECT_TRUE(a.noticeDue);
    EXPECT_EQ(t.periodMs(), 5);
    EXPECT_EQ(t.periodTicks(), 1);
    EXPECT_EQ(t.period(), ms(5));
}

TEST(TaskTimingPeriod, MultipleOfResolutionNeedsNoNotice) {
    TaskTiming t;
    t.setPeriod(ScanPeriod{0, 0, 2, 500});
    const PeriodAdjustment a = t.adjustPeriod(kR5);
    EXPECT_FALSE(a.noticeDue);
    EXPECT_EQ(t.periodMs(), 2500);
    EXPECT_EQ(t.periodTicks(), 500);
    EXPECT_EQ(t.overrunLimit(), 1000);
    EXPECT_EQ(t.overrunThreshold(), 1);
    EXPECT_EQ(t.elapsedTicks(), 500);
}

TEST(TaskTimingPeriod, AdjustedPeriodIsSplitBackIntoHoursMinutesSecondsMs) {
    TaskTiming t;
    // 1 h 1 min 1 s 234 ms at R = 100 keeps 1 h 1 min 1 s 200 ms.
    t.setPeriod(ScanPeriod{1, 1, 1, 234});
    EXPECT_TRUE(t.adjustPeriod(100).noticeDue);
    EXPECT_EQ(t.period(), (ScanPeriod{1, 1, 1, 200}));
    EXPECT_EQ(t.periodMs(), 3661200);
    // Entered minutes and seconds beyond 59 come back normalised.
    t.setPeriod(ScanPeriod{0, 90, 75, 0});
    EXPECT_FALSE(t.adjustPeriod(kR5).noticeDue);
    EXPECT_EQ(t.period(), (ScanPeriod{1, 31, 15, 0}));
}

TEST(TaskTimingPeriod, PeriodTooLongForItsMillisecondCountIsCut) {
    TaskTiming t;
    t.setPeriod(ScanPeriod{65535, 59, 59, 999});
    const PeriodAdjustment a = t.adjustPeriod(kR5);
    EXPECT_TRUE(a.noticeDue);
    EXPECT_GT(t.periodMs(), 0);
    EXPECT_EQ(t.periodMs() % kR5, 0);
    EXPECT_LE(t.periodMs(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(t.period().totalMs(), t.periodMs());
}

TEST(TaskTimingPeriod, RecomputeFollowsANewResolution) {
    TaskTiming t;
    t.setPeriod(ms(10));
    t.recompute(kR5);
    EXPECT_EQ(t.periodTicks(), 2);
    // At R = 20 a 10 ms period is below one tick: it becomes one tick of 20 ms.
    t.recompute(20);
    EXPECT_EQ(t.periodTicks(), 1);
    EXPECT_EQ(t.periodMs(), 20);
}

TEST(TaskTimingPriority, CodesAboveFourAreStoredAsNormal) {
    TaskTiming t;
    EXPECT_EQ(t.priorityCode(), 2);
    t.setPriorityCode(4);
    EXPECT_EQ(t.threadPriority(), 2);
    t.setPriorityCode(0);
    EXPECT_EQ(t.threadPriority(), -2);
    t.setPriorityCode(5);
    EXPECT_EQ(t.priorityCode(), 2);
    EXPECT_EQ(t.threadPriority(), 0);
    t.setPriorityCode(255);
    EXPECT_EQ(t.priorityCode(), 2);
}

TEST(TaskTimingRecompute, DelayDurationAndDailyTimeInTicksAndMs) {
    TaskTiming t;
    t.setDelay(HourMinSec{0, 0, 2});
    t.setDuration(HourMinSec{1, 0, 0});
    t.setDailyStart(HourMinSec{8, 30, 15});
    t.recompute(kR5);
    EXPECT_EQ(t.delayTicks(), 400);
    EXPECT_EQ(t.durationTicks(), 720000);
    EXPECT_EQ(t.dailyStartMs(), (8 * 3600 + 30 * 60 + 15) * 1000LL);
    // Zero delay and duration still take one tick.
    t.setDelay({});
    t.setDuration({});
    t.recompute(kR5);
    EXPECT_EQ(t.delayTicks(), 1);
    EXPECT_EQ(t.durationTicks(), 1);
}

TEST(TaskTimingRecompute, ClearsCountersAndSwitchesTheOverrunWarningOn) {
    TaskTiming t;
    t.setPeriod(ms(5));
    t.setStartMode(StartMode::Delayed);
    t.setDurationMode(DurationMode::TimeBased);
    t.setDuration(HourMinSec{0, 0, 1});
    t.recompute(kR5);
    t.advanceDelay(7);
    t.advanceDuration(3);
    t.advancePeriod(9);
    t.setOverrunWarning(false);
    t.recompute(kR5);
    EXPECT_EQ(t.delayCounter(), 0);
    EXPECT_EQ(t.durationCounter(), 0);
    EXPECT_EQ(t.elapsedTicks(), t.periodTicks());
    EXPECT_TRUE(t.overrunWarning());
}

TEST(TaskTimingRecompute, CopyTakesTheConfigurationNotTheCounters) {
    TaskTiming a;
    a.setPeriod(ms(20));
    a.setStartMode(StartMode::Delayed);
    a.setDelay(HourMinSec{0, 1, 0});
    a.setDurationMode(DurationMode::ScanBased);
    a.setScanLimit(9);
    a.setPriorityCode(3);
    a.recompute(kR5);
    a.advanceDelay(5);
    TaskTiming b(a);
    EXPECT_EQ(b.period(), ms(20));
    EXPECT_EQ(b.startMode(), StartMode::Delayed);
    EXPECT_EQ(b.delay(), (HourMinSec{0, 1, 0}));
    EXPECT_EQ(b.scanLimit(), 9);
    EXPECT_EQ(b.priorityCode(), 3);
    EXPECT_EQ(b.delayCounter(), 0);
}

// ---- overrun accounting ----

class TaskTimingOverrun : public ::testing::Test {
  protected:
    // A 10 ms task at R = 5: two ticks, overrun limit four.
    void SetUp() override {
        t.setPeriod(ms(10));
        t.recompute(kR5);
        t.releasePeriod();
    }
    TaskTiming t;
};

TEST_F(TaskTimingOverrun, DueAfterItsPeriod) {
    EXPECT_FALSE(t.advancePeriod(1).due);
    EXPECT_TRUE(t.advancePeriod(1).due);
}

TEST_F(TaskTimingOverrun, BusyTaskReportsOncePerPeriod) {
    std::vector<int> reportsAt;
    for (int tick = 1; tick <= 12; ++tick)
        if (t.advancePeriod(1).reportOverrun) reportsAt.push_back(tick);
    // Beyond twice the period (elapsed 5 > 4) the first report, then elapsed
    // starts again from one period: every period plus one tick.
    EXPECT_EQ(reportsAt, (std::vector<int>{5, 8, 11}));
    EXPECT_EQ(t.overrunCount(), 0);
}

TEST_F(TaskTimingOverrun, ClearedWarningSilencesTheReportButNotTheReset) {
    t.setOverrunWarning(false);
    for (int tick = 1; tick <= 5; ++tick) EXPECT_FALSE(t.advancePeriod(1).reportOverrun);
    EXPECT_EQ(t.elapsedTicks(), t.periodTicks());
}

// ---- durations, delays, daily starts ----

TEST(TaskTimingDuration, ScanBasedEndsOnTheLimitAndStartsOver) {
    TaskTiming t;
    t.setDurationMode(DurationMode::ScanBased);
    t.setScanLimit(3);
    EXPECT_FALSE(t.countScan());
    EXPECT_FALSE(t.countScan());
    EXPECT_TRUE(t.countScan());
    EXPECT_EQ(t.scanCounter(), 0);
}

TEST(TaskTimingDuration, ScanLimitBelowOneEndsAfterOneScan) {
    TaskTiming t;
    t.setDurationMode(DurationMode::ScanBased);
    t.setScanLimit(0);
    EXPECT_TRUE(t.countScan());
}

TEST(TaskTimingDuration, OtherModesNeverEnd) {
    TaskTiming t;
    t.setScanLimit(1);
    t.recompute(kR5);
    t.advanceDuration(1000);
    EXPECT_FALSE(t.countScan());
    EXPECT_FALSE(t.takeDurationEnd());
    EXPECT_EQ(t.durationCounter(), 0);
}

TEST(TaskTimingDuration, TimeBasedCountsUpToItsTicksOnly) {
    TaskTiming t;
    t.setDurationMode(DurationMode::TimeBased);
    t.setDuration(HourMinSec{0, 0, 1});  // 200 ticks
    t.recompute(kR5);
    t.advanceDuration(199);
    EXPECT_FALSE(t.takeDurationEnd());
    t.advanceDuration(5);
    t.advanceDuration(5);  // already reached: not counted further
    EXPECT_EQ(t.durationCounter(), 204);
    EXPECT_TRUE(t.takeDurationEnd());
    EXPECT_FALSE(t.takeDurationEnd());
}

TEST(TaskTimingDelay, ReachedOnceAndOnlyInDelayedMode) {
    TaskTiming t;
    t.setDelay(HourMinSec{0, 0, 2});
    t.recompute(kR5);
    EXPECT_FALSE(t.advanceDelay(400));  // not a delayed task
    t.setStartMode(StartMode::Delayed);
    EXPECT_FALSE(t.advanceDelay(399));
    EXPECT_TRUE(t.advanceDelay(3));
    EXPECT_FALSE(t.advanceDelay(1));
    t.recompute(kR5);
    EXPECT_TRUE(t.advanceDelay(400));
}

class TaskTimingDaily : public ::testing::Test {
  protected:
    static std::int64_t at(int h, int m, int s) { return 1000LL * (3600 * h + 60 * m + s); }
    void SetUp() override {
        t.setStartMode(StartMode::SystemTime);
        t.setDailyStart(HourMinSec{8, 0, 0});
        t.recompute(kR5);
    }
    TaskTiming t;
};

TEST_F(TaskTimingDaily, StartsStrictlyInsideTheTenSecondWindow) {
    EXPECT_FALSE(t.dailyStartDue(at(7, 59, 59), true));
    EXPECT_FALSE(t.dailyStartDue(at(8, 0, 0), true));
    EXPECT_TRUE(t.dailyStartDue(at(8, 0, 1), true));
}

TEST_F(TaskTimingDaily, NotAtTheEndOfTheWindow) {
    EXPECT_FALSE(t.dailyStartDue(at(8, 0, 10), true));
}

TEST_F(TaskTimingDaily, OncePerWindowAndAgainTheNextDay) {
    EXPECT_TRUE(t.dailyStartDue(at(8, 0, 1), true));
    EXPECT_FALSE(t.dailyStartDue(at(8, 0, 2), true));
    EXPECT_FALSE(t.dailyStartDue(at(8, 0, 9), true));
    EXPECT_FALSE(t.dailyStartDue(at(12, 0, 0), true));
    EXPECT_TRUE(t.dailyStartDue(at(8, 0, 3), true));
}

TEST_F(TaskTimingDaily, ARunningTaskIsStartedWhenItStopsInsideTheWindow) {
    EXPECT_FALSE(t.dailyStartDue(at(8, 0, 1), false));
    EXPECT_TRUE(t.dailyStartDue(at(8, 0, 4), true));
}

TEST_F(TaskTimingDaily, WindowRunsOnPastMidnight) {
    t.setDailyStart(HourMinSec{23, 59, 59});
    t.recompute(kR5);
    EXPECT_FALSE(t.dailyStartDue(at(23, 59, 59), true));
    EXPECT_TRUE(t.dailyStartDue(at(0, 0, 0), true));
}

}  // namespace
}  // namespace kestrune
