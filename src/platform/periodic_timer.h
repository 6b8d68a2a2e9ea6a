#pragma once
// The scheduler's timer: a thread that calls a function every R milliseconds.
// It sleeps to absolute deadlines on the monotonic clock, so ticks do not
// drift however long the callback takes, and it asks for the finest timer
// slack and a real-time priority where the system allows (never failing when
// it does not). When it falls more than one period behind (the machine was
// suspended, the thread starved) it does not fire the backlog in a burst: the
// missed deadlines are counted and skipped.
//
// Threads: start and stop belong to one controlling thread; the callback runs
// on the timer's own thread; the counters may be read from anywhere.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/tick_source.h"

namespace kestrune {

class PeriodicTimer final : public TickSource {
  public:
    PeriodicTimer() = default;
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;
    ~PeriodicTimer() override { stop(); }

    bool start(std::chrono::milliseconds period, Callback onTick) override;
    // Joins the timer thread. Called from inside the callback it only asks the
    // thread to end; a later stop() from another thread (or the destructor) joins it.
    void stop() override;
    bool running() const override { return running_.load(); }

    // Callbacks made since start.
    std::uint64_t ticks() const { return ticks_.load(std::memory_order_relaxed); }
    // Deadlines skipped because the thread was more than a period late.
    std::uint64_t missedTicks() const { return missed_.load(std::memory_order_relaxed); }
    // Whether the thread got its real-time priority (for the logs; false is normal for a user).
    bool realtime() const { return realtime_.load(std::memory_order_relaxed); }

    // The deadline after a tick that was due at `due`, seen at `now`: one
    // period on, unless that is already a period or more in the past, in
    // which case the whole periods missed are skipped (and added to `missed`)
    // so that only one late tick fires instead of a burst.
    static std::chrono::nanoseconds nextDeadline(std::chrono::nanoseconds due, std::chrono::nanoseconds now,
                                                 std::chrono::nanoseconds period, std::uint64_t& missed);

  private:
    void run(std::chrono::nanoseconds period, Callback onTick);

    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<std::uint64_t> ticks_{0};
    std::atomic<std::uint64_t> missed_{0};
    std::atomic<bool> realtime_{false};
};

}  // namespace kestrune
