#include "platform/main_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace kestrune {
namespace {

using namespace std::chrono_literals;

class MainQueueTest : public ::testing::Test {
  protected:
    MainQueue queue;
    std::vector<MainMessage> seen;
    MainQueue::Handler record = [this](const MainMessage& m) { seen.push_back(m); };
};

TEST_F(MainQueueTest, DrainsInPostingOrderWithFullWidthParameters) {
    EXPECT_TRUE(queue.post(kMsgRunErrorReport, 34207, -1));
    EXPECT_TRUE(queue.post(kMsgTaskStartStop, 0xFFFF'FFFF'FFFF'FFFFull, INT64_MIN));
    EXPECT_TRUE(queue.post({kMsgBeginRunStop, 2, 0}));
    EXPECT_EQ(queue.size(), 3u);
    EXPECT_EQ(queue.drain(record), 3u);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].id, 0x415u);
    EXPECT_EQ(seen[0].wParam, 34207u);
    EXPECT_EQ(seen[0].lParam, -1);
    EXPECT_EQ(seen[1].wParam, 0xFFFF'FFFF'FFFF'FFFFull);
    EXPECT_EQ(seen[1].lParam, INT64_MIN);
    EXPECT_EQ(seen[2].id, kMsgBeginRunStop);
    EXPECT_EQ(queue.size(), 0u);
    EXPECT_EQ(queue.drain(record), 0u);
}

TEST_F(MainQueueTest, MessagesPostedWhileDrainingWaitForTheNextDrain) {
    queue.post(kMsgFinishRunStop);
    int handled = 0;
    const auto retry = [&](const MainMessage& m) {
        ++handled;
        queue.post(m);  // "not yet": try again later, as the run stop does
    };
    EXPECT_EQ(queue.drain(retry), 1u);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(queue.size(), 1u);
}

TEST_F(MainQueueTest, AFullQueueDropsAndCounts) {
    MainQueue small(2);
    EXPECT_TRUE(small.post(1));
    EXPECT_TRUE(small.post(2));
    EXPECT_FALSE(small.post(3));
    EXPECT_EQ(small.dropped(), 1u);
    small.drain(record);
    EXPECT_TRUE(small.post(4));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].id, 2u);
}

TEST_F(MainQueueTest, WakeupOncePerEmptyToNonEmpty) {
    int wakeups = 0;
    queue.setWakeup([&] { ++wakeups; });
    queue.post(kMsgWriteEventLines);
    queue.post(kMsgPrintEventLines);
    EXPECT_EQ(wakeups, 1);
    queue.drain(record);
    queue.post(kMsgWriteRunError);
    EXPECT_EQ(wakeups, 2);
    queue.setWakeup(nullptr);  // an empty hook is simply not called
    queue.drain(record);
    EXPECT_TRUE(queue.post(kMsgWriteRunError));
    EXPECT_EQ(wakeups, 2);
}

TEST_F(MainQueueTest, WaitAndDrainTimesOutEmpty) {
    EXPECT_EQ(queue.waitAndDrain(record, 1ms), 0u);
    EXPECT_TRUE(seen.empty());
}

TEST_F(MainQueueTest, WaitAndDrainWakesOnAPostFromAnotherThread) {
    std::thread poster([&] { queue.post(kMsgShowNextErrorMessage); });
    std::size_t handled = 0;
    while (handled == 0) handled = queue.waitAndDrain(record, 10s);
    poster.join();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].id, kMsgShowNextErrorMessage);
}

TEST_F(MainQueueTest, ObjectParametersRoundTrip) {
    int block = 7;
    queue.post(kMsgRunErrorReport, 12, toParam(&block));
    queue.drain(record);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(paramAs<int>(seen[0].lParam), &block);
}

TEST_F(MainQueueTest, ManyPostersKeepTheirOwnOrder) {
    constexpr int kPosters = 4;
    constexpr int kEach = 2000;
    std::atomic<int> wakeups{0};
    queue.setWakeup([&] { ++wakeups; });
    std::vector<std::thread> posters;
    for (int p = 0; p < kPosters; ++p)
        posters.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i) queue.post(kMsgRunErrorReport, static_cast<std::uint64_t>(p), i);
        });
    std::vector<std::int64_t> next(kPosters, 0);
    bool inOrder = true;
    std::size_t total = 0;
    while (total < kPosters * kEach) {
        total += queue.waitAndDrain(
            [&](const MainMessage& m) {
                if (m.lParam != next[m.wParam]) inOrder = false;
                next[m.wParam] = m.lParam + 1;
            },
            10s);
    }
    for (auto& t : posters) t.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(total, static_cast<std::size_t>(kPosters * kEach));
    EXPECT_GE(wakeups.load(), 1);
    EXPECT_EQ(queue.dropped(), 0u);
}

}  // namespace
}  // namespace kestrune
