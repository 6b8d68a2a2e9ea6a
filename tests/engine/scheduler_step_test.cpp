// The master thread's accounting, driven step by step: ticks come from a
// ManualTickSource, the time of day from a ManualClock, and masterStep runs
// on the test's thread. No thread, no wall-clock wait.

#include <gtest/gtest.h>

#include "engine/scheduler.h"
#include "engine_fakes.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"
#include "resources/message_ids.h"

namespace kestrune {
namespace {

using test::FakeMainThread;
using test::FakeTask;
using test::FakeTrend;

class SchedulerStep : public ::testing::Test {
  protected:
    SchedulerStep() : scheduler(ticks, clock, queue), mainThread(queue) {
        mainThread.handleOnPostingThread();
        // The main thread starts a requested task (its thread starts waiting).
        mainThread.onRunRequest = [](SchedulableTask& task, bool start) {
            if (start) static_cast<FakeTask&>(task).setState(TaskThreadState::Waiting);
        };
    }
    ~SchedulerStep() override { scheduler.stop(); }

    void useSettings(bool singleTask = false) {
        SchedulerSettings s;
        s.setResolution(5);
        s.singleTaskMode = singleTask;
        scheduler.setSettings(s);
    }

    // A running task with a period of `periodMs`, waiting for its scan event.
    void addRunning(FakeTask& task, std::uint16_t periodMs) {
        task.timing().setPeriod(ScanPeriod{0, 0, 0, periodMs});
        task.timing().recompute(5);
        task.setState(TaskThreadState::Waiting);
        scheduler.addTask(&task);
        scheduler.addRunningTask(&task);
    }

    void begin(std::vector<TrendUpdateTarget*> trends = {}) {
        ASSERT_TRUE(scheduler.prepareRun({}, std::move(trends)));
        ASSERT_TRUE(scheduler.startTimer());
    }

    // Delivers `n` ticks one by one, each followed by a master step; sums the results.
    MasterStepResult run(int n) {
        MasterStepResult sum;
        for (int i = 0; i < n; ++i) {
            ticks.tick();
            const MasterStepResult r = scheduler.masterStep();
            sum.ticks += r.ticks;
            sum.startsRequested += r.startsRequested;
            sum.tasksSignalled += r.tasksSignalled;
            sum.overrunsReported += r.overrunsReported;
            sum.trendItemsDue += r.trendItemsDue;
            sum.refreshTriggered = sum.refreshTriggered || r.refreshTriggered;
        }
        return sum;
    }

    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler;
    FakeMainThread mainThread;
};

TEST_F(SchedulerStep, TimerRunsAtTheResolution) {
    useSettings();
    begin();
    EXPECT_EQ(ticks.period(), std::chrono::milliseconds(5));
    run(3);
    EXPECT_EQ(scheduler.tickCount(), 3u);
}

TEST_F(SchedulerStep, FiveMsTaskIsSignalledOnEveryTickWhileItKeepsUp) {
    useSettings();
    FakeTask task("TASK1");
    addRunning(task, 5);
    begin();
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(run(1).tasksSignalled, 1) << "tick " << i;
        EXPECT_EQ(task.scanEvents, i);
    }
    EXPECT_EQ(mainThread.count(kMsgRunErrorReport), 0);
}

TEST_F(SchedulerStep, LongerPeriodIsSignalledOncePerPeriod) {
    useSettings();
    FakeTask task("TASK1");
    addRunning(task, 15);  // three ticks
    begin();
    run(1);
    EXPECT_EQ(task.scanEvents, 1);  // due at once after the run start
    run(2);
    EXPECT_EQ(task.scanEvents, 1);
    run(1);
    EXPECT_EQ(task.scanEvents, 2);
}

TEST_F(SchedulerStep, TicksCaughtUpAtOnceGiveOneScanNotABurst) {
    useSettings();
    FakeTask task("TASK1");
    addRunning(task, 5);
    begin();
    ticks.tick(4);
    const MasterStepResult r = scheduler.masterStep();
    EXPECT_EQ(r.ticks, 4);
    EXPECT_EQ(r.tasksSignalled, 1);
}

TEST_F(SchedulerStep, BusyTaskGetsNoExtraScanAndReportsItsOverrunOncePerPeriod) {
    useSettings();
    FakeTask task("TASK1");
    addRunning(task, 10);  // two ticks, overrun beyond four
    begin();
    run(1);
    EXPECT_EQ(task.scanEvents, 1);
    task.setState(TaskThreadState::Scanning);

    EXPECT_EQ(run(4).overrunsReported, 0);
    EXPECT_EQ(run(1).overrunsReported, 1);
    EXPECT_EQ(task.scanEvents, 1);
    const auto reports = mainThread.messages();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, kMsgRunErrorReport);
    EXPECT_EQ(reports[0].wParam, static_cast<std::uint64_t>(kMsgTimerOverrun));
    EXPECT_EQ(paramAs<const SchedulableTask>(reports[0].lParam), &task);

    // Still busy: again one period (plus the tick that passes the limit) later.
    EXPECT_EQ(run(2).overrunsReported, 0);
    EXPECT_EQ(run(1).overrunsReported, 1);

    // Done at last: scanned on the next step, once.
    task.setState(TaskThreadState::Waiting);
    EXPECT_EQ(run(1).tasksSignalled, 1);
    EXPECT_EQ(task.scanEvents, 2);
}

TEST_F(SchedulerStep, OverrunReportFollowsTheTasksWarningFlag) {
    useSettings();
    FakeTask task("TASK1");
    addRunning(task, 5);
    begin();
    run(1);
    task.setState(TaskThreadState::Scanning);
    task.timing().setOverrunWarning(false);
    EXPECT_EQ(run(10).overrunsReported, 0);
    task.timing().setOverrunWarning(true);
    EXPECT_GT(run(10).overrunsReported, 0);
}

TEST_F(SchedulerStep, StoppedTasksAreNotAccounted) {
    useSettings();
    FakeTask task("TASK1");
    addRunning(task, 5);
    scheduler.removeRunningTask(&task);
    begin();
    EXPECT_EQ(run(5).tasksSignalled, 0);
}

TEST_F(SchedulerStep, TimeBasedDurationIsCountedForRunningTasks) {
    useSettings();
    FakeTask task("TASK1");
    task.timing().setDurationMode(DurationMode::TimeBased);
    task.timing().setDuration(HourMinSec{0, 0, 1});
    addRunning(task, 5);
    begin();
    run(150);
    EXPECT_EQ(task.timing().durationCounter(), 150);
    EXPECT_FALSE(task.timing().takeDurationEnd());
    run(50);
    EXPECT_TRUE(task.timing().takeDurationEnd());
}

TEST_F(SchedulerStep, SingleTaskModeHoldsDueTasksWhileOneScans) {
    useSettings(true);
    FakeTask a("TASK1");
    FakeTask b("TASK2");
    addRunning(a, 5);
    addRunning(b, 5);
    begin();
    scheduler.enterScan(&a);  // TASK1's thread is in its scan
    a.setState(TaskThreadState::Scanning);
    EXPECT_EQ(run(1).tasksSignalled, 0);
    EXPECT_EQ(b.scanEvents, 0);
    scheduler.leaveScan(&a);
    a.setState(TaskThreadState::Waiting);
    EXPECT_EQ(run(1).tasksSignalled, 2);
}

TEST_F(SchedulerStep, WithoutSingleTaskModeOthersScanMeanwhile) {
    useSettings(false);
    FakeTask a("TASK1");
    FakeTask b("TASK2");
    addRunning(a, 5);
    addRunning(b, 5);
    begin();
    scheduler.enterScan(&a);
    a.setState(TaskThreadState::Scanning);
    EXPECT_EQ(run(1).tasksSignalled, 1);
    EXPECT_EQ(b.scanEvents, 1);
    scheduler.leaveScan(&a);
    EXPECT_EQ(scheduler.scanningTaskCount(), 0);
}

TEST_F(SchedulerStep, DelayedStartHappensOnceOnTheTickTheDelayIsReached) {
    useSettings();
    FakeTask task("TASK1");
    task.timing().setStartMode(StartMode::Delayed);
    task.timing().setDelay(HourMinSec{0, 0, 2});
    // Not started by the main thread yet: the scheduler must not ask again.
    mainThread.onRunRequest = nullptr;
    scheduler.addTask(&task);
    begin();
    EXPECT_EQ(run(399).startsRequested, 0);
    EXPECT_EQ(run(1).startsRequested, 1);
    EXPECT_EQ(mainThread.count(kMsgTaskStartStop, 1), 1);
    EXPECT_EQ(paramAs<const SchedulableTask>(mainThread.messages().back().lParam), &task);
    EXPECT_EQ(run(1000).startsRequested, 0);

    // The next run counts the delay again.
    scheduler.stopTimer();
    begin();
    EXPECT_EQ(run(400).startsRequested, 1);
}

TEST_F(SchedulerStep, DelayOnlyCountsWhileTheTaskIsStopped) {
    useSettings();
    FakeTask task("TASK1");
    task.timing().setStartMode(StartMode::Delayed);
    task.timing().setDelay(HourMinSec{0, 0, 1});  // 200 ticks
    scheduler.addTask(&task);
    begin();
    run(100);
    task.setState(TaskThreadState::Waiting);  // started by a command meanwhile
    EXPECT_EQ(run(300).startsRequested, 0);
    task.setState(TaskThreadState::Stopped);
    EXPECT_EQ(run(99).startsRequested, 0);
    EXPECT_EQ(run(1).startsRequested, 1);
}

TEST_F(SchedulerStep, ImmediateAndInactiveTasksAreNeverStartedByTheScheduler) {
    useSettings();
    FakeTask immediate("TASK1");
    FakeTask inactive("TASK2");
    inactive.timing().setStartMode(StartMode::Inactive);
    scheduler.addTask(&immediate);
    scheduler.addTask(&inactive);
    begin();
    EXPECT_EQ(run(500).startsRequested, 0);
    EXPECT_EQ(mainThread.count(kMsgTaskStartStop), 0);
}

class SchedulerDailyStep : public SchedulerStep {
  protected:
    void SetUp() override {
        useSettings();
        task.timing().setStartMode(StartMode::SystemTime);
        task.timing().setDailyStart(HourMinSec{8, 0, 0});
        scheduler.addTask(&task);
        clock.setLocalTime(2024, 3, 5, 7, 59, 58);
        begin();
    }
    // One tick with the clock moved on by `by`.
    int stepAfter(std::chrono::milliseconds by) {
        clock.advance(by);
        return run(1).startsRequested;
    }
    FakeTask task{"TASK1"};
};

TEST_F(SchedulerDailyStep, StartsInsideItsWindowAndAgainTheNextDay) {
    EXPECT_EQ(stepAfter(std::chrono::seconds(1)), 0);         // 07:59:59
    EXPECT_EQ(stepAfter(std::chrono::milliseconds(999)), 0);  // 07:59:59.999
    EXPECT_EQ(stepAfter(std::chrono::milliseconds(1)), 0);    // 08:00:00, not strictly after
    EXPECT_EQ(stepAfter(std::chrono::seconds(1)), 1);         // 08:00:01
    EXPECT_EQ(mainThread.count(kMsgTaskStartStop, 1), 1);

    // It ran for a few seconds and stopped inside the window: not again today.
    task.setState(TaskThreadState::Stopped);
    EXPECT_EQ(stepAfter(std::chrono::seconds(3)), 0);
    EXPECT_EQ(stepAfter(std::chrono::seconds(20)), 0);

    clock.setLocalTime(2024, 3, 6, 8, 0, 5);
    EXPECT_EQ(run(1).startsRequested, 1);
    EXPECT_EQ(mainThread.count(kMsgTaskStartStop, 1), 2);
}

TEST_F(SchedulerDailyStep, MissedWindowIsNotCaughtUp) {
    clock.setLocalTime(2024, 3, 5, 8, 0, 10);
    EXPECT_EQ(run(1).startsRequested, 0);
    clock.setLocalTime(2024, 3, 5, 9, 0, 0);
    EXPECT_EQ(run(1).startsRequested, 0);
}

// ---- display refresh and trend items ----

TEST_F(SchedulerStep, DisplaysAreRefreshedEveryDPlusOneTicks) {
    useSettings();  // R = 5, D = 10
    begin();
    EXPECT_FALSE(run(10).refreshTriggered);
    EXPECT_TRUE(run(1).refreshTriggered);  // 11 ticks = 55 ms
    EXPECT_FALSE(run(10).refreshTriggered);
    EXPECT_TRUE(run(1).refreshTriggered);
}

TEST_F(SchedulerStep, RefreshRhythmCountsTicksNotSteps) {
    useSettings();
    begin();
    ticks.tick(6);
    EXPECT_FALSE(scheduler.masterStep().refreshTriggered);
    ticks.tick(5);
    EXPECT_TRUE(scheduler.masterStep().refreshTriggered);
}

TEST_F(SchedulerStep, RefreshDividerFromAStoredPeriod) {
    SchedulerSettings s;
    s.setResolution(20);
    s.setRefreshPeriodMs(100);  // D = 5: every 6 ticks
    scheduler.setSettings(s);
    begin();
    EXPECT_FALSE(run(5).refreshTriggered);
    EXPECT_TRUE(run(1).refreshTriggered);
}

TEST_F(SchedulerStep, TrendItemsBecomeDueOnTheirOwnPeriods) {
    useSettings();
    FakeTrend every3(3, false);
    FakeTrend every5(5, true);
    begin({&every3, &every5});
    EXPECT_EQ(run(2).trendItemsDue, 0);
    EXPECT_EQ(run(1).trendItemsDue, 1);
    EXPECT_EQ(run(2).trendItemsDue, 1);       // tick 5: the other item
    EXPECT_EQ(run(10).trendItemsDue, 4 + 2);  // ticks 6, 9, 12, 15 and 10, 15
}

TEST_F(SchedulerStep, PrepareRunIsRefusedWhileTheTimerRuns) {
    useSettings();
    begin();
    EXPECT_FALSE(scheduler.prepareRun({}, {}));
    scheduler.stopTimer();
    EXPECT_TRUE(scheduler.prepareRun({}, {}));
}

TEST_F(SchedulerStep, NewSettingsWaitForTheNextRun) {
    useSettings();
    begin();
    SchedulerSettings s;
    s.setResolution(50);
    scheduler.setSettings(s);
    EXPECT_EQ(scheduler.activeSettings().resolutionMs, 5);
    scheduler.stopTimer();
    begin();
    EXPECT_EQ(scheduler.activeSettings().resolutionMs, 50);
    EXPECT_EQ(ticks.period(), std::chrono::milliseconds(50));
}

}  // namespace
}  // namespace kestrune
