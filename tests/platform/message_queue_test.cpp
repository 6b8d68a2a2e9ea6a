#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace kestrune {
namespace {

class MessageQueueTest : public ::testing::Test {
  protected:
    CMessageQueue queue;
};

TEST_F(MessageQueueTest, OldestFirstAndABlankWhenEmpty) {
    EXPECT_EQ(queue.get(), " ");
    EXPECT_TRUE(queue.put("first"));
    EXPECT_TRUE(queue.put("second"));
    EXPECT_EQ(queue.count(), 2u);
    EXPECT_EQ(queue.get(), "first");
    EXPECT_EQ(queue.get(), "second");
    EXPECT_EQ(queue.get(), " ");
    EXPECT_TRUE(queue.empty());
}

TEST_F(MessageQueueTest, TheFiftyFirstMessageIsLost) {
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(queue.put("m" + std::to_string(i)));
    EXPECT_FALSE(queue.put("m50"));
    EXPECT_EQ(queue.count(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(queue.get(), "m" + std::to_string(i));
    EXPECT_EQ(queue.get(), " ");
}

TEST_F(MessageQueueTest, WrapsAroundTheRing) {
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 40; ++i) ASSERT_TRUE(queue.put(std::to_string(round * 100 + i)));
        for (int i = 0; i < 40; ++i) ASSERT_EQ(queue.get(), std::to_string(round * 100 + i));
    }
    EXPECT_TRUE(queue.empty());
}

TEST_F(MessageQueueTest, TextsAreCutTo255Characters) {
    const std::string exact(255, 'a');
    const std::string longer = std::string(255, 'b') + "tail";
    queue.put(exact);
    queue.put(longer);
    EXPECT_EQ(queue.get(), exact);
    EXPECT_EQ(queue.get(), std::string(255, 'b'));
}

TEST_F(MessageQueueTest, AnEmptyTextIsNotTheEmptyQueue) {
    queue.put("");
    EXPECT_EQ(queue.get(), "");
    EXPECT_EQ(queue.get(), " ");
}

TEST_F(MessageQueueTest, ATextEndsAtAZeroByte) {
    queue.put(std::string_view("abc\0def", 7));
    EXPECT_EQ(queue.get(), "abc");
}

TEST_F(MessageQueueTest, TheCutNeverSplitsAUtf8Character) {
    // 254 ASCII bytes and a two-byte character: keeping byte 255 would leave half of it.
    const std::string text = std::string(254, 'x') + "\xC3\xA9" + "z";
    queue.put(text);
    EXPECT_EQ(queue.get(), std::string(254, 'x'));
    // A three-byte character that ends exactly at the limit is kept whole.
    const std::string fits = std::string(252, 'x') + "\xE2\x82\xAC" + "z";
    queue.put(fits);
    EXPECT_EQ(queue.get(), std::string(252, 'x') + "\xE2\x82\xAC");
}

TEST(Utf8PrefixLength, NonUtf8BytesAreCutAtTheLimit) {
    const std::string latin1(300, '\xE9');  // a run of Latin-1 letters, no valid sequence
    EXPECT_EQ(utf8PrefixLength(latin1, 255), 255u);
    const std::string continuations(300, '\x80');
    EXPECT_EQ(utf8PrefixLength(continuations, 255), 255u);
    EXPECT_EQ(utf8PrefixLength("\x80\x80", 1), 1u);
    EXPECT_EQ(utf8PrefixLength("short", 255), 5u);
}

TEST(MessageQueueThreads, ConcurrentProducersLoseNothingThatWasAccepted) {
    CMessageQueue queue;
    constexpr int kProducers = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> producers;
    std::vector<int> accepted(kProducers, 0);
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i)
                if (queue.put(std::to_string(p) + ":" + std::to_string(i))) ++accepted[p];
        });
    std::set<std::string> received;
    std::thread consumer([&] {
        for (int spins = 0; spins < 200000; ++spins) {
            if (queue.empty()) {
                std::this_thread::yield();
                continue;
            }
            received.insert(queue.get());
        }
    });
    for (auto& t : producers) t.join();
    consumer.join();
    while (!queue.empty()) received.insert(queue.get());
    int total = 0;
    for (int n : accepted) total += n;
    EXPECT_EQ(received.size(), static_cast<std::size_t>(total));
    EXPECT_EQ(received.count(" "), 0u);
}

}  // namespace
}  // namespace kestrune
