#pragma once
// The beat the scheduler counts in: something that calls a function every R
// milliseconds. The program uses PeriodicTimer (its own thread, absolute
// deadlines); tests use ManualTickSource and deliver ticks by hand, so the
// scheduler's accounting is tested without waiting on the wall clock.

#include <chrono>
#include <functional>
#include <mutex>

namespace kestrune {

class TickSource {
  public:
    using Callback = std::function<void()>;

    virtual ~TickSource() = default;
    // Calls `onTick` once per `period` until stop(). False when already
    // running, when the period is not positive or when no timer can be made.
    virtual bool start(std::chrono::milliseconds period, Callback onTick) = 0;
    // After stop() returns no callback runs any more. Safe to call twice.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

// Ticks only when a test calls tick(), on the test's thread.
class ManualTickSource final : public TickSource {
  public:
    bool start(std::chrono::milliseconds period, Callback onTick) override;
    void stop() override;
    bool running() const override;

    // Delivers `count` ticks; returns how many were delivered (0 when stopped,
    // fewer when the callback stopped the source).
    int tick(int count = 1);
    std::chrono::milliseconds period() const;

  private:
    // Recursive: the callback may stop the source from inside a tick, and a
    // stop from another thread waits for a tick in progress to end.
    mutable std::recursive_mutex mutex_;
    Callback onTick_;
    std::chrono::milliseconds period_{0};
    bool running_ = false;
};

}  // namespace kestrune
