// The scheduler with its real threads (master, display refresh, trend). Ticks
// still come by hand, so what is checked is order and hand-over between
// threads, never how long anything took. Meant to pass under ThreadSanitizer.

#include <gtest/gtest.h>

#include "engine/scheduler.h"
#include "engine_fakes.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::FakeDisplay;
using test::FakeMainThread;
using test::FakeTask;
using test::FakeTrend;

// A tick source that checks, as the timer starts and stops, that the master
// and display refresh threads are already (still) running: it delivers ticks
// itself and waits for their effect.
class OrderCheckingTickSource : public TickSource {
  public:
    OrderCheckingTickSource(FakeTask& task, FakeDisplay& display) : task_(task), display_(display) {}

    bool start(std::chrono::milliseconds period, Callback onTick) override {
        if (!inner.start(period, std::move(onTick))) return false;
        masterRanAtStart = deliverAndWaitForScan();
        const int refreshes = display_.refreshes;
        inner.tick(11);
        refreshRanAtStart = eventually([&] { return display_.refreshes > refreshes; });
        return true;
    }
    void stop() override {
        if (inner.running()) masterRanAtStop = deliverAndWaitForScan();
        inner.stop();
    }
    bool running() const override { return inner.running(); }

    ManualTickSource inner;
    std::atomic<bool> masterRanAtStart{false};
    std::atomic<bool> refreshRanAtStart{false};
    std::atomic<bool> masterRanAtStop{false};

  private:
    bool deliverAndWaitForScan() {
        const int before = task_.scanEvents;
        inner.tick();
        return eventually([&] { return task_.scanEvents > before; });
    }
    FakeTask& task_;
    FakeDisplay& display_;
};

class SchedulerThreads : public ::testing::Test {
  protected:
    SchedulerThreads() : scheduler(ticks, clock, queue), mainThread(queue) {
        SchedulerSettings s;
        s.setResolution(5);
        scheduler.setSettings(s);
        scheduler.setWaitBounds({5s, 3s});
        mainThread.handleOnOwnThread();
    }
    ~SchedulerThreads() override {
        scheduler.stop();
        mainThread.stopOwnThread();
    }

    void addRunning(FakeTask& task) {
        task.timing().setPeriod(ScanPeriod{0, 0, 0, 5});
        task.timing().recompute(5);
        task.setState(TaskThreadState::Waiting);
        scheduler.addTask(&task);
        scheduler.addRunningTask(&task);
    }

    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler;
    FakeMainThread mainThread;
};

TEST_F(SchedulerThreads, TimerStartsLastAndStopsFirst) {
    FakeTask task("TASK1");
    FakeDisplay display;
    OrderCheckingTickSource source(task, display);
    ManualClock localClock;
    Scheduler own(source, localClock, queue);
    own.setSettings(scheduler.settings());
    task.timing().setPeriod(ScanPeriod{0, 0, 0, 5});
    task.timing().recompute(5);
    task.setState(TaskThreadState::Waiting);
    own.addRunningTask(&task);

    EXPECT_TRUE(own.start({&display}, {}));
    EXPECT_TRUE(source.masterRanAtStart);
    EXPECT_TRUE(source.refreshRanAtStart);
    EXPECT_TRUE(own.stop());
    EXPECT_TRUE(source.masterRanAtStop);
    EXPECT_FALSE(source.running());
}

TEST_F(SchedulerThreads, MasterThreadSignalsDueTasksOnEveryTick) {
    FakeTask task("TASK1");
    addRunning(task);
    ASSERT_TRUE(scheduler.start({}, {}));
    for (int i = 1; i <= 5; ++i) {
        ticks.tick();
        ASSERT_TRUE(task.scanEvent.waitFor(10s));
    }
    EXPECT_TRUE(scheduler.stop());
    // No timer, no master: ticks delivered by hand now go nowhere.
    EXPECT_EQ(ticks.tick(), 0);
}

TEST_F(SchedulerThreads, DelayedTaskIsRequestedThroughTheMainQueue) {
    FakeTask task("TASK1");
    task.timing().setStartMode(StartMode::Delayed);
    task.timing().setDelay(HourMinSec{0, 0, 0});  // one tick
    scheduler.addTask(&task);
    ASSERT_TRUE(scheduler.start({}, {}));
    ticks.tick();
    EXPECT_TRUE(eventually([&] { return mainThread.count(kMsgTaskStartStop, 1) == 1; }));
    EXPECT_TRUE(scheduler.stop());
}

TEST_F(SchedulerThreads, MasterStopsWhileItsStartRequestIsNeverTaken) {
    mainThread.stopOwnThread();  // nobody takes messages any more
    FakeTask task("TASK1");
    task.timing().setStartMode(StartMode::Delayed);
    scheduler.addTask(&task);
    ASSERT_TRUE(scheduler.start({}, {}));
    ticks.tick();
    ASSERT_TRUE(eventually([&] { return queue.size() == 1; }));
    // The master waits for the request to be taken, but the quit event ends that wait.
    EXPECT_TRUE(scheduler.stop());
}

TEST_F(SchedulerThreads, RefreshThreadPostsToEveryDisplay) {
    FakeDisplay one;
    FakeDisplay two;
    ASSERT_TRUE(scheduler.start({&one, &two}, {}));
    ticks.tick(11);
    ASSERT_TRUE(eventually([&] { return one.refreshes == 1 && two.refreshes == 1; }));
    // The handshake: the last refresh is done, one more is triggered and waited for.
    EXPECT_TRUE(scheduler.waitRefreshAndTrigger());
    EXPECT_TRUE(scheduler.waitRefresh());
    EXPECT_EQ(one.refreshes, 2);
    EXPECT_EQ(two.refreshes, 2);
    EXPECT_TRUE(scheduler.stop());
}

TEST_F(SchedulerThreads, RefreshWaitsAreBounded) {
    scheduler.setWaitBounds({5s, 20ms});
    ManualResetEvent release;
    FakeDisplay stuck;
    stuck.blockUntil = &release;
    ASSERT_TRUE(scheduler.start({&stuck}, {}));
    // No refresh has finished yet, and the one triggered now hangs in the display.
    EXPECT_FALSE(scheduler.waitRefreshAndTrigger());
    EXPECT_FALSE(scheduler.waitRefresh());
    release.set();
    EXPECT_TRUE(eventually([&] { return scheduler.waitRefresh(); }));
    EXPECT_TRUE(scheduler.stop());
}

TEST_F(SchedulerThreads, WithoutARefreshThreadTheHandshakeDoesNotWait) {
    EXPECT_FALSE(scheduler.waitRefresh());
    EXPECT_FALSE(scheduler.waitRefreshAndTrigger());
}

TEST_F(SchedulerThreads, ThreadThatDoesNotEndIsAbandonedAndEndsSafelyLater) {
    ManualResetEvent release;
    FakeDisplay stuck;
    stuck.blockUntil = &release;
    {
        ManualTickSource ownTicks;
        ManualClock ownClock;
        MainQueue ownQueue;
        Scheduler own(ownTicks, ownClock, ownQueue);
        own.setWaitBounds({50ms, 3s});
        ASSERT_TRUE(own.start({&stuck}, {}));
        ownTicks.tick(11);
        ASSERT_TRUE(eventually([&] { return stuck.entered.load(); }));
        // The refresh thread hangs in the display; the stop goes on without it.
        EXPECT_FALSE(own.stop());
    }
    // The scheduler is gone; the abandoned thread comes back and must touch nothing freed.
    release.set();
    EXPECT_TRUE(eventually([&] { return stuck.returned.load(); }));
    std::this_thread::sleep_for(50ms);
}

TEST_F(SchedulerThreads, TrendThreadUpdatesDueItemsWithoutOwnerOrWhilePaused) {
    std::atomic<bool> paused{false};
    scheduler.setPausedProbe([&] { return paused.load(); });
    FakeTrend owned(2, true);
    FakeTrend inactive(2, false);
    inactive.active = false;
    FakeTrend unowned(2, false);
    // Listed before `unowned`, so once that one is updated they have been looked at in the same pass.
    ASSERT_TRUE(scheduler.start({}, {&owned, &inactive, &unowned}));
    ticks.tick(2);
    ASSERT_TRUE(unowned.scanned.waitFor(10s));
    EXPECT_EQ(owned.scans, 0);
    EXPECT_EQ(inactive.scans, 0);

    paused = true;
    ticks.tick(2);
    ASSERT_TRUE(unowned.scanned.waitFor(10s));
    EXPECT_EQ(owned.scans, 1);
    EXPECT_EQ(inactive.scans, 0);
    EXPECT_TRUE(scheduler.stop());
}

// ---- stopping the tasks ----

TEST_F(SchedulerThreads, StopAllTasksAsksEveryRunningTask) {
    FakeTask a("TASK1");
    FakeTask b("TASK2");
    FakeTask idle("TASK3");
    addRunning(a);
    addRunning(b);
    scheduler.addTask(&idle);
    scheduler.stopAllTasks();
    EXPECT_EQ(a.stopCalls, 1);
    EXPECT_EQ(b.stopCalls, 1);
    EXPECT_EQ(idle.stopCalls, 0);
}

TEST_F(SchedulerThreads, AllTasksStoppedPollsInListOrderUpToTheFirstStillRunning) {
    FakeTask a("TASK1");
    FakeTask b("TASK2");
    FakeTask c("TASK3");
    addRunning(a);
    addRunning(b);
    addRunning(c);
    b.stoppedAnswer = false;
    EXPECT_FALSE(scheduler.allTasksStopped());
    EXPECT_EQ(a.stopPolls, 1);
    EXPECT_EQ(b.stopPolls, 1);
    EXPECT_EQ(c.stopPolls, 0);
    EXPECT_FALSE(scheduler.isRunningTask(&a));
    EXPECT_EQ(scheduler.runningTaskCount(), 2u);

    b.stoppedAnswer = true;
    EXPECT_TRUE(scheduler.allTasksStopped());
    EXPECT_EQ(scheduler.runningTaskCount(), 0u);
    EXPECT_TRUE(scheduler.allTasksStopped());
}

TEST_F(SchedulerThreads, TaskListsRejectDuplicatesAndUnknownRemovals) {
    FakeTask a("TASK1");
    scheduler.addTask(&a);
    scheduler.addTask(&a);
    EXPECT_TRUE(scheduler.removeTask(&a));
    EXPECT_FALSE(scheduler.removeTask(&a));
    scheduler.addRunningTask(&a);
    scheduler.addRunningTask(&a);
    EXPECT_EQ(scheduler.runningTaskCount(), 1u);
    EXPECT_TRUE(scheduler.removeRunningTask(&a));
    EXPECT_FALSE(scheduler.removeRunningTask(&a));
}

}  // namespace
}  // namespace kestrune
