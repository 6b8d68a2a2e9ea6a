#include "blocks/control/on_off_algorithm.h"

#include <cmath>

namespace kestrune {

void OnOffAlgorithm::takeSetpoint(double value) {
    if (std::isfinite(value)) settings_.setpoint = value;
}

std::int32_t OnOffAlgorithm::update(double pv) {
    const double high = settings_.setpoint + settings_.deltaHigh;
    const double low = settings_.setpoint - settings_.deltaLow;
    const std::int32_t over = settings_.reverse ? 0 : 1;
    if (pv > high && pv - high > kEpsilon) {
        state_ = over;
    } else if (pv < low && low - pv > kEpsilon) {
        state_ = 1 - over;
    }
    return state_;
}

}  // namespace kestrune
