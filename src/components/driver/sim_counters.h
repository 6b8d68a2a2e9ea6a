#pragma once
// The counter/timer channels of a simulated board. Each counter's input sees
// events at a fixed rate; counts and frequencies are computed from the time
// since the start, so they depend only on the clock. Not thread-safe: the
// board calls it under its own lock.

#include <cstdint>
#include <vector>

#include "components/driver/driver_params.h"
#include "components/driver/sim_board_settings.h"
#include "platform/status.h"

namespace kestrune {

class SimCounters {
  public:
    explicit SimCounters(std::vector<CounterSpec> specs);

    std::size_t size() const { return specs_.size(); }

    Code eventStart(const PT_CounterEventStart& p, double now);
    Code eventRead(const PT_CounterEventRead& p, double now) const;
    Code freqStart(const PT_CounterFreqStart& p, double now);
    Code freqRead(const PT_CounterFreqRead& p) const;
    Code pulseStart(const PT_CounterPulseStart& p, double now);
    Code reset(std::uint16_t counter);

    // The pulse output of a counter in pulse mode: true while in the first
    // half cycle. False when the counter is not producing pulses.
    bool pulseLevel(std::uint16_t counter, double now) const;

  private:
    enum class Mode { Idle, Event, Frequency, Pulse };
    struct State {
        Mode mode = Mode::Idle;
        double start = 0.0;
        std::uint16_t gateMode = 0;
        double period = 0.0;
        double upCycle = 0.0;
    };

    bool gateOpen(std::size_t counter, std::uint16_t gateMode) const;

    std::vector<CounterSpec> specs_;
    std::vector<State> states_;
};

}  // namespace kestrune
