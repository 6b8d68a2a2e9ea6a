#pragma once
// "Update times" of the I/O blocks: a block acts on every N-th scan of its
// task only. A 16-bit scan counter counts every scan; the block acts when the
// count before the scan is a multiple of N, so it acts on the first scan of a
// run. The counter wraps at 65536 like the stored one always has, so with an
// N that does not divide 65536 two scans in a row act at the wrap.
//
// Threads: scans count, the output blocks' from more than one thread, so the
// counter is atomic; the user-interface thread sets N and restarts the count
// while the block is stopped.

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace kestrune {

class UpdateDivisor {
  public:
    static constexpr std::uint16_t kMinTimes = 1;
    static constexpr std::uint16_t kMaxTimes = 10000;

    std::uint16_t times() const { return times_; }
    // Kept within 1..10000; a damaged file's 0 would otherwise divide by zero.
    void setTimes(std::int64_t times) {
        times_ = static_cast<std::uint16_t>(std::clamp<std::int64_t>(times, kMinTimes, kMaxTimes));
    }

    // At run start: the next scan is the first.
    void restart() { counter_.store(0); }

    // Counts one scan; true when the block acts on it.
    bool due() { return counter_.fetch_add(1) % times_ == 0; }

    std::uint16_t counter() const { return counter_.load(); }
    void setCounter(std::uint16_t counter) { counter_.store(counter); }

  private:
    std::uint16_t times_ = 1;
    std::atomic<std::uint16_t> counter_{0};
};

}  // namespace kestrune
