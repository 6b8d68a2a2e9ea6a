#include "components/driver/sim_counters.h"

#include <algorithm>
#include <cmath>

#include "components/driver/driver_codes.h"

namespace kestrune {

SimCounters::SimCounters(std::vector<CounterSpec> specs) : specs_(std::move(specs)), states_(specs_.size()) {}

bool SimCounters::gateOpen(std::size_t counter, std::uint16_t gateMode) const {
    switch (gateMode) {
        case 1:
            return specs_[counter].gateHigh;
        case 2:
            return !specs_[counter].gateHigh;
        default:
            return true;
    }
}

Code SimCounters::eventStart(const PT_CounterEventStart& p, double now) {
    if (p.counter >= states_.size()) return driverCode(DriverError::InvalidCounter);
    if (p.GateMode > 2) return driverCode(DriverError::InvalidParameter);
    states_[p.counter] = {Mode::Event, now, p.GateMode, 0.0, 0.0};
    return kOk;
}

Code SimCounters::eventRead(const PT_CounterEventRead& p, double now) const {
    if (!p.overflow || !p.count) return driverCode(DriverError::InvalidParameter);
    if (p.counter >= states_.size()) return driverCode(DriverError::InvalidCounter);
    const State& s = states_[p.counter];
    if (s.mode != Mode::Event) return driverCode(DriverError::CounterNotStarted);
    double events = 0.0;
    if (gateOpen(p.counter, s.gateMode))
        events = std::floor(std::max(0.0, now - s.start) * specs_[p.counter].rate);
    // The hardware register is 32 bits wide: it wraps and flags the overflow.
    constexpr double kWrap = 4294967296.0;
    *p.overflow = events >= kWrap ? 1 : 0;
    *p.count = static_cast<std::uint32_t>(std::fmod(events, kWrap));
    return kOk;
}

Code SimCounters::freqStart(const PT_CounterFreqStart& p, double now) {
    if (p.counter >= states_.size()) return driverCode(DriverError::InvalidCounter);
    if (p.GateMode > 2) return driverCode(DriverError::InvalidParameter);
    states_[p.counter] = {Mode::Frequency, now, p.GateMode, 0.0, 0.0};
    return kOk;
}

Code SimCounters::freqRead(const PT_CounterFreqRead& p) const {
    if (!p.freq) return driverCode(DriverError::InvalidParameter);
    if (p.counter >= states_.size()) return driverCode(DriverError::InvalidCounter);
    const State& s = states_[p.counter];
    if (s.mode != Mode::Frequency) return driverCode(DriverError::CounterNotStarted);
    *p.freq = gateOpen(p.counter, s.gateMode) ? static_cast<float>(specs_[p.counter].rate) : 0.0f;
    return kOk;
}

Code SimCounters::pulseStart(const PT_CounterPulseStart& p, double now) {
    if (p.counter >= states_.size()) return driverCode(DriverError::InvalidCounter);
    if (!std::isfinite(p.period) || !std::isfinite(p.UpCycle) || p.period <= 0.0f || p.UpCycle <= 0.0f ||
        p.UpCycle >= p.period)
        return driverCode(DriverError::InvalidPulseTiming);
    states_[p.counter] = {Mode::Pulse, now, p.GateMode, p.period, p.UpCycle};
    return kOk;
}

Code SimCounters::reset(std::uint16_t counter) {
    if (counter >= states_.size()) return driverCode(DriverError::InvalidCounter);
    states_[counter] = State{};
    return kOk;
}

bool SimCounters::pulseLevel(std::uint16_t counter, double now) const {
    if (counter >= states_.size() || states_[counter].mode != Mode::Pulse) return false;
    const State& s = states_[counter];
    const double phase = std::fmod(std::max(0.0, now - s.start), s.period);
    return phase < s.upCycle;
}

}  // namespace kestrune
