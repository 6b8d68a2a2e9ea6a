#include "components/opc/sim_opc_client.h"

#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>

#include <gtest/gtest.h>

#include "components/opc/opc_codes.h"
#include "driver_test_support.h"

namespace kestrune {
namespace {

class SimOpcClientTest : public ::testing::Test {
  protected:
    void at(double seconds) {
        clock_->set(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(seconds)));
    }

    OpcTaskHandle task(const char* name, std::uint8_t dataSource = 1, std::uint32_t updateRate = 0) {
        OpcServerProperties p;
        p.dataSource = dataSource;
        p.updateRate = updateRate;
        OpcTaskHandle h = 0;
        EXPECT_EQ(client_.addTaskToList(name, p, h), kOk);
        return h;
    }

    OpcItemHandle item(const char* taskName, const char* id, Variant* v) {
        OpcItemHandle h = 0;
        EXPECT_EQ(client_.addItemToList(taskName, "", kSimOpcServerName, "BLK", id, "", v, h), kOk) << id;
        return h;
    }

    static double sine(double t) { return 5.0 * std::sin(2 * std::numbers::pi * t / 10.0); }

    std::shared_ptr<ManualSimClock> clock_ = std::make_shared<ManualSimClock>();
    SimOpcClient client_{clock_};
};

TEST_F(SimOpcClientTest, TaskReadDeliversFreshValuesFromTheDevice) {
    const OpcTaskHandle t = task("TASK1");
    Variant v(0.0f);
    item("TASK1", "Signals.Sine", &v);
    at(2.5);
    ASSERT_EQ(client_.taskRead(t), kOk);
    EXPECT_EQ(v.type(), VarType::R4);
    EXPECT_NEAR(v.toDouble(), 5.0, 1e-5);
    at(3.0);
    ASSERT_EQ(client_.taskRead(t), kOk);
    EXPECT_NEAR(v.toDouble(), sine(3.0), 1e-5);
}

TEST_F(SimOpcClientTest, CacheIsRefreshedAtMostOncePerUpdateRate) {
    const OpcTaskHandle t = task("TASK1", 0, 1000);
    Variant v(0.0f);
    item("TASK1", "Signals.Sine", &v);
    at(2.5);
    ASSERT_EQ(client_.taskRead(t), kOk);
    EXPECT_NEAR(v.toDouble(), 5.0, 1e-5);
    at(3.0);
    ASSERT_EQ(client_.taskRead(t), kOk);
    EXPECT_NEAR(v.toDouble(), 5.0, 1e-5);  // half an update period: still the cached value
    at(3.6);
    ASSERT_EQ(client_.taskRead(t), kOk);
    EXPECT_NEAR(v.toDouble(), sine(3.6), 1e-5);
}

TEST_F(SimOpcClientTest, ItemsComeInTheTypeTheBlockAskedFor) {
    task("TASK1");
    Variant asInt(0);
    item("TASK1", "Signals.Constant", &asInt);  // 2.5 as a 32-bit integer
    EXPECT_EQ(asInt.type(), VarType::I4);
    EXPECT_EQ(*asInt.get<std::int32_t>(), 2);
    Variant anyType;
    item("TASK1", "Memory.Short1", &anyType);  // no request: the item's own type
    EXPECT_EQ(anyType.type(), VarType::I2);
}

TEST_F(SimOpcClientTest, WritesReachTheServerAndOtherReaders) {
    task("TASK1");
    task("TASK2");
    Variant out(0.0f), in(0.0f);
    const OpcItemHandle w = item("TASK1", "Memory.Float1", &out);
    const OpcItemHandle r = item("TASK2", "Memory.Float1", &in);
    out = Variant(3.5f);
    ASSERT_EQ(client_.itemWrite(w), kOk);
    ASSERT_EQ(client_.itemRead(r), kOk);
    EXPECT_EQ(in, Variant(3.5f));

    Variant text("");
    const OpcItemHandle i = item("TASK1", "Memory.Int1", &text);
    EXPECT_EQ(text, Variant("0"));  // registering reads the item once, in the type asked for
    text = Variant("abc");
    EXPECT_EQ(client_.itemWrite(i), opcCode(OpcError::TypeMismatch));
    Variant sine(1.0f);
    const OpcItemHandle s = item("TASK1", "Signals.Sine", &sine);
    EXPECT_EQ(client_.itemWrite(s), opcCode(OpcError::ItemReadOnly));
}

TEST_F(SimOpcClientTest, AWrittenValueIsWhatTheCacheDeliversNext) {
    const OpcTaskHandle t = task("TASK1", 0, 60000);
    Variant v(0.0f);
    const OpcItemHandle h = item("TASK1", "Memory.Float2", &v);
    ASSERT_EQ(client_.taskRead(t), kOk);
    v = Variant(8.0f);
    ASSERT_EQ(client_.itemWrite(h), kOk);
    v = Variant(0.0f);
    ASSERT_EQ(client_.taskRead(t), kOk);
    EXPECT_EQ(v, Variant(8.0f));
}

TEST_F(SimOpcClientTest, QualityCheckGivesTheFlagAndATextNamingTheItem) {
    task("TASK1");
    Variant bad(0.0f), good(0.0f);
    const OpcItemHandle b = item("TASK1", "Signals.BadQuality", &bad);
    const OpcItemHandle g = item("TASK1", "Memory.Float3", &good);
    int flag = 7;
    std::string text;
    ASSERT_EQ(client_.itemQualityCheck(b, flag, &text), kOk);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(text, "OPC item Signals.BadQuality of BLK: quality Bad (communication failure)");
    ASSERT_EQ(client_.itemQualityCheck(g, flag, nullptr), kOk);
    EXPECT_EQ(flag, 1);

    ASSERT_TRUE(client_.server().setQuality("Memory.Float3", kQualityUncertain));
    ASSERT_EQ(client_.itemRead(g), kOk);
    ASSERT_EQ(client_.itemQualityCheck(g, flag, &text), kOk);
    EXPECT_EQ(flag, 0);
    EXPECT_NE(text.find("Uncertain"), std::string::npos);
    EXPECT_EQ(client_.itemQualityCheck(999, flag, &text), opcCode(OpcError::InvalidItemHandle));
    EXPECT_EQ(flag, 0);
}

TEST_F(SimOpcClientTest, RegistrationFaultsAreNamed) {
    Variant v;
    OpcItemHandle h = 77;
    EXPECT_EQ(client_.addItemToList("TASK1", "", "Other.Server", "B", "Signals.Sine", "", &v, h),
              opcCode(OpcError::ServerNotFound));
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(client_.addItemToList("TASK1", "", "kestrune.simulation", "B", "Signals.Nope", "", &v, h),
              opcCode(OpcError::ItemNotFound));
    EXPECT_EQ(client_.addItemToList("TASK1", "", kSimOpcServerName, "B", "", "", &v, h),
              opcCode(OpcError::ItemNotFound));
    EXPECT_EQ(client_.addItemToList("TASK1", "", kSimOpcServerName, "B", "Signals.Sine", "", nullptr, h),
              opcCode(OpcError::InvalidParameter));
    OpcServerProperties p;
    p.deadBand = 150.0f;
    OpcTaskHandle t = 5;
    EXPECT_EQ(client_.addTaskToList("TASK1", p, t), opcCode(OpcError::InvalidParameter));
    p.deadBand = 0.0f;
    p.updateRate = 10000001;
    EXPECT_EQ(client_.addTaskToList("TASK1", p, t), opcCode(OpcError::InvalidParameter));
    EXPECT_EQ(client_.taskRead(12345), opcCode(OpcError::InvalidTaskHandle));
    EXPECT_EQ(client_.itemRead(12345), opcCode(OpcError::InvalidItemHandle));
    EXPECT_EQ(client_.itemWrite(12345), opcCode(OpcError::InvalidItemHandle));
}

TEST_F(SimOpcClientTest, EachTaskReadsOnlyItsOwnGroup) {
    const OpcTaskHandle t1 = task("TASK1");
    task("TASK2");
    Variant a(0.0f), b(0.0f);
    item("TASK1", "Signals.Ramp", &a);
    item("TASK2", "Signals.Ramp", &b);
    at(30.0);
    ASSERT_EQ(client_.taskRead(t1), kOk);
    EXPECT_NEAR(a.toDouble(), 50.0, 1e-4);
    EXPECT_EQ(b.toDouble(), 0.0);
    // Registering a task again keeps its group and its handle.
    EXPECT_EQ(task("TASK1"), t1);
}

TEST_F(SimOpcClientTest, RemoveAllForgetsEveryHandleAndLeavesTheVariantsAlone) {
    const OpcTaskHandle t = task("TASK1");
    Variant v(0.0f);
    const OpcItemHandle h = item("TASK1", "Signals.Ramp", &v);
    at(6.0);
    ASSERT_EQ(client_.taskRead(t), kOk);
    const Variant before = v;
    ASSERT_EQ(client_.removeAll(), kOk);
    at(12.0);
    EXPECT_EQ(client_.taskRead(t), opcCode(OpcError::InvalidTaskHandle));
    EXPECT_EQ(client_.itemRead(h), opcCode(OpcError::InvalidItemHandle));
    EXPECT_EQ(v, before);
    // A new run registers afresh, with new handles.
    const OpcTaskHandle t2 = task("TASK1");
    EXPECT_NE(t2, t);
    EXPECT_NE(item("TASK1", "Signals.Ramp", &v), h);
}

TEST_F(SimOpcClientTest, PlantItemAnswersItsInputWithGainTimeConstantAndDeadTime) {
    task("PID");
    Variant u(0.0f), y(0.0f);
    const OpcItemHandle in = item("PID", "Plant.Input", &u);
    const OpcItemHandle out = item("PID", "Plant.Output", &y);
    at(0.0);
    u = Variant(2.0f);
    ASSERT_EQ(client_.itemWrite(in), kOk);
    at(6.0);  // dead time 1 s plus one time constant of 5 s
    ASSERT_EQ(client_.itemRead(out), kOk);
    EXPECT_NEAR(y.toDouble() / 4.0, 0.632, 0.001);
    at(100.0);
    ASSERT_EQ(client_.itemRead(out), kOk);
    EXPECT_NEAR(y.toDouble(), 4.0, 1e-4);
    u = Variant(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(client_.itemWrite(in), opcCode(OpcError::TypeMismatch));
}

TEST_F(SimOpcClientTest, ItemSelectFillsTheRecordFromTheChosenItem) {
    OpcItemRecord record;
    EXPECT_EQ(client_.itemSelect(record), 0);  // no user interface
    testing::ScriptedUi ui;
    client_.setUserInterface(&ui);
    EXPECT_EQ(client_.itemSelect(record), 0);  // cancelled
    EXPECT_EQ(record, OpcItemRecord());
    ASSERT_FALSE(ui.listed.empty());
    for (std::size_t i = 0; i < ui.listed.size(); ++i)
        if (ui.listed[i] == "Kestrune.Simulation:Memory.Int2") ui.choice = static_cast<int>(i);
    ASSERT_TRUE(ui.choice.has_value());
    EXPECT_EQ(client_.itemSelect(record), 1);
    EXPECT_EQ(record.text(1), "");
    EXPECT_EQ(record.text(2), kSimOpcServerName);
    EXPECT_EQ(record.text(3), "Memory.Int2");
    EXPECT_EQ(record.text(5), "Kestrune.Simulation:Memory.Int2");
}

TEST_F(SimOpcClientTest, ErrorTextsAndTheFactory) {
    std::string text;
    EXPECT_EQ(client_.getErrorMessage(opcCode(OpcError::ItemReadOnly) & 0xFFF, text), kOk);
    EXPECT_EQ(text, "The OPC item cannot be written.");
    EXPECT_NE(client_.getErrorMessage(306, text), kOk);
    EXPECT_NE(client_.checkErrorCode(opcCode(OpcError::ServerNotFound)), 0);
    EXPECT_EQ(client_.checkErrorCode(306), 0);
    EXPECT_NE(makeOpcClient(), nullptr);
    EXPECT_EQ(makeOpcClient("dcom"), nullptr);
}

TEST_F(SimOpcClientTest, TaskThreadsReadAndWriteTheirGroupsAtOnce) {
    constexpr int kTasks = 3;
    struct TaskState {
        OpcTaskHandle task = 0;
        Variant in{0.0f};
        Variant out{0};
        OpcItemHandle write = 0;
    };
    std::array<TaskState, kTasks> tasks;
    for (int i = 0; i < kTasks; ++i) {
        const std::string name = "TASK" + std::to_string(i);
        tasks[i].task = task(name.c_str(), static_cast<std::uint8_t>(i % 2), 10);
        item(name.c_str(), "Signals.Sine", &tasks[i].in);
        tasks[i].write = item(name.c_str(), "Memory.Int1", &tasks[i].out);
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kTasks; ++i) {
        threads.emplace_back([&, i] {
            for (int n = 0; n < 2000; ++n) {
                if (client_.taskRead(tasks[i].task) != kOk) ++failures;
                if (std::fabs(tasks[i].in.toDouble()) > 5.0001) ++failures;
                tasks[i].out = Variant(n);
                if (client_.itemWrite(tasks[i].write) != kOk) ++failures;
            }
        });
    }
    for (int n = 0; n < 500; ++n) {
        clock_->advanceSeconds(0.003);
        client_.browseItems();
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace kestrune
