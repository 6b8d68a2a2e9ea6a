#include "app/timer_service.h"

#include <algorithm>
#include <vector>

#include "platform/clock.h"

namespace kestrune {

bool ClockTimerService::setTimer(int id, std::chrono::milliseconds interval) {
    if (interval.count() <= 0) return false;
    timers_[id] = Entry{interval, clock_.steadyNow() + interval, ++generation_};
    return true;
}

std::optional<std::chrono::milliseconds> ClockTimerService::interval(int id) const {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return std::nullopt;
    return it->second.interval;
}

std::optional<std::chrono::steady_clock::time_point> ClockTimerService::nextDeadline() const {
    std::optional<std::chrono::steady_clock::time_point> next;
    for (const auto& [id, entry] : timers_)
        if (!next || entry.deadline < *next) next = entry.deadline;
    return next;
}

int ClockTimerService::fireDue() {
    const auto now = clock_.steadyNow();
    // Taken before any handler runs: timers a handler sets (or sets anew)
    // carry a later generation and wait for the next call.
    struct Due {
        int id;
        std::chrono::steady_clock::time_point deadline;
        unsigned generation;
    };
    std::vector<Due> due;
    for (const auto& [id, entry] : timers_)
        if (entry.deadline <= now) due.push_back({id, entry.deadline, entry.generation});
    std::stable_sort(due.begin(), due.end(),
                     [](const Due& a, const Due& b) { return a.deadline < b.deadline; });
    int fired = 0;
    for (const Due& d : due) {
        auto it = timers_.find(d.id);
        if (it == timers_.end() || it->second.generation != d.generation) continue;
        it->second.deadline = now + it->second.interval;
        ++fired;
        if (handler_) handler_(d.id);
    }
    return fired;
}

}  // namespace kestrune
