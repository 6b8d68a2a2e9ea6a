#include "components/driver/first_order_plant.h"

#include <cmath>

#include <gtest/gtest.h>

namespace kestrune {
namespace {

PlantParams params(double gain, double tau, double dead) {
    PlantParams p;
    p.gain = gain;
    p.tau = tau;
    p.deadTime = dead;
    return p;
}

TEST(FirstOrderPlant, StepResponseFollowsTheFirstOrderCurveAfterTheDeadTime) {
    FirstOrderPlant plant(params(2.0, 5.0, 1.0));
    plant.setInput(0.0, 3.0);
    EXPECT_DOUBLE_EQ(plant.output(0.999), 0.0);  // nothing before the dead time
    EXPECT_DOUBLE_EQ(plant.output(1.0), 0.0);
    // One time constant after the dead time: 63.2 % of K*u.
    EXPECT_NEAR(plant.output(6.0), 6.0 * (1 - std::exp(-1.0)), 1e-9);
    EXPECT_NEAR(plant.output(6.0) / 6.0, 0.632, 0.001);
    // Five time constants: within 1 % of K*u.
    EXPECT_NEAR(plant.output(26.0), 6.0, 0.06);
    EXPECT_NEAR(plant.output(1000.0), 6.0, 1e-9);
}

TEST(FirstOrderPlant, OneLongStepEqualsManySmallOnes) {
    FirstOrderPlant coarse(params(1.5, 2.0, 0.3));
    FirstOrderPlant fine(params(1.5, 2.0, 0.3));
    coarse.setInput(0.0, 4.0);
    fine.setInput(0.0, 4.0);
    coarse.setInput(1.0, -2.0);
    double y = 0;
    for (int i = 1; i <= 10000; ++i) {
        const double t = i * 0.001;
        if (i == 1000) fine.setInput(1.0, -2.0);
        y = fine.output(t);
    }
    EXPECT_NEAR(coarse.output(10.0), y, 1e-9);
}

TEST(FirstOrderPlant, InputChangesReachTheProcessInOrderAfterTheDeadTime) {
    FirstOrderPlant plant(params(1.0, 0.0, 2.0));  // tau 0: output is the delayed input itself
    plant.setInput(0.0, 1.0);
    plant.setInput(1.0, 5.0);
    plant.setInput(1.5, 7.0);
    EXPECT_DOUBLE_EQ(plant.output(1.9), 0.0);
    EXPECT_DOUBLE_EQ(plant.output(2.0), 1.0);
    EXPECT_DOUBLE_EQ(plant.output(3.2), 5.0);
    EXPECT_DOUBLE_EQ(plant.output(3.5), 7.0);
}

TEST(FirstOrderPlant, TimeNeverRunsBackward) {
    FirstOrderPlant plant(params(1.0, 1.0, 0.0));
    plant.setInput(0.0, 1.0);
    const double later = plant.output(3.0);
    EXPECT_DOUBLE_EQ(plant.output(1.0), later);
    plant.setInput(2.0, 0.0);  // a late write acts from the plant's present
    EXPECT_DOUBLE_EQ(plant.output(3.0), later);
    EXPECT_LT(plant.output(4.0), later);
}

TEST(FirstOrderPlant, NoiseIsSeededAndCentredOnTheOutput) {
    PlantParams p = params(1.0, 1.0, 0.0);
    p.noise = 0.1;
    p.seed = 42;
    FirstOrderPlant a(p), b(p);
    a.setInput(0.0, 2.0);
    b.setInput(0.0, 2.0);
    double sum = 0;
    for (int i = 0; i < 2000; ++i) {
        const double ra = a.read(100.0);
        EXPECT_EQ(ra, b.read(100.0));
        sum += ra;
    }
    EXPECT_NEAR(sum / 2000, 2.0, 0.02);
    EXPECT_NE(a.read(100.0), 2.0);
}

TEST(FirstOrderPlant, AFloodOfWritesWithinTheDeadTimeStillEndsOnTheLastValue) {
    FirstOrderPlant plant(params(1.0, 0.0, 1000.0));
    for (int i = 0; i < 200000; ++i) plant.setInput(i * 1e-3, i % 2 ? 1.0 : 3.0);
    plant.setInput(200.0, 9.0);
    EXPECT_DOUBLE_EQ(plant.output(5000.0), 9.0);
}

}  // namespace
}  // namespace kestrune
