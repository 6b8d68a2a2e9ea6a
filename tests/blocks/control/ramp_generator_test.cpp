#include "blocks/control/ramp_generator.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrune {
namespace {

// Scans the ramp `n` times with no reset or hold and returns what it published.
std::vector<double> publish(RampGenerator& ramp, int n) {
    std::vector<double> out;
    for (int k = 0; k < n; ++k) {
        if (ramp.scan(false, false)) out.push_back(ramp.value());
    }
    return out;
}

void expectSequence(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) EXPECT_NEAR(got[k], want[k], 1e-6) << "value " << k;
}

class Ramp : public ::testing::Test {
  protected:
    // The block's settings are 32-bit floats; so are these.
    Ramp() : ramp_(RampSettings{0.0f, 1.0f, 0.3f, true}) { ramp_.start(); }
    RampGenerator ramp_;
};

TEST_F(Ramp, UpWithAutoResetSnapsToStopThenRestarts) {
    EXPECT_DOUBLE_EQ(ramp_.value(), 0.0);    // published at start
    EXPECT_FALSE(ramp_.scan(false, false));  // the first scan publishes nothing
    expectSequence(publish(ramp_, 6), {0.3, 0.6, 0.9, 1.0, 0.0, 0.3});
    EXPECT_FLOAT_EQ(static_cast<float>(publish(ramp_, 3)[2]), 1.0f);  // 0.6, 0.9, then exactly the stop
}

TEST_F(Ramp, WithoutAutoResetStaysAtTheStopValue) {
    ramp_.setSettings(RampSettings{0.0f, 1.0f, 0.3f, false});
    ramp_.start();
    expectSequence(publish(ramp_, 7), {0.3, 0.6, 0.9, 1.0, 1.0, 1.0});
}

TEST_F(Ramp, HoldKeepsTheValueAndPublishesNothing) {
    publish(ramp_, 3);  // first scan, 0.3, 0.6
    EXPECT_FALSE(ramp_.scan(false, true));
    EXPECT_FALSE(ramp_.scan(false, true));
    EXPECT_NEAR(ramp_.value(), 0.6, 1e-6);
    expectSequence(publish(ramp_, 1), {0.9});
}

TEST_F(Ramp, ResetReturnsToStartSilentlyAndWinsOverHold) {
    publish(ramp_, 3);
    EXPECT_FALSE(ramp_.scan(true, true));
    EXPECT_DOUBLE_EQ(ramp_.value(), 0.0);
    expectSequence(publish(ramp_, 2), {0.3, 0.6});
}

TEST_F(Ramp, FirstScanIgnoresResetAndHold) {
    publish(ramp_, 2);
    ramp_.start();
    EXPECT_FALSE(ramp_.scan(true, false));  // only arms the ramp
    EXPECT_FALSE(ramp_.scan(true, false));  // this one resets
    expectSequence(publish(ramp_, 1), {0.3});
}

TEST(RampDown, StepsDownAndSnapsWithTheSameMargin) {
    RampGenerator ramp(RampSettings{1.0, 0.1, 0.3, true});
    ramp.start();
    ramp.scan(false, false);
    // 1 - 3*0.3 is 0.10000000000000009 in doubles: snapped, not one scan more.
    const std::vector<double> got = publish(ramp, 4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_DOUBLE_EQ(got[0], 0.7);
    EXPECT_DOUBLE_EQ(got[1], 0.4);
    EXPECT_EQ(got[2], 0.1);
    EXPECT_EQ(got[3], 1.0);
}

TEST(RampDown, OvershootIsCutAtTheStopValue) {
    RampGenerator ramp(RampSettings{1.0f, 0.0f, 0.3f, false});
    ramp.start();
    ramp.scan(false, false);
    expectSequence(publish(ramp, 5), {0.7, 0.4, 0.1, 0.0, 0.0});
}

TEST(RampStep, NegativeStepUsesItsSize) {
    RampGenerator ramp(RampSettings{0.0, 1.0, -0.5, false});
    ramp.start();
    ramp.scan(false, false);
    expectSequence(publish(ramp, 3), {0.5, 1.0, 1.0});
}

TEST(RampStep, ZeroStepStandsAtTheStart) {
    RampGenerator ramp(RampSettings{2.0, 5.0, 0.0, true});
    ramp.start();
    ramp.scan(false, false);
    expectSequence(publish(ramp, 3), {2.0, 2.0, 2.0});
}

TEST(RampStep, EqualStartAndStopIsConstant) {
    RampGenerator ramp(RampSettings{3.0, 3.0, 0.5, true});
    ramp.start();
    ramp.scan(false, false);
    expectSequence(publish(ramp, 3), {3.0, 3.0, 3.0});
}

TEST(RampStep, LongRampDoesNotGatherRoundingErrors) {
    RampGenerator ramp(RampSettings{0.0, 1000.0, 0.001f, false});
    ramp.start();
    ramp.scan(false, false);
    const std::vector<double> got = publish(ramp, 500'000);
    EXPECT_NEAR(got.back(), 500'000 * static_cast<double>(0.001f), 1e-9);
}

}  // namespace
}  // namespace kestrune
