#include "blocks/control/on_off_algorithm.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrune {
namespace {

class OnOff : public ::testing::Test {
  protected:
    // Setpoint 50 with both deltas 2.5: the band is 47.5 to 52.5. The block
    // reads its input as a 32-bit float, so the values go through float here.
    static double f(float v) { return v; }

    OnOff() : onOff_(OnOffSettings{false, 50.0f, 2.5f, 2.5f}) {}
    OnOffAlgorithm onOff_;
};

TEST_F(OnOff, SwitchesOnlyBeyondTheBand) {
    EXPECT_EQ(onOff_.state(), 0);
    EXPECT_EQ(onOff_.update(f(52.5f)), 0);  // at the high limit: kept
    EXPECT_EQ(onOff_.update(f(52.51f)), 1);
    EXPECT_EQ(onOff_.update(f(50.0f)), 1);  // inside: kept
    EXPECT_EQ(onOff_.update(f(47.5f)), 1);
    EXPECT_EQ(onOff_.update(f(47.49f)), 0);
    EXPECT_EQ(onOff_.update(f(52.0f)), 0);
}

TEST_F(OnOff, ExcessWithinEpsilonDoesNotSwitch) {
    EXPECT_EQ(onOff_.update(52.5 + 0.000005), 0);
    EXPECT_EQ(onOff_.update(52.5 + 0.00002), 1);
    EXPECT_EQ(onOff_.update(47.5 - 0.000005), 1);
    EXPECT_EQ(onOff_.update(47.5 - 0.00002), 0);
}

TEST_F(OnOff, ReverseActionSwapsTheStates) {
    OnOffSettings s = onOff_.settings();
    s.reverse = true;
    onOff_.setSettings(s);
    EXPECT_EQ(onOff_.update(60.0), 0);
    EXPECT_EQ(onOff_.update(40.0), 1);
    EXPECT_EQ(onOff_.update(50.0), 1);
    EXPECT_EQ(onOff_.update(60.0), 0);
}

TEST_F(OnOff, DeltasNeedNotBeEqual) {
    onOff_.setSettings(OnOffSettings{false, 50.0, 1.0, 5.0});  // band 45 to 51
    EXPECT_EQ(onOff_.update(51.5), 1);
    EXPECT_EQ(onOff_.update(46.0), 1);
    EXPECT_EQ(onOff_.update(44.5), 0);
}

TEST_F(OnOff, SetpointInputMovesTheBand) {
    onOff_.takeSetpoint(100.0);
    EXPECT_EQ(onOff_.update(60.0), 0);   // far under the new band
    EXPECT_EQ(onOff_.update(102.0), 0);  // inside 97.5..102.5
    EXPECT_EQ(onOff_.update(103.0), 1);
    onOff_.takeSetpoint(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(onOff_.settings().setpoint, 100.0);
}

TEST_F(OnOff, NaNInputKeepsTheState) {
    onOff_.update(60.0);
    EXPECT_EQ(onOff_.update(std::numeric_limits<double>::quiet_NaN()), 1);
}

TEST_F(OnOff, StateCanBeCarriedAcrossRuns) {
    onOff_.setState(7);  // any non-zero state is "on"
    EXPECT_EQ(onOff_.state(), 1);
    EXPECT_EQ(onOff_.update(50.0), 1);
}

}  // namespace
}  // namespace kestrune
