// The task thread loop with a fake task body and a fake main thread that
// takes the task's own stop requests. Real threads; meant for ThreadSanitizer.

#include "engine/task_thread.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/task_requests.h"
#include "engine_fakes.h"
#include "platform/clock.h"
#include "platform/tick_source.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::FakeMainThread;

class FakeBody : public TaskThreadBody {
  public:
    Code runPreTaskScript() override {
        ++preRuns;
        return preResult.load();
    }
    void runScan() override {
        const int now = ++*concurrent;
        int seen = maxConcurrent->load();
        while (now > seen && !maxConcurrent->compare_exchange_weak(seen, now)) {
        }
        if (gate) gate->wait();
        if (duringScan) duringScan(scans.load() + 1);
        if (spin) std::this_thread::sleep_for(200us);
        --*concurrent;
        ++scans;
        scanned.set();
    }
    void finishScripts() override {
        finishedAfterScans = scans.load();
        ++finishRuns;
    }
    bool scriptsDisabled() const override {
        ++events;
        return disabled.load();
    }
    bool runPaused() const override {
        ++pauseQueries;
        return paused.load();
    }

    std::atomic<Code> preResult{kOk};
    std::atomic<int> preRuns{0};
    std::atomic<int> scans{0};
    std::atomic<int> finishRuns{0};
    std::atomic<int> finishedAfterScans{-1};
    mutable std::atomic<int> events{0};
    mutable std::atomic<int> pauseQueries{0};
    std::atomic<bool> disabled{false};
    std::atomic<bool> paused{false};
    ManualResetEvent* gate = nullptr;
    std::function<void(int scanNumber)> duringScan;
    bool spin = false;
    AutoResetEvent scanned;
    std::atomic<int> ownConcurrent{0};
    std::atomic<int> ownMax{0};
    std::atomic<int>* concurrent = &ownConcurrent;
    std::atomic<int>* maxConcurrent = &ownMax;
};

// A task as the scan task will be: the scheduler's interface over a TaskThread.
class ThreadedTask : public SchedulableTask {
  public:
    ThreadedTask(std::string name, Scheduler& scheduler, MainQueue& queue)
        : name_(std::move(name)), thread(*this, body, scheduler, queue) {
        timing_.setPeriod(ScanPeriod{0, 0, 0, 5});
        timing_.recompute(5);
    }
    std::string taskName() const override { return name_; }
    TaskTiming& timing() override { return timing_; }
    TaskThreadState threadState() const override { return thread.state(); }
    void setScanEvent() override { thread.setScanEvent(); }
    Code stop() override {
        thread.requestStop();
        return kOk;
    }
    bool isStopped() override {
        return thread.pollStopped(timing_.periodTicks()) == TaskThread::StopPoll::Stopped;
    }
    ResetEvent& requestHandledEvent() override { return thread.requestHandledEvent(); }
    const void* messageObject() const override { return static_cast<const SchedulableTask*>(this); }

    FakeBody body;

  private:
    std::string name_;
    TaskTiming timing_;

  public:
    TaskThread thread;
};

class TaskThreadTest : public ::testing::Test {
  protected:
    // The fake main thread only takes requests; stopping and polling a task
    // stay on the test's thread, as they stay on the main thread in the program.
    TaskThreadTest() : scheduler(ticks, clock, queue), mainThread(queue) { mainThread.handleOnOwnThread(); }
    ~TaskThreadTest() override { mainThread.stopOwnThread(); }

    void useSingleTaskMode(bool on) {
        SchedulerSettings s;
        s.singleTaskMode = on;
        scheduler.setSettings(s);
        ASSERT_TRUE(scheduler.prepareRun({}, {}));
    }
    // One scan event, and wait until that scan is done.
    static void scanOnce(ThreadedTask& task) {
        task.setScanEvent();
        ASSERT_TRUE(task.body.scanned.waitFor(10s));
    }
    static bool stopAndWait(ThreadedTask& task) {
        task.stop();
        return eventually([&] { return task.isStopped(); });
    }

    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler;
    FakeMainThread mainThread;
};

TEST_F(TaskThreadTest, FirstScanRunsThePreTaskScriptOnceAndTheEndThePostTaskScript) {
    ThreadedTask task("TASK1", scheduler, queue);
    ASSERT_TRUE(task.thread.start(0));
    EXPECT_FALSE(task.thread.start(0));
    ASSERT_TRUE(eventually([&] { return task.threadState() == TaskThreadState::Waiting; }));
    EXPECT_EQ(scheduler.runningThreadCount(), 1);
    for (int i = 0; i < 3; ++i) scanOnce(task);
    EXPECT_EQ(task.body.preRuns, 1);
    EXPECT_EQ(task.body.scans, 3);
    EXPECT_EQ(task.body.finishRuns, 0);

    ASSERT_TRUE(stopAndWait(task));
    EXPECT_EQ(task.body.finishRuns, 1);
    EXPECT_EQ(task.threadState(), TaskThreadState::Stopped);
    EXPECT_EQ(scheduler.runningThreadCount(), 0);
    EXPECT_FALSE(task.thread.stopping());
}

TEST_F(TaskThreadTest, FailingPreTaskScriptStopsTheTaskBeforeAnyScan) {
    ThreadedTask task("TASK1", scheduler, queue);
    task.body.preResult = 32905;
    ASSERT_TRUE(task.thread.start(0));
    task.setScanEvent();
    ASSERT_TRUE(eventually([&] { return mainThread.count(kMsgTaskStartStop, 0) == 1; }));
    // A second scan event finds the thread waiting only for its stop.
    task.setScanEvent();
    ASSERT_TRUE(eventually([&] { return task.body.events == 2; }));
    ASSERT_TRUE(stopAndWait(task));
    EXPECT_EQ(task.body.preRuns, 1);
    EXPECT_EQ(task.body.scans, 0);
    EXPECT_EQ(task.body.finishRuns, 1);
}

TEST_F(TaskThreadTest, ScanBasedDurationRequestsTheStopAfterTheThirdScan) {
    ThreadedTask task("TASK1", scheduler, queue);
    task.timing().setDurationMode(DurationMode::ScanBased);
    task.timing().setScanLimit(3);
    task.timing().recompute(5);
    ASSERT_TRUE(task.thread.start(0));
    scanOnce(task);
    scanOnce(task);
    EXPECT_EQ(mainThread.count(kMsgTaskStartStop, 0), 0);
    scanOnce(task);
    ASSERT_TRUE(eventually([&] { return mainThread.count(kMsgTaskStartStop, 0) == 1; }));

    task.setScanEvent();
    ASSERT_TRUE(eventually([&] { return task.body.events == 4; }));
    EXPECT_EQ(task.body.scans, 3);
    ASSERT_TRUE(stopAndWait(task));
    EXPECT_EQ(task.body.scans, 3);
}

TEST_F(TaskThreadTest, TimeBasedDurationRequestsTheStopOnceItsTicksAreCounted) {
    ThreadedTask task("TASK1", scheduler, queue);
    task.timing().setDurationMode(DurationMode::TimeBased);
    task.timing().setDuration(HourMinSec{0, 0, 1});
    task.timing().recompute(5);
    // The master thread counts 995 ms before the first scan and the last 5 ms during the second.
    task.timing().advanceDuration(199);
    task.body.duringScan = [&](int scanNumber) {
        if (scanNumber == 2) task.timing().advanceDuration(1);
    };
    ASSERT_TRUE(task.thread.start(0));
    scanOnce(task);
    scanOnce(task);
    ASSERT_TRUE(eventually([&] { return mainThread.count(kMsgTaskStartStop, 0) == 1; }));
    task.setScanEvent();
    ASSERT_TRUE(eventually([&] { return task.body.events == 3; }));
    EXPECT_EQ(task.body.scans, 2);
    ASSERT_TRUE(stopAndWait(task));
}

TEST_F(TaskThreadTest, StopWhileScanningLetsTheScanFinish) {
    ManualResetEvent gate;
    ThreadedTask task("TASK1", scheduler, queue);
    task.body.gate = &gate;
    ASSERT_TRUE(task.thread.start(0));
    task.setScanEvent();
    ASSERT_TRUE(eventually([&] { return task.threadState() == TaskThreadState::Scanning; }));
    task.stop();
    EXPECT_TRUE(task.thread.stopping());
    EXPECT_FALSE(task.isStopped());
    EXPECT_EQ(task.body.finishRuns, 0);
    gate.set();
    ASSERT_TRUE(eventually([&] { return task.isStopped(); }));
    EXPECT_EQ(task.body.scans, 1);
    EXPECT_EQ(task.body.finishedAfterScans, 1);
    EXPECT_EQ(scheduler.scanningTaskCount(), 0);
}

TEST_F(TaskThreadTest, StuckThreadIsReportedOncePerPeriodPlusThreeHundredPolls) {
    ManualResetEvent gate;
    ThreadedTask task("TASK1", scheduler, queue);
    task.body.gate = &gate;
    ASSERT_TRUE(task.thread.start(0));
    task.setScanEvent();
    ASSERT_TRUE(eventually([&] { return task.threadState() == TaskThreadState::Scanning; }));
    task.stop();
    std::vector<int> reportedAt;
    for (int poll = 1; poll <= 2 * 302; ++poll)
        if (task.thread.pollStopped(1) == TaskThread::StopPoll::NotYetReportStuck) reportedAt.push_back(poll);
    EXPECT_EQ(reportedAt, (std::vector<int>{302, 604}));
    EXPECT_EQ(TaskThread::cannotStopText("TASK1"),
              "TASK1 can not be stopped, please acknowledge all waiting messages or shutdown whole system!");
    gate.set();
    EXPECT_TRUE(eventually([&] { return task.isStopped(); }));
}

TEST_F(TaskThreadTest, PauseStopsScansButNotTheThread) {
    ThreadedTask task("TASK1", scheduler, queue);
    task.body.paused = true;
    ASSERT_TRUE(task.thread.start(0));
    for (int i = 1; i <= 3; ++i) {
        task.setScanEvent();
        ASSERT_TRUE(eventually([&] { return task.body.pauseQueries == i; }));
    }
    EXPECT_EQ(task.body.scans, 0);
    task.body.paused = false;
    scanOnce(task);
    EXPECT_EQ(task.body.scans, 1);
    EXPECT_TRUE(stopAndWait(task));
}

TEST_F(TaskThreadTest, ScanEventsAreSkippedWhileScriptsAreDisabled) {
    ThreadedTask task("TASK1", scheduler, queue);
    task.body.disabled = true;
    ASSERT_TRUE(task.thread.start(0));
    task.setScanEvent();
    ASSERT_TRUE(eventually([&] { return task.body.events == 1; }));
    EXPECT_EQ(task.body.preRuns, 0);
    EXPECT_EQ(task.body.scans, 0);
    EXPECT_TRUE(stopAndWait(task));
}

TEST_F(TaskThreadTest, SingleTaskModeHoldsTheSecondScanUntilTheFirstEnds) {
    useSingleTaskMode(true);
    ManualResetEvent gate;
    ThreadedTask a("TASK1", scheduler, queue);
    ThreadedTask b("TASK2", scheduler, queue);
    a.body.gate = &gate;
    ASSERT_TRUE(a.thread.start(0));
    ASSERT_TRUE(b.thread.start(0));
    a.setScanEvent();
    ASSERT_TRUE(eventually([&] { return a.threadState() == TaskThreadState::Scanning; }));
    b.setScanEvent();
    // TASK2 is waiting for the token: it has taken its event but not begun scanning.
    ASSERT_TRUE(eventually([&] { return b.body.pauseQueries == 1; }));
    EXPECT_FALSE(b.body.scanned.waitFor(50ms));
    EXPECT_EQ(b.body.scans, 0);
    gate.set();
    ASSERT_TRUE(b.body.scanned.waitFor(10s));
    EXPECT_TRUE(stopAndWait(a));
    EXPECT_TRUE(stopAndWait(b));
}

TEST_F(TaskThreadTest, WithoutSingleTaskModeTasksScanSideBySide) {
    useSingleTaskMode(false);
    ManualResetEvent gate;
    ThreadedTask a("TASK1", scheduler, queue);
    ThreadedTask b("TASK2", scheduler, queue);
    a.body.gate = &gate;
    ASSERT_TRUE(a.thread.start(0));
    ASSERT_TRUE(b.thread.start(0));
    a.setScanEvent();
    ASSERT_TRUE(eventually([&] { return a.threadState() == TaskThreadState::Scanning; }));
    scanOnce(b);
    // TASK1 still holds its scan; TASK2 has finished its own meanwhile.
    EXPECT_TRUE(eventually([&] { return scheduler.scanningTaskCount() == 1; }));
    EXPECT_EQ(a.threadState(), TaskThreadState::Scanning);
    gate.set();
    EXPECT_TRUE(stopAndWait(a));
    EXPECT_TRUE(stopAndWait(b));
}

TEST_F(TaskThreadTest, SingleTaskModeNeverRunsTwoScansAtOnce) {
    useSingleTaskMode(true);
    std::atomic<int> concurrent{0};
    std::atomic<int> maxConcurrent{0};
    std::vector<std::unique_ptr<ThreadedTask>> tasks;
    for (int i = 0; i < 3; ++i) {
        tasks.push_back(std::make_unique<ThreadedTask>("TASK" + std::to_string(i + 1), scheduler, queue));
        tasks.back()->body.concurrent = &concurrent;
        tasks.back()->body.maxConcurrent = &maxConcurrent;
        tasks.back()->body.spin = true;
        ASSERT_TRUE(tasks.back()->thread.start(0));
    }
    for (int round = 0; round < 50; ++round)
        for (auto& t : tasks) t->setScanEvent();
    ASSERT_TRUE(eventually(
        [&] { return std::all_of(tasks.begin(), tasks.end(), [](auto& t) { return t->body.scans > 0; }); }));
    for (auto& t : tasks) EXPECT_TRUE(stopAndWait(*t));
    EXPECT_EQ(maxConcurrent.load(), 1);
    EXPECT_EQ(scheduler.scanningTaskCount(), 0);
}

TEST_F(TaskThreadTest, OverrunWarningIsSwitchedForTheTaskOfTheCallingThread) {
    ThreadedTask task("TASK1", scheduler, queue);
    ThreadedTask other("TASK2", scheduler, queue);
    std::atomic<bool> found{false};
    task.body.duringScan = [&](int) { found = setOverrunWarning(false); };
    ASSERT_TRUE(task.thread.start(0));
    ASSERT_TRUE(other.thread.start(0));
    scanOnce(task);
    EXPECT_TRUE(found);
    EXPECT_FALSE(task.timing().overrunWarning());
    EXPECT_TRUE(other.timing().overrunWarning());
    // Not from a thread that is no task's.
    EXPECT_FALSE(setOverrunWarning(false));
    EXPECT_EQ(TaskThread::currentTask(), nullptr);
    EXPECT_TRUE(stopAndWait(task));
    EXPECT_TRUE(stopAndWait(other));
}

// ---- start and stop requests ----

TEST_F(TaskThreadTest, StartRequestForARunningTaskReturnsItsState) {
    ThreadedTask task("TASK1", scheduler, queue);
    ASSERT_TRUE(task.thread.start(0));
    ASSERT_TRUE(eventually([&] { return task.threadState() == TaskThreadState::Waiting; }));
    EXPECT_EQ(requestTaskStart(task, queue, true), 2);
    EXPECT_EQ(mainThread.count(kMsgTaskStartStop), 0);
    EXPECT_TRUE(stopAndWait(task));
    EXPECT_EQ(requestTaskStop(task, queue, true), 0);
    EXPECT_EQ(mainThread.count(kMsgTaskStartStop), 0);
}

TEST_F(TaskThreadTest, WaitingRequesterIsReleasedByItsGiveUpEvent) {
    mainThread.stopOwnThread();
    ThreadedTask task("TASK1", scheduler, queue);
    ManualResetEvent giveUp;
    std::thread requester([&] { requestTaskStart(task, queue, true, &giveUp); });
    ASSERT_TRUE(eventually([&] { return queue.size() == 1; }));
    giveUp.set();
    requester.join();
}

}  // namespace
}  // namespace kestrune
