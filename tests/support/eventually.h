#pragma once
// Waiting for another thread or process without timing it: polls `done`
// until it holds, giving up only after a bound far beyond any normal wait,
// so that a busy machine slows a test down but does not fail it.

#include <chrono>
#include <functional>
#include <thread>

namespace kestrune::testing_support {

inline constexpr std::chrono::milliseconds kGenerousWait{30'000};

// True once `done()` holds; false when `bound` passed first. A `poll` of 0
// only yields between looks, for waits that are over within microseconds.
inline bool eventually(const std::function<bool()>& done, std::chrono::milliseconds bound = kGenerousWait,
                       std::chrono::milliseconds poll = std::chrono::milliseconds{1}) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (poll.count() > 0)
            std::this_thread::sleep_for(poll);
        else
            std::this_thread::yield();
    }
    return true;
}

}  // namespace kestrune::testing_support
