#pragma once
// The arithmetic of the PID block: a discrete PID in position or velocity
// form, with a first-order filter on the process value, output clamps that
// double as anti-windup, and a rate clamp. The block owns the ports and the
// tag; it feeds this class the values it read and publishes output().
//
// Units: the task period is given in milliseconds and the controller works in
// minutes, so the I value is in repeats per minute and the D value in minutes.
//
// The controller state (error history, error sum) belongs to the block's
// lifetime, not to a run: start() restarts the output from 0 but keeps the
// history, so a stopped and restarted loop resumes its integral.
//
// Not thread-safe: the owning task's thread is the only caller while running.

#include <array>
#include <cstdint>
#include <optional>

namespace kestrune {

enum class PidForm : std::uint8_t { Position = 0, Velocity = 1 };

// 0 within the limits; otherwise the side the output is held at.
enum class PidClampState : std::uint8_t { Within = 0, AtLow = 1, AtHigh = 2 };

struct PidSettings {
    double p = 1.0;  // proportional gain
    double i = 0.0;  // integral gain, repeats per minute
    double d = 0.0;  // derivative time, minutes
    double highClamp = 5.0;
    double lowClamp = -5.0;
    double setpoint = 0.0;
    PidForm form = PidForm::Position;
    double filter = 0.0;       // alpha of the process-value filter, meaningful in [0, 1)
    double rateClamp = 600.0;  // largest output change per minute
};

struct PidCoefficients {
    double q0 = 0.0;
    double q1 = 0.0;
    double q2 = 0.0;
};

class PidAlgorithm {
  public:
    PidAlgorithm() = default;
    explicit PidAlgorithm(const PidSettings& settings) : settings_(settings) {}

    // The settings as configured and as retuned at run time through the
    // setpoint and parameter inputs (the block stores these in its record).
    const PidSettings& settings() const { return settings_; }
    // New settings take effect at the next start(), which computes the
    // coefficients; the controller state is kept.
    void setSettings(const PidSettings& settings) { settings_ = settings; }

    // Forgets the error history, the error sum and everything else a run left
    // behind: for a block just created or loaded.
    void clearState();

    // Run start: the sample time comes from the task period, the output
    // restarts from 0, the filter and the clamp state are reset and the
    // coefficients computed. The error history and sum survive.
    void start(double periodMs);

    // The value of a wired "Setpoint" input, every scan. A non-finite value
    // is ignored: a broken source must not drive the loop.
    void takeSetpoint(double value);

    // While the wired trigger is non-zero: each given parameter that differs
    // from the current P, I or D replaces it, and the coefficients are
    // recomputed (the state is kept). Non-finite values are ignored. Returns
    // whether anything changed.
    bool retune(std::optional<double> p, std::optional<double> i, std::optional<double> d);

    // One scan with the process value `pv` from the wired "Feedback" input.
    // Returns the new output. A non-finite process value or result leaves the
    // output and the whole state as they were (the output holds) and
    // lastScanHeld() tells so.
    double update(double pv);

    double output() const { return output_; }
    bool lastScanHeld() const { return held_; }
    PidClampState clampState() const { return clampState_; }
    double dt() const { return dt_; }  // minutes; 0 when the task has no period
    const PidCoefficients& coefficients() const { return q_; }
    double errorSum() const { return errorSum_; }
    // e(k - age) for age 0..3, as of the last computed scan; 0 for any other age.
    double error(int age) const {
        return (age >= 0 && age < 4) ? errors_[static_cast<std::size_t>(age)] : 0.0;
    }
    double filteredValue() const { return filtered_; }

  private:
    void computeCoefficients();
    double filterConstant() const;
    double applyRateClamp(double u) const;
    double applyClamps(double u, PidClampState& state) const;

    PidSettings settings_;
    PidCoefficients q_;
    double dt_ = 0.0;
    double lastSetpoint_ = 0.0;
    std::array<double, 4> errors_{};  // e(k), e(k-1), e(k-2), e(k-3)
    double errorSum_ = 0.0;
    double filtered_ = 0.0;
    bool filterPrimed_ = false;
    double output_ = 0.0;
    PidClampState clampState_ = PidClampState::Within;
    bool held_ = false;
};

}  // namespace kestrune
