#pragma once
// The arithmetic of the average block: the mean of the last N samples (moving
// average) or of every sample since the run started or the last reset (whole
// average).
//
// Both sums are compensated (Neumaier), and the moving window's sum is rebuilt
// from the window once per pass through it, so neither drifts however long the
// run: a running sum that adds each sample and later subtracts it again would
// carry every rounding error forever.
//
// Not thread-safe: the owning task's thread is the only caller while running.

#include <cstdint>
#include <limits>
#include <vector>

#include "platform/status.h"

namespace kestrune {

enum class AverageMode : std::uint16_t { Moving = 0, Whole = 1 };

struct AverageSettings {
    std::uint16_t windowSize = 10;  // used by the moving average; 0 counts as 1
    AverageMode mode = AverageMode::Moving;
};

// A sum that keeps the low-order bits each addition loses.
class CompensatedSum {
  public:
    void add(double value);
    double value() const { return sum_ + compensation_; }
    void clear() { sum_ = compensation_ = 0.0; }

  private:
    double sum_ = 0.0;
    double compensation_ = 0.0;
};

class AverageAlgorithm {
  public:
    // The whole average counts at most this many samples; past it each new
    // sample replaces one average sample's worth of the sum.
    static constexpr std::int32_t kWholeCountLimit = std::numeric_limits<std::int32_t>::max();

    // `wholeCountLimit` exists so that the behaviour past the limit can be
    // exercised without two billion samples.
    explicit AverageAlgorithm(const AverageSettings& settings = {},
                              std::int32_t wholeCountLimit = kWholeCountLimit);

    const AverageSettings& settings() const { return settings_; }
    // Takes effect at the next start().
    void setSettings(const AverageSettings& settings) { settings_ = settings; }

    // Run start: every sum, count and the output become 0 and the moving
    // window is allocated; kMsgOutOfMemory when it cannot be.
    Code start();

    // The wired "Reset" input is non-zero. The whole average forgets its
    // samples but keeps showing its output until the next sample; the moving
    // average empties its window and its output becomes 0.
    void reset();

    // One sample from the wired "Input"; returns the output. A non-finite
    // sample is skipped: one bad reading must not turn the average into NaN
    // for the rest of the run (the whole average) or for a window (the moving).
    double add(double sample);

    double output() const { return output_; }
    // Samples behind the output: those in the window, or counted by the whole
    // average.
    std::int32_t count() const;

  private:
    double addWhole(double sample);
    double addMoving(double sample);
    void rebuildWindowSum();

    AverageSettings settings_;
    std::int32_t wholeCountLimit_;
    double output_ = 0.0;

    std::int32_t wholeCount_ = 0;
    CompensatedSum wholeSum_;

    std::vector<double> window_;
    std::size_t held_ = 0;
    std::size_t next_ = 0;
    CompensatedSum windowSum_;
};

}  // namespace kestrune
