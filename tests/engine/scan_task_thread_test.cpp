// A scan task on its own thread: scripts around the scans, stops while a
// scan runs, a scan that never ends, durations, start modes, pause and
// single-task mode. The test's thread plays the main window: it starts,
// stops and polls the task and takes the requests the task posts. Meant for
// ThreadSanitizer too.

#include <gtest/gtest.h>

#include "engine/task_run_start.h"
#include "resources/message_ids.h"
#include "scan_task_fixture.h"

namespace kestrune::test {
namespace {

TEST_F(ScanTaskTest, ThePreTaskScriptRunsOnceBeforeTheFirstScanAndThePostTaskScriptAtTheEnd) {
    CountingBlock& a = addLogged(1);
    task->preTaskScript().setText("pre");
    task->postTaskScript().setText("post");
    startTask();
    for (int i = 0; i < 3; ++i) scanOnce(a);
    EXPECT_EQ(log.count("run TASK1,pre-task"), 1);
    EXPECT_EQ(log.count("run TASK1,post-task"), 0);

    ASSERT_TRUE(stopAndPoll());
    const std::vector<std::string> expected{
        "run TASK1,pre-task",  "scan " + a.name(), "scan " + a.name(), "scan " + a.name(),
        "run TASK1,post-task", "release",          "release"};
    EXPECT_EQ(log.events(), expected);
    EXPECT_EQ(scripts.liveScripts(), 0u);
    EXPECT_FALSE(a.isRunning()) << "the stop poll stops every node";
    EXPECT_TRUE(task->scanList().isEmpty());
    EXPECT_FALSE(scheduler.isRunningTask(task.get()));
    EXPECT_FALSE(task->stopping());
}

TEST_F(ScanTaskTest, AFailingPreTaskScriptStopsItsTaskWithoutAScan) {
    CountingBlock& a = add();
    task->preTaskScript().setText("pre");
    scripts.onRun["TASK1,pre-task"] = [] { return true; };
    startTask();
    task->setScanEvent();

    // The thread asks the main window to stop its task, which then stops.
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return mainWindow.count(kMsgTaskStartStop) == 1; }));
    EXPECT_EQ(mainWindow.messages.back().wParam, 0u);
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return task->IsTaskStopped(); }));
    EXPECT_EQ(a.scans, 0);
    EXPECT_TRUE(scripts.disabled) << "a script error disables scripts for the rest of the run";
}

TEST_F(ScanTaskTest, AStopWhileScanningLetsTheScanAndThePostTaskScriptFinish) {
    ManualResetEvent gate;
    CountingBlock& slow = addLogged(1);
    CountingBlock& next = addLogged(2);
    slow.gate = &gate;
    task->postTaskScript().setText("post");
    startTask();
    task->setScanEvent();
    ASSERT_TRUE(slow.entered.waitFor(10s));
    EXPECT_EQ(task->threadState(), TaskThreadState::Scanning);

    task->Stop();
    EXPECT_TRUE(task->stopping());
    EXPECT_FALSE(task->IsTaskStopped());
    EXPECT_TRUE(slow.isRunning()) << "nothing is stopped under a running scan";
    gate.set();
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return task->IsTaskStopped(); }));

    EXPECT_EQ(next.scans, 1) << "the scan went to its end";
    const std::vector<std::string> expected{"scan " + slow.name(), "scan " + next.name(),
                                            "run TASK1,post-task", "release"};
    EXPECT_EQ(log.events(), expected);
    EXPECT_EQ(task->threadState(), TaskThreadState::Stopped);
}

TEST_F(ScanTaskTest, AScanThatNeverEndsKeepsThePollAnsweringAndIsReportedOncePerPeriodPlus300Polls) {
    ManualResetEvent gate;
    CountingBlock& stuck = add();
    stuck.gate = &gate;
    startTask();
    task->setScanEvent();
    ASSERT_TRUE(stuck.entered.waitFor(10s));
    task->Stop();

    // The period is one tick: the report comes at every 302nd unanswered poll.
    const std::int64_t perReport = task->timing().periodTicks() + TaskThread::kStopPollGrace + 1;
    ASSERT_EQ(perReport, 302);
    for (std::int64_t poll = 1; poll <= 2 * perReport + 10; ++poll) {
        ASSERT_FALSE(task->IsTaskStopped());
        if (poll == perReport - 1) {
            EXPECT_TRUE(run.texts().empty());
        }
    }
    const std::string text =
        "TASK1 can not be stopped, please acknowledge all waiting messages or shutdown whole system!";
    EXPECT_EQ(run.texts(), (std::vector<std::string>{text, text}));
    EXPECT_TRUE(stuck.isRunning());

    gate.set();
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return task->IsTaskStopped(); }));
    EXPECT_FALSE(stuck.isRunning());
}

TEST_F(ScanTaskTest, APostTaskScriptThatNeverEndsIsReportedAndCancelledByTheStopPoll) {
    add();
    task->postTaskScript().setText("post");
    scripts.endless.insert("TASK1,post-task");
    startTask();
    task->Stop();
    ASSERT_TRUE(scripts.endlessEntered.waitFor(10s));

    const std::int64_t perReport = task->timing().periodTicks() + TaskThread::kStopPollGrace + 1;
    for (std::int64_t poll = 1; poll < perReport; ++poll) ASSERT_FALSE(task->IsTaskStopped());
    EXPECT_TRUE(run.texts().empty());
    EXPECT_FALSE(task->IsTaskStopped()) << "the report comes with this poll";
    EXPECT_EQ(run.texts(), std::vector<std::string>{TaskThread::cannotStopText("TASK1")});

    ASSERT_TRUE(mainWindow.pumpUntil([&] { return task->IsTaskStopped(); }));
    EXPECT_EQ(log.events(), (std::vector<std::string>{"run TASK1,post-task", "cancelled TASK1,post-task", "release"}));
    EXPECT_FALSE(scripts.disabled) << "a cancelled script is no script error";
    EXPECT_EQ(scripts.liveScripts(), 0u);
}

// What a Basic script block does in its scan: runs its prepared script,
// marked as the thread's running script.
class ScriptedBlock final : public CountingBlock {
  public:
    using CountingBlock::CountingBlock;
    Code Scan() override {
        RunningScriptSlot::Scope running(RunningScriptSlot::ofThisThread(), *script);
        script->run("SCR1");
        return CountingBlock::Scan();
    }
    std::unique_ptr<PreparedScript> script;
};

TEST_F(ScanTaskTest, ABlockScriptThatNeverEndsInAScanIsCancelledByTheStopPollToo) {
    ScriptedBlock& block = add<ScriptedBlock>();
    scripts.endless.insert("SCR1");
    block.script = scripts.prepare({"Sub SCR1()", "SCR1", nullptr, std::nullopt}).script;
    startTask();
    task->setScanEvent();
    ASSERT_TRUE(scripts.endlessEntered.waitFor(10s));
    task->Stop();
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return task->IsTaskStopped(); }));
    EXPECT_EQ(run.texts().size(), 1u) << "reported once, then cancelled";
    EXPECT_EQ(block.scans, 1) << "the scan went on to its end";
}

TEST_F(ScanTaskTest, AScanBasedDurationOfThreeScansRequestsTheStopAfterTheThird) {
    CountingBlock& a = add();
    task->timing().setDurationMode(DurationMode::ScanBased);
    task->timing().setScanLimit(3);
    int scansAtRequest = -1;
    mainWindow.onRequest = [&](ScanTask&, bool start) {
        if (!start) scansAtRequest = a.scans.load();
    };
    startTask();
    for (int i = 0; i < 3; ++i) {
        task->setScanEvent();
        ASSERT_TRUE(eventually([&] { return a.scans.load() == i + 1; }));
        if (i < 2) {
            EXPECT_TRUE(eventually([&] { return task->threadState() == TaskThreadState::Waiting; }));
        }
    }
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return task->IsTaskStopped(); }));
    EXPECT_EQ(scansAtRequest, 3);
    EXPECT_EQ(mainWindow.count(kMsgTaskStartStop), 1);
    EXPECT_EQ(a.scans, 3);
}

TEST_F(ScanTaskTest, AnInactiveTaskDoesNotStartWithTheRunOnlyOnRequest) {
    CountingBlock& a = add();
    task->timing().setStartMode(StartMode::Inactive);
    OtherTask immediate(registry, ui, services);
    CountingBlock& b = immediate.add();
    const std::vector<ScanTask*> tasks{task.get(), &immediate.task};

    const TaskRunStart outcome = startTasksForRun(tasks, 5);
    EXPECT_EQ(outcome.code, kOk);
    EXPECT_EQ(outcome.started, std::vector<ScanTask*>{&immediate.task});
    EXPECT_EQ(task->threadState(), TaskThreadState::Stopped);
    EXPECT_EQ(a.starts, 0);

    // The scheduler scans the immediate task and never starts the inactive one.
    ASSERT_TRUE(scheduler.prepareRun({}, {}));
    ASSERT_TRUE(scheduler.startTimer());
    ASSERT_TRUE(eventually([&] { return immediate.task.threadState() == TaskThreadState::Waiting; }));
    for (int i = 0; i < 400 && b.scans.load() == 0; ++i) {
        ticks.tick();
        scheduler.masterStep();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_GT(b.scans, 0);
    mainWindow.pump();
    EXPECT_EQ(mainWindow.count(kMsgTaskStartStop), 0);
    EXPECT_EQ(task->threadState(), TaskThreadState::Stopped);
    EXPECT_EQ(a.scans, 0);

    EXPECT_EQ(task->RequestTaskStart(false), 0);
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return task->threadState() == TaskThreadState::Waiting; }));
    EXPECT_EQ(mainWindow.startResults, std::vector<Code>{kOk});
    EXPECT_EQ(task->RequestTaskStart(false), static_cast<std::int32_t>(TaskThreadState::Waiting))
        << "a running task answers its state and nothing is posted";
    scanOnce(a);

    scheduler.stopTimer();
    immediate.task.Stop();
    ASSERT_TRUE(mainWindow.pumpUntil([&] { return immediate.task.IsTaskStopped(); }));
}

TEST_F(ScanTaskTest, ARunStartStopsAtTheFirstTaskThatCannotStart) {
    CountingBlock& good = add();
    OtherTask second(registry, ui, services);
    second.add().startResult = 32864;
    OtherTask third(registry, ui, services);
    CountingBlock& never = third.add();
    const std::vector<ScanTask*> tasks{task.get(), &second.task, &third.task};

    const TaskRunStart outcome = startTasksForRun(tasks, 5);
    EXPECT_EQ(outcome.code, 32864);
    EXPECT_EQ(outcome.failed, &second.task);
    EXPECT_EQ(outcome.started, std::vector<ScanTask*>{task.get()});
    EXPECT_TRUE(task->stopping()) << "the tasks already started are asked to stop";
    EXPECT_TRUE(mainWindow.pumpUntil([&] { return scheduler.allTasksStopped(); }));
    EXPECT_FALSE(good.isRunning());
    EXPECT_EQ(never.starts, 0);
}

TEST_F(ScanTaskTest, NoScansWhilePausedButTheThreadKeepsWaiting) {
    CountingBlock& a = add();
    startTask();
    scanOnce(a);
    run.paused = true;
    for (int i = 0; i < 2; ++i) {
        const int asked = run.pauseQueries.load();
        task->setScanEvent();
        ASSERT_TRUE(eventually([&] { return run.pauseQueries.load() > asked; }));
    }
    EXPECT_EQ(a.scans, 1);
    run.paused = false;
    scanOnce(a);
    EXPECT_EQ(a.scans, 2);
}

TEST_F(ScanTaskTest, APreTaskScriptMayTurnTheOverrunReportOff) {
    CountingBlock& a = add();
    task->preTaskScript().setText("pre");
    scripts.onRun["TASK1,pre-task"] = [] { return !setOverrunWarning(false); };
    startTask();
    EXPECT_TRUE(task->timing().overrunWarning());
    scanOnce(a);
    EXPECT_FALSE(task->timing().overrunWarning());
}

TEST_F(ScanTaskTest, InSingleTaskModeTwoTasksNeverScanAtOnce) {
    SchedulerSettings s;
    s.singleTaskMode = true;
    scheduler.setSettings(s);
    ASSERT_TRUE(scheduler.prepareRun({}, {}));

    ManualResetEvent gate;
    CountingBlock& first = add();
    first.gate = &gate;
    OtherTask second(registry, ui, services);
    CountingBlock& other = second.add();

    startTask();
    ASSERT_EQ(second.task.Start(), kOk);
    task->setScanEvent();
    ASSERT_TRUE(first.entered.waitFor(10s));
    const int asked = run.pauseQueries.load();
    second.task.setScanEvent();
    // The second thread has taken its scan event and asks for the token.
    ASSERT_TRUE(eventually([&] { return run.pauseQueries.load() > asked; }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(other.scans, 0) << "the second task scanned while the first one held the token";
    gate.set();
    EXPECT_TRUE(eventually([&] { return other.scans.load() == 1; }));

    second.task.Stop();
    EXPECT_TRUE(mainWindow.pumpUntil([&] { return second.task.IsTaskStopped(); }));
}

}  // namespace
}  // namespace kestrune::test
