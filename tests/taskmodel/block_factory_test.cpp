// The block catalogue as data and the factory that makes the registered kinds.

#include <gtest/gtest.h>

#include <set>

#include "platform/recording_canvas.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"
#include "resources/tool_icons.h"
#include "taskmodel/block_placement.h"
#include "test_blocks.h"

namespace kestrune::testing {
namespace {

TEST(BlockCatalogueTest, LookupsAgree) {
    const BlockKindInfo* pid = FindKindByTool(34111);
    ASSERT_NE(pid, nullptr);
    EXPECT_EQ(pid->kind, kPidKind);
    EXPECT_EQ(pid->fileTag, fourcc("BPID"));
    EXPECT_EQ(pid->caption, "PID");
    EXPECT_EQ(pid->tagType, kTagFloat);
    EXPECT_EQ(FindKindByCode(kPidKind), pid);
    EXPECT_EQ(FindKindByTag(fourcc("BPID")), pid);
    EXPECT_EQ(DefaultName(*pid, 12), "PID12");

    const BlockKindInfo* ai = FindKindByTag(fourcc("BAIN"));
    ASSERT_NE(ai, nullptr);
    EXPECT_EQ(ai->tagType, kTagFloatArray);
    EXPECT_FALSE(ai->publishesFixedTag());
    const BlockKindInfo* serial = FindKindByCode(kSerialKind);
    ASSERT_NE(serial, nullptr);
    EXPECT_EQ(serial->elementCount, 8);

    const BlockKindInfo* task = FindKindByTag(fourcc("BTSK"));
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->kind, kTaskKind);
    EXPECT_EQ(DefaultName(*task, 1), "TASK1");

    EXPECT_EQ(FindKindByTool(kToolTrigger), nullptr);
    EXPECT_EQ(FindKindByTool(0), nullptr);
    EXPECT_EQ(FindKindByTag(fourcc("QQQQ")), nullptr);
}

TEST(BlockCatalogueTest, EveryTaskToolHasOneEntryWithDistinctKindAndTag) {
    std::set<std::int16_t> kinds;
    std::set<std::string> fileTags;
    for (const BlockKindInfo& info : BlockCatalogue()) {
        EXPECT_TRUE(kinds.insert(info.kind).second) << info.kind;
        EXPECT_TRUE(fileTags.insert(std::string(toString(info.fileTag))).second);
    }
    for (int tool = kToolConnectionWire; tool <= kToolLastBlock; ++tool) {
        const BlockKindInfo* info = FindKindByTool(tool);
        ASSERT_NE(info, nullptr) << tool;
        EXPECT_TRUE(hasToolIcon(tool)) << tool;
        // The toolbox caption is the string of the tool id.
        if (const auto text = strings::lookup(tool)) {
            EXPECT_EQ(info->caption, *text) << tool;
        }
        if (tool != kToolConnectionWire) {
            EXPECT_TRUE(info->isBlock()) << tool;
            EXPECT_LE(DefaultName(*info, 9999).size(), Node::kMaxNameLength) << tool;
        }
    }
}

class BlockFactoryTest : public BlockTest {};

TEST_F(BlockFactoryTest, MakesARegisteredKindByToolOrTag) {
    BlockCreation byTool = factory.CreateForTool(34113, context);
    ASSERT_NE(byTool.block, nullptr);
    EXPECT_NE(dynamic_cast<GainBlock*>(byTool.block.get()), nullptr);
    BlockCreation byTag = factory.CreateForTag(fourcc("BSOC"), context);
    ASSERT_NE(byTag.block, nullptr);
    EXPECT_EQ(byTag.block->name(), "SOC2");
    EXPECT_EQ(factory.RegisteredKinds(), std::vector<std::int16_t>{kCalculationKind});
}

TEST_F(BlockFactoryTest, ToolsWithoutAKindMakeNothingQuietly) {
    for (const int tool : {kToolTrigger, kToolConnectionWire, kToolPointer, 12345}) {
        BlockCreation made = factory.CreateForTool(tool, context);
        EXPECT_EQ(made.block, nullptr) << tool;
        EXPECT_TRUE(made.status.ok()) << tool;
    }
    RecordingCanvas dc;
    Placement p = PlaceBlock(factory, kToolTrigger, context, {10, 10}, &dc);
    EXPECT_EQ(p.block, nullptr);
    EXPECT_TRUE(p.status.ok());
    EXPECT_TRUE(graph.objects().isEmpty());
    EXPECT_TRUE(dc.calls().empty());
    EXPECT_EQ(graph.nextOrderNumber(), 1u);
}

TEST_F(BlockFactoryTest, UnregisteredKindCannotBePlaced) {
    Placement p = PlaceBlock(factory, 34111, context, {10, 10});
    EXPECT_EQ(p.block, nullptr);
    EXPECT_EQ(p.status.code, kBlockKindUnavailable);
    EXPECT_NE(p.status.context.find("PID"), std::string::npos) << p.status.context;
    EXPECT_TRUE(graph.objects().isEmpty());
}

TEST_F(BlockFactoryTest, RegistrationRefusesWhatIsNoBlockKind) {
    EXPECT_EQ(factory.Register<GainBlock>(kCalculationKind).code, kBlockKindUnavailable);
    EXPECT_EQ(
        factory.Register(kWireKind, [](const NodeContext& c) { return std::make_unique<GainBlock>(c); }).code,
        kBlockKindUnavailable);
    EXPECT_EQ(factory.Register(299, [](const NodeContext& c) { return std::make_unique<GainBlock>(c); }).code,
              kBlockKindUnavailable);
    EXPECT_EQ(factory.Register(kPidKind, nullptr).code, kBlockKindUnavailable);
    EXPECT_FALSE(factory.IsRegistered(kPidKind));
}

TEST_F(BlockFactoryTest, CreatorThatMakesAnotherKindIsRefused) {
    ASSERT_TRUE(
        factory.Register(kAverageKind, [](const NodeContext& c) { return std::make_unique<GainBlock>(c); })
            .ok());
    BlockCreation made = factory.CreateForTool(34114, context);
    EXPECT_EQ(made.block, nullptr);
    EXPECT_EQ(made.status.code, kBlockKindUnavailable);
    // The refused block has come and gone: its order number is given back.
    EXPECT_EQ(graph.nextOrderNumber(), 1u);
}

TEST_F(BlockFactoryTest, PlacingNeedsATask) {
    FakeTaskView noGraph;
    NodeContext noTask = context;
    noTask.host = &noGraph;
    Placement p = PlaceBlock(factory, 34113, noTask, {10, 10});
    EXPECT_EQ(p.block, nullptr);
    EXPECT_FALSE(p.status.ok());
}

}  // namespace
}  // namespace kestrune::testing
