#pragma once
// "Update times" of the I/O blocks: a block acts on every N-th scan of its
// task only. A 16-bit scan counter counts every scan; the block acts when the
// count before the scan is a multiple of N, so it acts on the first scan of a
// run. The counter wraps at 65536 like the stored one always has, so with an
// N that does not divide 65536 two scans in a row act at the wrap.
//
// Threads: the scan thread counts; the user-interface thread sets N and
// resets the counter while the block is stopped.

#include <algorithm>
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
    void restart() { counter_ = 0; }

    // Counts one scan; true when the block acts on it.
    bool due() {
        const std::uint16_t before = counter_;
        counter_ = static_cast<std::uint16_t>(counter_ + 1);
        return before % times_ == 0;
    }

    std::uint16_t counter() const { return counter_; }
    void setCounter(std::uint16_t counter) { counter_ = counter; }

  private:
    std::uint16_t times_ = 1;
    std::uint16_t counter_ = 0;
};

}  // namespace kestrune
