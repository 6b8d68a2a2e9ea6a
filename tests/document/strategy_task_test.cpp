#include <gtest/gtest.h>

#include "document/document_fixture.h"
#include "taskmodel/wire.h"

namespace kestrune::testing {
namespace {

class StrategyTaskTest : public DocumentTest {
  protected:
    void SetUp() override { world = makeWorld(); }
    StrategyDocument& doc() { return *world->document; }
    std::unique_ptr<DocumentWorld> world;
};

TEST_F(StrategyTaskTest, ATaskRegistersItsNameAndItsBlocksPublishUnderIt) {
    StrategyTask& task = doc().task(0);
    EXPECT_EQ(task.name(), "TASK1");
    EXPECT_EQ(world->tags.GetTaskHandle("TASK1"), &task.taskObject());
    TestGainBlock& block = addGain(task, 1.0f);
    EXPECT_EQ(block.order(), 1u);  // the task object holds 0
    EXPECT_TRUE(world->tags.IsTagExist("TASK1", block.name()));

    ASSERT_TRUE(task.rename("OVEN").ok());
    EXPECT_TRUE(world->tags.IsTagExist("OVEN", block.name()));
    EXPECT_EQ(task.ownerName(), "OVEN");
    EXPECT_EQ(task.rename("").code, kMsgInvalidTaskOrTagName);
    EXPECT_EQ(task.rename("TENLETTERS").code, kMsgInvalidTaskOrTagName);
    EXPECT_EQ(task.rename(kVirtualTaskName).code, kMsgInvalidTaskOrTagName);
    EXPECT_EQ(task.name(), "OVEN");
}

TEST_F(StrategyTaskTest, DeletingATaskWithdrawsItsTagsAndName) {
    StrategyTask* second = doc().addTask();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->name(), "TASK2");
    TestGainBlock& a = addGain(*second, 1.0f);
    TestGainBlock& b = addGain(*second, 2.0f);
    ASSERT_TRUE(second->graph().Connect(a, 0, b, 0).accepted());
    const std::size_t objectsBefore = doc().registry().size();
    ASSERT_TRUE(doc().deleteTask(*second));
    EXPECT_EQ(world->tags.GetTaskRecordPtr("TASK2"), nullptr);
    EXPECT_EQ(doc().registry().size(), objectsBefore - 4);  // task object, two blocks, wire
    EXPECT_EQ(doc().addTask()->name(), "TASK2");
}

TEST_F(StrategyTaskTest, ValidationStopsAtTheFirstRefusalOfEachTask) {
    addGain(doc().task(0), 1.0f).configured = false;
    addGain(doc().task(0), 1.0f).configured = false;
    StrategyTask* second = doc().addTask();
    addGain(*second, 1.0f).configured = false;
    EXPECT_EQ(doc().validateAll(), kMsgUnconfiguredBlock);
    EXPECT_EQ(world->ui.messages().size(), 2u);  // one per task
}

TEST_F(StrategyTaskTest, RecordsAreReadUntilTheEndOfTheSection) {
    StrategyTask& task = doc().task(0);
    addGain(task, 1.5f);
    BinaryWriter out;
    ASSERT_TRUE(task.saveRecords(out).ok());
    const std::size_t recordsEnd = out.size();
    for (const char* next : {"ETSK", "ZEOF", "\x01\x02\x03\x04", "a$~~"}) {
        BinaryWriter file;
        file.bytes(out.data());
        file.bytes(next, 4);
        auto other = makeWorld();
        BinaryReader in(file.data());
        EXPECT_TRUE(other->document->task(0).loadRecords(in, 4).ok()) << next;
        EXPECT_EQ(in.position(), recordsEnd) << next;
        EXPECT_EQ(other->document->task(0).graph().nodes().size(), 1u);
    }
}

TEST_F(StrategyTaskTest, TheObjectListIsWrittenBlocksFirstThenWires) {
    StrategyTask& task = doc().task(0);
    TestGainBlock& a = addGain(task, 1.0f);
    TestGainBlock& b = addGain(task, 2.0f);
    ASSERT_TRUE(task.graph().Connect(a, 0, b, 0).accepted());
    addGain(task, 3.0f);  // after the wire in drawing order
    BinaryWriter out;
    ASSERT_TRUE(task.saveRecords(out).ok());
    const std::string text(out.data().begin(), out.data().end());
    EXPECT_EQ(text.find("BTSK"), 0u);
    EXPECT_LT(text.rfind("BPID"), text.find("SEGL"));
}

}  // namespace
}  // namespace kestrune::testing

namespace kestrune::testing {
namespace {

TEST_F(StrategyTaskTest, ANewTaskNeverTakesANameAnotherTaskGoesBy) {
    ASSERT_TRUE(doc().task(0).rename("TASK2").ok());
    StrategyTask* second = doc().addTask();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->name(), "TASK3");
    EXPECT_EQ(world->tags.GetTaskHandle("TASK2"), &doc().task(0).taskObject());
    EXPECT_EQ(world->tags.GetTaskHandle("TASK3"), &second->taskObject());
    // Renaming the second task leaves the first one's entry alone.
    ASSERT_TRUE(second->rename("TASK1").ok());
    EXPECT_EQ(world->tags.GetTaskHandle("TASK2"), &doc().task(0).taskObject());
}

}  // namespace
}  // namespace kestrune::testing
