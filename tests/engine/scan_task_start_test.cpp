// Starting a scan task (OPC group, scan list, node starts, script
// preparation, undo) and one scan of its list (RunScan) with the results the
// nodes give. The task thread is started but never signalled: RunScan is
// called on the test's thread, as the task thread would call it.

#include <gtest/gtest.h>

#include "engine/main_window_commands.h"
#include "resources/message_ids.h"
#include "scan_task_fixture.h"

namespace kestrune::test {
namespace {

class CountingOpcClient : public OpcClient {
  public:
    std::vector<OpcBrowseEntry> browseItems() override { return {}; }
    Code addItemToList(std::string_view, std::string_view, std::string_view, std::string_view,
                       std::string_view, std::string_view, Variant*, OpcItemHandle&) override {
        return kOk;
    }
    Code itemRead(OpcItemHandle, std::int32_t) override { return kOk; }
    Code itemWrite(OpcItemHandle, std::int32_t) override { return kOk; }
    Code itemQualityCheck(OpcItemHandle, int&, std::string*) override { return kOk; }
    Code addTaskToList(std::string_view taskName, const OpcServerProperties& p,
                       OpcTaskHandle& handle) override {
        registeredName = std::string(taskName);
        registered = p;
        handle = 77;
        return addResult;
    }
    Code taskRead(OpcTaskHandle handle) override {
        reads.push_back(handle);
        return kOk;
    }
    Code removeAll() override { return kOk; }

    Code addResult = kOk;
    std::string registeredName;
    OpcServerProperties registered;
    std::vector<OpcTaskHandle> reads;
};

std::vector<std::string> scanNames(const ScanTask& task) {
    std::vector<std::string> names;
    for (const Node* node : task.scanList()) names.push_back(node->name());
    return names;
}

// ---- the scan list ----

TEST_F(ScanTaskTest, ScanListRunsInOrderAndEqualNumbersKeepTheirListOrder) {
    CountingBlock& c = addLogged(3);
    CountingBlock& a = addLogged(1);
    CountingBlock& b1 = addLogged(2);
    CountingBlock& b2 = addLogged(2);
    startTask();
    EXPECT_EQ(scanNames(*task), (std::vector<std::string>{a.name(), b1.name(), b2.name(), c.name()}));

    task->RunScan();
    EXPECT_EQ(log.events(), (std::vector<std::string>{"scan " + a.name(), "scan " + b1.name(),
                                                      "scan " + b2.name(), "scan " + c.name()}));
    EXPECT_EQ(run.started, 1);
    EXPECT_TRUE(scheduler.isRunningTask(task.get()));
}

TEST_F(ScanTaskTest, AStartedTaskIgnoresASecondStart) {
    CountingBlock& a = add();
    startTask();
    EXPECT_EQ(task->Start(), kOk);
    EXPECT_EQ(a.starts, 1);
    EXPECT_EQ(task->scanList().count(), 1u);
}

TEST_F(ScanTaskTest, ANodeStartFailureUndoesTheStartedNodesAndReturnsItsCode) {
    CountingBlock& a = addLogged(1);
    CountingBlock& b = addLogged(2);
    CountingBlock& c = addLogged(3);
    b.startResult = 32864;
    task->preTaskScript().setText("Sub PRE_TASK1()\r\nEnd Sub\r\n");

    EXPECT_EQ(task->Start(), 32864);
    EXPECT_EQ(a.starts, 1);
    EXPECT_EQ(c.starts, 0) << "nodes after the failing one are not started";
    EXPECT_FALSE(a.isRunning());
    EXPECT_EQ(a.stops, 1);
    EXPECT_FALSE(b.isRunning());
    EXPECT_TRUE(task->scanList().isEmpty());
    EXPECT_FALSE(scheduler.isRunningTask(task.get()));
    EXPECT_EQ(task->threadState(), TaskThreadState::Stopped);
    EXPECT_TRUE(scripts.prepared.empty()) << "no script is prepared for a task that cannot start";
    EXPECT_EQ(run.started, 0);

    // Once the block is fixed, the task starts normally.
    b.startResult = kOk;
    startTask();
    EXPECT_TRUE(b.isRunning());
}

// ---- display items ----

class ScanTaskItemsTest : public ScanTaskTest {
  protected:
    ScanTaskItemsTest() : ScanTaskTest(&items) {
        other = std::make_unique<OtherTask>(registry, ui, services);
    }
    // Both tasks stop before the items they scan go.
    ~ScanTaskItemsTest() override {
        for (ScanTask* t : {task.get(), &other->task}) {
            t->Stop();
            EXPECT_TRUE(mainWindow.pumpUntil([&] { return t->IsTaskStopped(); }));
        }
    }
    FakeItem& item(std::int16_t kind, int inputs) {
        owned.push_back(std::make_unique<FakeItem>(NodeContext{registry}, kind, inputs));
        items.items.push_back(owned.back().get());
        return *owned.back();
    }
    CountingBlock& otherBlock() { return other->add(); }

    FakeFedItems items;
    std::unique_ptr<OtherTask> other;
    std::vector<std::unique_ptr<FakeItem>> owned;
};

TEST_F(ScanTaskItemsTest, ItemsFedByTheTaskFollowItsBlocks) {
    CountingBlock& mine = add();
    CountingBlock& theirs = otherBlock();
    FakeItem& meter = item(410, 1);
    meter.feed(0, mine);
    FakeItem& foreign = item(410, 1);
    foreign.feed(0, theirs);
    FakeItem& secondInputOnly = item(403, 2);
    secondInputOnly.feed(1, mine);
    item(405, 1);  // not connected

    startTask();
    EXPECT_EQ(task->scanList().count(), 2u);
    EXPECT_EQ(task->scanList().items().back(), &meter);
    EXPECT_EQ(meter.starts, 1);
    task->RunScan();
    EXPECT_EQ(meter.scans, 1);
    EXPECT_EQ(foreign.scans, 0);
    EXPECT_EQ(secondInputOnly.scans, 0);
}

TEST_F(ScanTaskItemsTest, ATrendFedByTwoTasksIsScannedOnlyByTheTaskFeedingItsFirstInput) {
    CountingBlock& mine = add();
    CountingBlock& theirs = otherBlock();
    FakeItem& trend = item(kRealtimeTrendKind, 2);
    trend.feed(0, theirs);
    trend.feed(1, mine);
    FakeItem& history = item(kHistoricalTrendKind, 8);
    history.feed(0, mine);

    startTask();
    ASSERT_EQ(other->task.Start(), kOk);
    // Both tasks take the trend (and start it); its owner is the first input's task.
    EXPECT_EQ(trend.starts, 2);
    EXPECT_EQ(items.ownerTask(trend), other->task.instanceNumber());
    EXPECT_EQ(items.ownerTask(history), task->instanceNumber());
    EXPECT_NE(task->instanceNumber(), other->task.instanceNumber());

    task->RunScan();
    EXPECT_EQ(trend.scans, 0);
    EXPECT_EQ(history.scans, 1);
    other->task.RunScan();
    EXPECT_EQ(trend.scans, 1);
    EXPECT_EQ(history.scans, 1);
}

// ---- one scan and its results ----

TEST_F(ScanTaskTest, ScanResultsZeroAndFourAreQuietFiveStopsTheRunOthersAreReportedWithTheNode) {
    CountingBlock& quiet = addLogged(1);
    CountingBlock& four = addLogged(2);
    CountingBlock& stopper = addLogged(3);
    CountingBlock& failing = addLogged(4);
    four.scanResult = 4;
    stopper.scanResult = 5;
    failing.scanResult = -7;  // a device code
    startTask();

    task->RunScan();
    std::vector<MainMessage> posted;
    queue.drain([&](const MainMessage& m) { posted.push_back(m); });
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].id, kMsgCommand);
    EXPECT_EQ(posted[0].wParam, kCmdStopRun);
    EXPECT_EQ(posted[1].id, kMsgRunErrorReport);
    EXPECT_EQ(static_cast<Code>(static_cast<std::uint32_t>(posted[1].wParam)), -7);
    EXPECT_EQ(paramAs<Node>(posted[1].lParam), &failing);
    // Results never end the scan early.
    EXPECT_EQ(quiet.scans + four.scans + stopper.scans + failing.scans, 4);
}

TEST_F(ScanTaskTest, TheOpcGroupIsRegisteredAtStartAndReadBeforeEveryNode) {
    CountingOpcClient opc;
    services.opc = &opc;
    ScanTask withOpc(context, services);
    OpcServerProperties p;
    p.readMode = 1;
    p.dataSource = 1;
    p.updateRate = 250;
    p.localeId = 1033;
    p.timeBias = -60;
    p.deadBand = 12.5f;
    withOpc.setOpcSettings(p);
    add();
    add();

    ASSERT_EQ(withOpc.Start(), kOk);
    EXPECT_EQ(opc.registeredName, withOpc.name());
    EXPECT_EQ(opc.registered.updateRate, 250u);
    EXPECT_EQ(opc.registered.timeBias, -60);
    EXPECT_FLOAT_EQ(opc.registered.deadBand, 12.5f);
    EXPECT_EQ(withOpc.opcTaskHandle(), 77u);
    withOpc.RunScan();
    EXPECT_EQ(opc.reads, (std::vector<OpcTaskHandle>{77, 77}));
    withOpc.Stop();
    EXPECT_TRUE(mainWindow.pumpUntil([&] { return withOpc.IsTaskStopped(); }));
}

TEST_F(ScanTaskTest, AFailedOpcRegistrationIsReportedAndTheTaskRunsWithoutOpcReads) {
    CountingOpcClient opc;
    opc.addResult = 0x40;
    services.opc = &opc;
    ScanTask withOpc(context, services);
    add();

    ASSERT_EQ(withOpc.Start(), kOk);
    withOpc.RunScan();
    EXPECT_TRUE(opc.reads.empty());
    std::vector<MainMessage> posted;
    queue.drain([&](const MainMessage& m) { posted.push_back(m); });
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].id, kMsgRunErrorReport);
    EXPECT_EQ(posted[0].wParam, 0x40u);
    EXPECT_EQ(paramAs<Node>(posted[0].lParam), static_cast<Node*>(&withOpc));
    withOpc.Stop();
    EXPECT_TRUE(mainWindow.pumpUntil([&] { return withOpc.IsTaskStopped(); }));
}

class RecordingNetwork : public TaskNetworkClient {
  public:
    explicit RecordingNetwork(EventLog& log) : log_(log) {}
    std::unique_ptr<TaskNetworkHandle> createClientHandle(std::string_view taskName) override {
        log_.add("handle " + std::string(taskName));
        return std::make_unique<Handle>(log_);
    }

  private:
    struct Handle : TaskNetworkHandle {
        explicit Handle(EventLog& l) : log(l) {}
        ~Handle() override { log.add("deleted"); }
        void beginRun(std::int32_t periodMs) override { log.add("begin " + std::to_string(periodMs)); }
        void fetchGroupData() override { log.add("fetch"); }
        void endRun() override { log.add("end"); }
        EventLog& log;
    };
    EventLog& log_;
};

TEST_F(ScanTaskTest, TheNetworkGroupBeginsWithTheRunIsFetchedAfterEveryScanAndEndsWithTheStop) {
    RecordingNetwork network(log);
    services.network = &network;
    CountingBlock& a = addLogged(1);
    {
        ScanTask withNetwork(context, services);
        withNetwork.timing().setPeriod(ScanPeriod{0, 0, 0, 250});
        withNetwork.timing().recompute(5);
        ASSERT_EQ(withNetwork.Start(), kOk);
        withNetwork.RunScan();
        withNetwork.Stop();
        ASSERT_TRUE(mainWindow.pumpUntil([&] { return withNetwork.IsTaskStopped(); }));
    }
    EXPECT_EQ(log.events(), (std::vector<std::string>{"handle TASK2", "begin 250", "scan " + a.name(),
                                                      "fetch", "end", "deleted"}));
}

// ---- script preparation ----

class ScriptPreparationTest : public ScanTaskTest {
  protected:
    void fail(const std::string& entry, ScriptPreparation::Outcome outcome, std::uint32_t number = 0,
              std::uint32_t line = 0) {
        ScriptPreparation p;
        p.outcome = outcome;
        p.errorNumber = number;
        p.line = line;
        scripts.outcomes[entry] = std::move(p);
    }
    // Starts with both scripts; the start must fail on a script.
    void expectScriptFailure(const std::string& text) {
        CountingBlock& a = add();
        task->preTaskScript().setText("pre");
        task->postTaskScript().setText("post");
        EXPECT_EQ(task->Start(), kMsgSyntaxError);
        EXPECT_EQ(run.texts(), std::vector<std::string>{text});
        EXPECT_TRUE(scripts.disabled) << "a failed preparation disables scripts for the run";
        EXPECT_FALSE(a.isRunning()) << "the started nodes are stopped again";
        EXPECT_TRUE(task->scanList().isEmpty());
        EXPECT_EQ(scripts.liveScripts(), 0u) << "a prepared pre-task script is released again";
        EXPECT_EQ(task->threadState(), TaskThreadState::Stopped);
        EXPECT_FALSE(scheduler.isRunningTask(task.get()));
    }
};

TEST_F(ScriptPreparationTest, BothScriptsArePreparedWithTheirEntryPoints) {
    task->preTaskScript().setText("pre text");
    task->postTaskScript().setText("post text");
    startTask();
    EXPECT_EQ(scripts.prepared, (std::vector<std::pair<std::string, std::string>>{
                                    {"pre text", "PRE_TASK1"}, {"post text", "POST_TASK1"}}));
    ScriptContext* const self = task.get();
    EXPECT_EQ(scripts.contexts, (std::vector<ScriptContext*>{self, self})) << "the task is its scripts' context";
    EXPECT_EQ(self->scriptContextKind(), ScriptContext::Kind::Task);
    EXPECT_TRUE(task->preTaskScript().ready());
    EXPECT_TRUE(task->postTaskScript().ready());
}

TEST_F(ScriptPreparationTest, NoTextOrDisabledScriptsPrepareNothing) {
    task->postTaskScript().setText("post");
    scripts.disabled = true;
    startTask();
    EXPECT_TRUE(scripts.prepared.empty());
    EXPECT_FALSE(task->postTaskScript().ready());
}

TEST_F(ScriptPreparationTest, ACompileErrorWithALineNamesNumberLineAndScript) {
    fail("POST_TASK1", ScriptPreparation::Outcome::CompileErrorAtLine, 10047, 12);
    expectScriptFailure("Error 10047 at line 12 in TASK1,post-task script, skip the script");
}

TEST_F(ScriptPreparationTest, OtherCompileFailuresUseTheScriptsOwnMessage) {
    fail("PRE_TASK1", ScriptPreparation::Outcome::CompileFailed);
    expectScriptFailure("Unknown error encountered in Pre-task Script. Skipping the script.");
}

TEST_F(ScriptPreparationTest, OtherCompileFailuresOfThePostTaskScript) {
    fail("POST_TASK1", ScriptPreparation::Outcome::CompileFailed);
    expectScriptFailure("Unknown error encountered in post-task script. Skipping the script.");
}

TEST_F(ScriptPreparationTest, AModuleThatCannotBeCreated) {
    fail("PRE_TASK1", ScriptPreparation::Outcome::ModuleNotCreated);
    expectScriptFailure("Create script error at TASK1,pre-task script!");
}

TEST_F(ScriptPreparationTest, AMissingEntryPoint) {
    fail("POST_TASK1", ScriptPreparation::Outcome::EntryPointMissing);
    expectScriptFailure("Entry point not found in TASK1,post-task script!");
}

TEST_F(ScriptPreparationTest, WithoutAScriptEngineScriptsCountAsAbsent) {
    NullScriptHost none;
    services.scripts = &none;
    ScanTask plain(context, services);
    plain.preTaskScript().setText("Sub PRE_TASK2()\r\nEnd Sub\r\n");
    CountingBlock& a = add();
    ASSERT_EQ(plain.Start(), kOk);
    EXPECT_FALSE(plain.preTaskScript().ready());
    plain.setScanEvent();
    EXPECT_TRUE(eventually([&] { return a.scans.load() == 1; }));
    plain.Stop();
    EXPECT_TRUE(mainWindow.pumpUntil([&] { return plain.IsTaskStopped(); }));
}

TEST(TaskScriptTexts, NewScriptsAndNames) {
    TaskScript pre(TaskScriptKind::PreTask);
    TaskScript post(TaskScriptKind::PostTask);
    EXPECT_EQ(pre.templateText("TASK3"), "Sub PRE_TASK3()\r\n    \r\nEnd Sub\r\n");
    EXPECT_EQ(post.templateText("TASK3"), "Sub POST_TASK3()\r\n\r\nEnd Sub\r\n");
    EXPECT_EQ(pre.editorTitle(), "Pre-Task Script Editor");
    EXPECT_EQ(post.editorTitle(), "Post-Task Script Editor");
    EXPECT_EQ(post.scriptName("PUMPS"), "PUMPS,post-task");
}

}  // namespace
}  // namespace kestrune::test
