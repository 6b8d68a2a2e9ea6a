#pragma once
// The profile of the ramp block: one step per scan from the start value
// toward the stop value, then either back to the start (auto reset) or
// staying at the stop value. The direction follows from the two values; the
// step gives only the size.
//
// The value is computed as start +/- n * step from a count of steps rather
// than by adding the step again and again, so a long ramp lands where it
// should and does not gather rounding errors.
//
// Not thread-safe: the owning task's thread is the only caller while running.

#include <cstdint>

namespace kestrune {

struct RampSettings {
    double start = 0.0;
    double stop = 5.0;
    double step = 0.1;  // its size is used; 0 (or NaN) leaves the ramp standing at its start
    bool autoReset = true;
};

class RampGenerator {
  public:
    // The last step snaps to the stop value when it would end closer to it
    // than this fraction of a step (past it, or short of it by rounding).
    static constexpr double kSnapFraction = 0.1;

    RampGenerator() = default;
    explicit RampGenerator(const RampSettings& settings) : settings_(settings) {}

    const RampSettings& settings() const { return settings_; }
    // Takes effect at the next start().
    void setSettings(const RampSettings& settings) { settings_ = settings; }

    // Run start: the value is the start value (the block publishes it) and the
    // next scan is the first one, which only arms the ramp.
    void start();

    // One scan; `reset` and `hold` are whether those inputs are wired and
    // non-zero. Returns whether the block should publish value(): not on the
    // first scan, not on a reset (the value returns to the start silently) and
    // not while held.
    bool scan(bool reset, bool hold);

    double value() const { return value_; }

  private:
    double stepSize() const;
    void restart();

    RampSettings settings_;
    double value_ = 0.0;
    double steps_ = 0.0;  // steps taken since the value was last the start value
    bool firstScan_ = true;
};

}  // namespace kestrune
