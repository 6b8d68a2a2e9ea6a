// A PID block closing the loop around a first-order plant, time stepped by
// the test: the block reads the plant through a wired source, the plant
// takes the block's output, one task period per scan.
//
// The tuning cancels the plant's pole: plant K / (tau s + 1) with K = 2,
// tau = 5 s, sampled every h = 0.1 s (exactly, the plant holds its input
// between scans); PI with P = 1 and I = 60 / tau = 12 repeats per minute, so
// c = I * dt = 0.02 with dt in minutes. Both forms then obey
//     u(k) - u(k-1) = P * ((1 + c) e(k) - e(k-1)),
// a controller zero at b = 1 / (1 + c) next to the plant pole a = exp(-h/tau).
// With g = P (1 + c) K (1 - a) the closed loop's poles are the roots of
//     z^2 - (1 + a - g) z + (a - g b) = 0,
// both real and in (0, 1) (0.9806 and 0.9592), and the step response is
//     y(k) = r (1 + A1 p1^k + A2 p2^k),  Ai = g (pi - b) / ((pi - 1)(pi - pj)),
// with both Ai negative: the process value rises monotonically, so the
// tuning implies no overshoot at all, and it is within 2 % after about 100
// scans. The test follows that curve scan by scan.

#include <gtest/gtest.h>

#include <cmath>

#include "blocks/control/pid_block.h"
#include "components/driver/first_order_plant.h"
#include "control_block_fixture.h"

namespace kestrune::control_test {
namespace {

constexpr double kGain = 2.0;
constexpr double kTau = 5.0;   // seconds
constexpr double kStep = 0.1;  // seconds per scan
constexpr double kP = 1.0;
constexpr double kI = 60.0 / kTau;  // repeats per minute

// The closed loop's step response from rest, as derived above.
struct ClosedLoopModel {
    double p1 = 0.0, p2 = 0.0, a1 = 0.0, a2 = 0.0;

    ClosedLoopModel() {
        const double a = std::exp(-kStep / kTau);
        const double c = kI * kStep / 60.0;
        const double b = 1.0 / (1.0 + c);
        const double g = kP * (1.0 + c) * kGain * (1.0 - a);
        const double sum = 1.0 + a - g;
        const double product = a - g * b;
        const double root = std::sqrt(sum * sum - 4.0 * product);
        p1 = (sum + root) / 2.0;
        p2 = (sum - root) / 2.0;
        a1 = g * (p1 - b) / ((p1 - 1.0) * (p1 - p2));
        a2 = g * (p2 - b) / ((p2 - 1.0) * (p2 - p1));
    }
    // The fraction of a setpoint step reached k scans after it.
    double reached(int k) const { return 1.0 + a1 * std::pow(p1, k) + a2 * std::pow(p2, k); }
};

class PidClosedLoopTest : public ControlBlockTest, public ::testing::WithParamInterface<PidForm> {
  protected:
    PidClosedLoopTest() {
        periodMs = static_cast<std::int32_t>(kStep * 1000.0);
        PidSettings s;
        s.p = kP;
        s.i = kI;
        s.form = GetParam();
        s.highClamp = 100.0;
        s.lowClamp = -100.0;
        s.rateClamp = 1e6;  // no rate limit: the loop stays linear
        pid.setSettings(s);
        wire(feedback, pid, PidBlock::kFeedback);
        wire(setpoint, pid, PidBlock::kSetpoint);
        start({&feedback, &setpoint, &pid});
    }

    // One scan at time k * h: read the plant, scan, hand the output over.
    double scanOnce() {
        const double t = static_cast<double>(k_++) * kStep;
        const double y = plant.read(t);
        feedback.set(static_cast<float>(y));
        EXPECT_EQ(pid.Scan(), kOk);
        plant.setInput(t, pid.outputValue(0)->toFloat());
        return y;
    }

    // Runs `scans` scans after a step of the setpoint from `from` to `to`;
    // returns the largest process value seen.
    double followStep(double from, double to, int scans) {
        setpoint.set(static_cast<float>(to));
        const double span = to - from;
        double highest = -1e9;
        int settledAt = -1;
        for (int k = 0; k < scans; ++k) {
            const double y = scanOnce();
            highest = std::max(highest, y);
            EXPECT_NEAR(y, from + span * model.reached(k), 0.005 * span) << "scan " << k;
            const bool within = std::fabs(y - to) <= 0.02 * std::fabs(to);
            if (within && settledAt < 0) settledAt = k;
            // Once within 2 % it stays there.
            if (settledAt >= 0) {
                EXPECT_TRUE(within) << "left the band at scan " << k << ": " << y;
            }
        }
        EXPECT_GE(settledAt, 0) << "never within 2 %";
        EXPECT_LE(settledAt, 110);
        return highest;
    }

    SourceBlock& feedback = addSource();
    SourceBlock& setpoint = addSource();
    PidBlock& pid = add<PidBlock>(kPidKind);
    FirstOrderPlant plant{PlantParams{kGain, kTau, 0.0, 0.0, 0.0, 1}};
    ClosedLoopModel model;
    long k_ = 0;
};

TEST_P(PidClosedLoopTest, ModelOfTheTuningHasNoOvershoot) {
    EXPECT_GT(model.p1, 0.0);
    EXPECT_LT(model.p1, 1.0);
    EXPECT_GT(model.p2, 0.0);
    EXPECT_LT(model.a1, 0.0);
    EXPECT_LT(model.a2, 0.0);
}

TEST_P(PidClosedLoopTest, ReachesTheSetpointAndFollowsAStepWithoutOvershoot) {
    const double first = followStep(0.0, 4.0, 300);
    EXPECT_LE(first, 4.0 * 1.001);
    const double second = followStep(4.0, 6.0, 300);
    EXPECT_LE(second, 6.0 + 0.001 * 2.0);
    EXPECT_NEAR(plant.output(static_cast<double>(k_) * kStep), 6.0, 0.02 * 6.0);
    // The controller's output settles where the plant needs it: r / K.
    EXPECT_NEAR(pid.outputValue(0)->toFloat(), 3.0, 0.01);
    EXPECT_FLOAT_EQ(tagFloat("PID1"), pid.outputValue(0)->toFloat());
}

INSTANTIATE_TEST_SUITE_P(BothForms, PidClosedLoopTest,
                         ::testing::Values(PidForm::Position, PidForm::Velocity), [](const auto& info) {
                             return info.param == PidForm::Position ? "Position" : "Velocity";
                         });

}  // namespace
}  // namespace kestrune::control_test
