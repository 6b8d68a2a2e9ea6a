#pragma once
// The two-position controller of the ON-OFF block: the state switches when the
// process value leaves a band around the setpoint and holds inside it, so the
// output does not chatter while the value hovers near the setpoint.
//
// Not thread-safe: the owning task's thread is the only caller while running.

#include <cstdint>

namespace kestrune {

struct OnOffSettings {
    // false: over the high limit gives 1, under the low limit 0; true the reverse.
    bool reverse = false;
    double setpoint = 0.0;  // used while the "Setpoint" input is not wired
    double deltaHigh = 2.5;
    double deltaLow = 2.5;
};

class OnOffAlgorithm {
  public:
    // A limit counts as passed only by more than this, so that a value equal to
    // the limit up to rounding keeps the state.
    static constexpr double kEpsilon = 0.00001;

    OnOffAlgorithm() = default;
    explicit OnOffAlgorithm(const OnOffSettings& settings) : settings_(settings) {}

    const OnOffSettings& settings() const { return settings_; }
    void setSettings(const OnOffSettings& settings) { settings_ = settings; }

    // The value of a wired "Setpoint" input, every scan; it replaces the
    // configured setpoint. A non-finite value is ignored.
    void takeSetpoint(double value);

    // One scan with the process value from the wired "Input". Returns the state.
    // A NaN process value passes no limit and so keeps the state.
    std::int32_t update(double pv);

    // 0 after creation; a run keeps what the previous run left.
    std::int32_t state() const { return state_; }
    void setState(std::int32_t state) { state_ = state != 0 ? 1 : 0; }

  private:
    OnOffSettings settings_;
    std::int32_t state_ = 0;
};

}  // namespace kestrune
