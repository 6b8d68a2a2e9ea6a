// Run control: the start's checks and their refusals, the run, pause, the
// error limit, and the stop with its retries, hold file and events.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include <unistd.h>

#include "app/disk_space.h"
#include "app/run_error_report.h"
#include "app/status_bar_state.h"
#include "document/virtual_tag.h"
#include "engine/main_window_commands.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"
#include "run_fixture.h"

namespace kestrune::testing_support {
namespace {

class RunControlTest : public RunFixture {};

TEST_F(RunControlTest, UnconfiguredBlockShowsItsOwnMessageThenRefusesWith32878) {
    ProbeBlock& probe = addProbe();
    probe.configured = false;

    EXPECT_EQ(control().start(), kMsgCannotRunPartiallyConfigured);

    const auto messages = ui.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Unconfigured block: ", 0), 0u) << messages[0];
    EXPECT_EQ(messages[1], "Cannot run partially configured strategy.");
    EXPECT_TRUE(control().isIdle());
    EXPECT_EQ(app->scheduler().runningTaskCount(), 0u);
    EXPECT_EQ(sysinfo(), kSystemInfoStarted);
    drain();
    EXPECT_EQ(fileText("Kestrune.ELF"), "");
}

TEST_F(RunControlTest, CancelAtUnsavedChangesLeavesTheStrategyIdle) {
    addProbe();
    document().setModified(true);
    ui.answer(Answer::Cancel);

    EXPECT_EQ(control().start(), kMsgStrategyModifiedSave);

    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, "Strategy modified. Do you want to save the changes?");
    EXPECT_TRUE(control().isIdle());
    EXPECT_EQ(app->scheduler().runningTaskCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "plant.ksv"));
    EXPECT_TRUE(ui.errors().empty());
}

TEST_F(RunControlTest, OkAtUnsavedChangesSavesBeforeTheRun) {
    addProbe();
    document().setModified(true);
    ui.answer(Answer::Ok);

    ASSERT_EQ(control().start(), kOk);

    EXPECT_TRUE(std::filesystem::exists(dir / "plant.ksv"));
    EXPECT_FALSE(document().modified());
    EXPECT_TRUE(control().running());
}

TEST_F(RunControlTest, SecurityCheckingWithoutASecurityModuleRefuses) {
    document().options().securityChecking = true;
    EXPECT_EQ(control().start(), kMsgPasswordFileMissing);
    EXPECT_EQ(ui.messages(), std::vector<std::string>{"Cannot locate password file."});
    EXPECT_TRUE(control().isIdle());
}

TEST_F(RunControlTest, LowDiskSpaceRefusesTheStart) {
    freeBytes = kLowDiskSpaceBound - 1;
    EXPECT_EQ(control().start(), kMsgDiskSpaceLow);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].find("free space is below the setting low bound:524288 bytes"),
              std::string::npos);
    EXPECT_TRUE(control().isIdle());

    freeBytes = kLowDiskSpaceBound;
    EXPECT_EQ(control().start(), kOk);
}

TEST_F(RunControlTest, AFailingBlockStartUndoesTheWholeStart) {
    ProbeBlock& probe = addProbe();
    probe.startResult = kMsgDeviceUndefined;
    document().options().logErrors = true;

    EXPECT_EQ(control().start(), kMsgDeviceUndefined);

    EXPECT_TRUE(control().isIdle());
    EXPECT_FALSE(control().running());
    EXPECT_EQ(app->scheduler().runningTaskCount(), 0u);
    EXPECT_EQ(sysinfo(), kSystemInfoStarted);
    EXPECT_EQ(task().threadState(), TaskThreadState::Stopped);
    EXPECT_EQ(ui.messages().back(), "Cannot start TASK1!");
    drain();
    EXPECT_EQ(fileText("Kestrune.ELF"), "") << "no start event for a start that was refused";
}

TEST_F(RunControlTest, StartRunsTheTasksAndSetsTheRunningBit) {
    ProbeBlock& probe = addProbe();
    ASSERT_EQ(control().start(), kOk);

    EXPECT_TRUE(control().running());
    EXPECT_EQ(sysinfo(), kSystemInfoStarted | kSystemInfoRunning);
    EXPECT_TRUE(tags().GetRunStatus());
    EXPECT_EQ(app->statusBar().text(0), "Running normally");
    EXPECT_EQ(app->statusBar().text(1), "Error Count:0");
    EXPECT_TRUE(scanMore(probe, 0));
    EXPECT_FALSE(control().canStart());
    EXPECT_TRUE(control().canStop());
}

TEST_F(RunControlTest, AnInactiveTaskDoesNotStartWithTheRun) {
    ProbeBlock& probe = addProbe();
    task().timing().setStartMode(StartMode::Inactive);
    ASSERT_EQ(control().start(), kOk);
    EXPECT_TRUE(control().running());
    EXPECT_EQ(app->scheduler().runningTaskCount(), 0u);
    ticks.tick(5);
    EXPECT_EQ(probe.scans.load(), 0);
}

TEST_F(RunControlTest, StopSavesTheHoldFileClearsTheBitAndWritesBothEvents) {
    addProbe();
    VirtualTag* level = document().addVirtualTag("LEVEL", VirtualTag::kFloat, true);
    ASSERT_NE(level, nullptr);
    document().setModified(false);
    ASSERT_EQ(control().start(), kOk);
    const DB_PARAM value = DB_PARAM::Float(42.5f);
    ASSERT_EQ(tags().SetData(kVirtualTaskName, "LEVEL", &value), kOk);

    control().stop();
    EXPECT_TRUE(control().stopping());
    EXPECT_FALSE(control().canStop());
    ASSERT_TRUE(stopCompletes());

    EXPECT_EQ(control().lastStopReason(), StopReason::Command);
    EXPECT_EQ(sysinfo(), kSystemInfoStarted);
    EXPECT_EQ(app->statusBar().text(0), "Stopped normally");
    ASSERT_TRUE(std::filesystem::exists(dir / "plant.HLD"));
    TagDatabase restored;
    ASSERT_EQ(restored.AddTag(kVirtualTaskName, "LEVEL", kTagFloat, 1), kOk);
    ASSERT_TRUE(restored.loadHoldFile((dir / "plant.HLD").string()).ok());
    DB_PARAM read = DB_PARAM::Float(0.0f);
    ASSERT_EQ(restored.GetData(kVirtualTaskName, "LEVEL", &read), kOk);
    EXPECT_EQ(read.value.fVal, 42.5f);

    drain();
    const std::string events = fileText("Kestrune.ELF");
    EXPECT_NE(events.find("Strategy plant.ksv started at "), std::string::npos) << events;
    EXPECT_NE(events.find("Strategy plant.ksv stopped at "), std::string::npos) << events;
    EXPECT_LT(events.find("started at"), events.find("stopped at"));
}

TEST_F(RunControlTest, AHoldFileThatCannotBeWrittenIsAFailedStopAndTheOldFileStays) {
    addProbe();
    ASSERT_NE(document().addVirtualTag("LEVEL", VirtualTag::kFloat, true), nullptr);
    document().setModified(false);
    const std::string hold = (dir / "plant.HLD").string();
    using Step = FailingFileCalls::Step;
    for (const auto& [step, error] :
         {std::pair{Step::Write, ENOSPC}, {Step::Fsync, EIO}, {Step::Rename, EACCES}}) {
        SCOPED_TRACE(std::strerror(error));
        fileCalls.failFrom(Step::None);
        ASSERT_EQ(control().start(), kOk);
        control().stop();
        ASSERT_TRUE(stopCompletes());
        ASSERT_TRUE(control().lastHoldSave().ok());
        const std::string before = TempDir::read(hold);

        ASSERT_EQ(control().start(), kOk);
        fileCalls.failFrom(step, error);
        control().stop();
        ASSERT_TRUE(stopCompletes());
        drain();
        EXPECT_EQ(control().lastHoldSave().code, kHoldFileWrite);
        EXPECT_EQ(TempDir::read(hold), before);
        const std::string pane = app->statusBar().text(0);
        EXPECT_EQ(pane.rfind("The retained values were not saved: " + hold, 0), 0u) << pane;
        EXPECT_NE(pane.find(std::strerror(error)), std::string::npos) << pane;
        EXPECT_NE(fileText("Kestrune.ELF").find("The retained values were not saved"), std::string::npos);
    }
}

TEST_F(RunControlTest, AStrategyThatRunsElsewhereIsRefusedNamingTheHolder) {
    addProbe();
    const std::string path = document().path();
    StrategyLock elsewhere((dir / "locks").string());
    ASSERT_TRUE(elsewhere.acquire(path).ok());
    EXPECT_EQ(control().start(), kStrategyLocked);
    EXPECT_TRUE(control().isIdle());
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.messages().back(), "The strategy is already running in another process: " + path +
                                        ": held by process " + std::to_string(::getpid()));
    elsewhere.release();

    ASSERT_EQ(control().start(), kOk);
    EXPECT_EQ(elsewhere.acquire(path).code, kStrategyLocked);
    control().stop();
    ASSERT_TRUE(stopCompletes());
    EXPECT_FALSE(std::filesystem::exists(StrategyLock::besidePath(path)));
}

TEST_F(RunControlTest, VirtualTagsStartFromTheirInitialValueUnlessHeld) {
    VirtualTag* fresh = document().addVirtualTag("FRESH", VirtualTag::kInteger, false);
    VirtualTag* kept = document().addVirtualTag("KEPT", VirtualTag::kInteger, true);
    VirtualTag* label = document().addVirtualTag("LABEL", VirtualTag::kString, false);
    ASSERT_TRUE(fresh && kept && label);
    fresh->setInitialInteger(7);
    kept->setInitialInteger(8);
    label->setInitialText("pump A");
    document().setModified(false);
    const DB_PARAM previous = DB_PARAM::Int(99);
    ASSERT_EQ(tags().SetData(kVirtualTaskName, "FRESH", &previous), kOk);
    ASSERT_EQ(tags().SetData(kVirtualTaskName, "KEPT", &previous), kOk);

    ASSERT_EQ(control().start(), kOk);

    DB_PARAM read = DB_PARAM::Int(0);
    ASSERT_EQ(tags().GetData(kVirtualTaskName, "FRESH", &read), kOk);
    EXPECT_EQ(read.value.lVal, 7);
    ASSERT_EQ(tags().GetData(kVirtualTaskName, "KEPT", &read), kOk);
    EXPECT_EQ(read.value.lVal, 99);
    EXPECT_TRUE(tags().IsTagHeld(kVirtualTaskName, "KEPT"));
    EXPECT_FALSE(tags().IsTagHeld(kVirtualTaskName, "FRESH"));
    char text[kTagTextSize] = {};
    DB_PARAM textRead = DB_PARAM::Text(text);
    ASSERT_EQ(tags().GetData(kVirtualTaskName, "LABEL", &textRead), kOk);
    EXPECT_STREQ(text, "pump A");
}

TEST_F(RunControlTest, PauseStopsTheScansAndResumeBringsThemBack) {
    ProbeBlock& probe = addProbe();
    holdAtGate(probe);
    ASSERT_EQ(control().start(), kOk);
    ASSERT_TRUE(eventually([&] {
        ticks.tick();
        return probe.entered.isSet();
    }));

    ASSERT_TRUE(control().pause());
    EXPECT_TRUE(control().paused());
    EXPECT_FALSE(control().canPause());
    EXPECT_TRUE(control().canResume());
    EXPECT_EQ(app->statusBar().text(0), "Paused");
    // The scan that had begun before the pause still ends; the next one asks
    // whether the run is paused and does not begin.
    releaseGate();
    ASSERT_TRUE(eventually([&] { return probe.scans.load() == 1; }));
    const int paused = probe.scans.load();
    for (int i = 0; i < 20; ++i) {
        ticks.tick();
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(probe.scans.load(), paused);

    ASSERT_TRUE(control().resume());
    EXPECT_FALSE(control().paused());
    EXPECT_EQ(app->statusBar().text(0), "Running normally");
    EXPECT_TRUE(scanMore(probe, paused));
}

TEST_F(RunControlTest, WithAnErrorLimitOfThreeTheFourthErrorStopsTheRun) {
    ProbeBlock& probe = addProbe();
    document().options().errorLimit = 3;
    ASSERT_EQ(control().start(), kOk);

    for (int i = 0; i < 3; ++i) app->mainQueue().post(kMsgRunErrorReport, kMsgGenericError, toParam(&probe));
    drain();
    EXPECT_TRUE(control().running());
    EXPECT_FALSE(control().stopping());
    EXPECT_EQ(app->statusBar().text(1), "Error Count:3");

    app->mainQueue().post(kMsgRunErrorReport, kMsgGenericError, toParam(&probe));
    drain();  // the report posts 0x411
    drain();  // which begins the stop
    EXPECT_TRUE(control().stopping());
    EXPECT_EQ(control().lastStopReason(), StopReason::ErrorLimit);
    EXPECT_EQ(control().errorCount(), 4);
    ASSERT_TRUE(stopCompletes());
    EXPECT_EQ(app->statusBar().text(0), "Generic error")
        << "an error count above 0 keeps the last error shown";
}

TEST_F(RunControlTest, StopWhileATaskIsBlockedRetriesEveryFiftyMillisecondsUntilItsThreadEnds) {
    ProbeBlock& probe = addProbe();
    holdAtGate(probe);
    ASSERT_EQ(control().start(), kOk);
    ASSERT_TRUE(eventually([&] {
        ticks.tick();
        return probe.entered.isSet();
    }));

    control().stop();
    drain();  // 0x4D1: the task still scans
    EXPECT_TRUE(control().stopping());
    ASSERT_TRUE(timers.isSet(kTimerFinishStop));
    EXPECT_EQ(timers.interval(kTimerFinishStop), 50ms);
    for (int retry = 0; retry < 3; ++retry) {
        clock.advance(49ms);
        EXPECT_EQ(timers.fireDue(), 0);
        clock.advance(1ms);
        EXPECT_EQ(timers.fireDue(), 1);
        EXPECT_FALSE(timers.isSet(kTimerFinishStop)) << "the timer is killed and 0x4D1 posted again";
        EXPECT_EQ(drain(), 1u);
        EXPECT_TRUE(control().stopping());
        EXPECT_TRUE(timers.isSet(kTimerFinishStop));
        EXPECT_FALSE(control().canStop());
        EXPECT_FALSE(control().canStart());
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "plant.HLD"));

    releaseGate();
    ASSERT_TRUE(stopCompletes());
    EXPECT_FALSE(timers.isSet(kTimerFinishStop));
    EXPECT_EQ(task().threadState(), TaskThreadState::Stopped);
    EXPECT_TRUE(std::filesystem::exists(dir / "plant.HLD"));
}

TEST_F(RunControlTest, StopRequestsAndTheStopCommandStopTheRunOnce) {
    addProbe();
    ASSERT_EQ(control().start(), kOk);
    app->mainQueue().post(kMsgBeginRunStop);
    app->mainQueue().post(kMsgCommand, kCmdStopRun);
    app->mainQueue().post(kMsgErrorLimitReached);
    drain();
    EXPECT_EQ(control().lastStopReason(), StopReason::Request);
    ASSERT_TRUE(stopCompletes());
    drain();
    const std::string events = fileText("Kestrune.ELF");
    EXPECT_EQ(events.find("stopped at"), events.rfind("stopped at")) << "one stop event: " << events;
}

TEST_F(RunControlTest, AScanBasedTaskEndsAloneThroughThePendingStops) {
    ProbeBlock& probe = addProbe();
    task().timing().setDurationMode(DurationMode::ScanBased);
    task().timing().setScanLimit(2);
    ASSERT_EQ(control().start(), kOk);

    // The task asks for its own stop after its second scan (0x416 with 0).
    ASSERT_TRUE(eventually([&] {
        ticks.tick();
        drain();
        return control().pendingTaskStops() == 1 || app->scheduler().runningTaskCount() == 0;
    }));
    EXPECT_TRUE(eventually([&] {
        elapse(kStopRetryInterval);
        return app->scheduler().runningTaskCount() == 0 && control().pendingTaskStops() == 0;
    }));
    EXPECT_FALSE(timers.isSet(kTimerPendingTaskStops));
    EXPECT_EQ(probe.scans.load(), 2);
    EXPECT_TRUE(control().running()) << "the run goes on without its task";
}

TEST_F(RunControlTest, TaskStartRequestsAreIgnoredUnlessRunning) {
    addProbe();
    task().timing().setStartMode(StartMode::Inactive);
    app->mainQueue().post(kMsgTaskStartStop, 1, toParam(task().messageObject()));
    drain();
    EXPECT_TRUE(task().requestHandledEvent().isSet()) << "the requester is released either way";
    EXPECT_EQ(task().threadState(), TaskThreadState::Stopped);

    ASSERT_EQ(control().start(), kOk);
    app->mainQueue().post(kMsgTaskStartStop, 1, toParam(task().messageObject()));
    drain();
    EXPECT_EQ(app->scheduler().runningTaskCount(), 1u);
}

TEST_F(RunControlTest, CloseAfterStopWaitsUntilTheRunIsIdle) {
    ProbeBlock& probe = addProbe();
    int closed = 0;
    control().setCloseHandler([&] { ++closed; });
    holdAtGate(probe);
    ASSERT_EQ(control().start(), kOk);
    ASSERT_TRUE(eventually([&] {
        ticks.tick();
        return probe.entered.isSet();
    }));
    app->mainQueue().post(kMsgBeginRunStop);
    app->mainQueue().post(kMsgCloseAfterStop);
    drain();
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(timers.isSet(kTimerCloseAfterStop));
    elapse(kStopRetryInterval);
    EXPECT_EQ(closed, 0);

    releaseGate();
    ASSERT_TRUE(eventually([&] {
        elapse(kStopRetryInterval);
        return closed == 1;
    }));
    EXPECT_TRUE(control().isIdle());
    EXPECT_FALSE(timers.isSet(kTimerCloseAfterStop));
}

TEST_F(RunControlTest, LockWithoutSecurityIsRefusedAndCloseIsRefusedWhileRunning) {
    ASSERT_EQ(control().start(), kOk);
    EXPECT_TRUE(control().canLock());
    EXPECT_EQ(control().lock(), kMsgPasswordFileMissing);
    EXPECT_FALSE(control().locked());
    EXPECT_FALSE(control().queryClose());
    EXPECT_EQ(ui.messages().back(), "Process is still running.");
}

}  // namespace
}  // namespace kestrune::testing_support
