#include "components/driver/first_order_plant.h"

#include <algorithm>
#include <cmath>

namespace kestrune {
namespace {

// Writes faster than the dead time drains them could grow the queue without
// bound; past this the newest pending change is overwritten instead, which
// only moves a step of a flood of steps by less than one write interval.
constexpr std::size_t kMaxPending = 1u << 16;

}  // namespace

FirstOrderPlant::FirstOrderPlant(const PlantParams& params, double startTime)
    : params_(params), time_(startTime), y_(params.initial), rng_(params.seed) {}

void FirstOrderPlant::integrate(double dt, double input) {
    if (dt <= 0.0) return;
    const double target = params_.gain * input;
    if (params_.tau <= 0.0) {
        y_ = target;
        return;
    }
    y_ = target + (y_ - target) * std::exp(-dt / params_.tau);
}

void FirstOrderPlant::advanceTo(double t) {
    while (!pending_.empty() && pending_.front().time <= t) {
        const Change c = pending_.front();
        pending_.pop_front();
        if (c.time > time_) {
            integrate(c.time - time_, input_);
            time_ = c.time;
        }
        input_ = c.value;
    }
    if (t > time_) {
        integrate(t - time_, input_);
        time_ = t;
    }
    // Without a lag the output is the input the moment it arrives.
    if (params_.tau <= 0.0) y_ = params_.gain * input_;
}

void FirstOrderPlant::setInput(double t, double u) {
    advanceTo(t);
    const double at = std::max(t, time_) + params_.deadTime;
    if (!pending_.empty() && pending_.back().time >= at) {
        // A write stamped no later than the one before it supersedes it.
        pending_.back().value = u;
        return;
    }
    if (pending_.size() >= kMaxPending) {
        pending_.back().value = u;
        return;
    }
    pending_.push_back({at, u});
    advanceTo(time_);  // with no dead time the change acts now
}

double FirstOrderPlant::output(double t) {
    advanceTo(t);
    return y_;
}

double FirstOrderPlant::read(double t) {
    const double y = output(t);
    if (params_.noise <= 0.0) return y;
    return y + params_.noise * noise_(rng_);
}

}  // namespace kestrune
