#include "blocks/control/average_algorithm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>

namespace kestrune {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

AverageAlgorithm started(AverageMode mode, std::uint16_t window = 10, std::int32_t limit = 0) {
    AverageAlgorithm avg(AverageSettings{window, mode},
                         limit > 0 ? limit : AverageAlgorithm::kWholeCountLimit);
    EXPECT_EQ(avg.start(), kOk);
    return avg;
}

TEST(MovingAverage, WindowOfThree) {
    AverageAlgorithm avg = started(AverageMode::Moving, 3);
    EXPECT_DOUBLE_EQ(avg.output(), 0.0);
    EXPECT_DOUBLE_EQ(avg.add(3.0), 3.0);
    EXPECT_DOUBLE_EQ(avg.add(6.0), 4.5);
    EXPECT_DOUBLE_EQ(avg.add(9.0), 6.0);
    EXPECT_DOUBLE_EQ(avg.add(12.0), 9.0);
    EXPECT_DOUBLE_EQ(avg.add(0.0), 7.0);
    EXPECT_EQ(avg.count(), 3);
}

TEST(MovingAverage, ResetEmptiesTheWindowAndZeroesTheOutput) {
    AverageAlgorithm avg = started(AverageMode::Moving, 3);
    avg.add(100.0);
    avg.add(200.0);
    avg.reset();
    EXPECT_DOUBLE_EQ(avg.output(), 0.0);
    EXPECT_EQ(avg.count(), 0);
    EXPECT_DOUBLE_EQ(avg.add(4.0), 4.0);  // no trace of the old samples
    EXPECT_DOUBLE_EQ(avg.add(8.0), 6.0);
    EXPECT_DOUBLE_EQ(avg.add(12.0), 8.0);
    EXPECT_DOUBLE_EQ(avg.add(16.0), 12.0);
}

TEST(MovingAverage, WindowOfZeroActsAsOne) {
    AverageAlgorithm avg = started(AverageMode::Moving, 0);
    EXPECT_DOUBLE_EQ(avg.add(5.0), 5.0);
    EXPECT_DOUBLE_EQ(avg.add(7.0), 7.0);
}

TEST(MovingAverage, NonFiniteSampleIsSkipped) {
    AverageAlgorithm avg = started(AverageMode::Moving, 2);
    avg.add(2.0);
    EXPECT_DOUBLE_EQ(avg.add(kNaN), 2.0);
    EXPECT_DOUBLE_EQ(avg.add(std::numeric_limits<double>::infinity()), 2.0);
    EXPECT_DOUBLE_EQ(avg.add(4.0), 3.0);
}

TEST(MovingAverage, LargeSampleLeavesNoResidueWhenItLeaves) {
    // Adding 1e15 and subtracting it later loses the small samples' low bits
    // in a plain running sum.
    AverageAlgorithm avg = started(AverageMode::Moving, 4);
    avg.add(1e15);
    for (int k = 0; k < 4; ++k) avg.add(0.1);
    EXPECT_NEAR(avg.output(), 0.1, 1e-16);
}

TEST(MovingAverage, LongRunMatchesTheWindowRecomputed) {
    AverageAlgorithm avg = started(AverageMode::Moving, 7);
    std::deque<double> last;
    double x = 0.5;
    for (int k = 0; k < 1'000'000; ++k) {
        x = 3.9 * x * (1.0 - x);  // chaotic, so the samples do not repeat
        const double sample = 1000.0 * x + (k % 2 ? 1e6 : -1e6);
        avg.add(sample);
        last.push_back(sample);
        if (last.size() > 7) last.pop_front();
    }
    long double exact = 0.0L;
    for (double v : last) exact += v;
    EXPECT_NEAR(avg.output(), static_cast<double>(exact / 7.0L), 1e-9);
}

TEST(MovingAverage, AddBeforeStartIsHarmless) {
    AverageAlgorithm avg(AverageSettings{3, AverageMode::Moving});
    EXPECT_DOUBLE_EQ(avg.add(5.0), 0.0);
}

TEST(WholeAverage, AveragesEverySampleSinceStart) {
    AverageAlgorithm avg = started(AverageMode::Whole);
    EXPECT_DOUBLE_EQ(avg.add(3.0), 3.0);
    EXPECT_DOUBLE_EQ(avg.add(6.0), 4.5);
    EXPECT_DOUBLE_EQ(avg.add(9.0), 6.0);
    EXPECT_DOUBLE_EQ(avg.add(12.0), 7.5);
    EXPECT_EQ(avg.count(), 4);
}

TEST(WholeAverage, ResetForgetsSamplesButKeepsTheOutputUntilTheNext) {
    AverageAlgorithm avg = started(AverageMode::Whole);
    avg.add(10.0);
    avg.add(20.0);
    avg.reset();
    EXPECT_EQ(avg.count(), 0);
    EXPECT_DOUBLE_EQ(avg.output(), 15.0);
    EXPECT_DOUBLE_EQ(avg.add(1.0), 1.0);
}

TEST(WholeAverage, PastTheCountLimitEachSampleReplacesOneAverageShare) {
    AverageAlgorithm avg = started(AverageMode::Whole, 10, 4);
    for (int k = 0; k < 4; ++k) avg.add(10.0);
    // sum 40 - 40/4 + 20 = 50, still over 4 samples
    EXPECT_DOUBLE_EQ(avg.add(20.0), 12.5);
    EXPECT_EQ(avg.count(), 4);
    // 50 - 12.5 + 20 = 57.5
    EXPECT_DOUBLE_EQ(avg.add(20.0), 14.375);
}

TEST(WholeAverage, MillionsOfSamplesDoNotDrift) {
    // A plain double sum of ten million 0.1s ends near 999999.99983: an
    // average off in the eleventh digit and getting worse.
    AverageAlgorithm avg = started(AverageMode::Whole);
    for (int k = 0; k < 10'000'000; ++k) avg.add(0.1);
    EXPECT_NEAR(avg.output(), 0.1, 1e-16);
}

TEST(WholeAverage, NonFiniteSampleIsSkipped) {
    AverageAlgorithm avg = started(AverageMode::Whole);
    avg.add(4.0);
    EXPECT_DOUBLE_EQ(avg.add(kNaN), 4.0);
    EXPECT_EQ(avg.count(), 1);
    EXPECT_DOUBLE_EQ(avg.add(8.0), 6.0);
}

TEST(AverageStart, StartClearsTheLastRun) {
    for (AverageMode mode : {AverageMode::Moving, AverageMode::Whole}) {
        AverageAlgorithm avg = started(mode, 3);
        avg.add(9.0);
        ASSERT_EQ(avg.start(), kOk);
        EXPECT_DOUBLE_EQ(avg.output(), 0.0);
        EXPECT_EQ(avg.count(), 0);
        EXPECT_DOUBLE_EQ(avg.add(1.0), 1.0);
    }
}

TEST(CompensatedSumTest, RecoversWhatAPlainSumLoses) {
    CompensatedSum sum;
    sum.add(1.0);
    sum.add(1e100);
    sum.add(1.0);
    sum.add(-1e100);
    EXPECT_DOUBLE_EQ(sum.value(), 2.0);
}

}  // namespace
}  // namespace kestrune
