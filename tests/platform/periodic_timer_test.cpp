#include "platform/periodic_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/reset_event.h"
#include "support/eventually.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;
using testing_support::eventually;
using testing_support::kGenerousWait;

TEST(PeriodicTimerDeadline, OnTimeOrSlightlyLateKeepsTheGrid) {
    std::uint64_t missed = 0;
    EXPECT_EQ(PeriodicTimer::nextDeadline(100ns, 101ns, 10ns, missed), 110ns);
    // Late, but less than one period behind the next deadline: that tick fires at once, no skip.
    EXPECT_EQ(PeriodicTimer::nextDeadline(100ns, 119ns, 10ns, missed), 110ns);
    EXPECT_EQ(missed, 0u);
}

TEST(PeriodicTimerDeadline, FarBehindSkipsTheBacklogAndCountsIt) {
    std::uint64_t missed = 0;
    // Due at 0, seen at 45 with a period of 10: deadlines 10, 20 and 30 are
    // skipped, 40 fires at once, 50 follows on the same grid.
    const auto next = PeriodicTimer::nextDeadline(0ns, 45ns, 10ns, missed);
    EXPECT_EQ(next, 40ns);
    EXPECT_EQ(missed, 3u);
    EXPECT_EQ(PeriodicTimer::nextDeadline(next, 46ns, 10ns, missed), 50ns);
    EXPECT_EQ(missed, 3u);
}

TEST(PeriodicTimerDeadline, ExactlyOnePeriodBehindSkipsOne) {
    std::uint64_t missed = 0;
    EXPECT_EQ(PeriodicTimer::nextDeadline(0ns, 20ns, 10ns, missed), 20ns);
    EXPECT_EQ(missed, 1u);
}

class PeriodicTimerTest : public ::testing::Test {
  protected:
    PeriodicTimer timer;
    std::atomic<int> calls{0};
    ManualResetEvent reached;
};

TEST_F(PeriodicTimerTest, TicksUntilStoppedAndNotAfter) {
    ASSERT_TRUE(timer.start(5ms, [&] {
        if (++calls == 20) reached.set();
    }));
    EXPECT_TRUE(timer.running());
    ASSERT_TRUE(reached.waitFor(5s));
    timer.stop();
    EXPECT_FALSE(timer.running());
    const auto afterStop = timer.ticks();
    EXPECT_GE(afterStop, 20u);
    EXPECT_EQ(afterStop, static_cast<std::uint64_t>(calls.load()));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(timer.ticks(), afterStop);
    EXPECT_EQ(calls.load(), static_cast<int>(afterStop));
}

TEST_F(PeriodicTimerTest, RefusesBadStartsAndStopsTwice) {
    EXPECT_FALSE(timer.start(0ms, [] {}));
    EXPECT_FALSE(timer.start(-5ms, [] {}));
    EXPECT_FALSE(timer.start(5ms, nullptr));
    ASSERT_TRUE(timer.start(5ms, [] {}));
    EXPECT_FALSE(timer.start(5ms, [] {}));  // already running
    timer.stop();
    timer.stop();
    EXPECT_FALSE(timer.running());
}

TEST_F(PeriodicTimerTest, RestartsAfterStop) {
    ASSERT_TRUE(timer.start(5ms, [] {}));
    timer.stop();
    ASSERT_TRUE(timer.start(5ms, [&] {
        if (++calls == 3) reached.set();
    }));
    EXPECT_TRUE(reached.waitFor(5s));
}

TEST_F(PeriodicTimerTest, CallbackMayStopItsOwnTimer) {
    ASSERT_TRUE(timer.start(5ms, [&] {
        if (++calls == 3) {
            timer.stop();
            reached.set();
        }
    }));
    ASSERT_TRUE(reached.waitFor(5s));
    ASSERT_TRUE(eventually([&] { return !timer.running(); }, kGenerousWait, 0ms));
    timer.stop();  // joins the thread that stopped itself
    EXPECT_EQ(calls.load(), 3);
}

TEST_F(PeriodicTimerTest, AThrowingCallbackDoesNotEndTheTimer) {
    ASSERT_TRUE(timer.start(5ms, [&] {
        if (++calls == 5) reached.set();
        throw std::runtime_error("tick failed");
    }));
    EXPECT_TRUE(reached.waitFor(5s));
}

TEST_F(PeriodicTimerTest, ASlowTickIsCountedAsMissedNotReplayed) {
    ASSERT_TRUE(timer.start(5ms, [&] {
        if (++calls == 1) std::this_thread::sleep_for(40ms);  // at least seven deadlines pass
        if (calls == 3) reached.set();
    }));
    ASSERT_TRUE(reached.waitFor(5s));
    timer.stop();
    EXPECT_GE(timer.missedTicks(), 1u);
}

TEST(PeriodicTimerLifetime, DestructorStopsARunningTimer) {
    std::atomic<int> calls{0};
    ManualResetEvent ticked;
    {
        PeriodicTimer timer;
        ASSERT_TRUE(timer.start(5ms, [&] {
            ++calls;
            ticked.set();
        }));
        ASSERT_TRUE(ticked.waitFor(5s));
    }
    const int atDestruction = calls.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(calls.load(), atDestruction);
}

TEST(ManualTickSource, DeliversTicksOnlyWhileRunning) {
    ManualTickSource source;
    int calls = 0;
    EXPECT_EQ(source.tick(), 0);
    EXPECT_FALSE(source.start(0ms, [&] { ++calls; }));
    ASSERT_TRUE(source.start(10ms, [&] { ++calls; }));
    EXPECT_FALSE(source.start(10ms, [&] { ++calls; }));
    EXPECT_EQ(source.period(), 10ms);
    EXPECT_EQ(source.tick(3), 3);
    source.stop();
    source.stop();
    EXPECT_EQ(source.tick(), 0);
    EXPECT_EQ(calls, 3);
}

TEST(ManualTickSource, ACallbackThatStopsEndsTheBatch) {
    ManualTickSource source;
    int calls = 0;
    ASSERT_TRUE(source.start(5ms, [&] {
        if (++calls == 2) source.stop();
    }));
    EXPECT_EQ(source.tick(10), 2);
    EXPECT_FALSE(source.running());
}

}  // namespace
}  // namespace kestrune
