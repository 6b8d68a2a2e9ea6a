// The record assembly must agree with what every kind's Save writes, or a
// dumped strategy would not build into the same file.

#include "cli/ksv/block_record.h"

#include <gtest/gtest.h>

#include "ksv_fixture.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/data_type.h"
#include "taskmodel/graph_object.h"

namespace kestrune::ksv::testing {
namespace {

class BlockRecordTest : public KsvTest {
  protected:
    // One block of every registered kind but the task object, in the first task.
    std::vector<Block*> oneOfEach(StrategyDocument& document) {
        std::vector<Block*> blocks;
        for (const std::int16_t kind : env.factory().RegisteredKinds()) {
            if (kind == kTaskKind) continue;
            Placement made = document.task(0).addBlock(kind, {10, 20, 42, 52});
            EXPECT_NE(made.block, nullptr) << kind << ": " << made.status.context;
            if (made.block != nullptr) blocks.push_back(made.block);
        }
        return blocks;
    }
};

TEST_F(BlockRecordTest, CommonPartAndPayloadMakeTheRecordEveryKindSaves) {
    auto document = newDocument();
    std::vector<Block*> blocks = oneOfEach(*document);
    blocks.push_back(&document->task(0).taskObject());
    ASSERT_GT(blocks.size(), 5u);
    for (Block* block : blocks) {
        SCOPED_TRACE(block->name());
        BinaryWriter saved;
        ASSERT_TRUE(block->Save(saved).ok());
        std::vector<std::uint8_t> payload;
        ASSERT_TRUE(kindPayload(*block, payload).ok());

        BinaryWriter assembled;
        assembled.tag(block->fileTag());
        const std::size_t length = assembled.beginLength16();
        BlockCommonPart::of(*block).write(assembled);
        assembled.bytes(payload);
        ASSERT_TRUE(assembled.endLength16(length));
        EXPECT_EQ(assembled.data(), saved.data());
    }
}

TEST_F(BlockRecordTest, LoadingTheCommonPartAndPayloadGivesTheBlockTheseFields) {
    auto document = newDocument();
    Placement made = document->task(0).addBlock(kPidKind, {0, 0, 32, 32});
    ASSERT_NE(made.block, nullptr);
    Block& block = *made.block;
    std::vector<std::uint8_t> payload;
    ASSERT_TRUE(kindPayload(block, payload).ok());

    BlockCommonPart common = BlockCommonPart::of(block);
    common.id = 77;
    common.instance = 9;
    common.name = "LOOP";
    common.caption = "Level loop";
    common.box = {100, 110, 132, 142};
    common.order = 4;
    common.consumers = {5, 6};
    common.inputs.at(0) = {12, 3, kMaskNumber, 0};
    ASSERT_TRUE(loadBlockRecord(block, common, payload).ok());

    EXPECT_EQ(block.id(), 77);
    EXPECT_EQ(block.instanceNumber(), 9);
    EXPECT_EQ(block.name(), "LOOP");
    EXPECT_EQ(block.caption(), "Level loop");
    EXPECT_EQ(block.box(), (Rect{100, 110, 132, 142}));
    EXPECT_EQ(block.order(), 4u);
    EXPECT_EQ(block.consumers(), (std::vector<std::uint32_t>{5, 6}));
    EXPECT_EQ(block.input(0)->sourceId, 12u);
    EXPECT_EQ(block.input(0)->sourceOutput, 3u);
    EXPECT_EQ(document->registry().FindObject(77), &block);
}

TEST_F(BlockRecordTest, APayloadCutShortIsALoadErrorWithWhere) {
    auto document = newDocument();
    Block& task = document->task(0).taskObject();
    std::vector<std::uint8_t> payload;
    ASSERT_TRUE(kindPayload(task, payload).ok());
    ASSERT_GT(payload.size(), 4u);
    payload.resize(4);
    const Status s = loadBlockRecord(task, BlockCommonPart::of(task), payload);
    EXPECT_EQ(s.code, kRecordLoadError);
    EXPECT_NE(s.context.find("byte"), std::string::npos) << s.context;
}

TEST(HexTest, BytesSurviveTheRoundTrip) {
    const std::vector<std::uint8_t> bytes{0x00, 0x01, 0x7f, 0x80, 0xab, 0xff};
    const std::string hex = toHex(bytes);
    EXPECT_EQ(hex, "00017f80abff");
    std::vector<std::uint8_t> back;
    std::size_t badAt = 0;
    ASSERT_TRUE(fromHex("00017F80ABff", back, badAt));
    EXPECT_EQ(back, bytes);
}

TEST(HexTest, OddLengthsAndStrayCharactersAreRefusedWithTheirPlace) {
    std::vector<std::uint8_t> bytes;
    std::size_t badAt = 0;
    EXPECT_FALSE(fromHex("abc", bytes, badAt));
    EXPECT_EQ(badAt, 3u);
    EXPECT_FALSE(fromHex("ab g0", bytes, badAt));
    EXPECT_EQ(badAt, 2u);
    EXPECT_FALSE(fromHex("0x", bytes, badAt));
    EXPECT_EQ(badAt, 1u);
    EXPECT_TRUE(fromHex("", bytes, badAt));
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace kestrune::ksv::testing
