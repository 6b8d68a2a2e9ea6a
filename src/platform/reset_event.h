#pragma once
// Events that threads wait on: the scheduler's tick and quit events, a task's
// scan and stop events, the refresh-done handshake. They behave like the
// kernel events the scan engine was designed around:
//  - a manual-reset event stays set, releasing every waiter, until reset;
//  - an auto-reset event releases exactly one waiter per set; set with nobody
//    waiting leaves it signalled for the next waiter, and sets do not pile up
//    beyond one per waiting thread plus that one signalled state.
// A thread may wait on one event or on either of two (waitForAny), which is
// how the scheduler's threads wait for "tick or quit".
//
// Every event has its own mutex; a waiting thread parks on a private
// condition variable that each event it waits on pokes when set, so a waiter
// on two events needs no lock shared between them.

#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

namespace kestrune {

class ResetEvent {
  public:
    using Clock = std::chrono::steady_clock;

    ResetEvent(const ResetEvent&) = delete;
    ResetEvent& operator=(const ResetEvent&) = delete;
    virtual ~ResetEvent() = default;

    void set();
    void reset();
    bool isSet() const;

    // Blocks until the event is signalled (and, for an auto-reset event, takes the signal).
    void wait();
    // False when the deadline passed first.
    bool waitUntil(Clock::time_point deadline);
    bool waitFor(std::chrono::nanoseconds timeout) { return waitUntil(Clock::now() + timeout); }

    // Threads currently parked on this event (tests use it to know a waiter is really waiting).
    std::size_t waiterCount() const;

    enum class WaitResult { First, Second, Timeout };
    // Waits until `first` or `second` is signalled and takes that signal. When
    // both are signalled the first wins, so a quit event passed first is never
    // starved by a busy tick. nullopt waits without a deadline.
    static WaitResult waitForAny(ResetEvent& first, ResetEvent& second,
                                 std::optional<Clock::time_point> deadline = std::nullopt);
    static WaitResult waitForAny(ResetEvent& first, ResetEvent& second, std::chrono::nanoseconds timeout) {
        return waitForAny(first, second, Clock::now() + timeout);
    }

  protected:
    ResetEvent(bool autoReset, bool initiallySet);

  private:
    struct Waiter;

    // Returns the index of the event whose signal was taken, or -1 on timeout.
    static int waitOnEvents(ResetEvent* const* events, std::size_t count,
                            std::optional<Clock::time_point> deadline);
    bool takeSignalLocked();
    void addWaiterLocked(Waiter* w);
    void removeWaiter(Waiter* w);
    void clampSignalsLocked();

    const bool autoReset_;
    mutable std::mutex mutex_;
    // Manual reset: 0 or 1. Auto reset: releases owed, at most one per parked
    // waiter plus one for the signalled state.
    std::size_t signals_ = 0;
    std::vector<Waiter*> waiters_;
};

class AutoResetEvent : public ResetEvent {
  public:
    explicit AutoResetEvent(bool initiallySet = false) : ResetEvent(true, initiallySet) {}
};

class ManualResetEvent : public ResetEvent {
  public:
    explicit ManualResetEvent(bool initiallySet = false) : ResetEvent(false, initiallySet) {}
};

}  // namespace kestrune
