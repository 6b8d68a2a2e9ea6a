// An analog output driving the simulated board's plant and an analog input
// reading it back, on a manual clock; the kinds made by the factory from
// their tools and file tags; and output blocks scanned from a second thread
// while they stop.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "blocks/io/analog_input_block.h"
#include "blocks/io/analog_output_block.h"
#include "blocks/io/digital_input_block.h"
#include "blocks/io/digital_output_block.h"
#include "support/eventually.h"
#include "io_block_fixture.h"

namespace kestrune::io_test {
namespace {

using namespace std::chrono_literals;
using testing_support::eventually;
using testing_support::kGenerousWait;

class IoLoopTest : public IoBlockTest {
  protected:
    IoLoopTest()
        : setpoint(addSource()),
          ao(add<AnalogOutputBlock>(kAnalogOutputKind)),
          ai(add<AnalogInputBlock>(kAnalogInputKind)) {
        wire(setpoint, ao);
        IoSource board;
        board.deviceNumber = 0;
        ao.setSource(board);
        ai.setSource(board);
        // Output 1 drives the plant on input 1: gain 0.8, time constant
        // 20 s, dead time 2 s, no noise.
        ao.setChannel(1);
        ai.setFirstChannel(0);
        ai.setLastChannel(1);
    }
    void scanBoth() {
        ASSERT_EQ(ao.Scan(), kOk);
        ASSERT_EQ(ai.Scan(), kOk);
    }

    SourceBlock& setpoint;
    AnalogOutputBlock& ao;
    AnalogInputBlock& ai;
};

TEST_F(IoLoopTest, TheInputFollowsTheOutputThroughThePlant) {
    ASSERT_EQ(ao.Start(), kOk);
    ASSERT_EQ(ai.Start(), kOk);
    setpoint.set(5.0f);
    scanBoth();
    EXPECT_FLOAT_EQ(aoValue(1), 5.0f);
    EXPECT_NEAR(ai.outputValue(1)->toFloat(), 0.0f, 1e-6);

    clock->advanceSeconds(2.0);  // the dead time: nothing has arrived yet
    scanBoth();
    EXPECT_NEAR(ai.outputValue(1)->toFloat(), 0.0f, 1e-6);

    clock->advanceSeconds(20.0);  // one time constant later: 63 % of 0.8 * 5
    scanBoth();
    const double oneTau = 4.0 * (1.0 - std::exp(-1.0));
    EXPECT_NEAR(ai.outputValue(1)->toFloat(), oneTau, 1e-3);
    EXPECT_NEAR(tagFloat("AI1", 1), oneTau, 1e-3);

    clock->advanceSeconds(300.0);
    scanBoth();
    EXPECT_NEAR(ai.outputValue(1)->toFloat(), 4.0, 1e-3);

    // A lower setpoint brings it down again after the dead time.
    setpoint.set(1.0f);
    scanBoth();
    clock->advanceSeconds(2.0 + 300.0);
    scanBoth();
    EXPECT_NEAR(ai.outputValue(1)->toFloat(), 0.8, 1e-3);
    ao.Stop();
    ai.Stop();
}

TEST_F(IoLoopTest, TheFactoryMakesEachKindFromItsToolAndFileTag) {
    struct Case {
        int tool;
        const char* tag;
        std::int16_t kind;
        const char* name;
    };
    for (const Case& c :
         {Case{34103, "BAIN", kAnalogInputKind, "AI"}, Case{34104, "BAOT", kAnalogOutputKind, "AO"},
          Case{34105, "BDIN", kDigitalInputKind, "DI"}, Case{34106, "BDOT", kDigitalOutputKind, "DO"}}) {
        EXPECT_TRUE(factory.IsRegistered(c.kind));
        BlockCreation byTool = factory.CreateForTool(c.tool, context);
        ASSERT_NE(byTool.block, nullptr) << c.tag;
        EXPECT_EQ(byTool.block->kind(), c.kind);
        EXPECT_EQ(byTool.block->name().substr(0, std::string(c.name).size()), c.name);
        BlockCreation byTag = factory.CreateForTag(FourCC{c.tag[0], c.tag[1], c.tag[2], c.tag[3]}, context);
        ASSERT_NE(byTag.block, nullptr);
        EXPECT_EQ(toString(byTag.block->fileTag()), c.tag);
    }
    // Registering twice is refused.
    EXPECT_FALSE(registerIoBlockKinds(factory, services).ok());
    // The tags: AI a 32-float array, AO a float, DI 17 integers, DO an integer.
    EXPECT_EQ(tags.GetTagType("TASK1", "AI1"), kTagFloatArray);
    EXPECT_EQ(tags.GetTagType("TASK1", "AO1"), kTagFloat);
}

TEST_F(IoLoopTest, AScanFromAnotherThreadNeverOutlivesTheStop) {
    ASSERT_EQ(ao.Start(), kOk);
    std::atomic<bool> done{false};
    std::atomic<int> scans{0};
    std::thread operatorInput([&] {
        while (!done.load()) {
            EXPECT_EQ(ao.Scan(), kOk);
            scans.fetch_add(1);
        }
    });
    for (int i = 0; i < 200; ++i) {
        setpoint.set(static_cast<float>(i % 10));
        EXPECT_EQ(ao.Scan(), kOk);
    }
    EXPECT_TRUE(eventually([&] { return scans.load() >= 10; }, kGenerousWait, 0ms));
    EXPECT_EQ(ao.Stop(), kOk);
    EXPECT_EQ(ao.deviceHandle(), 0u);
    EXPECT_EQ(ao.runGate().busyCount(), 0);
    done.store(true);
    operatorInput.join();
    EXPECT_EQ(ao.Scan(), kOk);
}

}  // namespace
}  // namespace kestrune::io_test
