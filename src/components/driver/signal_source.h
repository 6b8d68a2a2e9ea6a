#pragma once
// What a simulated input channel shows: a constant, a periodic wave, seeded
// noise, or the output of a plant model fed by an analog output. Written in
// the device list as a kind followed by its parameters, e.g.
//   sine amplitude=5 offset=0 period=10 phase=90
//   plant ao=0 gain=2 tau=5 dead=1 noise=0.01

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "components/driver/first_order_plant.h"

namespace kestrune {

enum class SignalKind { Constant, Sine, Ramp, Square, Random, Plant };

struct SignalSpec {
    SignalKind kind = SignalKind::Constant;
    double value = 0.0;      // constant
    double amplitude = 1.0;  // sine
    double offset = 0.0;     // sine
    double period = 10.0;    // sine, ramp, square: seconds
    double phase = 0.0;      // sine: degrees
    double low = 0.0;        // ramp, square, random
    double high = 1.0;       // ramp, square, random
    double duty = 0.5;       // square: share of the period at `high`
    std::uint32_t seed = 1;  // random
    int aoChannel = -1;      // plant: the analog output that drives it
    PlantParams plant;       // plant
};

// False with `error` set (naming the offending key) for an unknown kind, a
// key the kind does not take, or a value out of its range.
bool parseSignalSpec(std::string_view text, SignalSpec& out, std::string& error);
std::string formatSignalSpec(const SignalSpec& spec);

// The value of a non-plant signal over time. Random draws a fresh value per
// reading from its own seeded generator, so a run is reproducible. Plant
// signals are evaluated by the device that owns the plant; here they read 0.
class SignalGenerator {
  public:
    explicit SignalGenerator(const SignalSpec& spec);
    double value(double t);
    const SignalSpec& spec() const { return spec_; }

  private:
    SignalSpec spec_;
    std::mt19937 rng_;
};

}  // namespace kestrune
