#include "blocks/control/pid_algorithm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kestrune {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTol = 1e-9;

// Wide clamps and no effective rate clamp, so that the hand-computed steps
// below show the bare control law.
PidSettings openLoop(PidForm form, double p, double i, double d) {
    PidSettings s;
    s.form = form;
    s.p = p;
    s.i = i;
    s.d = d;
    s.highClamp = 1000.0;
    s.lowClamp = -1000.0;
    s.rateClamp = 1e9;
    s.setpoint = 10.0;
    return s;
}

class PidHandComputed : public ::testing::Test {
  protected:
    // A 1000 ms task: dt = 1/60 minute. With P 2, I 3, D 0.05 that makes
    // Ki*dt = 0.05 and Td/dt = 3.
    static constexpr double kPeriodMs = 1000.0;
    const std::vector<double> pv_{0.0, 4.0, 7.0, 9.0};  // errors 10, 6, 3, 1 with SP 10
};

TEST_F(PidHandComputed, PositionFormFollowsTheFourPointLaw) {
    PidAlgorithm pid(openLoop(PidForm::Position, 2.0, 3.0, 0.05));
    pid.start(kPeriodMs);
    // q0 = Kp = 2, q1 = Kp*Ki*dt = 0.1, q2 = Kp*Td/dt = 6.
    EXPECT_NEAR(pid.coefficients().q0, 2.0, kTol);
    EXPECT_NEAR(pid.coefficients().q1, 0.1, kTol);
    EXPECT_NEAR(pid.coefficients().q2, 6.0, kTol);
    // u = 2e + 0.1*S + 6*(e + 3e1 - 3e2 - e3)/6
    //   scan 1: S 10, slope 10/6          -> 20 + 1.0 + 10  = 31
    //   scan 2: S 16, slope (6+30)/6 = 6   -> 12 + 1.6 + 36  = 49.6
    //   scan 3: S 19, slope (3+18-30)/6    -> 6 + 1.9 - 9    = -1.1
    //   scan 4: S 20, slope (1+9-18-10)/6  -> 2 + 2.0 - 18   = -14
    const double expected[] = {31.0, 49.6, -1.1, -14.0};
    const double sums[] = {10.0, 16.0, 19.0, 20.0};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(pid.update(pv_[k]), expected[k], kTol) << "scan " << k + 1;
        EXPECT_NEAR(pid.errorSum(), sums[k], kTol);
        EXPECT_EQ(pid.clampState(), PidClampState::Within);
    }
    EXPECT_DOUBLE_EQ(pid.error(0), 1.0);
    EXPECT_DOUBLE_EQ(pid.error(1), 3.0);
    EXPECT_DOUBLE_EQ(pid.error(2), 6.0);
    EXPECT_DOUBLE_EQ(pid.error(3), 10.0);
}

TEST_F(PidHandComputed, VelocityFormAddsIncrementsToThePreviousOutput) {
    PidAlgorithm pid(openLoop(PidForm::Velocity, 2.0, 3.0, 0.05));
    pid.start(kPeriodMs);
    // q0 = 2*(1 + 3 + 0.05) = 8.1, q1 = -2*(1 + 6) = -14, q2 = 2*3 = 6.
    EXPECT_NEAR(pid.coefficients().q0, 8.1, kTol);
    EXPECT_NEAR(pid.coefficients().q1, -14.0, kTol);
    EXPECT_NEAR(pid.coefficients().q2, 6.0, kTol);
    //   scan 1: 8.1*10                 = 81    -> 81
    //   scan 2: 48.6 - 140             = -91.4 -> -10.4
    //   scan 3: 24.3 - 84 + 60         = 0.3   -> -10.1
    //   scan 4: 8.1 - 42 + 36          = 2.1   -> -8.0
    const double expected[] = {81.0, -10.4, -10.1, -8.0};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(pid.update(pv_[k]), expected[k], kTol) << "scan " << k + 1;
    EXPECT_DOUBLE_EQ(pid.errorSum(), 0.0);  // the velocity form keeps no sum
}

class PidClamps : public ::testing::Test {
  protected:
    PidSettings proportional(double sp) {
        PidSettings s;  // P 1, I 0, D 0, clamps +-5, rate 600
        s.setpoint = sp;
        return s;
    }
};

TEST_F(PidClamps, SlowTaskReachesTheHighClamp) {
    PidAlgorithm pid(proportional(10.0));
    pid.start(10000.0);  // dt = 1/6 minute: the rate clamp allows 100 per scan
    EXPECT_DOUBLE_EQ(pid.dt(), 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(pid.update(0.0), 5.0);
    EXPECT_EQ(pid.clampState(), PidClampState::AtHigh);
}

TEST_F(PidClamps, FastTaskIsFirstLimitedByTheRate) {
    PidAlgorithm pid(proportional(10.0));
    pid.start(100.0);  // 600 per minute over 1/600 minute = 1.0
    EXPECT_NEAR(pid.update(0.0), 1.0, kTol);
    EXPECT_EQ(pid.clampState(), PidClampState::Within);
    EXPECT_NEAR(pid.update(0.0), 2.0, kTol);
}

TEST_F(PidClamps, RateClampAllowsTenPerScanOnASecondTask) {
    PidSettings s = openLoop(PidForm::Position, 100.0, 0.0, 0.0);
    s.rateClamp = 600.0;
    PidAlgorithm pid(s);
    pid.start(1000.0);
    double previous = 0.0;
    for (int k = 0; k < 5; ++k) {
        const double u = pid.update(0.0);  // P alone wants 1000
        EXPECT_NEAR(u - previous, 10.0, kTol);
        previous = u;
    }
    // Downward too: the error flips and the output falls by 10 per scan.
    pid.takeSetpoint(-10.0);
    EXPECT_NEAR(pid.update(0.0), previous - 10.0, kTol);
}

TEST_F(PidClamps, LowClampHoldsAndReportsItsSide) {
    PidAlgorithm pid(proportional(-10.0));
    pid.start(10000.0);
    EXPECT_DOUBLE_EQ(pid.update(0.0), -5.0);
    EXPECT_EQ(pid.clampState(), PidClampState::AtLow);
}

TEST_F(PidClamps, ErrorSumDoesNotWindUpWhileClamped) {
    PidSettings s = proportional(10.0);
    s.i = 60.0;  // with dt 1/60: q1 = 1, so u = e + S
    PidAlgorithm pid(s);
    pid.start(1000.0);
    for (int k = 0; k < 20; ++k) {
        pid.update(0.0);
        EXPECT_EQ(pid.clampState(), PidClampState::AtHigh);
    }
    EXPECT_DOUBLE_EQ(pid.errorSum(), 0.0);
    // The error goes away: with no wound-up sum the output leaves the clamp at once.
    EXPECT_DOUBLE_EQ(pid.update(10.0), 0.0);
    EXPECT_EQ(pid.clampState(), PidClampState::Within);
}

TEST_F(PidClamps, NegativeRateClampMeansNone) {
    PidSettings s = proportional(3.0);
    s.rateClamp = -1.0;
    PidAlgorithm pid(s);
    pid.start(1000.0);
    EXPECT_DOUBLE_EQ(pid.update(0.0), 3.0);  // not a step against the error
}

TEST_F(PidClamps, UndefinedClampOpensThatSide) {
    PidSettings s = proportional(10.0);
    s.highClamp = kNaN;
    s.rateClamp = 1e9;
    PidAlgorithm pid(s);
    pid.start(1000.0);
    EXPECT_DOUBLE_EQ(pid.update(0.0), 10.0);
    pid.takeSetpoint(-10.0);
    EXPECT_DOUBLE_EQ(pid.update(0.0), -5.0);  // the defined side still holds
}

class PidRun : public ::testing::Test {
  protected:
    PidRun() {
        PidSettings s = openLoop(PidForm::Position, 1.0, 60.0, 0.0);  // u = e + S at dt 1/60
        s.setpoint = 1.0;
        s.rateClamp = 600.0;
        pid_.setSettings(s);
        pid_.start(1000.0);
    }
    PidAlgorithm pid_;
};

TEST_F(PidRun, RestartKeepsHistoryAndSumButNotTheOutput) {
    EXPECT_DOUBLE_EQ(pid_.update(0.0), 2.0);  // e 1, S 1
    EXPECT_DOUBLE_EQ(pid_.update(0.0), 3.0);  // S 2
    pid_.start(1000.0);
    EXPECT_DOUBLE_EQ(pid_.output(), 0.0);
    EXPECT_DOUBLE_EQ(pid_.errorSum(), 2.0);
    EXPECT_DOUBLE_EQ(pid_.error(0), 1.0);
    EXPECT_DOUBLE_EQ(pid_.update(0.0), 4.0);  // S 3
}

TEST_F(PidRun, ClearStateForgetsEverything) {
    pid_.update(0.0);
    pid_.clearState();
    pid_.start(1000.0);
    EXPECT_DOUBLE_EQ(pid_.errorSum(), 0.0);
    EXPECT_DOUBLE_EQ(pid_.error(0), 0.0);
    EXPECT_DOUBLE_EQ(pid_.update(0.0), 2.0);
}

TEST_F(PidRun, NonFiniteProcessValueHoldsOutputAndState) {
    PidAlgorithm twin = pid_;
    pid_.update(0.0);
    twin.update(0.0);
    EXPECT_DOUBLE_EQ(pid_.update(kNaN), 2.0);
    EXPECT_TRUE(pid_.lastScanHeld());
    EXPECT_DOUBLE_EQ(pid_.update(std::numeric_limits<double>::infinity()), 2.0);
    // The bad scans left no trace: both controllers go on alike.
    EXPECT_DOUBLE_EQ(pid_.update(0.5), twin.update(0.5));
    EXPECT_FALSE(pid_.lastScanHeld());
    EXPECT_DOUBLE_EQ(pid_.errorSum(), twin.errorSum());
}

TEST_F(PidRun, NonFiniteGainHoldsInsteadOfPublishingNaN) {
    PidSettings s = pid_.settings();
    s.p = kNaN;
    pid_.setSettings(s);
    pid_.start(1000.0);
    EXPECT_DOUBLE_EQ(pid_.update(0.0), 0.0);
    EXPECT_TRUE(pid_.lastScanHeld());
}

TEST_F(PidRun, SetpointInputReplacesTheStoredSetpoint) {
    pid_.takeSetpoint(3.0);
    EXPECT_DOUBLE_EQ(pid_.settings().setpoint, 3.0);
    pid_.takeSetpoint(kNaN);
    EXPECT_DOUBLE_EQ(pid_.settings().setpoint, 3.0);
    EXPECT_DOUBLE_EQ(pid_.update(0.0), 6.0);  // e 3, S 3
}

TEST(PidFilter, FirstScanSeedsTheFilterThenItSmooths) {
    PidSettings s = openLoop(PidForm::Position, 1.0, 0.0, 0.0);
    s.setpoint = 0.0;
    s.filter = 0.5;
    PidAlgorithm pid(s);
    pid.start(1000.0);
    pid.update(10.0);
    EXPECT_DOUBLE_EQ(pid.filteredValue(), 10.0);  // not 5: the process was never at 0
    pid.update(20.0);
    EXPECT_DOUBLE_EQ(pid.filteredValue(), 15.0);  // 0.5*20 + 0.5*10
    EXPECT_DOUBLE_EQ(pid.output(), -15.0);
}

TEST(PidFilter, ConstantOutsideZeroToOneSwitchesTheFilterOff) {
    for (double alpha : {1.0, 1.5, -0.5, kNaN}) {
        PidSettings s = openLoop(PidForm::Position, 1.0, 0.0, 0.0);
        s.filter = alpha;
        PidAlgorithm pid(s);
        pid.start(1000.0);
        pid.update(10.0);
        pid.update(20.0);
        EXPECT_DOUBLE_EQ(pid.filteredValue(), 20.0) << "alpha " << alpha;
    }
}

TEST(PidPeriod, TaskWithoutPeriodLeavesOnlyTheProportionalTerm) {
    PidSettings s = openLoop(PidForm::Position, 2.0, 5.0, 1.0);
    s.setpoint = 3.0;
    s.rateClamp = 600.0;
    PidAlgorithm pid(s);
    pid.start(0.0);
    EXPECT_DOUBLE_EQ(pid.dt(), 0.0);
    EXPECT_DOUBLE_EQ(pid.coefficients().q1, 0.0);
    EXPECT_DOUBLE_EQ(pid.coefficients().q2, 0.0);
    EXPECT_DOUBLE_EQ(pid.update(0.0), 6.0);
    EXPECT_DOUBLE_EQ(pid.update(0.0), 6.0);
}

class PidRetune : public ::testing::Test {
  protected:
    PidRetune() : pid_(openLoop(PidForm::Velocity, 1.0, 6.0, 0.0)) { pid_.start(1000.0); }
    PidAlgorithm pid_;
};

TEST_F(PidRetune, ChangedInputsReplaceParametersAndRecompute) {
    EXPECT_NEAR(pid_.coefficients().q0, 1.1, kTol);  // 1*(1 + 0 + 6/60)
    EXPECT_TRUE(pid_.retune(2.0, std::nullopt, std::nullopt));
    EXPECT_DOUBLE_EQ(pid_.settings().p, 2.0);
    EXPECT_DOUBLE_EQ(pid_.settings().i, 6.0);
    EXPECT_NEAR(pid_.coefficients().q0, 2.2, kTol);
    EXPECT_FALSE(pid_.retune(2.0, 6.0, 0.0));  // nothing differs
    EXPECT_FALSE(pid_.retune(kNaN, std::nullopt, std::nullopt));
    EXPECT_DOUBLE_EQ(pid_.settings().p, 2.0);
}

TEST_F(PidRetune, HeldTriggerRetunesOnEveryChangeWithoutReset) {
    pid_.update(9.0);  // e 1: u = 1.1
    ASSERT_NEAR(pid_.output(), 1.1, kTol);
    for (double p : {2.0, 3.0, 4.0}) {
        EXPECT_TRUE(pid_.retune(p, std::nullopt, std::nullopt));
        const double before = pid_.output();
        // e stays 1, e(k-1) 1: delta = p*(1.1) - p = 0.1*p
        EXPECT_NEAR(pid_.update(9.0), before + 0.1 * p, kTol);
    }
}

TEST_F(PidRetune, RetuneWhileClampedKeepsIntegralAction) {
    PidSettings s = pid_.settings();
    s.highClamp = 0.5;
    pid_.setSettings(s);
    pid_.start(1000.0);
    pid_.update(0.0);  // e 10: held at 0.5
    ASSERT_EQ(pid_.clampState(), PidClampState::AtHigh);
    ASSERT_TRUE(pid_.retune(2.0, std::nullopt, std::nullopt));
    EXPECT_NEAR(pid_.coefficients().q0, 2.2, kTol);  // 2*(1 + 0.1), integral term kept
}

}  // namespace
}  // namespace kestrune
