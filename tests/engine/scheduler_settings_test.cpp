#include "engine/scheduler_settings.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/prctl.h>

#include <thread>

#include "engine/scheduler.h"
#include "engine/thread_priority.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"

namespace kestrune {
namespace {

TEST(SchedulerSettings, ResolutionIsClampedToFiveToHundred) {
    EXPECT_EQ(SchedulerSettings::clampResolution(2), 5);
    EXPECT_EQ(SchedulerSettings::clampResolution(3), 5);
    EXPECT_EQ(SchedulerSettings::clampResolution(250), 100);
    EXPECT_EQ(SchedulerSettings::clampResolution(500), 100);
    EXPECT_EQ(SchedulerSettings::clampResolution(37), 37);
    EXPECT_EQ(SchedulerSettings::clampResolution(-4), 5);
}

TEST(SchedulerSettings, MissingOrZeroResolutionGivesFive) {
    EXPECT_EQ(SchedulerSettings::clampResolution(0), 5);
}

TEST(SchedulerSettings, DefaultDividerRefreshesAboutEveryFiftyMs) {
    SchedulerSettings s;
    s.setResolution(5);
    EXPECT_EQ(s.refreshDivider, 10);
    EXPECT_EQ(s.refreshIntervalMs(), 55);
    s.setResolution(20);
    EXPECT_EQ(s.refreshDivider, 2);
    // 50 / 60 and 50 / 100 are 0: at least 1.
    s.setResolution(60);
    EXPECT_EQ(s.refreshDivider, 1);
    s.setResolution(100);
    EXPECT_EQ(s.refreshDivider, 1);
}

TEST(SchedulerSettings, DividerFromAStoredRefreshPeriod) {
    EXPECT_EQ(SchedulerSettings::dividerForPeriod(200, 5), 40);
    EXPECT_EQ(SchedulerSettings::dividerForPeriod(3, 5), 1);
    EXPECT_EQ(SchedulerSettings::dividerForPeriod(0, 5), 1);
    EXPECT_EQ(SchedulerSettings::dividerForPeriod(-50, 5), 1);
}

TEST(SchedulerSettings, DisplayPriorityIndexOutsideTheRangeIsIdle) {
    using namespace thread_priority;
    EXPECT_EQ(SchedulerSettings::displayThreadPriority(0), kIdle);
    EXPECT_EQ(SchedulerSettings::displayThreadPriority(1), kLowest);
    EXPECT_EQ(SchedulerSettings::displayThreadPriority(3), kNormal);
    EXPECT_EQ(SchedulerSettings::displayThreadPriority(5), kHighest);
    EXPECT_EQ(SchedulerSettings::displayThreadPriority(7), kIdle);
    EXPECT_EQ(SchedulerSettings::displayThreadPriority(-1), kIdle);
}

TEST(SchedulerSettings, FromTheSettingsFile) {
    Settings file;
    file.taskScheduleRes = 2;
    file.singleTaskMode = true;
    file.dispThreadPriority = 9;
    const SchedulerSettings s = SchedulerSettings::fromSettings(file);
    EXPECT_EQ(s.resolutionMs, 5);
    EXPECT_EQ(s.refreshDivider, 10);
    EXPECT_TRUE(s.singleTaskMode);
    EXPECT_EQ(s.displayPriorityIndex, 0);
}

TEST(SchedulerSettings, SchedulerKeepsOnlyValidValues) {
    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler(ticks, clock, queue);
    SchedulerSettings s;
    s.resolutionMs = 250;
    s.refreshDivider = 0;
    s.displayPriorityIndex = 6;
    scheduler.setSettings(s);
    EXPECT_EQ(scheduler.settings().resolutionMs, 100);
    EXPECT_EQ(scheduler.settings().refreshDivider, 1);
    EXPECT_EQ(scheduler.settings().displayPriorityIndex, 0);
}

TEST(ThreadPriority, IdleIsAlwaysGrantedAndNothingFails) {
    // Each on its own thread: a lowered priority cannot always be raised again.
    std::thread idle([] {
        EXPECT_TRUE(applyThreadPriority(thread_priority::kIdle).applied);
        EXPECT_EQ(sched_getscheduler(0), SCHED_IDLE);
    });
    idle.join();
    std::thread normal([] {
        const PriorityOutcome out = applyThreadPriority(thread_priority::kNormal);
        EXPECT_TRUE(out.applied);
        EXPECT_FALSE(out.realtime);
    });
    normal.join();
    // Real time is granted only to a privileged process; asking must never fail either way.
    for (int p :
         {thread_priority::kTimeCritical, thread_priority::kHighest, thread_priority::kLowest, 99, -99}) {
        std::thread t([p] {
            const PriorityOutcome out = applyThreadPriority(p);
            if (out.realtime) {
                EXPECT_EQ(sched_getscheduler(0), SCHED_FIFO);
            }
            useFinestTimerSlack();
            // 1 ns; real-time threads have no slack at all.
            EXPECT_LE(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), 1);
        });
        t.join();
    }
}

}  // namespace
}  // namespace kestrune
