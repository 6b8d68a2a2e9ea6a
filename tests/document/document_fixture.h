#pragma once
// Test kinds for the document (a task object and a gain block standing in
// for the real kinds), and a fixture with everything a document works with:
// a tag database, a factory with the test kinds, scripted questions and
// dialogs, a settings file and a scratch directory.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/tagdb/tag_database.h"
#include "document/scripted_document_dialogs.h"
#include "document/strategy_document.h"
#include "document/strategy_file.h"
#include "platform/profile_file.h"
#include "platform/scripted_user_interface.h"
#include "platform/temp_dir.h"
#include "resources/message_ids.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace kestrune::testing {

// The task object: a block of kind 298 with a scan period as its payload.
class TestTaskObject : public Block {
  public:
    explicit TestTaskObject(const NodeContext& c) : Block(c, kTaskKind) {}
    std::uint32_t periodMs = 1000;

  protected:
    Status LoadPayload(BinaryReader& in, int, const RecordReader&) override {
        periodMs = in.u32();
        return {};
    }
    Status SavePayload(BinaryWriter& out) const override {
        out.u32(periodMs);
        return {};
    }
};

// One number in, one number out; refuses to run until configured.
class TestGainBlock : public Block {
  public:
    explicit TestGainBlock(const NodeContext& c) : Block(c, kPidKind) {
        setInputPorts({{0, 0, kMaskNumber, 0}});
        setOutputPorts({{kTypeFloat, 0}});
        createOutputValues();
    }
    Code Validate() override { return configured ? kOk : refuseUnconfigured(); }

    float gain = 1.0f;
    bool configured = true;

  protected:
    Status LoadPayload(BinaryReader& in, int, const RecordReader&) override {
        gain = in.f32();
        configured = in.u8() != 0;
        return {};
    }
    Status SavePayload(BinaryWriter& out) const override {
        out.f32(gain);
        out.u8(configured ? 1 : 0);
        return {};
    }
};

inline void registerTestKinds(BlockFactory& factory) {
    EXPECT_TRUE(factory.Register<TestTaskObject>(kTaskKind).ok());
    EXPECT_TRUE(factory.Register<TestGainBlock>(kPidKind).ok());
}

// One program's worth of services around one document.
struct DocumentWorld {
    explicit DocumentWorld(const BlockFactory& factory, const std::filesystem::path& settingsPath)
        : settings(settingsPath) {
        tags.AddTaskName(kVirtualTaskName);
        DocumentServices services{factory};
        services.tags = &tags;
        services.ui = &ui;
        services.dialogs = &dialogs;
        services.settings = &settings;
        services.resolutionMs = 10;
        services.randomKey = [] { return 0x5A5A1234u; };
        document = std::make_unique<StrategyDocument>(std::move(services));
    }

    TagDatabase tags;
    ScriptedUserInterface ui;
    ScriptedDocumentDialogs dialogs;
    ProfileFile settings;
    std::unique_ptr<StrategyDocument> document;
};

class DocumentTest : public ::testing::Test {
  protected:
    DocumentTest() { registerTestKinds(factory); }

    std::unique_ptr<DocumentWorld> makeWorld() {
        return std::make_unique<DocumentWorld>(factory, dir / "Kestrune.INI");
    }

    static TestGainBlock& addGain(StrategyTask& task, float gain, Rect box = {10, 10, 42, 42}) {
        Placement made = task.addBlock(kPidKind, box);
        EXPECT_NE(made.block, nullptr) << made.status.context;
        auto* block = static_cast<TestGainBlock*>(made.block);
        block->gain = gain;
        return *block;
    }

    static std::vector<std::uint8_t> bytesOf(const StrategyDocument& document) {
        BinaryWriter out;
        EXPECT_TRUE(writeStrategy(document, out, 0x5A5A1234u).ok());
        return out.take();
    }

    // Two tasks (the second with two wired blocks), two virtual tags, a
    // station name and network settings.
    static void fillSample(StrategyDocument& document) {
        StrategyTask& first = document.task(0);
        addGain(first, 2.5f);
        StrategyTask* second = document.addTask();
        ASSERT_NE(second, nullptr);
        TestGainBlock& a = addGain(*second, 3.0f, {100, 100, 132, 132});
        TestGainBlock& b = addGain(*second, 4.0f, {200, 100, 232, 132});
        ASSERT_TRUE(second->graph().Connect(a, 0, b, 0).accepted());
        second->placement().normal = {5, 6, 705, 506};
        VirtualTag* level = document.addVirtualTag("LEVEL", VirtualTag::kFloat, true);
        ASSERT_NE(level, nullptr);
        level->setInitialFloat(12.5f);
        VirtualTag* label = document.addVirtualTag("LABEL", VirtualTag::kString, false);
        ASSERT_NE(label, nullptr);
        label->setInitialText("pump A");
        document.networkTaskNames().push_back({"NPLANT2", "10.0.0.2"});
        document.networkSettings().stationName = "LINE1";
        document.networkSettings().retryTimes = 3;
    }

    BlockFactory factory;
    testing_support::TempDir dir;
};

}  // namespace kestrune::testing
