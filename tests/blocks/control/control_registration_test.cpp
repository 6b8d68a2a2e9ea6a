// The five control kinds as the factory makes them: registration, default
// names and tags, the port lists offered while wiring, and the settings
// tables' own consistency.

#include <gtest/gtest.h>

#include "blocks/control/average_block.h"
#include "blocks/control/calculation_block.h"
#include "blocks/control/on_off_block.h"
#include "blocks/control/pid_block.h"
#include "blocks/control/ramp_block.h"
#include "control_block_fixture.h"
#include "taskmodel/connect_request.h"

namespace kestrune::control_test {
namespace {

using RegistrationTest = ControlBlockTest;

TEST_F(RegistrationTest, EveryKindIsMadeByToolAndByFileTag) {
    struct Expect {
        int tool;
        FourCC tag;
        const char* name;
        DataType output;
        std::uint16_t tagType;
        std::vector<std::string> inputs;
    };
    const std::vector<Expect> kinds{
        {34111,
         fourcc("BPID"),
         "PID1",
         kTypeFloat,
         kTagFloat,
         {"Feedback", "Setpoint", "P Parameter", "I Parameter", "D Parameter", "Trigger for PID change"}},
        {34112, fourcc("BOFF"), "ONF1", kTypeInteger, kTagInt32, {"Input", "Setpoint"}},
        {34113, fourcc("BSOC"), "SOC1", kTypeInteger, kTagFloat, {"Operand 1", "Operand 2"}},
        {34114, fourcc("BAVG"), "AVG1", kTypeFloat, kTagFloat, {"Input", "Reset"}},
        {34119, fourcc("BRMP"), "RMP1", kTypeFloat, kTagFloat, {"Reset", "Hold"}},
    };
    for (const Expect& e : kinds) {
        SCOPED_TRACE(e.name);
        BlockCreation byTool = factory.CreateForTool(e.tool, context);
        ASSERT_TRUE(byTool.status.ok());
        auto* block = dynamic_cast<ControlBlock*>(byTool.block.get());
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->name(), e.name);
        EXPECT_EQ(block->caption(), e.name);
        ASSERT_EQ(block->outputCount(), 1);
        EXPECT_EQ(block->output(0)->dataType, e.output);
        ASSERT_EQ(block->inputCount(), e.inputs.size());
        for (std::size_t i = 0; i < e.inputs.size(); ++i) EXPECT_EQ(block->inputCaption(i), e.inputs[i]);
        EXPECT_EQ(block->inputCaption(e.inputs.size()), "");
        DB_PARAM info;
        ASSERT_EQ(tags.GetDataInfo("TASK1", e.name, &info), kOk);
        EXPECT_EQ(info.type, e.tagType);

        BlockCreation byTag = factory.CreateForTag(e.tag, other);
        ASSERT_TRUE(byTag.status.ok());
        EXPECT_EQ(byTag.block->kind(), block->kind());
    }
}

TEST_F(RegistrationTest, RegisteringTwiceIsRefused) {
    BlockFactory again;
    ASSERT_TRUE(registerControlBlockKinds(again).ok());
    EXPECT_EQ(again.RegisteredKinds().size(), 5u);
    EXPECT_EQ(registerControlBlockKinds(again).code, kBlockKindUnavailable);
}

TEST_F(RegistrationTest, SettingsTablesAreConsistent) {
    EXPECT_TRUE(PidBlock::propertyTable().selfCheck().ok());
    EXPECT_TRUE(OnOffBlock::propertyTable().selfCheck().ok());
    EXPECT_TRUE(CalculationBlock::propertyTable().selfCheck().ok());
    EXPECT_TRUE(AverageBlock::propertyTable().selfCheck().ok());
    EXPECT_TRUE(RampBlock::propertyTable().selfCheck().ok());
}

TEST_F(RegistrationTest, DefaultsOfTheTablesAreTheKindsOwnDefaults) {
    // A block reset to the table's defaults saves the same record as a new one.
    auto& pid = add<PidBlock>(kPidKind);
    auto& ramp = add<RampBlock>(kRampKind);
    auto& average = add<AverageBlock>(kAverageKind);
    auto& onOff = add<OnOffBlock>(kOnOffKind);
    auto& calc = add<CalculationBlock>(kCalculationKind);
    for (Block* b : std::initializer_list<Block*>{&pid, &ramp, &average, &onOff, &calc}) {
        SCOPED_TRACE(b->name());
        const auto before = bytesOf(*b);
        EXPECT_TRUE(b->properties().resetToDefaults().ok());
        EXPECT_EQ(bytesOf(*b), before);
    }
}

TEST_F(RegistrationTest, WiringOffersTheInputsByCaption) {
    SourceBlock& source = addSource();
    auto& pid = add<PidBlock>(kPidKind);
    wire(source, pid, PidBlock::kTrigger);
    const auto shown = ui.shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().kind, ScriptedUserInterface::Kind::List);
    EXPECT_EQ(shown.back().caption, "Connect to:");
    EXPECT_EQ(shown.back().items.size(), 6u);
    EXPECT_EQ(shown.back().items[5], "Trigger for PID change");
    EXPECT_TRUE(pid.isWired(PidBlock::kTrigger));
    EXPECT_EQ(pid.sourceName(PidBlock::kTrigger), "TAG1");
    EXPECT_EQ(pid.sourceName(PidBlock::kFeedback), "");

    // A cancelled choice makes no wire.
    ui.choose(std::nullopt);
    const ConnectOutcome cancelled = graph.Connect(source, 0, pid, 0);
    EXPECT_FALSE(cancelled.accepted());
    EXPECT_EQ(cancelled.code, kConnectCancelled);
    EXPECT_FALSE(pid.isWired(PidBlock::kFeedback));
}

TEST_F(RegistrationTest, TextSourcesReachOnlyTheInputsThatTakeThem) {
    SourceBlock& text = addSource(kTypeString);
    auto& ramp = add<RampBlock>(kRampKind);
    auto& calc = add<CalculationBlock>(kCalculationKind);
    auto& pid = add<PidBlock>(kPidKind);
    wire(text, ramp, RampBlock::kHold);
    wire(text, calc, CalculationBlock::kOperand1);
    ui.choose(0);
    EXPECT_EQ(graph.Connect(text, 0, pid, 0).code, kConnectTypeMismatch);
}

}  // namespace
}  // namespace kestrune::control_test
