#include "blocks/control/ramp_generator.h"

#include <cmath>

namespace kestrune {

void RampGenerator::start() {
    restart();
    firstScan_ = true;
}

void RampGenerator::restart() {
    value_ = settings_.start;
    steps_ = 0.0;
}

double RampGenerator::stepSize() const {
    const double size = std::fabs(settings_.step);
    // A negative step would send the ramp away from its stop value for ever.
    return std::isfinite(size) ? size : 0.0;
}

bool RampGenerator::scan(bool reset, bool hold) {
    if (firstScan_) {
        firstScan_ = false;
        return false;
    }
    if (reset) {
        restart();
        return false;
    }
    if (hold) return false;

    const double start = settings_.start;
    const double stop = settings_.stop;
    const double step = stepSize();
    const double snap = kSnapFraction * step;
    if (stop > start) {
        if (value_ < stop) {
            steps_ += 1.0;
            value_ = start + steps_ * step;
            if (value_ + snap > stop) value_ = stop;
            return true;
        }
    } else if (value_ > stop) {
        steps_ += 1.0;
        value_ = start - steps_ * step;
        // The same margin as upward, so that a value a rounding error short of
        // the stop value does not take one more scan to get there.
        if (value_ - snap < stop) value_ = stop;
        return true;
    }
    if (settings_.autoReset) {
        restart();
    } else {
        value_ = stop;
    }
    return true;
}

}  // namespace kestrune
