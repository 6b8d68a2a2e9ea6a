#pragma once
// A block kind for the tests (a gain with one number input and one float
// output), a task view that records what blocks ask of it, and a fixture
// with one strategy, one task "TASK1", its tag database and a factory.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/tagdb/tag_database.h"
#include "platform/scripted_user_interface.h"
#include "support/stub_node_host.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/task_graph.h"

namespace kestrune::testing {

using FakeTaskView = test_support::StubNodeHost;

// out = in * gain + offset; without a source the input counts as 0.
class GainBlock : public Block {
  public:
    explicit GainBlock(const NodeContext& context, std::int16_t kind = kCalculationKind)
        : Block(context, kind) {
        setInputPorts({{0, 0, kMaskNumber, 0}});
        setOutputPorts({{kTypeFloat, 0}});
        createOutputValues();
    }

    Code Scan() override {
        if (!isRunning()) return kOk;
        ++scans;
        outputValue(0)->setFloat(readFloat(0).value_or(0.0f) * gain + offset);
        return publishValue();
    }
    Code Validate() override {
        if (const Code code = requireInputs({0}); code != kOk) return code;
        return gain == 0.0f ? refuseUnconfigured() : kOk;
    }
    void CopyTo(GraphObject& other) const override {
        Block::CopyTo(other);
        if (auto* target = dynamic_cast<GainBlock*>(&other)) target->gain = gain;
    }
    PropertySet properties() override { return table().bind(*this); }

    static const PropertyTable<GainBlock>& table() {
        static const PropertyTable<GainBlock> t = [] {
            PropertyTable<GainBlock> p;
            addCommonProperties(p);
            p.addFloat("Gain", &GainBlock::gain, -1e6, 1e6).key("gain");
            return p;
        }();
        return t;
    }

    // Exposed for the tests.
    using Block::inputValue;
    using Block::resolveInputs;

    float gain = 1.0f;
    float offset = 0.0f;  // a trailing field that older records lack
    Code startResult = kOk;
    int starts = 0;
    int stops = 0;
    int scans = 0;

  protected:
    Code OnStart() override {
        ++starts;
        return startResult;
    }
    void OnStop() override { ++stops; }
    Status LoadPayload(BinaryReader& in, int, const RecordReader& record) override {
        gain = in.f32();
        if (record.hasMore()) offset = in.f32();
        return {};
    }
    Status SavePayload(BinaryWriter& out) const override {
        out.f32(gain);
        out.f32(offset);
        return {};
    }
};

class BlockTest : public ::testing::Test {
  protected:
    BlockTest() {
        EXPECT_TRUE(factory.Register<GainBlock>(kCalculationKind).ok());
        // The task object has taken number 0; blocks count from 1.
        graph.setNextOrderNumber(1);
    }

    template <class K = GainBlock, class... Args>
    K& add(Args&&... args) {
        auto block = std::make_unique<K>(context, std::forward<Args>(args)...);
        K& ref = *block;
        EXPECT_EQ(graph.Append(std::move(block)), kOk);
        return ref;
    }

    bool hasTag(std::string_view name) const { return tags.IsTagExist(view.name, name); }
    float tagFloat(std::string_view name) const {
        DB_PARAM p = DB_PARAM::Float(0.0f);
        EXPECT_EQ(tags.GetData(view.name, name, &p), kOk);
        return p.value.fVal;
    }

    ScriptedUserInterface ui;
    FakeTaskView view{&graph};
    TagDatabase tags;
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, &ui, true, &view, &tags};
    BlockFactory factory;
};

}  // namespace kestrune::testing
