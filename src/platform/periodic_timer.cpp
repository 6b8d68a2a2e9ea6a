#include "platform/periodic_timer.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace kestrune {
namespace {

using std::chrono::nanoseconds;

// A long period is slept in slices of at most this, so that stop() never
// waits long for the thread to notice.
constexpr nanoseconds kLongestSleep = std::chrono::milliseconds(100);
// Above ordinary threads, well below what the kernel's own threads use.
constexpr int kFifoPriority = 20;

nanoseconds monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::chrono::seconds(ts.tv_sec) + nanoseconds(ts.tv_nsec);
}

void sleepUntil(nanoseconds when) {
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(when);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(secs.count());
    ts.tv_nsec = static_cast<long>((when - secs).count());
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

// The timer whose thread this is, so that stop() from inside a callback
// knows not to join itself (without touching thread_, which the controlling
// thread may still be assigning).
thread_local const PeriodicTimer* tCurrentTimer = nullptr;

// Best effort: an unprivileged user gets neither and the timer still works.
bool tuneTimerThread() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sched_param param{};
    param.sched_priority = std::min(kFifoPriority, sched_get_priority_max(SCHED_FIFO));
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

}  // namespace

nanoseconds PeriodicTimer::nextDeadline(nanoseconds due, nanoseconds now, nanoseconds period,
                                        std::uint64_t& missed) {
    nanoseconds next = due + period;
    if (now - next >= period) {
        const auto behind = (now - next) / period;
        next += behind * period;
        missed += static_cast<std::uint64_t>(behind);
    }
    return next;
}

bool PeriodicTimer::start(std::chrono::milliseconds period, Callback onTick) {
    if (running_.load() || period.count() <= 0 || !onTick) return false;
    // A thread told to stop from inside its own callback is collected here.
    if (thread_.joinable()) thread_.join();
    stopRequested_ = false;
    ticks_ = 0;
    missed_ = 0;
    realtime_ = false;
    // Set before the thread exists: its first callback may already stop it.
    running_ = true;
    try {
        thread_ = std::thread(&PeriodicTimer::run, this, nanoseconds(period), std::move(onTick));
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    return true;
}

void PeriodicTimer::stop() {
    running_ = false;
    stopRequested_ = true;
    if (tCurrentTimer == this || !thread_.joinable()) return;
    thread_.join();
}

void PeriodicTimer::run(nanoseconds period, Callback onTick) {
    tCurrentTimer = this;
    realtime_ = tuneTimerThread();
    nanoseconds due = monotonicNow() + period;
    while (!stopRequested_.load()) {
        const nanoseconds now = monotonicNow();
        if (now < due) {
            sleepUntil(std::min(due, now + kLongestSleep));
            continue;  // either the deadline has come or it is time to look at the stop flag
        }
        try {
            onTick();
        } catch (...) {
            // A failing tick must not take the timer thread (and the process) down.
        }
        ticks_.fetch_add(1, std::memory_order_relaxed);
        std::uint64_t missed = 0;
        due = nextDeadline(due, monotonicNow(), period, missed);
        if (missed) missed_.fetch_add(missed, std::memory_order_relaxed);
    }
}

}  // namespace kestrune
