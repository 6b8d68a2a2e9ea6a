#include "blocks/control/pid_algorithm.h"

#include <cmath>
#include <limits>

namespace kestrune {
namespace {

constexpr double kMsPerMinute = 60000.0;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

void PidAlgorithm::clearState() {
    errors_ = {};
    errorSum_ = 0.0;
    filtered_ = 0.0;
    filterPrimed_ = false;
    output_ = 0.0;
    clampState_ = PidClampState::Within;
    held_ = false;
}

void PidAlgorithm::start(double periodMs) {
    // A task without a period has no sample time: the time-based terms (integral,
    // derivative, rate clamp) then drop out instead of dividing by zero.
    dt_ = (std::isfinite(periodMs) && periodMs > 0.0) ? periodMs / kMsPerMinute : 0.0;
    output_ = 0.0;
    lastSetpoint_ = settings_.setpoint;
    clampState_ = PidClampState::Within;
    filtered_ = 0.0;
    filterPrimed_ = false;
    held_ = false;
    computeCoefficients();
}

void PidAlgorithm::computeCoefficients() {
    const double kp = settings_.p;
    const double ki = settings_.i;
    const double tdOverDt = dt_ > 0.0 ? settings_.d / dt_ : 0.0;
    if (settings_.form == PidForm::Position) {
        q_.q0 = kp;
        q_.q1 = kp * ki * dt_;
        q_.q2 = kp * tdOverDt;
    } else {
        // The integral term stays in q0 whatever the clamp state: the velocity
        // form adds to an output that is itself clamped, so it cannot wind up,
        // and dropping the term because of the clamp state at the moment of a
        // retune would take integral action away until the next retune.
        q_.q0 = kp * (1.0 + tdOverDt + ki * dt_);
        q_.q1 = -kp * (1.0 + 2.0 * tdOverDt);
        q_.q2 = kp * tdOverDt;
    }
}

void PidAlgorithm::takeSetpoint(double value) {
    if (!std::isfinite(value) || value == lastSetpoint_) return;
    settings_.setpoint = value;
    lastSetpoint_ = value;
}

bool PidAlgorithm::retune(std::optional<double> p, std::optional<double> i, std::optional<double> d) {
    bool changed = false;
    auto take = [&changed](std::optional<double> input, double& parameter) {
        if (!input || !std::isfinite(*input) || *input == parameter) return;
        parameter = *input;
        changed = true;
    };
    take(p, settings_.p);
    take(i, settings_.i);
    take(d, settings_.d);
    if (changed) computeCoefficients();
    return changed;
}

double PidAlgorithm::filterConstant() const {
    // Outside [0, 1) the filter is unstable (the filtered value grows without
    // bound) or frozen (alpha 1 never looks at the process again), so such a
    // constant switches the filter off.
    const double alpha = settings_.filter;
    return (alpha >= 0.0 && alpha < 1.0) ? alpha : 0.0;
}

double PidAlgorithm::applyRateClamp(double u) const {
    const double limit = settings_.rateClamp;
    // A negative or undefined limit would push the output against the
    // controller's own direction; it means no rate clamp.
    if (dt_ <= 0.0 || !(limit >= 0.0)) return u;
    const double change = u - output_;
    if (std::fabs(change / dt_) <= limit) return u;
    return output_ + std::copysign(limit * dt_, change);
}

double PidAlgorithm::applyClamps(double u, PidClampState& state) const {
    // An undefined clamp is no clamp on that side.
    const double high = std::isnan(settings_.highClamp) ? kInfinity : settings_.highClamp;
    const double low = std::isnan(settings_.lowClamp) ? -kInfinity : settings_.lowClamp;
    if (u > high) {
        state = PidClampState::AtHigh;
        return high;
    }
    if (u >= low) {
        state = PidClampState::Within;
        return u;
    }
    state = PidClampState::AtLow;
    return low;
}

double PidAlgorithm::update(double pv) {
    const double sp = settings_.setpoint;
    held_ = true;
    if (!std::isfinite(pv) || !std::isfinite(sp)) return output_;

    // The first scan of a run seeds the filter with the process value; starting
    // it from 0 would show the loop a false error that decays over many scans.
    const double alpha = filterConstant();
    const double yf = filterPrimed_ ? (1.0 - alpha) * pv + alpha * filtered_ : pv;
    const double e = sp - yf;
    const std::array<double, 4> errors{e, errors_[0], errors_[1], errors_[2]};

    double u = 0.0;
    double sum = errorSum_;
    if (settings_.form == PidForm::Position) {
        sum += e;
        // Derivative from four points, which smooths the noise of one sample.
        const double slope = (errors[0] + 3.0 * errors[1] - 3.0 * errors[2] - errors[3]) / 6.0;
        u = q_.q0 * e + q_.q1 * sum + q_.q2 * slope;
    } else {
        u = output_ + q_.q0 * errors[0] + q_.q1 * errors[1] + q_.q2 * errors[2];
    }

    // A NaN here would pass the rate clamp as a full-rate step, so it is caught
    // first; an infinite result is tamed by the clamps unless they are open.
    if (std::isnan(u)) return output_;
    PidClampState state = PidClampState::Within;
    u = applyClamps(applyRateClamp(u), state);
    if (!std::isfinite(u)) return output_;

    errors_ = errors;
    // The sum grows only while the output is within the clamps: integrating
    // while held at a limit would wind up and overshoot when the error turns.
    if (settings_.form == PidForm::Position && state == PidClampState::Within) errorSum_ = sum;
    filtered_ = yf;
    filterPrimed_ = true;
    clampState_ = state;
    output_ = u;
    held_ = false;
    return output_;
}

}  // namespace kestrune
