// The ON-OFF block: its record, its checks before and at run start, the band
// through wired inputs, and the state and setpoint it keeps between runs.

#include "blocks/control/on_off_block.h"

#include <gtest/gtest.h>

#include "control_block_fixture.h"
#include "resources/message_ids.h"

namespace kestrune::control_test {
namespace {

constexpr std::size_t kPayload = 13;

class OnOffBlockTest : public ControlBlockTest {
  protected:
    // pv -> Input; the block started with setpoint 50 and deltas 2.5.
    void startWired() {
        block.setSettings({false, 50.0, 2.5, 2.5});
        wire(pv, block, OnOffBlock::kInput);
        start({&pv, &block});
    }
    std::int32_t scanWith(float value) {
        pv.set(value);
        EXPECT_EQ(block.Scan(), kOk);
        EXPECT_EQ(tagInteger("ONF1"), block.outputValue(0)->toInteger());
        return block.outputValue(0)->toInteger();
    }

    SourceBlock& pv = addSource();
    OnOffBlock& block = add<OnOffBlock>(kOnOffKind);
};

TEST_F(OnOffBlockTest, RecordRoundTrip) {
    block.setSettings({true, 50.0, 3.0, 1.5});
    const auto bytes = bytesOf(block);
    const auto payload = payloadOf(block, kPayload);
    EXPECT_EQ(payload[0], 1);  // reverse

    Status status;
    auto loaded = loadInto<OnOffBlock>(kOnOffKind, bytes, status);
    ASSERT_TRUE(status.ok()) << status.context;
    const OnOffSettings s = loaded->settings();
    EXPECT_TRUE(s.reverse);
    EXPECT_DOUBLE_EQ(s.setpoint, 50.0);
    EXPECT_DOUBLE_EQ(s.deltaHigh, 3.0);
    EXPECT_DOUBLE_EQ(s.deltaLow, 1.5);
    EXPECT_EQ(bytesOf(*loaded), bytes);
}

TEST_F(OnOffBlockTest, NewBlockHasTheDefaultDeltas) {
    const OnOffSettings s = block.settings();
    EXPECT_FALSE(s.reverse);
    EXPECT_DOUBLE_EQ(s.setpoint, 0.0);
    EXPECT_DOUBLE_EQ(s.deltaHigh, 2.5);
    EXPECT_DOUBLE_EQ(s.deltaLow, 2.5);
    EXPECT_EQ(block.state(), 0);
}

TEST_F(OnOffBlockTest, ShortRecordIsALoadError) {
    auto bytes = bytesOf(block);
    resizeRecord(bytes, bytes.size() - 2);
    Status status;
    loadInto<OnOffBlock>(kOnOffKind, bytes, status);
    EXPECT_EQ(status.code, kRecordLoadError);
}

TEST_F(OnOffBlockTest, LongerRecordIsSkippedAndTheNextOneReads) {
    block.setSettings({false, 7.0, 1.0, 1.0});
    auto bytes = bytesOf(block);
    resizeRecord(bytes, bytes.size() + 5);
    auto& second = add<OnOffBlock>(kOnOffKind);
    second.setSettings({true, 8.0, 2.0, 2.0});
    const auto next = bytesOf(second);
    bytes.insert(bytes.end(), next.begin(), next.end());

    BinaryReader in(bytes);
    Status first;
    Status then;
    auto a = loadInto<OnOffBlock>(kOnOffKind, bytes, first, &in);
    auto b = loadInto<OnOffBlock>(kOnOffKind, bytes, then, &in);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(then.ok());
    EXPECT_TRUE(in.atEnd());
    EXPECT_DOUBLE_EQ(a->settings().setpoint, 7.0);
    EXPECT_DOUBLE_EQ(b->settings().setpoint, 8.0);
    EXPECT_TRUE(b->settings().reverse);
}

TEST_F(OnOffBlockTest, CheckWantsTheInputWired) {
    block.setCaption("Heater");
    EXPECT_EQ(block.Validate(), kMsgUnconfiguredBlock);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Unconfigured block: TASK1, Heater");
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Warning);
    wire(pv, block, OnOffBlock::kInput);
    EXPECT_EQ(block.Validate(), kOk);
}

TEST_F(OnOffBlockTest, StartRefusesAnInputWhoseSourceIsGone) {
    block.setCaption("Heater");
    block.input(OnOffBlock::kInput)->sourceId = 999;
    EXPECT_EQ(block.Start(), kMsgUnconfiguredBlock);
    EXPECT_FALSE(block.isRunning());
    // At run start the block is named by its tag.
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Unconfigured block: TASK1, ONF1");
}

TEST_F(OnOffBlockTest, BandAroundTheSetpoint) {
    startWired();
    EXPECT_EQ(tagInteger("ONF1"), 0);
    EXPECT_EQ(scanWith(52.5f), 0);  // on the high limit: kept
    EXPECT_EQ(scanWith(52.51f), 1);
    EXPECT_EQ(scanWith(50.0f), 1);  // inside the band: kept
    EXPECT_EQ(scanWith(47.5f), 1);
    EXPECT_EQ(scanWith(47.49f), 0);
    EXPECT_EQ(scanWith(51.0f), 0);
}

TEST_F(OnOffBlockTest, ReverseSwapsTheStates) {
    block.setSettings({true, 50.0, 2.5, 2.5});
    wire(pv, block, OnOffBlock::kInput);
    start({&pv, &block});
    EXPECT_EQ(scanWith(47.0f), 1);
    EXPECT_EQ(scanWith(53.0f), 0);
}

TEST_F(OnOffBlockTest, WiredSetpointReplacesTheConfiguredOneAndIsKeptAfterTheRun) {
    SourceBlock& sp = addSource(kTypeInteger);
    sp.setInteger(10);
    wire(pv, block, OnOffBlock::kInput);
    wire(sp, block, OnOffBlock::kSetpoint);
    block.setSettings({false, 50.0, 2.5, 2.5});
    start({&pv, &sp, &block});
    EXPECT_EQ(scanWith(13.0f), 1);
    ASSERT_EQ(block.Stop(), kOk);
    EXPECT_DOUBLE_EQ(block.settings().setpoint, 10.0);
}

TEST_F(OnOffBlockTest, SetpointChangedInTheDialogDuringARunSurvivesTheStop) {
    startWired();
    auto props = block.properties();
    ASSERT_TRUE(props.setText(*props.indexOf("setpoint"), "20").ok());
    ASSERT_EQ(block.Stop(), kOk);
    EXPECT_DOUBLE_EQ(block.settings().setpoint, 20.0);
}

TEST_F(OnOffBlockTest, StateIsKeptFromOneRunToTheNext) {
    startWired();
    EXPECT_EQ(scanWith(60.0f), 1);
    ASSERT_EQ(block.Stop(), kOk);
    setTag("ONF1", 0.0f);
    ASSERT_EQ(block.Start(), kOk);
    // Published at start, before any scan.
    EXPECT_EQ(tagInteger("ONF1"), 1);
    EXPECT_EQ(scanWith(50.0f), 1);
}

TEST_F(OnOffBlockTest, SetpointFieldIsDisabledWhileTheInputFeedsIt) {
    SourceBlock& sp = addSource();
    auto props = block.properties();
    const std::size_t setpoint = *props.indexOf("setpoint");
    const std::size_t source = *props.indexOf("setpointSource");
    EXPECT_TRUE(props.enabled(setpoint));
    EXPECT_EQ(props.text(source), "");
    wire(sp, block, OnOffBlock::kSetpoint);
    EXPECT_FALSE(props.enabled(setpoint));
    EXPECT_EQ(props.text(source), "TAG2");
    EXPECT_FALSE(props.set(source, std::string("X")).ok());
}

}  // namespace
}  // namespace kestrune::control_test
