#pragma once
// An application around one strategy in a scratch directory, for the run
// control tests: the real scan tasks, scheduler and logs, with a manual tick
// source and a manual clock (so the test decides when tasks are due and
// when the main window's timers elapse), scripted questions, and a block
// kind that counts its scans and can be held inside a scan. The test's
// thread is the main thread: it drains the main queue itself.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/application.h"
#include "app/event_log.h"
#include "app/timer_service.h"
#include "components/tagdb/tag_database.h"
#include "document/strategy_document.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "platform/clock.h"
#include "platform/reset_event.h"
#include "platform/scripted_user_interface.h"
#include "platform/temp_dir.h"
#include "platform/tick_source.h"
#include "support/eventually.h"
#include "support/failing_file_calls.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace kestrune::testing_support {

using namespace std::chrono_literals;

// A block that counts its scans; a test may refuse its check or its start,
// or hold a scan at the gate until it opens.
class ProbeBlock : public Block {
  public:
    explicit ProbeBlock(const NodeContext& context) : Block(context, kCalculationKind) {}

    Code Validate() override { return configured ? kOk : refuseUnconfigured(); }
    Code Scan() override {
        if (!isRunning()) return kOk;
        if (gate.load() != nullptr) {
            entered.set();
            gate.load()->wait();
        }
        ++scans;
        return scanResult.load();
    }

    bool configured = true;
    Code startResult = kOk;
    std::atomic<int> scans{0};
    std::atomic<Code> scanResult{kOk};
    std::atomic<ManualResetEvent*> gate{nullptr};
    ManualResetEvent entered;

  protected:
    Code OnStart() override { return startResult; }
};

class RunFixture : public ::testing::Test {
  protected:
    RunFixture() {
        // The settings file of this test only: no key, every default.
        ApplicationOptions options;
        options.ui = &ui;
        options.settingsFile = dir / "Kestrune.INI";
        options.deviceListFile = dir / "devices.ini";
        options.eventLogDirectory = dir.path().string();
        options.clock = &clock;
        options.ticks = &ticks;
        options.timers = &timers;
        options.diskProbe = [this](const std::string&) { return freeBytes; };
        options.fileCalls = &fileCalls;
        options.registerKinds = [](BlockFactory& factory, const BlockServices&, const TaskServices& tasks) {
            if (Status s = registerEngineKinds(factory, tasks); !s) return s;
            return factory.Register<ProbeBlock>(kCalculationKind);
        };
        app = std::make_unique<Application>(std::move(options));
        EXPECT_TRUE(app->initialize().ok());
        document().setPath((dir / "plant.ksv").string());
        document().options().eventLog = true;
        task().timing().setPeriod(ScanPeriod{0, 0, 0, 5});
        document().setModified(false);
    }
    ~RunFixture() override {
        if (app->runControl().running()) {
            releaseGate();
            app->runControl().stopAndWait(10s);
        }
        app.reset();
    }

    StrategyDocument& document() { return *app->document(); }
    RunControl& control() { return app->runControl(); }
    ScanTask& task(std::size_t index = 0) {
        return static_cast<ScanTask&>(document().task(index).taskObject());
    }
    TagDatabase& tags() { return app->tags(); }

    ProbeBlock& addProbe(std::size_t taskIndex = 0) {
        const Placement made = document().task(taskIndex).addBlock(kCalculationKind, {10, 10, 42, 42});
        EXPECT_NE(made.block, nullptr);
        document().setModified(false);
        return *static_cast<ProbeBlock*>(made.block);
    }

    std::size_t drain() { return app->drainMessages(); }

    // The main window's timers elapse `by` later; what they post is handled.
    void elapse(std::chrono::milliseconds by) {
        clock.advance(by);
        timers.fireDue();
        drain();
    }

    // Ticks until `probe` has scanned more than `before` times.
    bool scanMore(const ProbeBlock& probe, int before) {
        return eventually([&] {
            ticks.tick();
            return probe.scans.load() > before;
        });
    }

    // Drains, lets the timers elapse, until the run is idle.
    bool stopCompletes() {
        return eventually([&] {
            elapse(kStopRetryInterval);
            return control().isIdle();
        });
    }

    void holdAtGate(ProbeBlock& probe) { probe.gate.store(&gate); }
    void releaseGate() { gate.set(); }

    std::string fileText(const std::string& name) const { return TempDir::read(dir / name); }

    std::int32_t sysinfo() {
        DB_PARAM p = DB_PARAM::Int(-1);
        EXPECT_EQ(tags().GetData(kSystemTaskName, kSystemInfoTagName, &p), kOk);
        return p.value.lVal;
    }

    TempDir dir;
    ScriptedUserInterface ui;
    ManualClock clock{std::chrono::system_clock::time_point{} + std::chrono::hours(24 * 12800)};
    ManualTickSource ticks;
    ClockTimerService timers{clock};
    std::optional<std::uint64_t> freeBytes = std::uint64_t{1} << 40;
    FailingFileCalls fileCalls;  // passes every call through until a test says otherwise
    ManualResetEvent gate;
    std::unique_ptr<Application> app;
};

}  // namespace kestrune::testing_support
