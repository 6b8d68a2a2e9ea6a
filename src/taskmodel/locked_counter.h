#pragma once
// A 32-bit count behind its own lock, for counters that one thread advances
// and others read or reset (a task's scan and duration counters).

#include <cstdint>
#include <mutex>

namespace kestrune {

class LockedCounter {
  public:
    explicit LockedCounter(std::int32_t initial = 0) : value_(initial) {}
    LockedCounter(const LockedCounter&) = delete;
    LockedCounter& operator=(const LockedCounter&) = delete;

    std::int32_t get() const {
        std::lock_guard guard(lock_);
        return value_;
    }
    void set(std::int32_t value) {
        std::lock_guard guard(lock_);
        value_ = value;
    }
    // ++value: returns the new value.
    std::int32_t preIncrement() { return add(1); }
    // value++: returns the value before.
    std::int32_t postIncrement() {
        std::lock_guard guard(lock_);
        const std::int32_t before = value_;
        value_ = wrapped(value_, 1);
        return before;
    }
    // value--: returns the value before.
    std::int32_t postDecrement() {
        std::lock_guard guard(lock_);
        const std::int32_t before = value_;
        value_ = wrapped(value_, -1);
        return before;
    }
    // value += delta: returns the new value.
    std::int32_t add(std::int32_t delta) {
        std::lock_guard guard(lock_);
        value_ = wrapped(value_, delta);
        return value_;
    }

    bool operator==(std::int32_t v) const { return get() == v; }
    bool operator<(std::int32_t v) const { return get() < v; }
    bool operator>(std::int32_t v) const { return get() > v; }
    bool operator<=(std::int32_t v) const { return get() <= v; }
    bool operator>=(std::int32_t v) const { return get() >= v; }

  private:
    // Counters wrap like the machine's interlocked operations instead of overflowing.
    static std::int32_t wrapped(std::int32_t a, std::int32_t b) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
    }

    mutable std::mutex lock_;
    std::int32_t value_;
};

}  // namespace kestrune
