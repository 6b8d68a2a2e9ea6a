#pragma once
// A first-order process with dead time: y' = (K * u(t - L) - y) / tau, the
// reading being y plus optional gaussian measurement noise. The input is a
// step function (an analog output holds its last value), so the state is
// carried forward exactly between input changes with exp(-dt / tau): a reading
// long after the last one is as accurate as many small steps, and no step size
// can make it unstable.
//
// Not thread-safe: the owning device serialises calls.

#include <cstdint>
#include <deque>
#include <random>

namespace kestrune {

struct PlantParams {
    double gain = 1.0;
    double tau = 1.0;       // seconds; 0 follows the delayed input at once
    double deadTime = 0.0;  // seconds
    double noise = 0.0;     // standard deviation of the reading
    double initial = 0.0;   // output at the start, with the input at 0
    std::uint32_t seed = 1;
};

class FirstOrderPlant {
  public:
    explicit FirstOrderPlant(const PlantParams& params, double startTime = 0.0);

    // The input changes to `u` at time `t`; it reaches the process at t + L.
    void setInput(double t, double u);
    // The reading at time `t` (noise included). Times before the last
    // reading or input are taken as that time: the process never runs back.
    double read(double t);
    // The noise-free output at `t`.
    double output(double t);

    const PlantParams& params() const { return params_; }

  private:
    struct Change {
        double time;  // when the process feels it
        double value;
    };

    void advanceTo(double t);
    void integrate(double dt, double input);

    PlantParams params_;
    double time_;
    double y_;
    double input_ = 0.0;  // the delayed input acting at time_
    std::deque<Change> pending_;
    std::mt19937 rng_;
    std::normal_distribution<double> noise_{0.0, 1.0};
};

}  // namespace kestrune
