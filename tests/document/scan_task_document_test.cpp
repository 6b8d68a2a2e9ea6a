// The document with the real task object kind of the scan engine.

#include <gtest/gtest.h>

#include "document/document_fixture.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"

namespace kestrune::testing {
namespace {

class ScanTaskDocumentTest : public ::testing::Test {
  protected:
    ScanTaskDocumentTest() {
        EXPECT_TRUE(registerEngineKinds(factory, services).ok());
        EXPECT_TRUE(factory.Register<TestGainBlock>(kPidKind).ok());
    }

    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler{ticks, clock, queue};
    TaskServices services{scheduler, queue};
    BlockFactory factory;
    testing_support::TempDir dir;
};

TEST_F(ScanTaskDocumentTest, TasksAreScanTasksThatOwnTheirBlocksAndRoundTrip) {
    BinaryWriter out;
    {
        DocumentWorld world(factory, dir / "Kestrune.INI");
        StrategyDocument& doc = *world.document;
        auto* scan = dynamic_cast<ScanTask*>(&doc.task(0).taskObject());
        ASSERT_NE(scan, nullptr);
        Block* block = doc.task(0).addBlock(kPidKind, {0, 0, 32, 32}).block;
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->owner(), scan);
        scan->timing().setPeriod(ScanPeriod::fromMs(250));
        ASSERT_TRUE(scan->renameTask("BOILER").ok());
        EXPECT_TRUE(world.tags.IsTagExist("BOILER", block->name()));
        ASSERT_NE(doc.addTask(), nullptr);
        ASSERT_TRUE(writeStrategy(doc, out, 0).ok());
    }
    DocumentWorld world(factory, dir / "Kestrune.INI");
    const StrategyReadResult result = readStrategy(*world.document, out.data());
    ASSERT_TRUE(result.status.ok()) << result.status.context;
    StrategyDocument& doc = *world.document;
    ASSERT_EQ(doc.taskCount(), 2u);
    auto* scan = dynamic_cast<ScanTask*>(&doc.task(0).taskObject());
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->name(), "BOILER");
    EXPECT_EQ(scan->timing().period(), ScanPeriod::fromMs(250));
    ASSERT_EQ(doc.task(0).graph().nodes().size(), 1u);
    EXPECT_EQ(doc.task(0).graph().nodes()[0]->owner(), scan);
    EXPECT_EQ(world.tags.GetTaskHandle("BOILER"), scan);
    EXPECT_EQ(doc.task(1).name(), "TASK2");
}

}  // namespace
}  // namespace kestrune::testing
