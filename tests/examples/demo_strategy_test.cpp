// The demo strategy in examples/: the committed file is exactly what its JSON
// builds, and the strategy does what the README says it does. The run here
// drives every block's Scan in execution order by hand on the simulated
// board's manual clock, so the plant sees exact 100 ms (TASK1) and 1 s
// (TASK2) steps whatever the machine's load.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "blocks/block_services.h"
#include "blocks/register_all_blocks.h"
#include "cli/ksv/ksv_commands.h"
#include "cli/ksv_fixture.h"
#include "components/driver/device_list_driver.h"
#include "components/driver/sim_clock.h"
#include "components/driver/standard_device_types.h"
#include "components/tagdb/tag_database.h"
#include "document/strategy_document.h"
#include "document/strategy_file.h"
#include "document/virtual_tag.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "engine/task_services.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/temp_dir.h"
#include "platform/tick_source.h"
#include "taskmodel/block.h"
#include "taskmodel/block_factory.h"

namespace kestrune::examples_test {
namespace {

using testing_support::TempDir;

std::filesystem::path examplesDir() {
    return KESTRUNE_EXAMPLES_DIR;
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    const std::string text = TempDir::read(path);
    return {text.begin(), text.end()};
}

// ---- the committed file ----

// The protection block: a key drawn at every save, and the password under it.
constexpr std::size_t kProtectionOffset = 8;
constexpr std::size_t kProtectionSize = 28;

class DemoFileTest : public ksv::testing::KsvTest {};

TEST_F(DemoFileTest, TheCommittedFileIsWhatItsJsonBuilds) {
    const std::filesystem::path built = dir / "demo.ksv";
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> args{"build", (examplesDir() / "demo.json").string(), "-o",
                                        built.string()};
    ASSERT_EQ(ksv::runKsv(args, out, err), ksv::kExitLoaded) << err.str();

    const std::vector<std::uint8_t> committed = fileBytes(examplesDir() / "demo.ksv");
    const std::vector<std::uint8_t> fresh = fileBytes(built);
    ASSERT_EQ(committed.size(), fresh.size()) << "examples/demo.ksv is stale: rebuild it with kestrune-ksv "
                                                 "build examples/demo.json -o examples/demo.ksv";
    for (std::size_t i = 0; i < committed.size(); ++i) {
        if (i >= kProtectionOffset && i < kProtectionOffset + kProtectionSize) continue;
        ASSERT_EQ(committed[i], fresh[i]) << "first difference at byte " << i;
    }
    // The block that differs holds the same thing in both: no password.
    EXPECT_EQ(bytesOf(*read(committed)), bytesOf(*read(fresh)));
    EXPECT_FALSE(read(committed)->protection().isProtected());
}

// ---- the run ----

// What the application gives a running strategy, with the simulated board on
// a manual clock and a device list of its own (the default one).
class DemoRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(driver.loadStatus().ok()) << driver.loadStatus().context;
        ASSERT_TRUE(registerAllBlockKinds(factory, blockServices, taskServices).ok());
        document = std::make_unique<StrategyDocument>(DocumentServices{.factory = factory, .tags = &tags});
        const StrategyReadResult result = readStrategy(*document, fileBytes(examplesDir() / "demo.ksv"));
        ASSERT_TRUE(result.status.ok()) << result.status.code << " " << result.status.context;
    }
    void TearDown() override {
        for (auto it = running.rbegin(); it != running.rend(); ++it) (*it)->Stop();
        document.reset();
    }

    // Starts the task's blocks in execution order, as the task does.
    std::vector<Node*> start(const std::string& taskName) {
        StrategyTask* task = document->findTask(taskName);
        EXPECT_NE(task, nullptr) << taskName;
        if (task == nullptr) return {};
        // What a run's start does first: the period in scheduler ticks, which
        // the PID takes its time step from.
        auto& scanTask = dynamic_cast<ScanTask&>(task->taskObject());
        scanTask.timing().recompute(scheduler.settings().resolutionMs);
        std::vector<Node*> nodes = task->graph().nodes();
        std::sort(nodes.begin(), nodes.end(), [](Node* a, Node* b) { return a->order() < b->order(); });
        for (Node* node : nodes) {
            EXPECT_EQ(node->Start(), kOk) << node->name();
            running.push_back(node);
        }
        return nodes;
    }
    // One scan period later, every node scanned once in order.
    void scan(const std::vector<Node*>& nodes, std::chrono::milliseconds period) {
        clock->advance(period);
        for (Node* node : nodes) EXPECT_EQ(node->Scan(), kOk) << node->name();
    }
    static float value(const std::vector<Node*>& nodes, std::string_view name, std::size_t output = 0) {
        const auto it = std::find_if(nodes.begin(), nodes.end(), [&](Node* n) { return n->name() == name; });
        EXPECT_NE(it, nodes.end()) << name;
        return it == nodes.end() ? NAN : (*it)->outputValue(output)->toFloat();
    }

    TempDir dir;
    std::shared_ptr<ManualSimClock> clock = std::make_shared<ManualSimClock>();
    DeviceListDriver driver{dir / "devices.ini", standardDeviceTypes(clock)};
    MainQueue queue;
    ManualTickSource ticks;
    Scheduler scheduler{ticks, SystemClock::instance(), queue};
    BlockServices blockServices{&driver, nullptr, nullptr, &queue, nullptr};
    TaskServices taskServices{scheduler, queue};
    BlockFactory factory;
    TagDatabase tags;
    std::unique_ptr<StrategyDocument> document;
    std::vector<Node*> running;
};

TEST_F(DemoRunTest, TheStrategyHoldsWhatTheReadmeDescribes) {
    ASSERT_EQ(document->taskCount(), 2u);
    EXPECT_TRUE(document->options().eventLog);
    const VirtualTag* high = document->findVirtualTag("SP_HIGH");
    const VirtualTag* low = document->findVirtualTag("SP_LOW");
    ASSERT_TRUE(high != nullptr && low != nullptr);
    EXPECT_LT(low->initialFloat(), high->initialFloat());
    for (const char* name : {"RMP1", "AI1", "PID1"}) {
        const std::vector<Node*> nodes = document->findTask("TASK1")->graph().nodes();
        EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [&](Node* n) { return n->name() == name; }))
            << name;
    }
}

TEST_F(DemoRunTest, ThePidLoopBringsTheLevelToTheRampsFinalValue) {
    const std::vector<Node*> task1 = start("TASK1");
    ASSERT_EQ(task1.size(), 6u);
    ASSERT_EQ(dynamic_cast<ScanTask&>(document->findTask("TASK1")->taskObject()).timing().periodMs(), 100);
    constexpr std::chrono::milliseconds kPeriod{100};
    float finalSetpoint = NAN;
    std::vector<float> pvs;
    for (int n = 1; n <= 200; ++n) {
        scan(task1, kPeriod);
        const float sp = value(task1, "RMP1");
        const float pv = value(task1, "AI1");
        pvs.push_back(pv);
        // The error block sees the same scan's setpoint and level.
        ASSERT_NEAR(value(task1, "ERR1"), sp - pv, 1e-5f) << "scan " << n;
        const float out = value(task1, "PID1");
        ASSERT_TRUE(out >= 0.0f && out <= 10.0f) << "the valve stays in the output range: " << out;
        if (n == 100) finalSetpoint = sp;  // 10 s
        if (n > 100) {
            ASSERT_EQ(sp, finalSetpoint) << "the ramp holds its final value";
        }
        if (n >= 10) {
            // The moving average of the last ten readings.
            float sum = 0.0f;
            for (std::size_t k = pvs.size() - 10; k < pvs.size(); ++k) sum += pvs[k];
            ASSERT_NEAR(value(task1, "AVG1"), sum / 10.0f, 1e-4f) << "scan " << n;
        }
    }
    ASSERT_GT(finalSetpoint, 1.0f);
    const float early = std::fabs(finalSetpoint - pvs[49]);  // 5 s
    const float late = std::fabs(finalSetpoint - pvs.back());
    EXPECT_LT(late, early) << "the level moves toward the setpoint";
    EXPECT_LT(late, 0.02f * finalSetpoint) << "within 2 % after 20 s";
    EXPECT_LT(*std::max_element(pvs.begin(), pvs.end()), 1.1f * finalSetpoint) << "no wild overshoot";
}

TEST_F(DemoRunTest, TheOnOffLoopKeepsTheTemperatureInItsBand) {
    const std::vector<Node*> task2 = start("TASK2");
    ASSERT_EQ(task2.size(), 6u);
    bool reached = false;
    int switches = 0;
    float last = 0.0f;
    float lowest = INFINITY;
    float highest = -INFINITY;
    for (int n = 1; n <= 300; ++n) {
        scan(task2, std::chrono::seconds(1));
        const float pv = value(task2, "AI1", 1);  // output k carries channel k
        const float state = value(task2, "ONF1");
        ASSERT_TRUE(state == 0.0f || state == 1.0f);
        ASSERT_EQ(value(task2, "HEAT1"), 5.0f * state) << "the heater gets 5 V while on";
        ASSERT_EQ(value(task2, "DO1"), state) << "the lamp shows the controller's state";
        if (n > 1 && state != last) ++switches;
        last = state;
        reached = reached || pv >= 2.5f;
        if (reached) {
            lowest = std::min(lowest, pv);
            highest = std::max(highest, pv);
        }
    }
    EXPECT_TRUE(reached);
    EXPECT_GE(switches, 4) << "the controller cycles";
    // The band is 2.3..2.7; the plant's dead time carries it a little beyond.
    EXPECT_GT(lowest, 1.5f);
    EXPECT_LT(highest, 3.5f);
    EXPECT_EQ(value(task2, "DI1"), 0xA5) << "the input port's pins";
}

}  // namespace
}  // namespace kestrune::examples_test
