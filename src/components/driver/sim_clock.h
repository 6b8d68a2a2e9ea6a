#pragma once
// The time base of the simulated hardware. Signals and the plant model are
// functions of this clock only, so a test that advances a manual clock sees
// exactly the same readings on every run, whatever the machine's load.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

namespace kestrune {

class SimClock {
  public:
    virtual ~SimClock() = default;
    // Monotonic time; only differences matter.
    virtual std::chrono::nanoseconds now() const = 0;

    double seconds() const { return std::chrono::duration<double>(now()).count(); }
};

// The wall of the running program: steady time since the clock was made.
class SteadySimClock final : public SimClock {
  public:
    SteadySimClock() : origin_(std::chrono::steady_clock::now()) {}
    std::chrono::nanoseconds now() const override { return std::chrono::steady_clock::now() - origin_; }

  private:
    std::chrono::steady_clock::time_point origin_;
};

// Time that moves only when told to; safe to advance from one thread while
// devices read it from others.
class ManualSimClock final : public SimClock {
  public:
    std::chrono::nanoseconds now() const override { return std::chrono::nanoseconds(ns_.load()); }
    void set(std::chrono::nanoseconds t) { ns_.store(t.count()); }
    void advance(std::chrono::nanoseconds dt) { ns_.fetch_add(dt.count()); }
    void advanceSeconds(double s) {
        advance(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(s)));
    }

  private:
    std::atomic<std::int64_t> ns_{0};
};

}  // namespace kestrune
