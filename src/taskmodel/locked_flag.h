#pragma once
// A byte behind its own lock. Nodes keep their "running" state in one: the
// scan threads read it while the user-interface thread starts and stops runs.
// update() lets a caller act on the value while holding the lock, which the
// run gate needs to count itself in before anyone can clear the flag.

#include <cstdint>
#include <mutex>

namespace kestrune {

class LockedFlag {
  public:
    explicit LockedFlag(std::uint8_t initial = 0) : value_(initial) {}
    LockedFlag(const LockedFlag&) = delete;
    LockedFlag& operator=(const LockedFlag&) = delete;

    std::uint8_t get() const {
        std::lock_guard guard(lock_);
        return value_;
    }
    void set(std::uint8_t value) {
        std::lock_guard guard(lock_);
        value_ = value;
    }
    bool equals(std::uint8_t value) const {
        std::lock_guard guard(lock_);
        return value_ == value;
    }
    // True when both the flag and `other` are non-zero.
    bool bothTrue(bool other) const {
        std::lock_guard guard(lock_);
        return value_ != 0 && other;
    }

    // Runs f(value&) under the lock and returns what f returns.
    template <class F>
    auto update(F&& f) {
        std::lock_guard guard(lock_);
        return f(value_);
    }

  private:
    mutable std::mutex lock_;
    std::uint8_t value_;
};

}  // namespace kestrune
