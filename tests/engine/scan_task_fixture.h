#pragma once
// What the scan task tests put around a task: a script host whose outcomes
// the test decides, a run host that records what the task reports, small
// block and display-item kinds that count what is done to them, a display
// side that hands out items and keeps their owners, and a stand-in for the
// main window that takes the task's messages on the test's own thread (as
// the program takes them on its main thread).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "engine/script_host.h"
#include "engine/task_fed_items.h"
#include "engine/task_services.h"
#include "engine_fakes.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/scripted_user_interface.h"
#include "platform/tick_source.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/object_registry.h"
#include "support/stub_node.h"
#include "support/stub_node_host.h"
#include "taskmodel/task_graph.h"

namespace kestrune::test {

// One ordered record of what happened, shared by the fakes of one test, so
// that a test can say what came before what (across threads).
class EventLog {
  public:
    void add(std::string event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    int count(const std::string& event) const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(events_.begin(), events_.end(), event));
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

class FakeScriptHost : public ScriptHost {
  public:
    explicit FakeScriptHost(EventLog& log) : log_(log) {}

    bool scriptsDisabled() const override { return disabled.load(); }
    void disableScripts() override { disabled = true; }
    ScriptPreparation prepare(const ScriptRequest& request) override {
        std::lock_guard lock(mutex_);
        prepared.emplace_back(request.text, request.entryPoint);
        contexts.push_back(request.context);
        auto it = outcomes.find(std::string(request.entryPoint));
        ScriptPreparation p;
        if (it != outcomes.end()) {
            p.outcome = it->second.outcome;
            p.errorNumber = it->second.errorNumber;
            p.line = it->second.line;
        } else {
            p.outcome = ScriptPreparation::Outcome::Ready;
        }
        if (p.outcome == ScriptPreparation::Outcome::Ready) {
            ++live_;
            p.script = std::make_unique<Script>(*this);
        }
        return p;
    }
    std::size_t liveScripts() const {
        std::lock_guard lock(mutex_);
        return live_;
    }

    // Outcomes by entry point; an entry point not listed is prepared.
    std::map<std::string, ScriptPreparation> outcomes;
    // Run hooks by script name; true reports an error.
    std::map<std::string, std::function<bool()>> onRun;
    // Scripts (by name) whose run ends only when cancelled.
    std::set<std::string> endless;
    ManualResetEvent endlessEntered;  // set as an endless run begins
    std::vector<std::pair<std::string, std::string>> prepared;
    std::vector<ScriptContext*> contexts;
    std::atomic<bool> disabled{false};

  private:
    class Script final : public PreparedScript {
      public:
        explicit Script(FakeScriptHost& host) : host_(host) {}
        ~Script() override {
            std::lock_guard lock(host_.mutex_);
            --host_.live_;
            host_.log_.add("release");
        }
        ScriptRunResult run(std::string_view scriptName) override {
            const std::string name(scriptName);
            std::function<bool()> hook;
            bool runsForEver = false;
            {
                std::lock_guard lock(host_.mutex_);
                hook = host_.onRun[name];
                runsForEver = host_.endless.count(name) != 0;
            }
            host_.log_.add("run " + name);
            if (runsForEver) {
                cancelled_.reset();
                host_.endlessEntered.set();
                cancelled_.wait();
                host_.log_.add("cancelled " + name);
                return {ScriptRunResult::Outcome::Cancelled};
            }
            if (hook && hook()) return {ScriptRunResult::Outcome::RuntimeError, 10, 1};
            return {};
        }
        void cancel() override { cancelled_.set(); }

      private:
        FakeScriptHost& host_;
        ManualResetEvent cancelled_;
    };

    EventLog& log_;
    mutable std::mutex mutex_;
    std::size_t live_ = 0;
};

class FakeRunHost : public TaskRunHost {
  public:
    bool runPaused() const override {
        ++pauseQueries;
        return paused.load();
    }
    void taskStarted(const ScanTask&) override { ++started; }
    void reportText(std::string_view text) override {
        std::lock_guard lock(mutex_);
        texts_.emplace_back(text);
    }
    std::vector<std::string> texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }

    std::atomic<bool> paused{false};
    // Task threads ask once per scan event, just before they scan.
    mutable std::atomic<int> pauseQueries{0};
    std::atomic<int> started{0};

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// The designer view of the task: its name is the task's.
class TaskViewStub : public test_support::StubNodeHost {
  public:
    using StubNodeHost::StubNodeHost;
    std::string ownerName() const override { return task ? task->name() : std::string("TASK1"); }
    const ScanTask* task = nullptr;
};

// A block that counts what the task does to it and logs its scans.
class CountingBlock : public Block {
  public:
    CountingBlock(const NodeContext& context, EventLog* log = nullptr)
        : Block(context, kCalculationKind), log_(log) {
        setOutputPorts({{kTypeFloat, 0}});
        createOutputValues();
    }

    Code Scan() override {
        if (!isRunning()) return kOk;
        if (gate != nullptr) {
            entered.set();
            gate->wait();
        }
        if (log_ != nullptr) log_->add("scan " + name());
        ++scans;
        return scanResult.load();
    }

    std::atomic<int> scans{0};
    std::atomic<int> starts{0};
    std::atomic<int> stops{0};
    std::atomic<Code> scanResult{kOk};
    Code startResult = kOk;
    ManualResetEvent* gate = nullptr;  // Scan waits here when set
    ManualResetEvent entered;          // set as a gated Scan begins to wait

  protected:
    Code OnStart() override {
        ++starts;
        return startResult;
    }
    void OnStop() override { ++stops; }

  private:
    EventLog* log_;
};

// A display item: a node of any item kind with a number of inputs.
class FakeItem : public test_support::StubNode {
  public:
    FakeItem(const NodeContext& context, std::int16_t kind, int inputs) : StubNode(context, kind) {
        setInputPorts(
            std::vector<InputPort>(static_cast<std::size_t>(inputs), InputPort{0, 0, kMaskScalar, 0}));
    }
    void feed(int input, const Node& source) {
        inputs()[static_cast<std::size_t>(input)].sourceId = source.id();
    }

    Code Start() override {
        ++starts;
        return Node::Start();
    }
    Code Scan() override {
        ++scans;
        return kOk;
    }

    std::atomic<int> scans{0};
    int starts = 0;
};

class FakeFedItems : public TaskFedItems {
  public:
    std::vector<Node*> itemsWithInputs() override { return items; }
    void setOwnerTask(Node& item, std::uint16_t taskInstance) override {
        std::lock_guard lock(mutex_);
        owners_[&item] = taskInstance;
    }
    std::uint16_t ownerTask(const Node& item) const override {
        std::lock_guard lock(mutex_);
        auto it = owners_.find(&item);
        return it == owners_.end() ? 0 : it->second;
    }

    std::vector<Node*> items;

  private:
    mutable std::mutex mutex_;
    std::map<const Node*, std::uint16_t> owners_;
};

// Another task of the same strategy, with its own designer and blocks.
struct OtherTask {
    OtherTask(ObjectRegistry& registry, UserInterface& ui, const TaskServices& services)
        : view(&graph),
          graph(registry),
          context{registry, nullptr, nullptr, &ui, true, &view, nullptr},
          task(context, services) {
        view.task = &task;
    }
    // The task goes before its blocks here (the designer destroys its
    // blocks first), so the view stops naming it.
    ~OtherTask() { view.task = nullptr; }
    CountingBlock& add() {
        auto block = std::make_unique<CountingBlock>(context);
        CountingBlock& ref = *block;
        EXPECT_EQ(graph.Append(std::move(block)), kOk);
        return ref;
    }

    TaskViewStub view;
    TaskGraph graph;
    NodeContext context;
    ScanTask task;
};

// The main window's side of the task messages, on the calling thread.
class MainWindowStub {
  public:
    explicit MainWindowStub(MainQueue& queue) : queue_(queue) {}

    // Handles what is queued now: a start or stop request sets the
    // requester's event, then starts or stops the task (as the main window does).
    void pump() {
        queue_.drain([this](const MainMessage& m) {
            messages.push_back(m);
            if (m.id != kMsgTaskStartStop) return;
            auto* task = dynamic_cast<ScanTask*>(paramAs<Node>(m.lParam));
            ASSERT_NE(task, nullptr);
            task->requestHandledEvent().set();
            if (onRequest) onRequest(*task, m.wParam == 1);
            if (m.wParam == 1)
                startResults.push_back(task->Start());
            else
                task->Stop();
        });
    }
    // Pumps until `done()` holds or a generous bound passes.
    bool pumpUntil(const std::function<bool()>& done) {
        return eventually([&] {
            pump();
            return done();
        });
    }
    int count(MessageId id) const {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                              [id](const MainMessage& m) { return m.id == id; }));
    }

    std::vector<MainMessage> messages;
    std::vector<Code> startResults;
    std::function<void(ScanTask&, bool start)> onRequest;

  private:
    MainQueue& queue_;
};

class ScanTaskTest : public ::testing::Test {
  protected:
    // `items`, when given, feeds display items to the task (it may be a
    // member of a derived fixture, not yet made: the task keeps the pointer).
    explicit ScanTaskTest(TaskFedItems* items = nullptr) {
        services.displayItems = items;
        graph.setNextOrderNumber(0);
        task = std::make_unique<ScanTask>(context, services);
        view.task = task.get();
        task->timing().setPeriod(ScanPeriod{0, 0, 0, 5});
        task->timing().recompute(5);
    }
    ~ScanTaskTest() override {
        // A test that left its task running stops it here, on this thread.
        if (task) {
            task->Stop();
            EXPECT_TRUE(mainWindow.pumpUntil([&] { return task->IsTaskStopped(); }));
        }
        view.task = nullptr;
    }

    template <class K = CountingBlock, class... Args>
    K& add(Args&&... args) {
        auto block = std::make_unique<K>(context, std::forward<Args>(args)...);
        K& ref = *block;
        EXPECT_EQ(graph.Append(std::move(block)), kOk);
        return ref;
    }
    CountingBlock& addLogged(std::uint32_t order) {
        CountingBlock& b = add(&log);
        b.setOrder(order);
        return b;
    }

    // Starts the task and waits until its thread waits for the scan event.
    void startTask() {
        ASSERT_EQ(task->Start(), kOk);
        ASSERT_TRUE(eventually([&] { return task->threadState() == TaskThreadState::Waiting; }));
    }
    // One scan event, handled to its end (the scan has run, or been skipped).
    void scanOnce(const CountingBlock& probe) {
        const int before = probe.scans.load();
        task->setScanEvent();
        ASSERT_TRUE(eventually([&] { return probe.scans.load() > before; }));
        ASSERT_TRUE(eventually([&] { return task->threadState() == TaskThreadState::Waiting; }));
    }
    bool stopAndPoll() {
        task->Stop();
        return mainWindow.pumpUntil([&] { return task->IsTaskStopped(); });
    }

    EventLog log;
    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler{ticks, clock, queue};
    FakeScriptHost scripts{log};
    FakeRunHost run;
    ScriptedUserInterface ui;
    TaskViewStub view{&graph};
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, &ui, true, &view, nullptr};
    TaskServices services{scheduler, queue, &scripts, &run, nullptr, nullptr, nullptr};
    MainWindowStub mainWindow{queue};
    std::unique_ptr<ScanTask> task;
};

}  // namespace kestrune::test
