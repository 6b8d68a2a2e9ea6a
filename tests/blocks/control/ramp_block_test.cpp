// The ramp block: its record, the published sequence up and down to the
// stop value with and without auto reset, and the reset and hold inputs
// that keep the tag unwritten.

#include "blocks/control/ramp_block.h"

#include <gtest/gtest.h>

#include "control_block_fixture.h"

namespace kestrune::control_test {
namespace {

// A value no ramp of these tests publishes, written to the tag to see
// whether a scan writes it.
constexpr float kUntouched = -42.0f;

class RampBlockTest : public ControlBlockTest {
  protected:
    SourceBlock& reset = addSource(kTypeInteger);
    SourceBlock& hold = addSource(kTypeString);
    RampBlock& ramp = add<RampBlock>(kRampKind);

    void run(RampSettings settings) {
        ramp.setSettings(settings);
        start({&reset, &hold, &ramp});
        EXPECT_FLOAT_EQ(tagFloat("RMP1"), static_cast<float>(settings.start));
    }
    // One scan; the tag value afterwards, kUntouched when the scan did not write.
    float scan() {
        setTag("RMP1", kUntouched);
        EXPECT_EQ(ramp.Scan(), kOk);
        return tagFloat("RMP1");
    }
};

TEST_F(RampBlockTest, RecordRoundTrip) {
    const RampSettings defaults = ramp.settings();
    EXPECT_EQ(defaults.start, 0.0);
    EXPECT_EQ(defaults.stop, 5.0);
    EXPECT_EQ(defaults.step, static_cast<double>(0.1f));
    EXPECT_TRUE(defaults.autoReset);

    ramp.setSettings({2.0, -3.0, 0.5, false});
    const auto bytes = bytesOf(ramp);
    EXPECT_EQ(payloadOf(ramp, 1)[0], 0);
    Status status;
    auto loaded = loadInto<RampBlock>(kRampKind, bytes, status);
    ASSERT_TRUE(status.ok()) << status.context;
    const RampSettings s = loaded->settings();
    EXPECT_EQ(s.start, 2.0);
    EXPECT_EQ(s.stop, -3.0);
    EXPECT_EQ(s.step, 0.5);
    EXPECT_FALSE(s.autoReset);
    EXPECT_EQ(bytesOf(*loaded), bytes);
}

TEST_F(RampBlockTest, ShortRecordIsALoadErrorLongerOneIsSkipped) {
    auto cut = bytesOf(ramp);
    resizeRecord(cut, cut.size() - 1);
    Status status;
    loadInto<RampBlock>(kRampKind, cut, status);
    EXPECT_EQ(status.code, kRecordLoadError);

    ramp.setSettings({1.0, 2.0, 0.25, true});
    auto longer = bytesOf(ramp);
    resizeRecord(longer, longer.size() + 2);
    longer.push_back(0x77);
    BinaryReader in(longer);
    auto loaded = loadInto<RampBlock>(kRampKind, longer, status, &in);
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(loaded->settings().step, 0.25);
    EXPECT_EQ(in.u8(), 0x77);
}

TEST_F(RampBlockTest, UpToTheStopValueThenBackToTheStart) {
    run({0.0, 1.0, 0.3, true});
    EXPECT_FLOAT_EQ(scan(), kUntouched);  // the first scan only arms the ramp
    EXPECT_FLOAT_EQ(scan(), 0.3f);
    EXPECT_FLOAT_EQ(scan(), 0.6f);
    EXPECT_FLOAT_EQ(scan(), 0.9f);
    EXPECT_FLOAT_EQ(scan(), 1.0f);  // 1.2 snapped to the stop value
    EXPECT_FLOAT_EQ(scan(), 0.0f);
    EXPECT_FLOAT_EQ(scan(), 0.3f);
    EXPECT_FLOAT_EQ(ramp.outputValue(0)->toFloat(), 0.3f);
}

TEST_F(RampBlockTest, WithoutAutoResetItStaysAtTheStopValue) {
    run({0.0, 1.0, 0.5, false});
    scan();
    EXPECT_FLOAT_EQ(scan(), 0.5f);
    EXPECT_FLOAT_EQ(scan(), 1.0f);
    EXPECT_FLOAT_EQ(scan(), 1.0f);
    EXPECT_FLOAT_EQ(scan(), 1.0f);
}

TEST_F(RampBlockTest, DownwardRamp) {
    run({1.0, 0.0, 0.4, true});
    scan();
    EXPECT_FLOAT_EQ(scan(), 0.6f);
    EXPECT_FLOAT_EQ(scan(), 0.2f);
    EXPECT_FLOAT_EQ(scan(), 0.0f);
    EXPECT_FLOAT_EQ(scan(), 1.0f);
}

TEST_F(RampBlockTest, HoldKeepsTheTagAndTheValue) {
    wire(hold, ramp, RampBlock::kHold);
    hold.setText("0");
    run({0.0, 10.0, 1.0, true});
    scan();
    EXPECT_FLOAT_EQ(scan(), 1.0f);
    hold.setText("1");
    EXPECT_FLOAT_EQ(scan(), kUntouched);
    EXPECT_FLOAT_EQ(scan(), kUntouched);
    EXPECT_FLOAT_EQ(ramp.outputValue(0)->toFloat(), 1.0f);
    hold.setText("0");
    EXPECT_FLOAT_EQ(scan(), 2.0f);
}

TEST_F(RampBlockTest, ResetReturnsToTheStartSilently) {
    wire(reset, ramp, RampBlock::kReset);
    run({0.0, 10.0, 1.0, true});
    scan();
    scan();
    EXPECT_FLOAT_EQ(scan(), 2.0f);
    reset.setInteger(1);
    EXPECT_FLOAT_EQ(scan(), kUntouched);
    reset.setInteger(0);
    EXPECT_FLOAT_EQ(scan(), 1.0f);
}

TEST_F(RampBlockTest, UnwiredResetAndHoldDoNothing) {
    reset.setInteger(1);
    hold.setText("1");
    run({0.0, 10.0, 2.0, true});
    scan();
    EXPECT_FLOAT_EQ(scan(), 2.0f);
}

}  // namespace
}  // namespace kestrune::control_test
