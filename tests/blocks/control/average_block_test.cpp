// The average block: its record (the mode only in newer records), moving and
// whole averages through a wired input, the reset input, and sources that
// are not numbers.

#include "blocks/control/average_block.h"

#include <gtest/gtest.h>

#include "control_block_fixture.h"

namespace kestrune::control_test {
namespace {

class AverageBlockTest : public ControlBlockTest {
  protected:
    SourceBlock& input = addSource();
    SourceBlock& reset = addSource(kTypeInteger);
    AverageBlock& average = add<AverageBlock>(kAverageKind);

    void run(AverageSettings settings, bool withReset = false) {
        average.setSettings(settings);
        wire(input, average, AverageBlock::kInput);
        if (withReset) wire(reset, average, AverageBlock::kReset);
        start({&input, &reset, &average});
    }
    float feed(float sample, std::int32_t resetValue = 0) {
        input.set(sample);
        reset.setInteger(resetValue);
        EXPECT_EQ(average.Scan(), kOk);
        const float out = average.outputValue(0)->toFloat();
        EXPECT_FLOAT_EQ(tagFloat("AVG1"), out);
        return out;
    }
};

TEST_F(AverageBlockTest, RecordRoundTrip) {
    EXPECT_EQ(average.settings().windowSize, 10);
    EXPECT_EQ(average.settings().mode, AverageMode::Moving);
    average.setSettings({3, AverageMode::Whole});
    const auto bytes = bytesOf(average);
    EXPECT_EQ(payloadOf(average, 4), (std::vector<std::uint8_t>{3, 0, 1, 0}));
    Status status;
    auto loaded = loadInto<AverageBlock>(kAverageKind, bytes, status);
    ASSERT_TRUE(status.ok()) << status.context;
    EXPECT_EQ(loaded->settings().windowSize, 3);
    EXPECT_EQ(loaded->settings().mode, AverageMode::Whole);
    EXPECT_EQ(bytesOf(*loaded), bytes);
}

TEST_F(AverageBlockTest, OlderRecordWithoutTheModeIsAMovingAverage) {
    average.setSettings({4, AverageMode::Whole});
    auto bytes = bytesOf(average);
    for (const std::size_t cut : {2u, 1u}) {  // no mode; one stray byte
        auto older = bytes;
        resizeRecord(older, bytes.size() - cut);
        Status status;
        auto loaded = loadInto<AverageBlock>(kAverageKind, older, status);
        ASSERT_TRUE(status.ok()) << status.context;
        EXPECT_EQ(loaded->settings().windowSize, 4);
        EXPECT_EQ(loaded->settings().mode, AverageMode::Moving);
    }
}

TEST_F(AverageBlockTest, LongerRecordIsSkipped) {
    average.setSettings({6, AverageMode::Whole});
    auto bytes = bytesOf(average);
    resizeRecord(bytes, bytes.size() + 3);
    bytes.push_back(0x5A);
    BinaryReader in(bytes);
    Status status;
    auto loaded = loadInto<AverageBlock>(kAverageKind, bytes, status, &in);
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(loaded->settings().mode, AverageMode::Whole);
    EXPECT_EQ(in.u8(), 0x5A);
}

TEST_F(AverageBlockTest, MovingAverageOfThree) {
    run({3, AverageMode::Moving});
    EXPECT_FLOAT_EQ(feed(3.0f), 3.0f);
    EXPECT_FLOAT_EQ(feed(6.0f), 4.5f);
    EXPECT_FLOAT_EQ(feed(9.0f), 6.0f);
    EXPECT_FLOAT_EQ(feed(12.0f), 9.0f);
}

TEST_F(AverageBlockTest, ResetEmptiesTheWindowOnEveryScanItIsOn) {
    run({3, AverageMode::Moving}, true);
    feed(3.0f);
    feed(6.0f);
    EXPECT_FLOAT_EQ(feed(12.0f, 1), 12.0f);
    EXPECT_FLOAT_EQ(feed(20.0f, 1), 20.0f);
    EXPECT_FLOAT_EQ(feed(10.0f), 15.0f);
}

TEST_F(AverageBlockTest, WholeAverageRestartsAfterAReset) {
    run({3, AverageMode::Whole}, true);
    feed(1.0f);
    feed(2.0f);
    feed(3.0f);
    EXPECT_FLOAT_EQ(feed(6.0f), 3.0f);  // all four, not a window
    EXPECT_FLOAT_EQ(feed(10.0f, 1), 10.0f);
    EXPECT_FLOAT_EQ(feed(20.0f), 15.0f);
}

TEST_F(AverageBlockTest, NewRunStartsFromNothing) {
    run({3, AverageMode::Whole});
    feed(8.0f);
    ASSERT_EQ(average.Stop(), kOk);
    setTag("AVG1", 5.0f);
    ASSERT_EQ(average.Start(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("AVG1"), 0.0f);
    EXPECT_FLOAT_EQ(feed(2.0f), 2.0f);
}

TEST_F(AverageBlockTest, IntegerSourceCountsItsValueTextSourceZero) {
    SourceBlock& counts = addSource(kTypeInteger);
    wire(counts, average, AverageBlock::kInput);
    average.setSettings({2, AverageMode::Moving});
    counts.setInteger(4);
    start({&counts, &average});
    ASSERT_EQ(average.Scan(), kOk);
    EXPECT_FLOAT_EQ(average.outputValue(0)->toFloat(), 4.0f);
    ASSERT_EQ(average.Stop(), kOk);

    // No wire takes a text to this input, but a damaged file may name one.
    SourceBlock& text = addSource(kTypeString);
    text.setText("7");
    average.input(AverageBlock::kInput)->sourceId = text.id();
    ASSERT_EQ(average.Start(), kOk);
    ASSERT_EQ(average.Scan(), kOk);
    ASSERT_EQ(average.Scan(), kOk);
    EXPECT_FLOAT_EQ(average.outputValue(0)->toFloat(), 0.0f);
}

TEST_F(AverageBlockTest, WithoutAnInputTheTagIsStillWritten) {
    start({&average});
    setTag("AVG1", 5.0f);
    ASSERT_EQ(average.Scan(), kOk);
    EXPECT_FLOAT_EQ(tagFloat("AVG1"), 0.0f);
}

TEST_F(AverageBlockTest, DialogTakesTheWindowOnlyForTheMovingAverage) {
    auto props = average.properties();
    const std::size_t window = *props.indexOf("windowSize");
    EXPECT_TRUE(props.enabled(window));
    EXPECT_FALSE(props.setText(window, "0").ok());
    ASSERT_TRUE(props.setText(window, "25").ok());
    EXPECT_EQ(average.settings().windowSize, 25);
    ASSERT_TRUE(props.setText(*props.indexOf("mode"), "Whole average").ok());
    EXPECT_FALSE(props.enabled(window));
}

}  // namespace
}  // namespace kestrune::control_test
