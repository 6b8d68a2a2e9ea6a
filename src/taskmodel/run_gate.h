#pragma once
// The hand-over between the thread that starts and stops a node and the
// threads that use it while it runs. A thread that wants to touch a running
// node calls enter(): under the running flag's lock it checks the flag and,
// only if it is set, counts itself in the busy count; leave() counts it out.
// close() (a node's Stop) waits, looking every 20 ms, until nobody is inside,
// then clears the flag.
//
// close() checks the count and clears the flag under the same lock that
// enter() takes, so no thread can slip in between the last look and the flag
// going down.
//
// isRunning() sits at the top of every scan, so it reads an atomic copy of
// the flag rather than taking the lock: the copy changes only under the lock,
// together with the flag. A scan that sees the copy set runs on its own task
// thread, which the node's Stop waits for before it closes the gate, so the
// lock-free look costs no safety there.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "taskmodel/locked_flag.h"

namespace kestrune {

class RunGate {
  public:
    using Sleeper = std::function<void(std::chrono::milliseconds)>;
    static constexpr std::chrono::milliseconds kPollInterval{20};

    RunGate() = default;
    RunGate(const RunGate&) = delete;
    RunGate& operator=(const RunGate&) = delete;

    // Sets the running flag.
    void open();
    // Waits until the busy count is 0, sleeping kPollInterval between looks,
    // then clears the running flag.
    void close();

    // Counts the caller in when the node is running; false (and not counted) otherwise.
    bool enter();
    void leave() { busy_.fetch_sub(1, std::memory_order_acq_rel); }

    bool isRunning() const { return runningCopy_.load(std::memory_order_acquire); }
    std::int32_t busyCount() const { return busy_.load(std::memory_order_acquire); }

    // Tests put their own sleeper here to watch or speed up the polling.
    void setSleeper(Sleeper sleeper) { sleeper_ = std::move(sleeper); }

    // Holds the gate for the length of a scope: `if (RunGate::Pass pass{gate}) { ... }`.
    class Pass {
      public:
        explicit Pass(RunGate& gate) : gate_(gate), entered_(gate.enter()) {}
        ~Pass() {
            if (entered_) gate_.leave();
        }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        explicit operator bool() const { return entered_; }

      private:
        RunGate& gate_;
        bool entered_;
    };

  private:
    LockedFlag running_;
    // The flag as isRunning() reads it; written only under running_'s lock.
    std::atomic<bool> runningCopy_{false};
    std::atomic<std::int32_t> busy_{0};
    Sleeper sleeper_;
};

}  // namespace kestrune
