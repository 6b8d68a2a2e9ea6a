// The run gate with real threads (this program runs under ThreadSanitizer
// too), and the two locked values.

#include "taskmodel/run_gate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "support/eventually.h"
#include "taskmodel/locked_counter.h"
#include "taskmodel/locked_flag.h"
#include "test_nodes.h"

namespace kestrune::testing {
namespace {

using namespace std::chrono_literals;
using testing_support::eventually;
using testing_support::kGenerousWait;

TEST(RunGate, NobodyEntersANodeThatIsNotRunning) {
    RunGate gate;
    EXPECT_FALSE(gate.enter());
    EXPECT_EQ(gate.busyCount(), 0);
    gate.open();
    {
        RunGate::Pass pass(gate);
        EXPECT_TRUE(pass);
        EXPECT_EQ(gate.busyCount(), 1);
    }
    EXPECT_EQ(gate.busyCount(), 0);
    gate.close();
    EXPECT_FALSE(gate.isRunning());
    RunGate::Pass late(gate);
    EXPECT_FALSE(late);
}

TEST(RunGate, StopWithNobodyInsideDoesNotSleep) {
    RunGate gate;
    int sleeps = 0;
    gate.setSleeper([&](std::chrono::milliseconds) { ++sleeps; });
    gate.open();
    gate.close();
    EXPECT_EQ(sleeps, 0);
}

TEST(RunGate, AScanThreadSeesTheGateOpenAndClosedWithoutItsLock) {
    // isRunning() reads the flag's lock-free copy: another thread must see
    // both transitions, and see them together with the flag enter() checks.
    RunGate gate;
    std::atomic<int> phase{0};
    std::thread scan([&] {
        while (!gate.isRunning()) std::this_thread::yield();
        {
            RunGate::Pass pass(gate);
            EXPECT_TRUE(pass) << "seen running, so the gate lets it in";
        }
        phase = 1;
        while (gate.isRunning()) std::this_thread::yield();
        EXPECT_FALSE(RunGate::Pass(gate)) << "seen stopped, so the gate keeps it out";
        phase = 2;
    });
    gate.open();
    ASSERT_TRUE(eventually([&] { return phase.load() == 1; }, kGenerousWait, 0ms));
    gate.close();
    scan.join();
    EXPECT_EQ(phase.load(), 2);
    EXPECT_EQ(gate.busyCount(), 0);
}

class NodeRunTest : public GraphTest {};

TEST_F(NodeRunTest, StopWaitsIn20MsPollsUntilTheLastScanLeaves) {
    TestNode& node = add({}, {});
    ASSERT_EQ(node.Start(), kOk);
    ASSERT_TRUE(node.isRunning());

    std::mutex m;
    std::condition_variable cv;
    bool inside = false;
    bool release = false;
    std::thread scan([&] {
        RunGate::Pass pass(node.runGate());
        ASSERT_TRUE(pass);
        std::unique_lock lock(m);
        inside = true;
        cv.notify_all();
        cv.wait(lock, [&] { return release; });
    });
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return inside; });
    }

    std::vector<std::chrono::milliseconds> polls;
    node.runGate().setSleeper([&](std::chrono::milliseconds interval) {
        polls.push_back(interval);
        EXPECT_TRUE(node.isRunning());  // the flag stays up while a scan is inside
        if (polls.size() == 3) {
            std::lock_guard lock(m);
            release = true;
            cv.notify_all();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    EXPECT_EQ(node.Stop(), kOk);
    scan.join();
    EXPECT_GE(polls.size(), 3u);
    for (auto interval : polls) EXPECT_EQ(interval, std::chrono::milliseconds(20));
    EXPECT_FALSE(node.isRunning());
    EXPECT_EQ(node.runGate().busyCount(), 0);
}

// Many threads pass the gate while it closes: once Stop returns nobody is
// inside and nobody gets in any more.
TEST_F(NodeRunTest, NoThreadIsInsideOnceStopReturns) {
    TestNode& node = add({}, {});
    node.Start();
    node.runGate().setSleeper([](std::chrono::milliseconds) { std::this_thread::yield(); });
    std::atomic<int> inside{0};
    std::atomic<bool> stopped{false};
    std::atomic<int> lateEntries{0};
    std::vector<std::thread> scans;
    for (int t = 0; t < 4; ++t) {
        scans.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                RunGate::Pass pass(node.runGate());
                if (!pass) continue;
                if (stopped.load()) ++lateEntries;
                ++inside;
                --inside;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    node.Stop();
    stopped = true;
    EXPECT_EQ(inside.load(), 0);
    for (auto& s : scans) s.join();
    EXPECT_EQ(lateEntries.load(), 0);
    EXPECT_EQ(node.runGate().busyCount(), 0);
}

TEST(LockedValues, FlagComparesAndTestsBoth) {
    LockedFlag flag;
    EXPECT_TRUE(flag.equals(0));
    flag.set(1);
    EXPECT_TRUE(flag.bothTrue(true));
    EXPECT_FALSE(flag.bothTrue(false));
    flag.set(0);
    EXPECT_FALSE(flag.bothTrue(true));
}

TEST(LockedValues, CounterReturnsBeforeOrAfterAsNamed) {
    LockedCounter c(5);
    EXPECT_EQ(c.postIncrement(), 5);
    EXPECT_EQ(c.preIncrement(), 7);
    EXPECT_EQ(c.postDecrement(), 7);
    EXPECT_EQ(c.add(10), 16);
    EXPECT_TRUE(c > 15);
    EXPECT_TRUE(c == 16);
    c.set(std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(c.preIncrement(), std::numeric_limits<std::int32_t>::min());  // wraps, no overflow
}

TEST(LockedValues, CounterCountsEveryIncrementFromManyThreads) {
    LockedCounter c;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) c.postIncrement();
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(c.get(), 40000);
}

}  // namespace
}  // namespace kestrune::testing
