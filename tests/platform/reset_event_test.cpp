#include "platform/reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "support/eventually.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using WaitResult = ResetEvent::WaitResult;
using testing_support::eventually;
using testing_support::kGenerousWait;

// Spins (yielding) until the event has `n` parked waiters, so a test knows
// the threads are really blocked before it sets the event.
void awaitWaiters(const ResetEvent& e, std::size_t n) {
    EXPECT_TRUE(eventually([&] { return e.waiterCount() == n; }, kGenerousWait, 0ms)) << n << " waiters";
}

TEST(ManualResetEvent, StaysSetUntilResetAndReleasesEveryWaiter) {
    ManualResetEvent e;
    std::atomic<int> released{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            e.wait();
            ++released;
        });
    awaitWaiters(e, 4);
    e.set();
    for (auto& t : threads) t.join();
    EXPECT_EQ(released, 4);
    EXPECT_TRUE(e.isSet());
    EXPECT_TRUE(e.waitFor(0ms));
    e.reset();
    EXPECT_FALSE(e.waitFor(1ms));
}

TEST(ManualResetEvent, InitiallySet) {
    ManualResetEvent e(true);
    EXPECT_TRUE(e.waitFor(0ms));
    EXPECT_TRUE(e.waitFor(0ms));
}

TEST(AutoResetEvent, SetWithoutWaiterSignalsTheNextWaitOnly) {
    AutoResetEvent e;
    e.set();
    e.set();  // no waiter: the second set adds nothing
    EXPECT_TRUE(e.waitFor(0ms));
    EXPECT_FALSE(e.isSet());
    EXPECT_FALSE(e.waitFor(1ms));
}

TEST(AutoResetEvent, ResetDropsAPendingSignal) {
    AutoResetEvent e(true);
    e.reset();
    EXPECT_FALSE(e.waitUntil(ResetEvent::Clock::now()));
}

TEST(AutoResetEvent, EachSetReleasesExactlyOneParkedWaiter) {
    AutoResetEvent e;
    std::atomic<int> released{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i)
        threads.emplace_back([&] {
            e.wait();
            ++released;
        });
    awaitWaiters(e, 3);

    e.set();
    ASSERT_TRUE(eventually([&] { return released.load() != 0; }, kGenerousWait, 0ms));
    // The released thread unhooked itself; the other two are still parked and the signal is used up.
    EXPECT_EQ(e.waiterCount(), 2u);
    EXPECT_EQ(released.load(), 1);
    EXPECT_FALSE(e.isSet());

    // Two sets in a row with two parked waiters release both (they do not merge into one).
    e.set();
    e.set();
    for (auto& t : threads) t.join();
    EXPECT_EQ(released, 3);
    EXPECT_FALSE(e.isSet());
}

TEST(AutoResetEvent, ASignalOwedToAWaiterThatTimedOutStaysForTheNext) {
    AutoResetEvent e;
    EXPECT_FALSE(e.waitFor(2ms));
    EXPECT_EQ(e.waiterCount(), 0u);
    e.set();
    EXPECT_TRUE(e.waitFor(0ms));
}

TEST(AutoResetEvent, PingPongLosesNoWakeup) {
    // Two threads hand a token back and forth; a lost wakeup would hang here.
    AutoResetEvent ping, pong;
    constexpr int kRounds = 5000;
    std::thread other([&] {
        for (int i = 0; i < kRounds; ++i) {
            ping.wait();
            pong.set();
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        ping.set();
        ASSERT_TRUE(pong.waitFor(30s));
    }
    other.join();
}

class WaitForAnyTest : public ::testing::Test {
  protected:
    ManualResetEvent quit;
    AutoResetEvent tick;
};

TEST_F(WaitForAnyTest, ReportsWhichEventFired) {
    tick.set();
    EXPECT_EQ(ResetEvent::waitForAny(quit, tick, 0ms), WaitResult::Second);
    EXPECT_FALSE(tick.isSet());  // the auto-reset signal was taken
    quit.set();
    EXPECT_EQ(ResetEvent::waitForAny(quit, tick, 0ms), WaitResult::First);
    EXPECT_TRUE(quit.isSet());  // a manual-reset event stays set
}

TEST_F(WaitForAnyTest, FirstWinsWhenBothAreSetAndTheOtherKeepsItsSignal) {
    tick.set();
    quit.set();
    EXPECT_EQ(ResetEvent::waitForAny(quit, tick), WaitResult::First);
    EXPECT_TRUE(tick.isSet());
}

TEST_F(WaitForAnyTest, TimesOutWhenNeitherFires) {
    EXPECT_EQ(ResetEvent::waitForAny(quit, tick, 2ms), WaitResult::Timeout);
    EXPECT_EQ(quit.waiterCount(), 0u);
    EXPECT_EQ(tick.waiterCount(), 0u);
}

TEST_F(WaitForAnyTest, ParkedWaiterWakesOnEitherEvent) {
    std::atomic<int> ticks{0};
    std::thread master([&] {
        while (ResetEvent::waitForAny(quit, tick) == WaitResult::Second) ++ticks;
    });
    for (int i = 0; i < 3; ++i) {
        awaitWaiters(tick, 1);
        tick.set();
        ASSERT_TRUE(eventually([&] { return ticks.load() == i + 1; }, kGenerousWait, 0ms));
    }
    awaitWaiters(quit, 1);
    quit.set();
    master.join();
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(tick.waiterCount(), 0u);
    // The waiter left both events: a later tick is simply pending.
    tick.set();
    EXPECT_TRUE(tick.isSet());
}

TEST_F(WaitForAnyTest, ManyProducersOneConsumer) {
    // Producers set the tick event as fast as they can while the consumer
    // takes ticks; the run must end on the quit, with no hang and no race.
    std::atomic<bool> sawQuit{false};
    std::vector<std::thread> producers;
    for (int p = 0; p < 3; ++p)
        producers.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) tick.set();
        });
    std::thread consumer([&] {
        while (ResetEvent::waitForAny(quit, tick) != WaitResult::First) {
        }
        sawQuit = true;
    });
    for (auto& t : producers) t.join();
    quit.set();
    consumer.join();
    EXPECT_TRUE(sawQuit);
}

}  // namespace
}  // namespace kestrune
