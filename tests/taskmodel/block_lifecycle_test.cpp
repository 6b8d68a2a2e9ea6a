// Blocks coming and going: default names, order numbers, tags, scratch
// copies, deleting, renaming and the settings exposed as properties.

#include <gtest/gtest.h>

#include "resources/message_ids.h"
#include "test_blocks.h"

namespace kestrune::testing {
namespace {

class BlockLifecycleTest : public BlockTest {};

TEST_F(BlockLifecycleTest, FirstBlockOfAKindIsNumberedOneAndTakesTheNextOrderNumber) {
    GainBlock& pid = add(kPidKind);
    EXPECT_EQ(pid.name(), "PID1");
    EXPECT_EQ(pid.caption(), "PID1");
    EXPECT_EQ(pid.Caption(), "PID1");
    EXPECT_EQ(pid.order(), 1u);
    EXPECT_EQ(graph.nextOrderNumber(), 2u);
    EXPECT_EQ(pid.fileTag(), fourcc("BPID"));
    EXPECT_EQ(pid.iconId(), 34111);
    EXPECT_TRUE(pid.hasFlag(kFlagBlock));
    EXPECT_TRUE(pid.tagPublished());
    EXPECT_EQ(tags.GetTagType("TASK1", "PID1"), kTagFloat);

    GainBlock& second = add(kPidKind);
    EXPECT_EQ(second.name(), "PID2");
    EXPECT_EQ(second.order(), 2u);
}

TEST_F(BlockLifecycleTest, CaptionPrefixMayDifferFromTheName) {
    GainBlock& input = add(kNetworkInputKind);
    EXPECT_EQ(input.name(), "NIN1");
    EXPECT_EQ(input.caption(), "NETIN1");
}

TEST_F(BlockLifecycleTest, DeletingOrderThreeOfFiveClosesTheGap) {
    std::vector<GainBlock*> blocks;
    for (int i = 0; i < 5; ++i) blocks.push_back(&add());
    for (std::uint32_t i = 0; i < 5; ++i) ASSERT_EQ(blocks[i]->order(), i + 1);
    ASSERT_EQ(graph.nextOrderNumber(), 6u);
    const std::string gone = blocks[2]->name();

    ASSERT_TRUE(graph.DeleteNode(*blocks[2]));
    EXPECT_EQ(blocks[0]->order(), 1u);
    EXPECT_EQ(blocks[1]->order(), 2u);
    EXPECT_EQ(blocks[3]->order(), 3u);
    EXPECT_EQ(blocks[4]->order(), 4u);
    EXPECT_EQ(graph.nextOrderNumber(), 5u);
    EXPECT_FALSE(hasTag(gone));
    EXPECT_TRUE(hasTag(blocks[3]->name()));
}

TEST_F(BlockLifecycleTest, DeletingABlockRemovesItsWires) {
    GainBlock& a = add();
    GainBlock& b = add();
    GainBlock& c = add();
    ASSERT_TRUE(graph.Connect(a, 0, b, 0).accepted());
    ASSERT_TRUE(graph.Connect(b, 0, c, 0).accepted());
    ASSERT_TRUE(graph.DeleteNode(b));
    EXPECT_TRUE(graph.wires().empty());
    EXPECT_TRUE(a.outgoingWires().isEmpty());
    EXPECT_FALSE(c.input(0)->isConnected());
}

TEST_F(BlockLifecycleTest, ScratchCopyTakesNoOrderNumberAndNoTag) {
    NodeContext scratch = context;
    scratch.live = false;
    {
        GainBlock copy(scratch, kPidKind);
        EXPECT_EQ(copy.name(), "PID1");
        EXPECT_EQ(copy.order(), 0u);
        EXPECT_EQ(graph.nextOrderNumber(), 1u);
        EXPECT_FALSE(copy.tagPublished());
        EXPECT_FALSE(hasTag("PID1"));
    }
    EXPECT_EQ(graph.nextOrderNumber(), 1u);
}

TEST_F(BlockLifecycleTest, AnotherOwnersTagOfTheSameNameIsNeverDeleted) {
    ASSERT_EQ(tags.AddTag("TASK1", "SOC1", kTagInt32), kOk);
    {
        GainBlock clash(context);
        EXPECT_EQ(clash.name(), "SOC1");
        EXPECT_FALSE(clash.tagPublished());
    }
    EXPECT_TRUE(hasTag("SOC1"));
    EXPECT_EQ(tags.GetTagType("TASK1", "SOC1"), kTagInt32);
}

TEST_F(BlockLifecycleTest, RenameMovesTheTag) {
    GainBlock& block = add();
    ASSERT_TRUE(block.rename("FLOW").ok());
    EXPECT_EQ(block.name(), "FLOW");
    EXPECT_TRUE(hasTag("FLOW"));
    EXPECT_FALSE(hasTag("SOC1"));
}

TEST_F(BlockLifecycleTest, RenameRefusesEmptyLongAndTakenNames) {
    GainBlock& block = add();
    GainBlock& other = add();
    for (const std::string& bad : {std::string(), std::string("ABCDEFGHIJ"), other.name()}) {
        const Status s = block.rename(bad);
        EXPECT_EQ(s.code, kMsgInvalidTaskOrTagName) << bad;
        EXPECT_EQ(block.name(), "SOC1");
    }
    EXPECT_TRUE(hasTag("SOC1"));
    EXPECT_TRUE(hasTag("SOC2"));
}

TEST_F(BlockLifecycleTest, RenameGivesAnUnpublishedBlockItsOwnTag) {
    ASSERT_EQ(tags.AddTag("TASK1", "SOC1", kTagInt32), kOk);
    GainBlock& block = add();
    ASSERT_FALSE(block.tagPublished());
    ASSERT_TRUE(block.rename("MINE").ok());
    EXPECT_TRUE(block.tagPublished());
    EXPECT_EQ(tags.GetTagType("TASK1", "MINE"), kTagFloat);
    EXPECT_EQ(tags.GetTagType("TASK1", "SOC1"), kTagInt32);
}

TEST_F(BlockLifecycleTest, PropertiesReachTheCommonFieldsAndTheKindsOwn) {
    GainBlock& block = add();
    PropertySet set = block.properties();
    EXPECT_TRUE(GainBlock::table().selfCheck().ok());
    const std::vector<PropertySet::NamedChange> changes{
        {"name", std::string("LEVEL")}, {"caption", std::string("Tank level")}, {"gain", 2.5}};
    ASSERT_TRUE(set.applyNamed(changes).ok());
    EXPECT_EQ(block.name(), "LEVEL");
    EXPECT_TRUE(hasTag("LEVEL"));
    EXPECT_EQ(block.caption(), "Tank level");
    EXPECT_FLOAT_EQ(block.gain, 2.5f);

    // A refused rename leaves every field of the change as it was.
    GainBlock& other = add();
    const std::vector<PropertySet::NamedChange> clash{{"gain", 9.0}, {"name", std::string("LEVEL")}};
    EXPECT_FALSE(other.properties().applyNamed(clash).ok());
    EXPECT_FLOAT_EQ(other.gain, 1.0f);
    EXPECT_EQ(other.name(), "SOC2");
}

TEST_F(BlockLifecycleTest, BaseTableHasNameAndCaptionWithTheirLimits) {
    const PropertyTable<Block>& table = Block::propertyTable();
    EXPECT_TRUE(table.selfCheck().ok());
    ASSERT_TRUE(table.indexOf("name").has_value());
    ASSERT_TRUE(table.indexOf("caption").has_value());
    EXPECT_EQ(table.field(*table.indexOf("name")).maxLength, 9u);
    EXPECT_EQ(table.field(*table.indexOf("caption")).maxLength, 31u);
}

TEST_F(BlockLifecycleTest, CopyKeepsAChangedCaptionAndFollowsADefaultOne) {
    GainBlock& source = add();
    source.gain = 4.0f;
    GainBlock& pasted = add();
    source.CopyTo(pasted);
    EXPECT_EQ(pasted.caption(), "SOC2");
    EXPECT_FLOAT_EQ(pasted.gain, 4.0f);

    source.setCaption("Feed pump");
    source.CopyTo(pasted);
    EXPECT_EQ(pasted.caption(), "Feed pump");
}

TEST_F(BlockLifecycleTest, CaptionIsCutToThirtyOneCharacters) {
    GainBlock& block = add();
    block.setCaption(std::string(40, 'x'));
    EXPECT_EQ(block.caption(), std::string(31, 'x'));
}

TEST_F(BlockLifecycleTest, ConfigureAsksTheViewAndRepaintsTheBox) {
    GainBlock& block = add();
    block.setBox({10, 10, 42, 42});
    block.Configure();
    ASSERT_EQ(view.configured.size(), 1u);
    EXPECT_EQ(view.configured[0], &block);
    ASSERT_EQ(view.invalidated.size(), 1u);
    EXPECT_EQ(view.invalidated[0], (Rect{7, 7, 45, 45}));
}

TEST_F(BlockLifecycleTest, ValidationShowsTheCommonMessages) {
    GainBlock& source = add();
    GainBlock& block = add();
    EXPECT_EQ(block.Validate(), kMsgInputUndefined);
    ASSERT_TRUE(graph.Connect(source, 0, block, 0).accepted());
    block.gain = 0.0f;
    block.setCaption("Mixer");
    EXPECT_EQ(block.Validate(), kMsgUnconfiguredBlock);
    block.gain = 1.0f;
    EXPECT_EQ(block.Validate(), kOk);

    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Input undefined.");
    EXPECT_EQ(shown[1].text, "Unconfigured block: TASK1, Mixer");
    EXPECT_EQ(shown[1].caption, "Kestrune Message");
    EXPECT_EQ(shown[1].icon, MessageIcon::Warning);
}

}  // namespace
}  // namespace kestrune::testing
