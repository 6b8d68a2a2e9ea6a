// Blocks at run time: Start caching the sources and the tag, the initial tag
// value, Scan through wired inputs, a failing start, and Stop draining the
// run gate.

#include <gtest/gtest.h>

#include <thread>

#include "test_blocks.h"

namespace kestrune::testing {
namespace {

class BlockRunTest : public BlockTest {
  protected:
    // source (offset 2.5) -> doubler
    BlockRunTest() : source(add()), doubler(add()) {
        source.offset = 2.5f;
        doubler.gain = 2.0f;
        EXPECT_TRUE(graph.Connect(source, 0, doubler, 0).accepted());
    }
    GainBlock& source;
    GainBlock& doubler;
};

TEST_F(BlockRunTest, ScanReadsThroughTheWireAndWritesTheTag) {
    ASSERT_EQ(source.Start(), kOk);
    ASSERT_EQ(doubler.Start(), kOk);
    EXPECT_EQ(doubler.inputValue(0), source.outputValue(0));
    EXPECT_EQ(source.inputValue(0), nullptr);

    ASSERT_EQ(source.Scan(), kOk);
    ASSERT_EQ(doubler.Scan(), kOk);
    EXPECT_FLOAT_EQ(source.outputValue(0)->toFloat(), 2.5f);
    EXPECT_FLOAT_EQ(doubler.outputValue(0)->toFloat(), 5.0f);
    EXPECT_FLOAT_EQ(tagFloat("SOC1"), 2.5f);
    EXPECT_FLOAT_EQ(tagFloat("SOC2"), 5.0f);
}

TEST_F(BlockRunTest, StartWritesTheInitialValueOnceAndOpensTheGateLast) {
    doubler.outputValue(0)->setFloat(7.0f);
    ASSERT_EQ(doubler.Start(), kOk);
    EXPECT_TRUE(doubler.isRunning());
    EXPECT_FLOAT_EQ(tagFloat("SOC2"), 7.0f);

    // A second start while running changes nothing.
    doubler.outputValue(0)->setFloat(8.0f);
    EXPECT_EQ(doubler.Start(), kOk);
    EXPECT_EQ(doubler.starts, 1);
    EXPECT_FLOAT_EQ(tagFloat("SOC2"), 7.0f);
}

TEST_F(BlockRunTest, ScanDoesNothingWhileStopped) {
    EXPECT_EQ(doubler.Scan(), kOk);
    EXPECT_EQ(doubler.scans, 0);
    ASSERT_EQ(doubler.Start(), kOk);
    ASSERT_EQ(doubler.Stop(), kOk);
    EXPECT_EQ(doubler.stops, 1);
    EXPECT_FALSE(doubler.isRunning());
    EXPECT_EQ(doubler.inputValue(0), nullptr);
    EXPECT_EQ(doubler.Scan(), kOk);
    EXPECT_EQ(doubler.scans, 0);
    EXPECT_EQ(doubler.Stop(), kOk);
    EXPECT_EQ(doubler.stops, 1);
}

TEST_F(BlockRunTest, FailingStartLeavesTheBlockStoppedWithItsCode) {
    doubler.startResult = 32864;
    EXPECT_EQ(doubler.Start(), 32864);
    EXPECT_FALSE(doubler.isRunning());
    EXPECT_EQ(doubler.inputValue(0), nullptr);
    EXPECT_EQ(doubler.Stop(), kOk);
    EXPECT_EQ(doubler.stops, 0);
}

TEST_F(BlockRunTest, InputWhoseSourceIsGoneReadsNothing) {
    doubler.input(0)->sourceId = 999;  // as a damaged file could leave it
    ASSERT_EQ(doubler.Start(), kOk);
    EXPECT_EQ(doubler.inputValue(0), nullptr);
    ASSERT_EQ(doubler.Scan(), kOk);
    EXPECT_FLOAT_EQ(doubler.outputValue(0)->toFloat(), 0.0f);
}

TEST_F(BlockRunTest, ScratchCopyRunsWithoutATag) {
    NodeContext scratch = context;
    scratch.live = false;
    GainBlock copy(scratch);
    copy.offset = 1.0f;
    ASSERT_EQ(copy.Start(), kOk);
    EXPECT_EQ(copy.Scan(), kOk);
    EXPECT_FLOAT_EQ(copy.outputValue(0)->toFloat(), 1.0f);
    EXPECT_EQ(copy.Stop(), kOk);
}

TEST_F(BlockRunTest, StopWaitsUntilNoOtherThreadIsInside) {
    ASSERT_EQ(doubler.Start(), kOk);
    ASSERT_TRUE(doubler.runGate().enter());
    int polls = 0;
    doubler.runGate().setSleeper([&](std::chrono::milliseconds) {
        // The other thread is still inside while Stop looks; it leaves on the second look.
        EXPECT_TRUE(doubler.isRunning());
        EXPECT_EQ(doubler.stops, 0);
        if (++polls == 2) doubler.runGate().leave();
    });
    ASSERT_EQ(doubler.Stop(), kOk);
    EXPECT_EQ(polls, 2);
    EXPECT_FALSE(doubler.isRunning());
    EXPECT_EQ(doubler.stops, 1);
}

TEST_F(BlockRunTest, ScanThreadAndAnotherThreadThroughTheGate) {
    ASSERT_EQ(source.Start(), kOk);
    ASSERT_EQ(doubler.Start(), kOk);
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load()) {
            if (RunGate::Pass pass{doubler.runGate()}) {
                const float v = doubler.outputValue(0)->toFloat();
                EXPECT_TRUE(v == 0.0f || v == 5.0f);
            }
        }
    });
    std::thread scanner([&] {
        for (int i = 0; i < 200; ++i) {
            source.Scan();
            doubler.Scan();
        }
    });
    scanner.join();
    EXPECT_EQ(doubler.Stop(), kOk);
    done = true;
    reader.join();
    EXPECT_EQ(doubler.scans, 200);
    EXPECT_FLOAT_EQ(tagFloat("SOC2"), 5.0f);
}

}  // namespace
}  // namespace kestrune::testing
