#include "platform/reset_event.h"

#include <algorithm>
#include <condition_variable>

namespace kestrune {

// The private parking place of one waiting thread. It lives on that thread's
// stack and is unhooked from every event before the wait returns.
struct ResetEvent::Waiter {
    std::mutex mutex;
    std::condition_variable cv;
    unsigned long pokes = 0;

    void poke() {
        {
            std::lock_guard lock(mutex);
            ++pokes;
        }
        cv.notify_one();
    }
};

ResetEvent::ResetEvent(bool autoReset, bool initiallySet)
    : autoReset_(autoReset), signals_(initiallySet ? 1 : 0) {}

void ResetEvent::set() {
    std::lock_guard lock(mutex_);
    if (autoReset_) {
        signals_ = std::min(signals_ + 1, waiters_.size() + 1);
    } else {
        signals_ = 1;
    }
    // Every parked waiter races for the signal; an auto-reset signal goes to
    // whoever takes it first and the others park again.
    for (Waiter* w : waiters_) w->poke();
}

void ResetEvent::reset() {
    std::lock_guard lock(mutex_);
    signals_ = 0;
}

bool ResetEvent::isSet() const {
    std::lock_guard lock(mutex_);
    return signals_ > 0;
}

std::size_t ResetEvent::waiterCount() const {
    std::lock_guard lock(mutex_);
    return waiters_.size();
}

void ResetEvent::wait() {
    ResetEvent* self = this;
    waitOnEvents(&self, 1, std::nullopt);
}

bool ResetEvent::waitUntil(Clock::time_point deadline) {
    ResetEvent* self = this;
    return waitOnEvents(&self, 1, deadline) == 0;
}

ResetEvent::WaitResult ResetEvent::waitForAny(ResetEvent& first, ResetEvent& second,
                                              std::optional<Clock::time_point> deadline) {
    ResetEvent* events[] = {&first, &second};
    switch (waitOnEvents(events, 2, deadline)) {
        case 0:
            return WaitResult::First;
        case 1:
            return WaitResult::Second;
        default:
            return WaitResult::Timeout;
    }
}

bool ResetEvent::takeSignalLocked() {
    if (signals_ == 0) return false;
    if (autoReset_) --signals_;
    return true;
}

void ResetEvent::addWaiterLocked(Waiter* w) {
    if (std::find(waiters_.begin(), waiters_.end(), w) == waiters_.end()) waiters_.push_back(w);
}

void ResetEvent::removeWaiter(Waiter* w) {
    std::lock_guard lock(mutex_);
    if (auto it = std::find(waiters_.begin(), waiters_.end(), w); it != waiters_.end()) waiters_.erase(it);
    clampSignalsLocked();
}

void ResetEvent::clampSignalsLocked() {
    // A release owed to a waiter that left (timed out, or woke on the other
    // event) must not outlive it: it falls back to the plain signalled state.
    if (autoReset_) signals_ = std::min(signals_, waiters_.size() + 1);
}

int ResetEvent::waitOnEvents(ResetEvent* const* events, std::size_t count,
                             std::optional<Clock::time_point> deadline) {
    Waiter waiter;
    // Takes the first available signal in order; with `park`, hooks the
    // waiter onto every event it looked at, under that event's lock, so that a
    // set after the look is never missed.
    auto takeAny = [&](bool park) -> int {
        for (std::size_t i = 0; i < count; ++i) {
            std::lock_guard lock(events[i]->mutex_);
            if (events[i]->takeSignalLocked()) return static_cast<int>(i);
            if (park) events[i]->addWaiterLocked(&waiter);
        }
        return -1;
    };
    auto leave = [&](int result) {
        for (std::size_t i = 0; i < count; ++i) events[i]->removeWaiter(&waiter);
        return result;
    };

    for (;;) {
        unsigned long seen;
        {
            std::lock_guard lock(waiter.mutex);
            seen = waiter.pokes;
        }
        if (int taken = takeAny(true); taken >= 0) return leave(taken);

        std::unique_lock lock(waiter.mutex);
        auto poked = [&] { return waiter.pokes != seen; };
        if (!deadline) {
            waiter.cv.wait(lock, poked);
        } else if (!waiter.cv.wait_until(lock, *deadline, poked)) {
            lock.unlock();
            // A set may have landed just as the deadline passed; it counts.
            return leave(takeAny(false));
        }
    }
}

}  // namespace kestrune
