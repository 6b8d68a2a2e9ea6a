// Display items as nodes of the factory: their catalogue, finding them by
// tool, kind code and file tag, and the block entry points that keep to blocks.

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "resources/message_ids.h"
#include "resources/tool_icons.h"
#include "support/stub_node.h"
#include "taskmodel/display_item_catalogue.h"
#include "test_blocks.h"

namespace kestrune::testing {
namespace {

TEST(DisplayItemCatalogueTest, LookupsAgreeRowByRow) {
    struct Row {
        int tool;
        std::int16_t kind;
        FourCC tag;
        const char* thirdName;
        std::optional<std::uint16_t> tagType;
        Size least;
    };
    const Row rows[] = {
        {34012, kAnalogMeterKind, fourcc("PAOT"), "METER3", kTagFloat, {112, 112}},
        {34001, kBinaryButtonKind, fourcc("PBTN"), "BBTN3", kTagInt32, {64, 24}},
        {34005, kStringControlKind, fourcc("PSTL"), "SCTL3", kTagString, {36, 24}},
        {34014, kHistoricalTrendKind, fourcc("PHST"), "HIST3", kTagFloatArray, {180, 140}},
        {34017, kTextStringKind, fourcc("PTXT"), "", std::nullopt, {40, 16}},
        {0, kShapeGroupKind, fourcc("PCEL"), "CELL3", kTagInt32, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        const DisplayItemKindInfo* info = FindDisplayItemKindByCode(row.kind);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(FindDisplayItemKindByTag(row.tag), info);
        EXPECT_EQ(FindDisplayItemKindByTool(row.tool), row.tool == 0 ? nullptr : info);
        EXPECT_EQ(info->toolId, row.tool);
        EXPECT_EQ(DefaultName(*info, 3), row.thirdName);
        EXPECT_EQ(info->tagType, row.tagType);
        EXPECT_EQ(info->leastSize, row.least);
    }
}

TEST(DisplayItemCatalogueTest, EveryItemToolHasOneItemKindApartFromTheBlocks) {
    std::set<std::int16_t> kinds;
    std::set<std::string> tags;
    for (const DisplayItemKindInfo& info : DisplayItemCatalogue()) {
        EXPECT_TRUE(isDisplayItemKind(info.kind)) << info.kind;
        EXPECT_TRUE(kinds.insert(info.kind).second) << info.kind;
        EXPECT_TRUE(tags.insert(std::string(toString(info.fileTag))).second) << info.kind;
        EXPECT_EQ(FindKindByTag(info.fileTag), nullptr) << info.kind;
        EXPECT_EQ(info.tagType.has_value(), info.elementCount > 0) << info.kind;
    }
    for (int tool = 34001; tool <= 34024; ++tool) {
        EXPECT_NE(FindDisplayItemKindByTool(tool), nullptr) << tool;
        EXPECT_EQ(FindKindByTool(tool), nullptr) << tool;
        EXPECT_TRUE(hasToolIcon(tool)) << tool;
    }
    // The display designer's pointer places nothing.
    EXPECT_EQ(FindDisplayItemKindByTool(34000), nullptr);
}

class MeterItem : public test_support::StubNode {
  public:
    explicit MeterItem(const NodeContext& context) : StubNode(context, kAnalogMeterKind, fourcc("PAOT")) {}
};

class NodeFactoryTest : public BlockTest {
  protected:
    NodeFactoryTest() { EXPECT_TRUE(factory.Register<MeterItem>(kAnalogMeterKind).ok()); }
};

TEST_F(NodeFactoryTest, FindsARegisteredItemKindByToolKindOrTag) {
    const NodeCreation made[] = {
        factory.CreateNodeForTool(34012, context),
        factory.CreateNodeForKind(kAnalogMeterKind, context),
        factory.CreateNodeForTag(fourcc("PAOT"), context),
    };
    for (const NodeCreation& m : made) {
        ASSERT_NE(m.node, nullptr) << m.status.context;
        EXPECT_NE(dynamic_cast<MeterItem*>(m.node.get()), nullptr);
    }
    // Blocks come through the same door.
    const NodeCreation block = factory.CreateNodeForTool(34113, context);
    EXPECT_NE(dynamic_cast<GainBlock*>(block.node.get()), nullptr);
    EXPECT_EQ(factory.RegisteredKinds(), (std::vector<std::int16_t>{kCalculationKind, kAnalogMeterKind}));
}

TEST_F(NodeFactoryTest, RefusesItemKindsNobodyRegisteredAndTagsNobodyKnows) {
    const NodeCreation refused[] = {
        factory.CreateNodeForTool(34011, context),
        factory.CreateNodeForKind(kBarGraphKind, context),
        factory.CreateNodeForTag(fourcc("PBAR"), context),
    };
    for (const NodeCreation& m : refused) {
        EXPECT_EQ(m.node, nullptr);
        EXPECT_EQ(m.status.code, kNodeKindUnavailable);
        EXPECT_NE(m.status.context.find("Bar Graph"), std::string::npos) << m.status.context;
    }
    EXPECT_EQ(factory.CreateNodeForTag(fourcc("QQQQ"), context).status.code, kNodeKindUnavailable);
    for (const int pointerTool : {kToolPointer, 34000}) {
        const NodeCreation pointer = factory.CreateNodeForTool(pointerTool, context);
        EXPECT_EQ(pointer.node, nullptr);
        EXPECT_TRUE(pointer.status.ok());
    }
    EXPECT_EQ(factory.Register<MeterItem>(kAnalogMeterKind).code, kNodeKindUnavailable);
    EXPECT_EQ(factory.Register<MeterItem>(413).code, kNodeKindUnavailable);
}

TEST_F(NodeFactoryTest, BlockEntryPointsMakeNoItems) {
    EXPECT_EQ(factory.CreateForKind(kAnalogMeterKind, context).status.code, kBlockKindUnavailable);
    EXPECT_EQ(factory.CreateForTag(fourcc("PAOT"), context).status.code, kBlockKindUnavailable);
    const BlockCreation byTool = factory.CreateForTool(34012, context);
    EXPECT_EQ(byTool.block, nullptr);
    EXPECT_TRUE(byTool.status.ok());
}

}  // namespace
}  // namespace kestrune::testing
