#pragma once
// What the tests of the control kinds share: a task "TASK1" with its tag
// database and a scripted user interface, source blocks whose output a test
// sets by hand, wiring through the "Connect to:" list, and saving and loading
// records into a second task "TASK2".

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "blocks/control/control_blocks.h"
#include "components/tagdb/tag_database.h"
#include "platform/scripted_user_interface.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/task_graph.h"
#include "support/source_block.h"
#include "support/stub_node_host.h"

namespace kestrune::control_test {

inline constexpr int kFileVersion = 4;

using TaskView = test_support::StubNodeHost;

using test_support::SourceBlock;

class ControlBlockTest : public ::testing::Test {
  protected:
    ControlBlockTest() {
        EXPECT_TRUE(registerControlBlockKinds(factory, [this](const NodeContext&) { return periodMs; }).ok());
        graph.setNextOrderNumber(1);
    }
    // Every question was scripted and every scripted answer used.
    void TearDown() override {
        EXPECT_TRUE(ui.errors().empty());
        EXPECT_EQ(ui.unusedAnswers(), 0u);
    }
    // The texts of the message boxes shown so far.
    std::vector<std::string> messages() const { return ui.messages(); }

    // A block of `kind` from the factory, appended to the task.
    template <class K>
    K& add(std::int16_t kind) {
        BlockCreation made = factory.CreateForKind(kind, context);
        EXPECT_TRUE(made.status.ok());
        auto* block = dynamic_cast<K*>(made.block.get());
        EXPECT_NE(block, nullptr);
        EXPECT_EQ(graph.Append(std::move(made.block)), kOk);
        return *block;
    }
    SourceBlock& addSource(DataType type = kTypeFloat) {
        auto block = std::make_unique<SourceBlock>(context, type);
        SourceBlock& ref = *block;
        EXPECT_EQ(graph.Append(std::move(block)), kOk);
        return ref;
    }

    // Output 0 of `from` to input `input` of `to`, picked in the port list.
    void wire(Node& from, Node& to, std::size_t input) {
        ui.choose(static_cast<int>(input));
        const ConnectOutcome outcome = graph.Connect(from, 0, to, static_cast<std::int32_t>(input));
        EXPECT_TRUE(outcome.accepted()) << "code " << outcome.code;
    }

    // Starts the blocks in the order given (sources first), expecting success.
    void start(std::initializer_list<Block*> blocks) {
        for (Block* b : blocks) ASSERT_EQ(b->Start(), kOk) << b->name();
    }

    float tagFloat(std::string_view tag) const {
        DB_PARAM p = DB_PARAM::Float(0.0f);
        EXPECT_EQ(tags.GetData("TASK1", tag, &p), kOk);
        return p.type == kTagFloat ? p.value.fVal : static_cast<float>(p.value.lVal);
    }
    std::int32_t tagInteger(std::string_view tag) const {
        DB_PARAM p = DB_PARAM::Int(0);
        EXPECT_EQ(tags.GetData("TASK1", tag, &p), kOk);
        return p.value.lVal;
    }
    void setTag(std::string_view tag, float v) {
        const DB_PARAM p = DB_PARAM::Float(v);
        EXPECT_EQ(tags.SetData("TASK1", tag, &p), kOk);
    }

    // ---- records ----
    static std::vector<std::uint8_t> bytesOf(const Block& block) {
        BinaryWriter out;
        EXPECT_TRUE(block.Save(out).ok());
        return out.take();
    }
    // Bytes of the block's own payload: what follows the common part.
    static std::vector<std::uint8_t> payloadOf(const Block& block, std::size_t payloadSize) {
        const auto bytes = bytesOf(block);
        return {bytes.end() - static_cast<long>(payloadSize), bytes.end()};
    }
    // Cuts or extends a saved record's body and fixes its length field.
    static void resizeRecord(std::vector<std::uint8_t>& bytes, std::size_t newSize,
                             std::uint8_t fill = 0xAB) {
        bytes.resize(newSize, fill);
        const std::size_t length = newSize - 6;
        bytes[4] = static_cast<std::uint8_t>(length);
        bytes[5] = static_cast<std::uint8_t>(length >> 8);
    }
    // A block of the same kind made in TASK2, loaded from `bytes`.
    template <class K>
    std::unique_ptr<K> loadInto(std::int16_t kind, const std::vector<std::uint8_t>& bytes, Status& status,
                                BinaryReader* reader = nullptr) {
        BlockCreation made = factory.CreateForKind(kind, other);
        std::unique_ptr<K> block(dynamic_cast<K*>(made.block.release()));
        BinaryReader local(bytes);
        BinaryReader& in = reader != nullptr ? *reader : local;
        EXPECT_EQ(in.tag(), block->fileTag());
        status = block->Load(in, kFileVersion);
        return block;
    }

    std::int32_t periodMs = 1000;
    ScriptedUserInterface ui;
    TaskView view{&graph, "TASK1"};
    TagDatabase tags;
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, &ui, true, &view, &tags};
    BlockFactory factory;

    TaskView otherView{&otherGraph, "TASK2"};
    ObjectRegistry otherRegistry;
    TaskGraph otherGraph{otherRegistry};
    NodeContext other{otherRegistry, nullptr, nullptr, &ui, true, &otherView, &tags};
};

}  // namespace kestrune::control_test
